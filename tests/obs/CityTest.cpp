#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "obs/CityData.h"
#include "obs/CityFile.h"
#include "obs/CityHash.h"
#include "obs/CityTool.h"

using KOL::CityData;
using KOL::CityFile;
using KOL::CityHash;
using KOL::CityHashData;
using KOL::CityTool;
using KOL::Kol;
using KOL::Strings;

namespace {

constexpr float MISS = KOL::Const::FMISS;

const char* const TABLE =
    "# name state country id priority lat lon elev wmo seq\n"
    "Chicago_O'Hare_Inter IL US KORD      2  41.9833  -87.9167    204 72530 1\n"
    "\n"
    "Denver_International CO US KDEN      *3 39.8667 -104.6667   1655 72565 2\n"
    "Christchurch         -- NZ NZCH      1 -43.4833  172.5500     38 93780 3\n"
    "Second_Chicago       IL US KORD      5  40.0000  -80.0000      1 72531 4\n"
    "Nowhere              -- -- XXXX      6  10.0000   10.0000   9500 99999\n"
    "Coded                -- -- ABCD      6 -10.0000  -10.0000      0 C6123 6\n"
    "Buoy                 -- -- 41001     9  34.7000  -72.7000      0 99999 7\n"
    "bad line\n";

// A station table in a scratch database directory, used for one test.
class CityTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    saved_ = Kol::getDatabasePath();
    KOLTest::writeFile(dir_.file("test.cty"), TABLE);
    Kol::setDatabasePath(dir_.path().c_str());
  }
  void TearDown() override
  {
    Kol::setDatabasePath(saved_.c_str());
    Kol::resrc.clear();
  }

  KOLTest::TempDir dir_;
  std::string saved_;
};

TEST(CityDataTest, DecodesTableLines)
{
  CityData d;
  ASSERT_EQ(d.decode("Chicago_O'Hare_Inter IL US KORD 2 41.9833 -87.9167 204 72530 17"), 1);
  EXPECT_EQ(std::string(d.name) + "/" + d.state + "/" + d.country + "/" + d.id + "/" + d.wmo,
            "Chicago_O'Hare_Inter/IL/US/KORD/72530");
  EXPECT_FLOAT_EQ(d.lat, 41.9833f);
  EXPECT_FLOAT_EQ(d.lon, -87.9167f);
  struct {
    const char* line;
    int ok, priority;
    float elev;
    const char* wmo;
    int seq;
  } cases[] = {
      {"A -- -- ID *3 1 2 3 12345 4", 1, 3, 3, "12345", 4},  // "*3" is priority 3
      {"A -- -- ID x 1 2 9500 99999 4", 1, 9, MISS, "", 4},  // no digit: default priority
      {"A -- -- ID 0 1 2 3 12345", 1, 0, 3, "12345", 0},     // no sequence number
      {"A -- -- ID 4 1 2", 1, 4, MISS, "", 0},               // position only
      {"A -- -- ID 4 1", 0, 9, MISS, "", 0},                 // no longitude
      {"# comment", 0, 9, MISS, "", 0},
      {"   ", 0, 9, MISS, "", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(d.decode(c.line), c.ok) << c.line;
    EXPECT_EQ(d.priority, c.priority) << c.line;
    EXPECT_EQ(d.elev, c.elev) << c.line;
    EXPECT_STREQ(d.wmo, c.wmo) << c.line;
    EXPECT_EQ(d.seq, c.seq) << c.line;
  }
  EXPECT_EQ(d.decode(nullptr), 0);
  // Fields are read by width: the rest of an overlong name shifts every later field.
  EXPECT_EQ(d.decode("A_name_much_longer_than_twenty -- -- ID 1 2 3"), 0);
  ASSERT_EQ(d.decode("Name -- -- ID 1 2 3"), 1);
  EXPECT_STREQ(d.country, "");  // "--" stands for no state or country
}

TEST(CityToolTest, IdentifierAndWmoKeys)
{
  char id[CityData::ID_SIZE], wmo[CityData::WMO_SIZE];
  for (auto [text, key] :
       {std::pair{"kord", "KORD"}, {"ABCDEFGHIJKL", "ABCDEFGHI"}, {"EGLL 041850Z", "EGLL"}}) {
    EXPECT_EQ(CityTool::toId(text, id), 1);
    EXPECT_STREQ(id, key);
  }
  EXPECT_EQ(CityTool::toId("", id), 0);

  struct {
    const char* text;
    int ok;
    const char* key;
  } cases[] = {{"72530", 1, "72530"}, {"c6123", 1, "C6123"}, {"CC123", 1, "CC123"},
               {"99999", 0, ""},      {"7253", 0, ""},       {"725301", 0, ""},
               {"1A234", 0, ""},      {"AB12C", 0, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(CityTool::toWmo(c.text, wmo), c.ok) << c.text;
    EXPECT_STREQ(wmo, c.key) << c.text;
  }
}

TEST(CityToolTest, PatternListsSelectStations)
{
  CityData kord, nzch;
  kord.decode("Chicago IL US KORD 2 41.98 -87.92 204 72530 1");
  nzch.decode("Christchurch -- NZ NZCH 1 -43.48 172.55 38 93780 3");
  struct {
    const char* list;
    bool kord, nzch;
  } cases[] = {{"", true, true},       {"K", true, false},          {"NZ??", false, true},
               {"st=il", true, false}, {"co=NZ,co=US", true, true}, {"wmo=72", true, false},
               {"!KORD", false, true}, {"K,!st=IL", false, false},  {"wmo=", true, true},
               {"KDEN", false, false}};
  for (const auto& c : cases) {
    Strings patterns(c.list, ',');
    EXPECT_EQ(CityTool::compareData(patterns, kord), c.kord) << c.list;
    EXPECT_EQ(CityTool::compareData(patterns, nzch), c.nzch) << c.list;
  }
}

TEST_F(CityTest, SequentialSearchStopsAtTheFirstMatch)
{
  CityData d;
  // The line each key finds (0: none; 99999 is stored as no WMO number).
  for (auto [key, seq] :
       {std::pair{"kord", 1}, {"christchurch", 3}, {"72565", 2}, {"99999", 0}, {"EGLL", 0}}) {
    EXPECT_EQ(CityTool::search("test.cty", key, d), seq != 0) << key;
    EXPECT_EQ(seq ? d.seq : 0, seq) << key;
  }
  EXPECT_EQ(CityTool::search("missing.cty", "KORD", d), 0);
  float lat = 0, lon = 0;
  EXPECT_EQ(CityTool::locate("test.cty", "KDEN", lat, lon), 1);
  EXPECT_FLOAT_EQ(lat, 39.8667f);
  EXPECT_FLOAT_EQ(lon, -104.6667f);

  // A written table reads back line for line.
  {
    CityFile out(dir_.file("copy.cty").c_str(), 1);
    ASSERT_TRUE(out.isOpen());
    CityFile in(dir_.file("test.cty").c_str());
    while (in.read(d)) EXPECT_EQ(out.write(d), 1);
  }
  EXPECT_EQ(CityTool::search("copy.cty", "c6123", d), 1);
  EXPECT_STREQ(d.id, "ABCD");
  EXPECT_EQ(d.seq, 6);

  CityFile file(dir_.file("test.cty").c_str());
  ASSERT_TRUE(file.isOpen());
  EXPECT_EQ(file.getNum(), static_cast<int>(std::string(TABLE).size() / 59));
  int n = 0;
  while (file.read(d)) n++;
  EXPECT_EQ(n, 7);
}

TEST_F(CityTest, HashFindsStationsByEveryKey)
{
  CityHash hash("test.cty");
  ASSERT_EQ(hash.getNum(), 7);
  CityHashData d;
  struct {
    const char* key;
    const char* id;
  } cases[] = {
      {"kord", "KORD"},   {"72565", "KDEN"},  {"b41001", "41001"},        {"41001", nullptr},
      {"bNZCH", nullptr},  // only six characters drop the "b"
      {"c6123", "ABCD"},  {"72531", "KORD"},  {"EGLL", nullptr},          {"99999", nullptr},
      {"", nullptr},      {"KORDX", nullptr}, {"KORD_TOO_LONG", nullptr},
  };
  for (const auto& c : cases) {
    const CityHashData* found = hash.find(c.key);
    EXPECT_STREQ(found ? found->id : nullptr, c.id) << c.key;
  }
  ASSERT_EQ(hash.get("KORD", d), 1);
  EXPECT_EQ(d.seq, 1);
  // The second KORD line is reachable through its other keys only.
  ASSERT_EQ(hash.get("72531", d), 1);
  EXPECT_EQ(d.seq, 4);

  char loc[CityHashData::LOC_SIZE];
  ASSERT_EQ(CityHashData::locKey(-43.4833f, 172.55f, loc, sizeof loc), 1);
  EXPECT_STREQ(loc, " -435  1726");
  ASSERT_EQ(hash.get(CityHash::LOC, loc, d), 1);
  EXPECT_STREQ(d.id, "NZCH");
  EXPECT_EQ(hash.get(CityHash::WMO, "NZCH", d), 0);
  EXPECT_EQ(hash.get(7, "NZCH", d), 0);
  EXPECT_EQ(CityHashData::locKey(95, 10, loc, sizeof loc), 0);

  std::vector<std::string> ids;
  for (const char* k = hash.first(); k; k = hash.nextKey()) ids.push_back(k);
  EXPECT_EQ(ids,
            (std::vector<std::string>{"KORD", "KDEN", "NZCH", "KORD", "XXXX", "ABCD", "41001"}));

  CityHash none;
  EXPECT_EQ(none.setup("missing.cty"), 0);
  EXPECT_EQ(none.first(), nullptr);
}

// The shipped world table.
const CityHash& shipped()
{
  static const CityHash hash = [] {
    KOLTest::DatabaseScope database;
    return CityHash(nullptr);
  }();
  return hash;
}

TEST(ShippedTableTest, EveryLineIsAUsableStation)
{
  std::ifstream in(KOLTest::databaseDir() + "/sao.cty");
  std::string line;
  std::set<std::string> ids;
  int lines = 0;
  CityData d;
  while (std::getline(in, line)) {
    lines++;  // no comment lines: where the table comes from is told beside it
    ASSERT_EQ(d.decode(line.c_str()), 1) << line;
    EXPECT_TRUE(d.lat >= -90 && d.lat <= 90 && d.lon >= -180 && d.lon <= 180) << line;
    EXPECT_TRUE(d.wmo[0] == '\0' || KOL::StrLib::isNum(d.wmo, 5)) << line;
    EXPECT_TRUE(ids.insert(d.id).second) << "duplicate " << d.id;
    EXPECT_EQ(std::strlen(d.country), 2u) << line;
  }
  EXPECT_GT(lines, 5000);
  EXPECT_EQ(lines, shipped().getNum());
}

}  // namespace
