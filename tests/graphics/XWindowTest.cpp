// The X window device under a private Xvfb (its pictures are DevicePictureTest's): server fonts,
// events from xdotool reaching the listeners, frames and the loop speed. Skipped with a reason
// when Xvfb is absent.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Raster.h"
#include "common/TestData.h"
#include "common/Xvfb.h"
#include "core/Kol.h"
#include "graphics/GFont.h"
#include "graphics/Graph.h"
#include "graphics/Listener.h"
#include "graphics/XWindow.h"

using namespace KOL;

namespace {

class XWindowTest : public KOLTest::DatabaseTest {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<KOLTest::Xvfb>(); }
  static void TearDownTestSuite() { server.reset(); }
  void SetUp() override
  {
    DatabaseTest::SetUp();
    if (!server->running()) GTEST_SKIP() << server->reason();
  }
  std::string co() const { return "co=" + server->display(); }
  static std::unique_ptr<KOLTest::Xvfb> server;
};

std::unique_ptr<KOLTest::Xvfb> XWindowTest::server;

// Events as they arrive, and leaving the main loop once enough have come.
class Recorder : public KOL::Listener {
 public:
  explicit Recorder(Graph& g) : g_(g) {}
  int callback(const char* event, const char* data, const void*) override
  {
    const std::string e = event;
    if (e == "Idle") {
      if (++idles == 1 && !command.empty()) KOLTest::run(command + " &");
      if (idles > 60 || (gotKey && gotButton)) g_.unmanage();
      return 1;
    }
    events.push_back(e + " " + data);
    gotKey |= e == "KeyPress";
    gotButton |= e == "ButtonPress";
    return 1;
  }
  std::vector<std::string> events;
  std::string command;
  int idles = 0;
  bool gotKey = false, gotButton = false;

 private:
  Graph& g_;
};

TEST(XWindowParams, ExistingWindowsAndDisplayNames)
{
  const struct {
    const char* params;
    int mode, width, height;
  } cases[] = {{"wp=0x5000a:640x480:0", 2, 640, 480},
               {"wp=+7:12:300x200:1", 2, 300, 200},
               {"somehost:0,42:320x240:0,show_num", 2, 320, 240},
               {"wp=0xzz:0x0:0", 1, 640, 512}};
  for (const auto& c : cases) {
    XWindow w;
    w.setParam(c.params);
    EXPECT_EQ(w.getMode(), c.mode) << c.params;
    EXPECT_EQ(w.getWidth(), c.width) << c.params;
    EXPECT_EQ(w.getHeight(), c.height) << c.params;
  }
}

TEST(XWindowNoDisplay, OpenFailsWithOneMessage)
{
  XWindow w;
  w.setParam("co=:987");
  testing::internal::CaptureStderr();
  EXPECT_EQ(w.open(), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "XWindow: unable to connect to display\n");
  KOL::Points pts;
  EXPECT_EQ(w.drawLine(1, pts), 0);
  EXPECT_EQ(w.close(), 0);
  // a graph on no display: open refuses, drawing does nothing
  Graph g("display", "co=:987");
  testing::internal::CaptureStderr();
  EXPECT_EQ(g.open(), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(g.drawLine(0, 0, 1, 1), 0);
}

TEST_F(XWindowTest, ServerFontTextStandsOnItsBaseline)
{
  Graph g("display", (co() + ",hfont").c_str());
  g.setSize(300, 200);
  g.setInverse(true);
  ASSERT_EQ(g.open(), 1);
  g.setWindow(Rect(0, 0, 3, 2));
  ASSERT_EQ(g.setFont("fixed"), 1);
  EXPECT_EQ(g.getFont().getType(), KOL::GFont::HARDWARE);
  g.setTextHeight(0.2f);
  g.setTextAlign(1, 0);
  g.drawText(0.5f, 0.5f, "WWW");  // device (50, 150), on the baseline
  g.update();
  auto* w = static_cast<XWindow*>(g.getDeviceObject());
  const KOLTest::Raster r = KOLTest::captureWindow(server->display(), w->getWindow());
  ASSERT_TRUE(r.valid());
  EXPECT_GT(r.inked(50, 130, 90, 150), 10) << "server text above its baseline";
  EXPECT_EQ(r.inked(0, 153, 299, 199), 0) << "nothing below the baseline";
}

TEST_F(XWindowTest, KeysAndButtonsReachTheListeners)
{
  Graph g("display", co().c_str());
  g.setSize(200, 150);
  ASSERT_EQ(g.open(), 1);
  auto* w = static_cast<XWindow*>(g.getDeviceObject());
  Recorder rec(g);
  ASSERT_EQ(g.addCallback("AnyEvent", &rec, nullptr), 1);
  const std::string id = std::to_string(w->getWindow());
  rec.command = "DISPLAY=" + server->display() + " xdotool key --window " + id +
                " alt+q mousemove --window " + id + " 30 40 click --window " + id +
                " 1 2>/dev/null";
  int status = 0;
  KOLTest::run("command -v xdotool", &status);
  if (status != 0) GTEST_SKIP() << "xdotool is not installed";
  g.manage();
  EXPECT_TRUE(rec.gotKey) << "no key press arrived";
  EXPECT_TRUE(rec.gotButton) << "no button press arrived";
  bool key = false, button = false;
  for (const std::string& e : rec.events) {
    key |= e.rfind("KeyPress q-Alt:", 0) == 0;
    button |= e.rfind("ButtonPress B1-P", 0) == 0;
  }
  EXPECT_TRUE(key);
  EXPECT_TRUE(button);
  EXPECT_EQ(g.addCallback("AnyEvent", &rec, nullptr), 1) << "addable again once unmanaged";
}

TEST_F(XWindowTest, FramesLoopAndTheLoopSpeedHasLimits)
{
  XWindow w;
  w.setParam(co().c_str());
  w.setSize(100, 80);
  ASSERT_EQ(w.open(), 1);
  EXPECT_EQ(w.incFrame(1), -1) << "no frames yet";
  for (int i = 0; i < 3; ++i) ASSERT_EQ(w.newFrame(), 1);
  EXPECT_EQ(w.getNumFrames(), 3);
  ASSERT_EQ(w.setFrame(1), 1);
  EXPECT_EQ(w.incFrame(1), 2);
  EXPECT_EQ(w.incFrame(1), 0) << "past the last frame the loop restarts";
  EXPECT_EQ(w.incFrame(-1), 2);
  // stopped: button 1 shows the previous frame
  w.callback("ButtonPress", "B1-P:5:5", nullptr);
  EXPECT_EQ(w.getFrame(), 1);
  // running: button 1 slows the loop and leaves the frame alone
  w.toggleLoop();
  w.callback("ButtonPress", "B1-P:5:5", nullptr);
  EXPECT_NEAR(w.getLoopDelay(), 0.6f, 1e-5);
  EXPECT_EQ(w.getFrame(), 1);
  for (int i = 0; i < 10; ++i) w.loopRate(1);
  EXPECT_NEAR(w.getLoopDelay(), 0.05f, 1e-5);
  w.loopRate(1);
  EXPECT_NEAR(w.getLoopDelay(), 0.05f, 1e-5);
  w.loopRate(-1);
  EXPECT_NEAR(w.getLoopDelay(), 0.1f, 1e-5);
  for (int i = 0; i < 40; ++i) w.loopRate(-1);
  EXPECT_NEAR(w.getLoopDelay(), 10.0f, 1e-5);
  w.callback("KeyPress", "d-Alt:1:1", nullptr);
  EXPECT_EQ(w.getNumFrames(), 2);
  EXPECT_EQ(w.close(), 1);
}

}  // namespace
