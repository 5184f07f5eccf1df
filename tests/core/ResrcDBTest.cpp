// Building the process-wide database: precedence of program name, resource files, environment
// and command line; abbreviations; positional options; help text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

class ResrcDBTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    Kol::resrc.clear();
    KolResrc::add(keyed_, KolResrc::HELP_GROUP);
    KolResrc::add(keyed_, KolResrc::TIME_GROUP);
    KolResrc::add(keyed_, KolResrc::find("plot_domain"));
    KolResrc::add(keyed_, KolResrc::find("title"));
    KolResrc::add(keyed_, KolResrc::find("file_path"));
    KolResrc::add(positional_, KolResrc::find("filename"));
  }
  void TearDown() override
  {
    Kol::resrc.clear();
    for (const std::string& n : env_) unsetenv(n.c_str());
  }
  void setenv(const char* name, const char* value)
  {
    ::setenv(name, value, 1);
    env_.push_back(name);
  }
  // Runs create for "/usr/bin/demo args...", reading resource files from dir_ only unless the
  // arguments or environment name others.
  void create(std::vector<std::string> args, bool searchDir = true)
  {
    args.insert(args.begin(), "/usr/bin/demo");
    if (searchDir) args.push_back("-df=" + dir_.path());
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    Strings strings((int)argv.size(), argv.data());
    ASSERT_EQ(ResrcDB::create(strings, keyed_, positional_), 1);
  }
  std::string value(const char* name) { return Kol::resrc.get(name, "(missing)"); }
  int type(const char* name) { return Kol::resrc.getType(name); }
  std::string origin(const char* name)
  {
    return Kol::resrc.get(name) ? Kol::resrc.getOrigin(name) : "";
  }

  KOLTest::QuietScope restoreMessages_;
  KOLTest::DatabaseScope restoreDatabase_;
  KOLTest::TempDir dir_;
  ResrcDBList keyed_, positional_;
  std::vector<std::string> env_;
};

TEST_F(ResrcDBTest, CommandLineKeysAbbreviationsAndPositions)
{
  testing::internal::CaptureStdout();
  create({"-pd=us", "-me=debug", "file1", "file2", "file3"});
  std::string listing = testing::internal::GetCapturedStdout();
  EXPECT_EQ(value("plot_domain"), "us");
  EXPECT_EQ(value("message"), "debug");
  EXPECT_EQ(value("filename"), "file1\nfile2\nfile3");
  EXPECT_EQ(value("name"), "demo");
  EXPECT_STREQ(Kol::getProgramName(), "demo");
  EXPECT_TRUE(Kol::isDebug(8));  // "message" was applied, and the database listed
  EXPECT_NE(listing.find("plot_domain (cmd): us\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("prog: demo\n"), std::string::npos) << listing;

  Kol::resrc.clear();
  create({"-pd", "us", "-title", "-me=warn", "-plot_d=eu", "-zz=1", "--ho", "6", "-h"});
  EXPECT_EQ(value("plot_domain"), "eu");  // a prefix of the name, given later
  EXPECT_EQ(value("title"), "");          // present without a word
  EXPECT_EQ(value("zz"), "1");            // undeclared keys become resources too
  EXPECT_EQ(value("hour"), "6");
  EXPECT_EQ(value("help"), "");  // the abbreviation "h" wins over "hour"
  EXPECT_FALSE(Kol::checkMessage(Kol::MESS));
  EXPECT_TRUE(Kol::checkMessage(Kol::WARN));

  // A prefix takes the first declared option it begins: help before hour.
  Kol::resrc.clear();
  create({"-he", "-cu=2", "-c=3", "-n=ignored", "-dfx=ignored", "--", "-x"});
  EXPECT_EQ(value("help"), "");
  EXPECT_EQ(value("current"), "3");
  EXPECT_EQ(value("dfx"), "(missing)");
  EXPECT_EQ(value("x"), "");
}

TEST_F(ResrcDBTest, PositionalOptions)
{
  positional_.init();
  positional_.add("input", "kolinput", nullptr, "input       Input");
  positional_.add("output", "koloutput", nullptr, "output      Output");
  create({"a", "-pd=x", "b", "c", "d"});
  EXPECT_EQ(value("input"), "a");
  EXPECT_EQ(value("output"), "b\nc\nd");

  // A value from a file or the environment is replaced, not extended.
  Kol::resrc.clear();
  KOLTest::writeFile(dir_.file("kol.cfg"), "*.output fromfile\n");
  setenv("kolinput", "fromenv");
  create({"x", "y"});
  EXPECT_EQ(value("input"), "x");
  EXPECT_EQ(value("output"), "y");
  Kol::resrc.clear();
  create({});
  EXPECT_EQ(value("input"), "fromenv");
  EXPECT_EQ(value("output"), "fromfile");

  // Without positional options the arguments are dropped.
  Kol::resrc.clear();
  positional_.init();
  KOLTest::writeFile(dir_.file("kol.cfg"), "");
  create({"lost", "-pd=k"});
  EXPECT_EQ(value("plot_domain"), "k");
  EXPECT_EQ(Kol::resrc.getNum(), 4);  // prog, name, default, plot_domain
}

TEST_F(ResrcDBTest, FilesThenEnvironmentThenCommandLine)
{
  KOLTest::writeFile(dir_.file("kol.cfg"),
                     "*.plot_domain: nh\ndemo.title \"libkol demonstration\"\n*.hour 12\n"
                     "other.hour 1\nmessage warn\n*.undeclared yes\ndemo.file_path /tmp/kol-db\n");
  create({});
  EXPECT_EQ(value("plot_domain"), "nh");
  EXPECT_EQ(type("plot_domain"), Resrc::RESFILE);
  EXPECT_EQ(origin("plot_domain"), dir_.file("kol.cfg"));
  EXPECT_EQ(value("title"), "libkol demonstration");
  EXPECT_EQ(value("hour"), "12");
  EXPECT_EQ(value("message"), "(missing)");
  EXPECT_EQ(value("undeclared"), "yes");
  EXPECT_STREQ(Kol::getDatabasePath(), "/tmp/kol-db");

  Kol::resrc.clear();
  setenv("kolpltdom", "us");
  setenv("kol_demo_hour", "18");
  setenv("kolundeclared", "no");  // only declared options are looked up
  create({});
  EXPECT_EQ(value("plot_domain"), "us");
  EXPECT_EQ(origin("plot_domain"), "kolpltdom");
  EXPECT_EQ(value("hour"), "18");
  EXPECT_EQ(origin("hour"), "kol_demo_hour");
  EXPECT_EQ(value("undeclared"), "yes");

  Kol::resrc.clear();
  create({"-pd=eu"});
  EXPECT_EQ(value("plot_domain"), "eu");
  EXPECT_EQ(type("plot_domain"), Resrc::CMDLINE);
}

TEST_F(ResrcDBTest, SearchListTagsAndInstanceNames)
{
  KOLTest::TempDir second;
  KOLTest::writeFile(dir_.file("kol.cfg"),
                     "if winter\n*.title cold\nelse\n*.title warm\nend\ndef seen_first\n"
                     "east.level 500\ndemo.east.level 700\n");
  KOLTest::writeFile(second.file(".koldef"), "if seen_first\n*.time later\nend\n");
  std::string list = "+winter:" + dir_.path() + ":" + dir_.file("missing") + ":" + second.path();
  create({"-df", list}, false);
  EXPECT_EQ(value("title"), "cold");
  EXPECT_EQ(value("time"), "later");
  EXPECT_EQ(origin("time"), second.file(".koldef"));
  EXPECT_EQ(value("default"), list);
  EXPECT_EQ(value("level"), "(missing)");

  // The search list from the environment; -na selects an instance's entries.
  Kol::resrc.clear();
  setenv("koldefault", dir_.path().c_str());
  create({"-na=east"}, false);
  EXPECT_EQ(type("default"), Resrc::ENVIRON);
  EXPECT_EQ(value("title"), "warm");
  EXPECT_EQ(value("level"), "500");

  Kol::resrc.clear();
  create({"--name", "+east"}, false);
  EXPECT_EQ(value("level"), "700");
}

}  // namespace
