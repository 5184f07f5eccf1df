#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "core/NameConv.h"
#include "core/NameConvFile.h"
#include "core/Resrc.h"
#include "core/String.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

constexpr int M = Const::MISS;
const long NOW = 1705320000L;  // 2024-01-15 12:00:00

// Every test starts from "now" = NOW, quiet warnings and the repository's convention file.
class NameConvTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    Kol::init_time = NOW;
    setResource("file_path", KOLTest::databaseDir().c_str());
  }
  void TearDown() override
  {
    QuietTest::TearDown();
    Kol::init_time = M;
    for (const char* r : {"file_path", "data_path", "con_path", "raw_path", "name_conv",
                          "grid_path", "my_dir", "other_path"})
      Kol::resrc.set(r, nullptr);
    unsetenv("kolcurtime");
  }
  static void setResource(const char* name, const char* value) { Kol::resrc.set(name, value); }
  static void touch(const std::string& path) { KOLTest::writeFile(path, "x"); }
  static std::string encode(NameConv& nc, const Date& d)
  {
    String s;
    nc.encodeFile(d, s);
    return s.get();
  }
};

std::string hourName(const std::string& dir, long secs)
{
  return dir + "/" + Date(secs).format("%Y%m%d%H") + "_sfc";
}

}  // namespace

TEST_F(NameConvTest, TemplateDirectives)
{
  setResource("data_path", "/data");
  setResource("my_dir", "/mine");
  Date d(2024, 1, 15, 14, 30, 0);
  NameConv nc;
  nc.setForeTime(6);
  struct {
    const char* tmpl;
    const char* expect;
  } rows[] = {{"@%D/%Y%m%d%h_sfc", "/data/2024011514_sfc"},
              {"@%D/%Y%m%d%3h_sfc", "/data/2024011512_sfc"},
              {"@%y%m%d_%h%n", "240115_1430"},
              {"@%y%m%d_%h%20n", "240115_1420"},
              {"@%B%b.%j", "JANjan.015"},
              {"@%a_%2a_%q.%e", "KMKC_KM_0.gfs"},
              {"@f%3f_%f", "f006_6"},
              {"@%{my_dir}/{x} y%%", "/mine/x_y%"},
              {"@%{unset_dir}/a", "./a"}};
  for (auto& r : rows) {
    ASSERT_TRUE(nc.set(r.tmpl)) << r.tmpl;
    nc.setKey('a', "KMKC");
    nc.setExt("gfs");
    EXPECT_EQ(encode(nc, d), r.expect) << r.tmpl;
  }
  // The rounded values make the file date; finer fields become missing.
  nc.set("@%D/%Y%m%d%3h_sfc");
  encode(nc, d);
  Date fd;
  ASSERT_TRUE(nc.getDate(fd));
  EXPECT_EQ(fd.format("%Y-%m-%d %H:%M"), "2024-01-15 12:XX");
  // A key may be given with the type.
  nc.setPath("");
  nc.set("nosuchtype_at_all:a=KOKC:b=B1,hdr,fmt");
  EXPECT_STREQ(nc.getKey('a'), "KOKC");
}

TEST_F(NameConvTest, OffsetIsTheFinestStep)
{
  struct {
    const char* tmpl;
    int offset;
  } rows[] = {{"%Y%m%d%3h", 10800}, {"%Y%j", 86400},       {"%Y%m%d%h%n", 60},
              {"%2d%h", 3600},      {"%{data_dir}/%Y", M}, {"plain", M}};
  NameConv nc;
  for (auto& r : rows) EXPECT_EQ(nc.setOffset(r.tmpl), r.offset) << r.tmpl;
}

TEST_F(NameConvTest, NamesReadBackIntoDates)
{
  NameConv nc;
  struct {
    const char* tmpl;
    const char* name;
    const char* expect;  // "" when the name does not fit
  } rows[] = {{"%D/%Y%m%d%h_sfc", "/data/x/2024011514_sfc", "2024-01-15 14:XX"},
              {"%y%m%d_%h%n.%e", "/a/b/980115_0930.gfs", "1998-01-15 09:30"},
              {"%Y.%j", "2024.060", "2024-02-29 XX:XX"},
              {"%b%d%Y", "jan312024", "2024-01-31 XX:XX"},
              {"%a/%Y%m%d{}", "KMKC/20240115", "2024-01-15 XX:XX"},
              {"%Y%m%d %h", "20240115_06", "2024-01-15 06:XX"},
              {"%D/%Y%m%d%h_sfc", "/data/2024011514_upa", ""},
              {"%Y%m%d%h_sfc", "2024011514_sfc.bak", ""},
              {"%Y%m%d%h", "2024011", ""},
              {"%Y%m%d%h", "2024011599", ""},
              {"%Y.%j", "2023.366", ""},
              {"%Y%m%d", "20230229", ""},
              {"%y%m%d", "000229", "2000-02-29 XX:XX"},
              {"%b%Y", "xyz2024", ""}};
  for (auto& r : rows) {
    bool fits = nc.parsePath(r.name, r.tmpl);
    ASSERT_EQ(fits, r.expect[0] != 0) << r.tmpl << " " << r.name;
    if (!fits) continue;
    Date d;
    nc.getDate(d);
    EXPECT_EQ(d.format("%Y-%m-%d %H:%M"), r.expect) << r.tmpl << " " << r.name;
  }
}

TEST_F(NameConvTest, ConventionFileLookup)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("test.cnv"),
                     "# comment line long enough to be read as one\nshort line\n"
                     "sfc_cvt   %D/%Y%m%d%h_sfc.cvt   -   500,sfcfile  min=90,size=10\n"
                     "GRID_     %G/%e/%Y%m%d%h.grd    %G/%e/%Y%m%d%h.hdr  gridfile,2000  -\n"
                     "grid      %G/%Y%m%d%h.grd       -   1,grid   -\n");
  setResource("file_path", dir.path().c_str());
  setResource("name_conv", "test.cnv");

  NameConv nc;
  ASSERT_TRUE(nc.set("SFC_CVT"));
  EXPECT_STREQ(nc.getFile(), "%D/%Y%m%d%h_sfc.cvt");
  EXPECT_STREQ(nc.getFormat(), "sfcfile");
  EXPECT_EQ(nc.getMinSize(), 10);  // the parameter overrides the size column
  EXPECT_EQ(nc.getOffset(), 3600);

  ASSERT_TRUE(nc.set("grid_gfs"));  // partial match through the first prefix line
  EXPECT_STREQ(nc.getFile(), "%G/%e/%Y%m%d%h.grd");
  EXPECT_STREQ(nc.getExt(), "gfs");
  EXPECT_EQ(nc.getMinSize(), 2000);
  ASSERT_TRUE(nc.set("grid"));  // an exact line wins over an earlier prefix line
  EXPECT_STREQ(nc.getFile(), "%G/%Y%m%d%h.grd");

  // No line: the type is its own template; items 1 and 2 give header and format.
  ASSERT_TRUE(nc.set("mydata,myhdr,myfmt,min=30,size=-9999"));
  EXPECT_STREQ(nc.getFile(), "mydata");
  EXPECT_STREQ(nc.getFormat(), "myfmt");
  EXPECT_EQ(nc.getMinTime(), 30);
  EXPECT_EQ(nc.getMinSize(), M);

  // Templates cut off inside a directive are refused with a message.
  Kol::setMessageLevel("warn");
  for (const char* bad : {"@%Y%m%", "@%{data_path/x", "@%12"}) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(nc.set(bad)) << bad;
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("NameConv: incomplete directive", 0), 0u)
        << bad;
  }
  Kol::setMessageLevel("error");

  EXPECT_TRUE(nc.set("none"));
  EXPECT_FALSE(nc.hasTemplate());

  // A missing convention file: warning, template = type, result false.
  setResource("file_path", dir.file("nowhere").c_str());
  Kol::setMessageLevel("warn");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(nc.set("sfc_cvt"));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("NameConv: No file name convention file: ", 0), 0u) << err;
  EXPECT_STREQ(nc.getFile(), "sfc_cvt");
}

TEST_F(NameConvTest, FixedDates)
{
  struct {
    const char* fix;
    const char* expect;  // applied to 2024-01-15 12:00 ("now")
  } rows[] = {{"6", "2024-01-15 06:00"},         {"18", "2024-01-14 18:00"},
              {"-6", "2024-01-15 12:00"},        {"-5", "2024-01-15 10:00"},
              {"011500", "2024-01-15 00:00"},    {"021500", "2023-02-15 00:00"},
              {"2013", "2023-12-20 13:00"},      {"3d6:30", "2024-01-03 06:30"},
              {":30", "2024-01-15 11:30"},       {"-:20", "2024-01-15 12:00"},
              {"#20230704", "2023-07-04 12:00"}, {"11:45", "2024-01-15 11:45"}};
  for (auto& r : rows) {
    NameConv nc("@%Y%m%d%h%n");
    ASSERT_TRUE(nc.setFixDate(r.fix)) << r.fix;
    nc.setOutput(true);
    NameConvFile f;
    nc.setLatest("0", f);
    EXPECT_EQ(f.getDate().format("%Y-%m-%d %H:%M"), r.expect) << r.fix;
  }
  NameConv nc;
  for (const char* bad : {"32d", "x", "#20241301", "99", "1:99", "-:x"})
    EXPECT_FALSE(nc.setFixDate(bad)) << bad;
}

TEST_F(NameConvTest, LatestSearchInRealDirectory)
{
  KOLTest::TempDir dir;
  std::string d = dir.path();
  setResource("data_path", d.c_str());
  // Hourly files from 48 to 10 hours before now, a gap, files 5 and 7 hours before now,
  // and files in the future.
  for (int h = 48; h >= 10; h--) touch(hourName(d, NOW - h * 3600L));
  touch(hourName(d, NOW - 7 * 3600L));
  touch(hourName(d, NOW - 5 * 3600L));
  touch(hourName(d, NOW + 3 * 3600L));
  touch(hourName(d, NOW + 30 * 3600L));
  // Entries that carry a newer name but are no file of data: an empty file, a directory and
  // a dangling link.
  KOLTest::writeFile(hourName(d, NOW - 1 * 3600L), "");
  mkdir(hourName(d, NOW - 2 * 3600L).c_str(), 0755);
  ASSERT_EQ(symlink("/nonexistent/target", hourName(d, NOW - 3 * 3600L).c_str()), 0);

  NameConv nc("@%D/%Y%m%d%h_sfc");
  NameConvFile f;
  struct {
    const char* spec;
    int found;
    long expect;  // date of the result
  } rows[] = {{"la", 1, NOW - 5 * 3600L},
              {"la-6", 1, NOW - 11 * 3600L},
              {"la-2", 1, NOW - 7 * 3600L},
              {"-6la", 1, NOW - 7 * 3600L},
              {"#2024011500la", 1, NOW - 12 * 3600L},
              {"#2024011603", 0, NOW + 15 * 3600L},
              {"-8", 0, NOW - 8 * 3600L},
              {"1d", 1, NOW - 24 * 3600L},
              {"+la", 1, NOW + 3 * 3600L},
              {"la#4", 0, NOW - 3 * 3600L},
              {">la", 1, NOW}};
  for (auto& r : rows) {
    NameConv c = nc;
    EXPECT_EQ(c.setLatest(r.spec, f), r.found) << r.spec;
    EXPECT_EQ(f.getDate().getSeconds(), r.expect) << r.spec << " gave " << f.getFilename();
    EXPECT_EQ(std::string(f.getFilename()), hourName(d, f.getDate().getSeconds())) << r.spec;
    EXPECT_EQ(f.getOffset(), 3600);
  }
}

TEST_F(NameConvTest, LatestSearchLimitsAndPathLists)
{
  KOLTest::TempDir dir;
  std::string empty = dir.file("empty"), full = dir.file("full");
  mkdir(empty.c_str(), 0755);
  mkdir(full.c_str(), 0755);
  touch(hourName(full, NOW - 100 * 3600L));

  NameConv nc("@%D/%Y%m%d%h_sfc");
  NameConvFile f;
  // An existing empty directory: exactly the late limit of dates, one hour apart.
  nc.setPath(empty.c_str());
  nc.setLateLimit(10);
  nc.setLatest("la", f);
  EXPECT_EQ(f.getDate().getSeconds(), NOW - 9 * 3600L);
  // A missing directory stops at the first date.
  nc.setPath(dir.file("missing").c_str());
  EXPECT_FALSE(nc.setLatest("la", f));
  EXPECT_EQ(f.getDate().getSeconds(), NOW);
  // Each element of a path list in turn.
  nc.setLateLimit(500);
  nc.setPath((dir.file("missing") + ":" + empty + ":" + full).c_str());
  EXPECT_TRUE(nc.setLatest("la", f));
  EXPECT_EQ(std::string(f.getFilename()), hourName(full, NOW - 100 * 3600L));
  // The base date: the fixed current time first, then the convention's date, then
  // "kolcurtime", then the clock.
  Kol::init_time = M;
  setenv("kolcurtime", "#2024011109", 1);
  nc.setPath(full.c_str());
  EXPECT_TRUE(nc.setLatest("la", f));
  unsetenv("kolcurtime");
  nc.setLateDate(Date(NOW - 101 * 3600L));
  EXPECT_FALSE(nc.setLatest("la#1", f));
  // Bad file requests are refused with a message.
  Kol::setMessageLevel("warn");
  for (const char* bad : {"lax", "#20xx", "la-x", "zz", "la-6-", "+-"}) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(nc.setLatest(bad, f)) << bad;
    EXPECT_NE(testing::internal::GetCapturedStderr().find("NameConv: "), std::string::npos) << bad;
  }
}

// Names are compared as names: blanks, quotes and ';' in a directory change nothing.
TEST_F(NameConvTest, ListingIsSafeWithAnyDirectoryName)
{
  KOLTest::TempDir dir;
  std::vector<std::string> lists;
  for (std::string sub : {"plain", "it's \"quoted\"; rm -rf x", "star*[?] x"}) {
    std::string d = dir.file(sub);
    ASSERT_EQ(mkdir(d.c_str(), 0755), 0);
    for (int h : {0, 1, 5}) touch(hourName(d, NOW - h * 3600L));
    touch(d + "/notes.txt");
    touch(d + "/.2024011512_sfc");
    setResource("data_path", d.c_str());
    NameConv nc("@%D/%Y%m%d%h_sfc");
    KOL::Strings paths;
    String pattern;
    int n = nc.listFiles(paths, pattern);
    std::string names;
    for (int i = 0; i < n; i++) names += std::string(paths.getString(i)).substr(d.size()) + "\n";
    lists.push_back(names);
    NameConvFile f;
    EXPECT_TRUE(nc.setLatest("la-1", f)) << sub;
    EXPECT_EQ(std::string(f.getFilename()), hourName(d, NOW - 3600L));
  }
  EXPECT_EQ(lists[0], "/2024011507_sfc\n/2024011511_sfc\n/2024011512_sfc\n");
  for (const auto& l : lists) EXPECT_EQ(l, lists[0]);
}
