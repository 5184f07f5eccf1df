// Resource files: entry patterns, tags and condition blocks, quoting, and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/ResrcFile.h"
#include "core/String.h"

using namespace KOL;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Warnings on; the message mask is restored afterwards.
class ResrcFileTest : public ::testing::Test {
 protected:
  void SetUp() override { Kol::setMessageLevel(Kol::WARN); }

  // Every entry get() returns for the given file text, read by file.
  Entries read(ResrcFile& file, const std::string& text, const char* name = "a.cfg")
  {
    std::string path = dir_.file(name);
    KOLTest::writeFile(path, text);
    EXPECT_EQ(file.open(path.c_str()), 1);
    Entries out;
    String pattern, value;
    while (file.get(pattern, value) == 1) out.emplace_back(pattern.get(), value.get());
    EXPECT_EQ(file.get(pattern, value), -1);  // stays at the end
    file.close();
    return out;
  }
  Entries read(const std::string& text)
  {
    ResrcFile file;
    file.set("demo", "demo");
    return read(file, text);
  }

  KOLTest::QuietScope restore_;
  KOLTest::TempDir dir_;
};

TEST_F(ResrcFileTest, PatternsSelectProgramsAndInstances)
{
  struct Case {
    const char* prog;
    const char* name;
    const char* resource;
    const char* pattern;
    bool match;
  } cases[] = {{"demo", "demo", "plot_domain", "*.plot_domain", true},
               {"demo", "demo", "plot_domain", "demo.plot_domain", true},
               {"demo", "demo", "plot_domain", "plot_domain", false},
               {"demo", "demo", "plot_domain", "other.plot_domain", false},
               {"demo", "demo", "grid_domain", "*_domain", true},
               {"demo", "demo", "plot_domain", "*.plot", false},  // must end together
               {"demo", "demo", "plot_domain", "d*.plot_domain", true},
               {"demo", "demo", "plot_domain", "*", false},
               {"demo", "demo", "plot_domain", "Demo.plot_domain", false},  // case-sensitive
               {"demo", "east", "title", "east.title", true},
               {"demo", "east", "title", "demo.title", false},
               {"demo", "+west", "title", "demo.west.title", true},
               {"demo", "+west", "title", "demo.title", false},
               {"demo", "", "title", "demo.title", true},
               // The first occurrence is taken, without trying later ones.
               {"demo", "demo", "aa", "*a", false},
               {"demo", "demo", "title", "**.title", true}};
  for (const Case& c : cases) {
    ResrcFile file;
    file.set(c.prog, c.name);
    EXPECT_EQ(file.compare(c.resource, c.pattern), c.match)
        << c.prog << " " << c.name << " " << c.resource << " " << c.pattern;
  }

  ResrcFile file;
  file.set("demo", "demo");
  EXPECT_TRUE(file.valid("demo.title"));
  EXPECT_FALSE(file.valid("title"));
  EXPECT_FALSE(file.valid("kolres.title"));
  String name;
  ResrcFile::parseName("demo*title", name);
  EXPECT_STREQ(name.get(), "title");
}

TEST_F(ResrcFileTest, LinesWordsAndQuotes)
{
  Entries got = read(
      "# comment\n\n   \t \n*.Plot_Domain: nh  ignored words\n"
      "*.title \"libkol  demonstration\" tail\n*.unquoted two words\n*.open \"runs to the end  \n"
      "*.empty \"\"\nlonely\n  demo.indented\tvalue\r\ndemo.crlf \"quoted\"\r\nlast.line noeol");
  Entries want = {{"*.plot_domain", "nh"}, {"*.title", "libkol  demonstration"},
                  {"*.unquoted", "two"},   {"*.open", "runs to the end  "},
                  {"*.empty", ""},         {"demo.indented", "value"},
                  {"demo.crlf", "quoted"}, {"last.line", "noeol"}};
  EXPECT_EQ(got, want);
}

TEST_F(ResrcFileTest, TagsAndConditionBlocks)
{
  testing::internal::CaptureStderr();
  // After a true branch, later ELIFs are done for ever; DEF acts in a false block too; ELIF
  // without a tag is ignored, and V6 is always true only for IF.
  Entries got = read(
      "DEF site\nif site\na.x 1\nelif other\na.x 2\nelse\na.x 3\nend\nIF nosuch\n  a.y 1\n"
      "  ELIF site\n  a.y 2\n  if v6\n    a.z 1\n  else\n    a.z 2\n  end\n  ELIF site\n"
      "  a.y 3\n  ELSE\n  a.y 4\nEND\nif nosuch\n  def inner\n"
      "else\n  a.w 1\nend\nif inner\na.v 1\nend\nundef inner\nundef neverdefined\n"
      "if inner\na.v 2\nelif\na.v 3\nend\nif nosuch\nelif V6\na.s 1\nend\nif\n"
      "a.u 1\nelse\nend\nend\nelif site\na.t 1\n");
  std::string err = testing::internal::GetCapturedStderr();
  Entries want = {{"a.x", "1"}, {"a.y", "2"}, {"a.z", "1"}, {"a.w", "1"},
                  {"a.v", "1"}, {"a.u", "1"}, {"a.t", "1"}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(err,
            "ResrcFile::get: else without an if\nResrcFile::get: end without an if\n"
            "ResrcFile::get: end without an if\nResrcFile::get: elif without an if\n");
}

TEST_F(ResrcFileTest, TagsAndOpenBlocksCarryOverToTheNextFile)
{
  ResrcFile file;
  file.set("demo", "demo");
  EXPECT_EQ(read(file, "def winter\nif summer\n", "one.cfg"), Entries{});
  testing::internal::CaptureStderr();
  EXPECT_EQ(read(file, "a.x 1\nelse\na.y 1\nend\nif winter\na.z 1\nend\n", "two.cfg"),
            (Entries{{"a.y", "1"}, {"a.z", "1"}}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  // At most ten tags, each cut to 19 characters.
  ResrcFile tags;
  for (int i = 0; i < 9; i++) EXPECT_EQ(tags.setTag(("t" + std::to_string(i)).c_str()), 1);
  EXPECT_EQ(tags.setTag("t0"), 1);  // already there
  EXPECT_EQ(tags.setTag("a_rather_long_tag_name_here"), 1);
  EXPECT_EQ(tags.setTag("t10"), 0);
  EXPECT_TRUE(tags.isTag("a_rather_long_tag_nXXX"));
  EXPECT_FALSE(tags.isTag("t10"));
}

TEST_F(ResrcFileTest, DeepNestingIsRefusedAndTheBlockSkipped)
{
  std::string text;
  for (int i = 0; i < ResrcFile::MAX_DEPTH; i++) text += "if v6\n";
  text += "a.deepest 12\n";
  for (int i = 0; i < 3; i++) text += "if v6\nelse\n";  // refused, with their else lines
  text += "a.refused 1\n";
  for (int i = 0; i < 3; i++) text += "end\n";
  text += "a.back 12\n";
  for (int i = 0; i < ResrcFile::MAX_DEPTH; i++) text += "end\n";
  text += "a.outside 0\n";
  testing::internal::CaptureStderr();
  Entries got = read(text);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(got, (Entries{{"a.deepest", "12"}, {"a.back", "12"}, {"a.outside", "0"}}));
  EXPECT_NE(err.find("if nested deeper than 12 levels"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

  // A hostile file of nothing but IF lines costs no memory and reports once.
  testing::internal::CaptureStderr();
  std::string ifs;
  for (int i = 0; i < 100000; i++) ifs += "if v6\n";
  EXPECT_EQ(read(ifs + "a.b c\n"), Entries{});
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("100000 if without an end"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
}

TEST_F(ResrcFileTest, LongLinesAreCutAndNulBytesEndTheFile)
{
  std::string longWord(60, 'p');
  std::string huge(100000, 'x');
  testing::internal::CaptureStderr();
  Entries got = read("*." + longWord + " v\n" + "*.quoted \"" + huge + "\"\n" + "*.next ok\n");
  std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].first, "*." + longWord.substr(0, 47));
  EXPECT_EQ(got[1].second, huge.substr(0, 249));
  EXPECT_EQ(got[2], (std::pair<std::string, std::string>{"*.next", "ok"}));
  EXPECT_NE(err.find("a.cfg:2: line cut"), std::string::npos) << err;

  // Binary input stops at the first NUL.
  testing::internal::CaptureStderr();
  got = read(std::string("a.x 1\na.y \0 2\na.z 3\n", 20));
  err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(got, (Entries{{"a.x", "1"}}));
  EXPECT_NE(err.find("a.cfg:2: NUL byte"), std::string::npos) << err;
}

TEST_F(ResrcFileTest, OpeningFilesAndDirectories)
{
  ResrcFile file;
  EXPECT_EQ(file.open(dir_.file("missing.cfg").c_str()), 0);

  // A directory: kol.cfg, else .koldef, else Kol.res.
  EXPECT_EQ(file.open(dir_.path().c_str()), 0);
  KOLTest::writeFile(dir_.file("Kol.res"), "*.from res\n");
  ASSERT_EQ(file.open(dir_.path().c_str()), 1);
  EXPECT_EQ(std::string(file.getPath()), dir_.file("Kol.res"));
  KOLTest::writeFile(dir_.file(".koldef"), "*.from koldef\n");
  ASSERT_EQ(file.open((dir_.path() + "/").c_str()), 1);
  EXPECT_EQ(std::string(file.getPath()), dir_.file(".koldef"));
  KOLTest::writeFile(dir_.file("kol.cfg"), "*.from cfg\n");
  ASSERT_EQ(file.open(dir_.path().c_str()), 1);
  EXPECT_EQ(std::string(file.getPath()), dir_.file("kol.cfg"));
  file.close();

  // A command is never run as a resource file.
  std::string marker = dir_.file("ran");
  testing::internal::CaptureStderr();
  EXPECT_EQ(file.open(("|touch " + marker).c_str()), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ResrcFile::open: "), std::string::npos);
  EXPECT_EQ(KOLTest::run("test -e '" + marker + "' && echo ran"), "");
}

TEST_F(ResrcFileTest, ReadFilePutsTheEntriesMeantForTheProgram)
{
  std::string path = dir_.file("kol.cfg");
  KOLTest::writeFile(path,
                     "*.message warn\ndemo.title \"a title\"\nother.title no\ntitle no\n"
                     "+inst.title no\n");
  Resrc r;
  r.add("prog", "demo", Resrc::LIBRARY);
  r.add("name", "demo", Resrc::LIBRARY);
  ResrcFile file(r);
  ASSERT_EQ(file.readFile(r, path.c_str()), 1);
  EXPECT_STREQ(r.get("message"), "warn");
  EXPECT_STREQ(r.get("title"), "a title");
  EXPECT_EQ(r.getType("title"), Resrc::PROGRAM);
  EXPECT_EQ(r.getNum(), 4);
  EXPECT_EQ(file.readFile(r, dir_.file("none").c_str()), 0);
}

}  // namespace
