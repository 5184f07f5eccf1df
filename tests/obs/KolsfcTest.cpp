// kolsfc: bulletins filed into surface files of each observation hour, the variants, the
// listing, and the rules for reports repeated in the feed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/SfcUniFile.h"

namespace {

std::string kolsfc(const std::string& args, int* status)
{
  return KOLTest::run(KOLTest::programPath("kolsfc") + " " + args + " 2>&1", status);
}

int rows(const std::string& csv)
{
  int n = -1;  // the header row
  for (char c : csv) n += c == '\n';
  return n;
}

// The cell of a column in the CSV row of a station ("?" when there is none).
std::string cell(const std::string& csv, const std::string& id, const std::string& column)
{
  using KOL::SfcUniFile;
  std::vector<std::string> names = SfcUniFile::splitRow(csv.substr(0, csv.find('\n')));
  size_t row = csv.find("\n" + id + ",");
  if (row == std::string::npos) return "?";
  size_t end = csv.find('\n', row + 1);
  std::vector<std::string> cells = SfcUniFile::splitRow(csv.substr(row + 1, end - row - 1));
  for (size_t i = 0; i < names.size() && i < cells.size(); ++i)
    if (names[i] == column) return cells[i];
  return "?";
}

TEST(KolsfcTest, FeedIntoEveryVariantAndList)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  std::string feed = KOLTest::dataFile("metar/metpy_2020010600_sao.wmo");
  std::string reference;
  for (const char* type : {"kol", "xmlc"}) {
    std::string out = dir.file(std::string("obs.") + type);
    int status = -1;
    kolsfc("-date=202001060030 -type=" + std::string(type) + " -cvt=" + out + " " + feed, &status);
    ASSERT_EQ(status, 0) << type;
    std::string csv = kolsfc("-list -out=csv " + out, &status);
    EXPECT_EQ(status, 0);
    EXPECT_GT(rows(csv), 5000) << type;
    EXPECT_NEAR(std::stof(cell(csv, "KMYJ", "temp.C")), 6, 0.03) << type;
    if (reference.empty()) reference = csv;
    EXPECT_EQ(rows(csv), rows(reference)) << type;
  }
  // Hour files named by the convention, under the converted data path.
  int status = -1;
  kolsfc(
      "-date=202001060030 -fp=" + KOLTest::databaseDir() + " -con_path=" + dir.path() + " " + feed,
      &status);
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(KOLTest::readFile(dir.file("2020010600_sfc.cvt")).empty());
}

TEST(KolsfcTest, RepeatedReportsAndCorrections)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("feed.txt"),
                     "SMRO01 YRBK 171200\nAAXX 17121\n"
                     "15015 01597 71702 10057 20036 39390 42628 50004 60021 78082 87300=\n"
                     "15020 02597 61303 10104 20040 39783 49976 58007 60001 83570=\n"
                     "SMRO01 YRBK 171200 CCA\nAAXX 17121\n"
                     "15015 01597 71702 10077 20036 39390 42628 50004 60021 78082 87300=\n"
                     "SMRO01 YRBK 171200 RRA\nAAXX 17121\n"
                     "15020 02597 61303 1//// 20040 39783 49976 58007 60001 83570 333 10150=\n"
                     "SMRO01 YRBK 171200 CCA\nAAXX 17121\n"
                     "15090 02597 72003 10109 20036 39904 49994 56010 60001 83571=\n"
                     "SAUS70 KWBC 171300\nMETAR\nKABC 171251Z 27015KT 10SM CLR 10/M10 A3002=\n"
                     "KABC 171258Z 27010KT 10SM CLR 11/M10=\n");
  int status = -1;
  std::string out = dir.file("obs.xml");
  kolsfc("-date=202301171200 -type=xml -cvt=" + out + " " + dir.file("feed.txt"), &status);
  ASSERT_EQ(status, 0);
  std::string csv = kolsfc("-list -out=csv " + out, &status);
  EXPECT_EQ(rows(csv), 4) << csv;
  EXPECT_EQ(cell(csv, "15015", "temp.C"), "7.7");   // the correction replaces
  EXPECT_EQ(cell(csv, "15020", "temp.C"), "10.4");  // a repeat fills only gaps
  EXPECT_EQ(cell(csv, "15020", "maxt.C"), "15");
  EXPECT_EQ(cell(csv, "15090", "temp.C"), "10.9");  // a correction without an original
  EXPECT_EQ(cell(csv, "KABC", "temp.C"), "11");     // the later report of the hour
  EXPECT_EQ(cell(csv, "KABC", "alt.in"), "30.02");  // keeps what it lacks
  EXPECT_EQ(cell(csv, "KABC", "time.hhmm"), "?");
}

}  // namespace
