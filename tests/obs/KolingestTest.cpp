// The kolingest program: filing a feed file with the shipped products file, run rules, a stop by
// signal in the middle of a bulletin or while waiting for a feed, and what it prints.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/TestData.h"
#include "obs/WmoFeed.h"

using namespace wmofeed;

extern char** environ;

namespace {

std::string ingestCommand(const KOLTest::TempDir& dir, const std::string& args)
{
  return "cd '" + dir.path() + "' && '" + KOLTest::programPath("kolingest") + "' -me=error " +
         args + " 2>&1";
}

}  // namespace

TEST(Kolingest, FilesAFeedAndRunsRunRules)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  std::string feed = KOLTest::readFile(KOLTest::dataFile("grib/wmo_framed_stream.bin"));
  for (const Bulletin& b : upperAir()) feed += frame(7, b);
  KOLTest::writeFile(dir.file("feed"), feed);
  KOLTest::writeFile(
      dir.file("run.prd"),
      KOLTest::readFile(KOLTest::databaseDir() + "/ingest.prd") + "U..... @ touch ran_%pt\n");
  int status = -1;
  std::string out = KOLTest::run(
      ingestCommand(dir, "-prodfile=run.prd -mp=grib -rp=raw -lf=ingest.log feed"), &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(count(KOLTest::run("cat " + dir.file("grib") + "/*.gidx"), " / GRIB"), 4);
  EXPECT_EQ(count(KOLTest::run("cat " + dir.file("raw/upa") + "/*.idx"), "\n"),
            static_cast<int>(upperAir().size()));
  EXPECT_EQ(KOLTest::run("ls " + dir.path() + " | grep -c ran_usus"), "3\n");
  EXPECT_NE(KOLTest::readFile(dir.file("ingest.log")).find("Terminating ingest"),
            std::string::npos);
}

namespace {

// Waits up to ms for a child to end; its exit status, or -1 when it is still running.
int waitExit(pid_t pid, int ms)
{
  for (int waited = 0; waited < ms; waited += 50) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

}  // namespace

// As a server ("sock:PORT") the program waits for its feed to connect: one signal ends the wait.
TEST(Kolingest, StopsOnOneSignalAsAServer)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("r.prd"), "S..... >> %D/s.wmo %D/s.idx\n");
  std::string prog = KOLTest::programPath("kolingest");
  std::string dp = "-dp=" + dir.path(), pf = "-pf=" + dir.file("r.prd"), lf = "-lf=none";
  std::string sock = "sock:" + std::to_string(KOLTest::freePort(SOCK_STREAM));
  std::vector<const char*> argv = {prog.c_str(), dp.c_str(),   pf.c_str(), lf.c_str(),
                                   "-me=error",  sock.c_str(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, prog.c_str(), nullptr, nullptr, const_cast<char* const*>(argv.data()),
                        environ),
            0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  kill(pid, SIGTERM);
  int status = waitExit(pid, 5000);
  if (status == -1) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
  EXPECT_EQ(status, 0);
}

// Without a message level only warnings and the closing summary are printed.
TEST(Kolingest, QuietUnlessAsked)
{
  KOLTest::TempDir dir;
  std::string feed;
  for (int i = 1; i <= 20; i++) feed += frame(i, {"SAUS70 KWBC 060000", lines({"METAR", "K="})});
  KOLTest::writeFile(dir.file("feed"), feed);
  KOLTest::writeFile(dir.file("r.prd"), "S..... >> %D/s.wmo\n");
  std::string base = "cd '" + dir.path() + "' && '" + KOLTest::programPath("kolingest") +
                     "' -pf=r.prd -lf=none -dp=. feed";
  int status = -1;
  std::string out = KOLTest::run(base + " 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count(out, "\n"), 1) << out;
  EXPECT_NE(out.find("kolingest: 20 bulletins filed, 0 not selected, 0 incomplete"),
            std::string::npos)
      << out;
  out = KOLTest::run(base + " -me=out1 2>&1", &status);
  EXPECT_EQ(count(out, "SAUS70 KWBC 060000 / "), 20) << out;
}

// A products file named to the program is looked for where it was started, then on the database
// path; one found nowhere ends the program with a failure before anything is read.
TEST(Kolingest, ProductsFileFoundWhereStartedThenOnTheDatabasePath)
{
  KOLTest::TempDir dir;
  KOLTest::run("mkdir '" + dir.file("db") + "'");
  KOLTest::writeFile(dir.file("feed"), frame(1, {"SAUS70 KWBC 060000", lines({"METAR", "K="})}));
  KOLTest::writeFile(dir.file("both.prd"), "S..... >> %D/here.wmo\n");
  KOLTest::writeFile(dir.file("db/both.prd"), "S..... >> %D/db_both.wmo\n");
  KOLTest::writeFile(dir.file("db/only.prd"), "S..... >> %D/db_only.wmo\n");
  struct Case {
    const char* args;
    int status;
    const char* filed;  // the file written, or the message printed
  };
  const Case cases[] = {
      {"-prodfile=both.prd", 0, "here.wmo"},
      {"-prodfile=only.prd", 0, "db_only.wmo"},
      {"-prodfile=db/both.prd", 0, "db_both.wmo"},
      {"-prodfile=missing.prd", 1, "Product file not found"},
      {"-prodfile=none", 0, "0 bulletins filed, 1 not selected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    KOLTest::run("rm -rf '" + dir.file("out") + "'");
    int status = -1;
    std::string out =
        KOLTest::run("cd '" + dir.path() + "' && '" + KOLTest::programPath("kolingest") +
                         "' -fp=db -dp=out -lf=none " + c.args + " feed 2>&1",
                     &status);
    EXPECT_EQ(status, c.status) << out;
    std::string listed = KOLTest::run("ls '" + dir.file("out") + "' 2>/dev/null");
    if (c.status == 0 && std::string(c.filed).find(".wmo") != std::string::npos) {
      EXPECT_EQ(listed, std::string(c.filed) + "\n");
    } else {
      EXPECT_EQ(listed, "");
      EXPECT_NE(out.find(c.filed), std::string::npos) << out;
    }
  }
}

// A capture of another day is filed under its headings' day with -date (without it, under
// today's), and the filed hours then carry their date on to kolsfc by their names alone.
TEST(Kolingest, DateFilesACaptureUnderItsDay)
{
  KOLTest::TempDir dir;
  const std::string feed = std::string(KOL_SOURCE_DIR) + "/examples/metar/2020010600_sao.wmo";
  const std::string paths = "-fp=" + KOLTest::databaseDir() + " -rp=raw -cp=cvt ";
  int status = -1;
  std::string out = KOLTest::run(
      ingestCommand(dir, paths + "-prodfile=ingest.prd -lf=none -da=202001060030 " + feed),
      &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(KOLTest::run("cd '" + dir.path() + "' && ls raw/sfc"),
            "2020010600_sfc.idx\n2020010600_sfc.wmo\n");

  out = KOLTest::run("cd '" + dir.path() + "' && '" + KOLTest::programPath("kolsfc") + "' " +
                         paths + "raw/sfc/2020010600_sfc.wmo 2>&1",
                     &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("records in cvt/2020010600_sfc.cvt"), std::string::npos) << out;
  EXPECT_EQ(KOLTest::run("ls " + dir.file("cvt") + " | grep -vc '^20200'"), "0\n")
      << "every report of the capture is filed under its own hour";
}
