// UpaGrid: the upper-air defaults, a variable taken from a sounding at its level, and real
// soundings filed in the own upper-air file analysed onto a domain around them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/Grids.h"
#include "grid/UpaGrid.h"
#include "obs/Data.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

using namespace KOL;

namespace {

constexpr float M = Const::FMISS;

class UpaGridTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir tmp;
};

UpaData sounding()
{
  UpaData d;
  d.setNum(3);
  const float p[] = {850, 500, 300}, h[] = {1500, 5600, 9200}, t[] = {10, -15, -40},
              td[] = {5, -25, -50}, dir[] = {270, 90, 180}, spd[] = {20, 30, 50};
  for (int i = 0; i < 3; i++) {
    d.setPres(i, p[i]);
    d.setHght(i, h[i]);
    d.setTemp(i, t[i]);
    d.setDewp(i, td[i]);
    d.setDir(i, dir[i]);
    d.setSpd(i, spd[i]);
  }
  return d;
}

TEST_F(UpaGridTest, DefaultsAndValuesAtALevel)
{
  UpaGrid ug;
  EXPECT_FLOAT_EQ(ug.getFilter(), 8.0f);
  EXPECT_FLOAT_EQ(ug.getRadInf(), 5.0f);
  EXPECT_EQ(ug.getNumPass(), 1);
  const UpaData d = sounding();
  struct Row {
    const char* spec;
    float value;
  } rows[] = {
      {"500mb:temp", -15}, {"500mb:dewd", 10},  {"850mb:hght", 1500},
      {"300mb:wspd", 50},  {"500mb:uwnd", -30}, {"850mb:uwnd", 20},
      {"300mb:vwnd", 50},  {"200mb:temp", M},   {"500mb:nosuch", M},
  };
  for (const Row& r : rows)
    EXPECT_NEAR(UpaGrid::value(d, VarSpec(r.spec)), r.value, 1e-3) << r.spec;
  // Between two levels the value lies between theirs.
  const float t700 = UpaGrid::value(d, VarSpec("700mb:temp"));
  EXPECT_LT(t700, 10.0f);
  EXPECT_GT(t700, -15.0f);
}

std::vector<UpaRawinData> decodeAll(const std::string& path)
{
  std::vector<UpaRawinData> out;
  std::vector<std::string> keys;
  UpaWmoFile f;
  f.setDate(Date(2026, 10, 7, 0, 0, 0));
  if (!f.open(path.c_str())) return out;
  UpaWmoData part;
  while (f.read(part)) {
    std::string key = UpaTool::partKey(part.text);
    size_t i = 0;
    while (i < keys.size() && keys[i] != key) ++i;
    if (i == keys.size()) {
      keys.push_back(key);
      out.emplace_back();
    }
    UpaTool::decode(part, out[i]);
  }
  return out;
}

TEST_F(UpaGridTest, RealSoundingsAnalysedAtTheirStations)
{
  KOL_REQUIRE_DATA();
  std::vector<UpaRawinData> records =
      decodeAll(KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt"));
  ASSERT_GE(records.size(), 2u);
  const std::string path = tmp.file("snd.upa");
  UpaKolFile out;
  out.setDate(records[0].getDate());
  ASSERT_TRUE(out.open(path.c_str(), UpaKolFile::WRITE));
  for (const UpaRawinData& r : records) ASSERT_TRUE(out.write(r));
  out.close();

  Data d;
  ASSERT_TRUE(UpaGrid::read(path.c_str(), {VarSpec("500mb:temp"), VarSpec("500mb:hght")}, d));
  ASSERT_GE(d.getCount(), 2);
  UpaGrid ug;
  ASSERT_TRUE(ug.setFilename(path.c_str()));
  ASSERT_TRUE(ug.setVariables("500mb:temp,500mb:hght"));
  ASSERT_TRUE(ug.setDomain("lamb:25:-95:25:25,38,-85,60,40,0.5,0.5"));
  ug.setParam("filter=0.5,rad_inf=3");
  Grids g;
  ASSERT_TRUE(ug.compute(g));
  for (int st = 0; st < d.getCount(); st++) {
    ASSERT_NE(d.getValue(st, 0), M) << d.getId(st);
    // Each station alone within its radius: the analysis at it is its value.
    EarthPoint e = d.getLoc(st);
    EXPECT_NEAR(g.getValue(0, e), d.getValue(st, 0), 0.05) << d.getId(st);
    EXPECT_NEAR(g.getValue(1, e), d.getValue(st, 1), 1.0) << d.getId(st);
  }
  EXPECT_FALSE(UpaGrid::read(tmp.file("absent").c_str(), {VarSpec("500mb:temp")}, d));
}

}  // namespace
