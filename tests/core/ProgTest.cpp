#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Message.h"
#include "core/Prog.h"
#include "core/Resrc.h"
#include "core/String.h"

using namespace KOL;

namespace {

// Restores the frame's state and standard input after each test.
class ProgTest : public ::testing::Test {
 protected:
  void SetUp() override { stdin_ = dup(0); }
  void TearDown() override
  {
    Kol::init_time = KOL::Const::MISS;
    Kol::setDatabasePath("");
    for (const char* r :
         {"message", "file_path", "cur_time", "title", "answer", "color", "help", "prog"})
      Kol::resrc.set(r, nullptr);
    unsetenv("koldefault");
    dup2(stdin_, 0);
    close(stdin_);
    clearerr(stdin);
  }
  // Standard input reads text from now on.
  void input(const std::string& text)
  {
    KOLTest::writeFile(dir_.file("stdin"), text);
    ASSERT_NE(std::freopen(dir_.file("stdin").c_str(), "r", stdin), nullptr);
  }
  KOLTest::QuietScope restore_;  // the mask as it was, after each test
  KOLTest::TempDir dir_;
  int stdin_ = -1;
};

}  // namespace

TEST_F(ProgTest, ResourceFilesWithoutCommandLine)
{
  KOLTest::TempDir a, b;
  KOLTest::writeFile(a.file("kol.cfg"),
                     "*.title  \"first title\"\ndemo.color red\nother.color blue\n"
                     "IF night\n*.answer dark\nELSE\n*.answer light\nEND\n*.message warn\n");
  KOLTest::writeFile(b.file("kol.cfg"), "*.file_path /db/dir\n*.cur_time #202401151230\n");
  std::string list = a.path() + ":" + b.path() + ":" + a.file("missing");
  EXPECT_EQ(Prog::readResrcFile("demo", "demo", "night", list.c_str()), 2);
  EXPECT_STREQ(Kol::resrc.get("title"), "first title");
  EXPECT_STREQ(Kol::resrc.get("color"), "red");
  EXPECT_STREQ(Kol::resrc.get("answer"), "dark");
  // Afterwards the frame takes the message level, database path and fixed time.
  EXPECT_TRUE(Kol::checkMessage(Kol::WARN));
  EXPECT_FALSE(Kol::checkMessage(Kol::MESS));
  EXPECT_STREQ(Kol::getDatabasePath(), "/db/dir");
  EXPECT_EQ(Kol::init_time, 1705321800L);

  // Without defaults the environment gives the list.
  Kol::resrc.set("answer", nullptr);
  setenv("koldefault", a.path().c_str(), 1);
  EXPECT_EQ(Prog::readResrcFile("demo"), 1);
  EXPECT_STREQ(Kol::resrc.get("answer"), "light");
}

TEST_F(ProgTest, PromptAndSetCommands)
{
  input("set title=Hello World\n\nset   color == green  \nanswer text   \nnext\n");
  char buffer[64];
  testing::internal::CaptureStdout();
  ASSERT_TRUE(Prog::prompt("> ", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "answer text");
  KOL::String next;
  ASSERT_TRUE(Prog::prompt("again: ", next));
  EXPECT_STREQ(next.get(), "next");
  EXPECT_FALSE(Prog::prompt("end: "));  // end of input
  std::string shown = testing::internal::GetCapturedStdout();
  EXPECT_EQ(shown, "> > > > again: end: ");
  EXPECT_STREQ(Kol::resrc.get("title"), "Hello World");
  EXPECT_STREQ(Kol::resrc.get("color"), "green");

  EXPECT_EQ(Prog::setCommand("settle"), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(Prog::setCommand("set"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Set resources\n", 0), 0u);

  // A line longer than the buffer is cut, and its rest is not the next answer.
  input("abcdefghijklmnopqrstuvwxyz\nshort\n");
  char small[8];
  ASSERT_TRUE(Prog::prompt("", small, sizeof small));
  EXPECT_STREQ(small, "abcdef");
  ASSERT_TRUE(Prog::prompt("", small, sizeof small));
  EXPECT_STREQ(small, "short");
}

TEST_F(ProgTest, MessageLevelsSelectGroups)
{
  Message m("mess");
  EXPECT_TRUE(m.check(0x800));
  EXPECT_FALSE(m.check(0x1000));
  m.set("messb");
  EXPECT_TRUE(m.check(0x200));
  EXPECT_FALSE(m.check(0x100));
  struct {
    const char* spec;
    uint64_t mask;
  } rows[] = {{"none", 0},
              {"warn", 0xFF},
              {"out2", 0xFFFFF},
              {"warn,+out1", 0xF0FF},
              {"debug,-out3", 0xFF0FFFFF},
              {"errora", 0x10},
              {"printd", 0x8},
              {"mess,+debuga", 0x10000FFF}};
  Kol::setMessageLevel("none");
  for (auto& r : rows) {
    Message msg;
    msg.set(r.spec);
    EXPECT_EQ(msg.get(), r.mask) << r.spec;
  }
  EXPECT_EQ(Message("bogus").get(), Message::DEFAULT_MASK);
}

TEST_F(ProgTest, MessageOutputAndLogs)
{
  Message m("mess,nopage");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.print(0x100, "info %d\n", 1), 1);
  EXPECT_EQ(m.print(0x1000, "hidden\n"), 0);
  EXPECT_EQ(m.print(0x10 | 0x40, "problem\n"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "info 1\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "problem\n");

  std::string log = dir_.file("log.txt");
  KOLTest::writeFile(log, "old\n");
  m.set(("-fi=" + log).c_str());  // emptied, terminal and log
  testing::internal::CaptureStdout();
  m.print(0x100, "one\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "one\n");
  EXPECT_EQ(KOLTest::readFile(log), "one\n");

  m.set(("fi=" + log).c_str());  // appended, log only
  testing::internal::CaptureStdout();
  EXPECT_EQ(m.print(0x100, "two\n"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(KOLTest::readFile(log), "one\ntwo\n");

  std::string dated = dir_.file("dated.txt");
  m.set(("@fi=" + dated + ",nopage").c_str());
  testing::internal::CaptureStdout();
  m.print(0x100, "three\n");
  testing::internal::GetCapturedStdout();
  std::string text = KOLTest::readFile(dated);
  EXPECT_NE(text.find(" -- three\n"), std::string::npos) << text;

  // A deferred log is opened for each message, so it may be moved away in between.
  std::string deferred = dir_.file("deferred.txt");
  m.set(("dfi=" + deferred).c_str());
  testing::internal::CaptureStdout();
  m.print(0x100, "four\n");
  std::remove(deferred.c_str());
  m.print(0x100, "five\n");
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(KOLTest::readFile(deferred), "five\n");
}
