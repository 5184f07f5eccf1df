// A loop of radar products in the X window (kolrad -fr=N -de=w) under a private Xvfb: two
// pictures in turn, told apart by the frame number in the title, until q or closing ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "common/Raster.h"
#include "common/TestData.h"
#include "common/Xvfb.h"

namespace {

using namespace std::chrono_literals;

class WindowLoop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<KOLTest::Xvfb>(); }
  static void TearDownTestSuite() { server.reset(); }
  void SetUp() override
  {
    KOL_REQUIRE_DATA();
    if (!server->running()) GTEST_SKIP() << server->reason();
    int status = 0;
    KOLTest::run("command -v xdotool", &status);
    if (status != 0) GTEST_SKIP() << "xdotool is not installed";
    // two different products filed under their own times as the last two of one site and type
    dir.link("nids/DDC/N0Q/20200817_0501.nids",
             KOLTest::dataFile("nids/KDDC_N0Q_20200817_0501.nids"));
    dir.link("nids/DDC/N0Q/20130520_2016.nids",
             KOLTest::dataFile("nids/KOUN_SDUS54_N0QTLX_201305202016"));
  }
  void TearDown() override
  {
    // a program left running is stopped by the id it was started with
    const std::string pid = KOLTest::run("cat " + dir.file("pid") + " 2>/dev/null");
    if (!pid.empty() && !done()) KOLTest::run("kill " + pid);
  }

  std::string x(const std::string& command) const
  {
    return "DISPLAY=" + server->display() + " " + command;
  }
  // kolrad in the background; its process id and exit status go to files.
  void start()
  {
    const std::string kolrad = KOLTest::programPath("kolrad") + " -fp=" + KOLTest::databaseDir() +
                               " -ip=" + dir.path() + " -id=DDC -ty=N0Q -fr=2 -de=w,show_num";
    KOLTest::run("(" + x(kolrad) + " >/dev/null 2>&1 & echo $! > " + dir.file("pid") +
                 "; wait $!; echo $? > " + dir.file("status") + ") >/dev/null 2>&1 &");
  }
  bool done() const { return !KOLTest::run("cat " + dir.file("status") + " 2>/dev/null").empty(); }
  // The exit status, waiting up to 20 s for it; -1 when the program is still running.
  int exitStatus() const
  {
    for (int i = 0; i < 200 && !done(); ++i) std::this_thread::sleep_for(100ms);
    return done() ? std::atoi(KOLTest::run("cat " + dir.file("status")).c_str()) : -1;
  }
  std::string window() const
  {
    std::string id = KOLTest::run(x("timeout 60 xdotool search --sync --class Kol 2>/dev/null"));
    return id.substr(0, id.find('\n'));
  }
  std::string title(const std::string& id) const
  {
    return KOLTest::run(x("xdotool getwindowname " + id + " 2>/dev/null"));
  }

  static std::unique_ptr<KOLTest::Xvfb> server;
  KOLTest::TempDir dir;
};

std::unique_ptr<KOLTest::Xvfb> WindowLoop::server;

TEST_F(WindowLoop, TwoFramesInTurnUntilQ)
{
  start();
  const std::string id = window();
  ASSERT_FALSE(id.empty()) << "no window came up";
  // a frame counts when its number stands in the title before and after the capture
  KOLTest::Raster seen[2];
  int turns = 0, last = -1;
  for (int i = 0; i < 300 && turns < 3; ++i) {
    const std::string before = title(id);
    const int n = before.find("[0]") != std::string::npos   ? 0
                  : before.find("[1]") != std::string::npos ? 1
                                                            : -1;
    if (n >= 0) {
      KOLTest::Raster r = KOLTest::captureWindow(server->display(), std::stoul(id));
      if (title(id) == before && r.valid()) {
        seen[n] = r;
        turns += n != last && last >= 0;
        last = n;
      }
    }
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_GE(turns, 3) << "the frames did not alternate";
  ASSERT_TRUE(seen[0].valid() && seen[1].valid());
  EXPECT_GT(seen[0].inked(), seen[0].width * seen[0].height / 20);
  EXPECT_GT(seen[1].differ(seen[0], 8), 0.01) << "the two frames show the same picture";
  KOLTest::run(x("xdotool key --window " + id + " q 2>/dev/null"));
  EXPECT_EQ(exitStatus(), 0) << "q did not end the loop";
}

TEST_F(WindowLoop, ClosingTheWindowEndsTheLoop)
{
  start();
  const std::string id = window();
  ASSERT_FALSE(id.empty()) << "no window came up";
  for (int i = 0; i < 600 && title(id).find('[') == std::string::npos; ++i)
    std::this_thread::sleep_for(50ms);
  KOLTest::run(x("xdotool windowclose " + id + " 2>/dev/null"));
  EXPECT_EQ(exitStatus(), 0) << "the program outlived its window";
}

}  // namespace
