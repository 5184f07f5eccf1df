#include "geo/DomainTool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "geo/Domain.h"
#include "geo/Region.h"
#include "obs/CityHash.h"

using KOL::Domain;
using KOL::DomainTool;
using KOL::DomainVal;
using KOL::Kol;
using KOL::Region;
using KOL::String;

namespace {

constexpr float MISS = KOL::Const::FMISS;
constexpr int IMISS = KOL::Const::MISS;

// A database directory with the shipped tables and a few test files beside them.
class DomainToolTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    KOLTest::writeFile(dir_.file("test.cty"), "Test_Station -- -- ABCD 1 10.0 20.0 5 99999 1\n");
    KOLTest::writeFile(dir_.file("test.reg"),
                       "# test regions\n"
                       "ps:60:-100,45,-100,9,9,2,2\n"
                       "alps area 2 lamb:30:11,46,11,25,17,0.4,0.4\n"
                       "loop area 2 test.reg:loop\n"
                       "Station area 2 id:test.cty:ABCD\n");
    std::string path = dir_.path() + ":" + KOLTest::databaseDir();
    Kol::setDatabasePath(path.c_str());
  }
  void TearDown() override { Kol::resrc.clear(); }

  KOLTest::DatabaseScope database_;  // restores the path in force before
  KOLTest::TempDir dir_;
};

struct Expect {
  const char* text;
  int proj;
  float clat, clon;
  int nx, ny;
  float dx, dy, param0, param1;
};

void check(const Expect& e)
{
  DomainVal dv;
  ASSERT_EQ(DomainTool::decode(dv, e.text), 1) << e.text;
  EXPECT_EQ(dv.proj, e.proj) << e.text;
  EXPECT_FLOAT_EQ(dv.clat, e.clat) << e.text;
  EXPECT_FLOAT_EQ(dv.clon, e.clon) << e.text;
  EXPECT_EQ(dv.nx, e.nx) << e.text;
  EXPECT_EQ(dv.ny, e.ny) << e.text;
  EXPECT_FLOAT_EQ(dv.dx, e.dx) << e.text;
  EXPECT_FLOAT_EQ(dv.dy, e.dy) << e.text;
  EXPECT_FLOAT_EQ(dv.param[0], e.param0) << e.text;
  EXPECT_FLOAT_EQ(dv.param[1], e.param1) << e.text;
}

TEST_F(DomainToolTest, UserFormsAndTheirDefaults)
{
  const Expect cases[] = {
      {"lamb:25:-95,40,-95,30,20,0.5,0.6", 4, 40, -95, 30, 20, 0.5f, 0.6f, 25, -95},  // 1
      {"ps,45,-100,1.5,2", 1, 45, -100, 25, 17, 1.5f, 2, MISS, MISS},                 // 3
      {"merc:-80,20,-80,41,31,0.5", 3, 20, -80, 41, 31, 0.5f, 0.5f, MISS, -80},       // 4
      {"40,-95,30,20,1,2", 1, 40, -95, 30, 20, 1, 2, MISS, MISS},                     // 5
      {"40,-95,30,20,1", 1, 40, -95, 30, 20, 1, 1, MISS, MISS},                       // 6
      {"ps,40,-95,2", 1, 40, -95, 25, 17, 2, 2, MISS, MISS},                          // 8
      {"skewt,20,700,9", 40, 20, 700, 12, 11, 9, 9 * 0.1175f / 4.5f, MISS, MISS},     // 8
      {"40,-95,30,20", 1, 40, -95, 30, 20, 1.2f, 1.2f, MISS, MISS},                   // 9
      {"40,-95,2", 1, 40, -95, 25, 17, 2, 2, MISS, MISS},                             // 10
      {"ps:60:-100,40,-95", 1, 40, -95, 25, 17, 1.2f, 1.2f, 60, -100},                // 11
      {"skewt,20,700", 40, 20, 700, 12, 11, 4.5f, 0.1175f, MISS, MISS},               // 11
      {"zoom,1,2", 50, 1, 2, 25, 17, 1, 1, MISS, MISS},                               // 11
      {"size,800,600", 51, MISS, MISS, 800, 600, MISS, MISS, MISS, MISS},             // 11
      {"40,-95", 1, 40, -95, 25, 17, 1.2f, 1.2f, MISS, MISS},                         // 12
      {"lamb:25:-95", 4, 25, -95, 25, 17, 1.2f, 1.2f, 25, -95},                       // 16
      {"ll:e:10:20:30:40:50:60", 2, 10, 20, 25, 17, 1.2f, 1.2f, 10, 20},              // 16
  };
  for (const auto& e : cases) check(e);

  DomainVal dv;
  ASSERT_EQ(DomainTool::decode(dv, "ll:e:10:20:30:40:50:60"), 1);
  EXPECT_TRUE(dv.ellipsoid);
  // "none" and "miss" succeed with nothing set.
  for (const char* text : {"NONE,1,2", "Miss"}) {
    DomainVal empty;
    EXPECT_EQ(DomainTool::decode(empty, text), 1) << text;
    EXPECT_TRUE(DomainVal::compare(empty, DomainVal())) << text;
  }
  EXPECT_EQ(DomainTool::decode(dv, ""), 0);
  // Lattice sizes must be whole numbers; a missing value is refused.
  EXPECT_EQ(DomainTool::setParam(dv, "2.5", "nx"), 0);
  EXPECT_EQ(DomainTool::setParam(dv, "-9999", "dx"), 0);
  EXPECT_EQ(DomainTool::setParam(dv, "qqq:1", "proj"), 0);
}

TEST_F(DomainToolTest, StationCentredDomains)
{
  KOL::CityHash table("sao.cty");
  const KOL::CityHashData* kden = table.find("KDEN");
  ASSERT_NE(kden, nullptr);
  for (const char* text : {"KDEN", "id:kden", "id:sao.cty:KDEN"})
    check({text, 1, kden->lat, kden->lon, 25, 17, 1.2f, 1.2f, MISS, MISS});
  check({"lamb:40:-100,KDEN,30,20,0.5,0.5", 4, kden->lat, kden->lon, 30, 20, 0.5f, 0.5f, 40, -100});
  check({"KDEN,3", 1, kden->lat, kden->lon, 25, 17, 3, 3, MISS, MISS});
  check({"id:test.cty:ABCD", 1, 10, 20, 25, 17, 1.2f, 1.2f, MISS, MISS});

  // An unknown station is reported, and so is the text that then matches nothing.
  DomainVal dv;
  testing::internal::CaptureStderr();
  EXPECT_EQ(DomainTool::decode(dv, "id:KXYZ"), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("DomainTool::setParam: Unable to find: KXYZ\n"), std::string::npos) << err;
  EXPECT_NE(err.find("DomainTool::decode: Invalid plot domain: id:KXYZ\n"), std::string::npos)
      << err;
  // Four letters that are not lower case are never taken for a station.
  testing::internal::CaptureStderr();
  EXPECT_EQ(DomainTool::setParam(dv, "kden", "id"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(DomainToolTest, RegionFilesAndNames)
{
  String out;
  ASSERT_EQ(Region::get("test.reg", nullptr, out), 1);
  EXPECT_STREQ(out.get(), "ps:60:-100,45,-100,9,9,2,2");  // a one-word line is its own text
  ASSERT_EQ(Region::get("test.reg", "ALPS", out), 1);
  EXPECT_STREQ(out.get(), "lamb:30:11,46,11,25,17,0.4,0.4");
  EXPECT_EQ(Region::get("test.reg", "nowhere", out), 0);

  check({"fi:test.reg", 1, 45, -100, 9, 9, 2, 2, 60, -100});
  check({"test.reg:alps", 4, 46, 11, 25, 17, 0.4f, 0.4f, 30, 11});
  check({"test.reg:station", 1, 10, 20, 25, 17, 1.2f, 1.2f, MISS, MISS});
  // Region names in any case, also those of four capitals that could be a station's.
  DomainVal lower, dv;
  ASSERT_EQ(DomainTool::decode(lower, "ohio"), 1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(DomainTool::decode(dv, "OHIO"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no station warning on the way";
  EXPECT_FLOAT_EQ(dv.clat, lower.clat);
  // Four capitals that are neither a station nor a region: one line.
  testing::internal::CaptureStderr();
  EXPECT_EQ(DomainTool::decode(dv, "ZZZZ"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DomainTool::decode: Invalid plot domain: ZZZZ\n");

  // A region naming itself ends; a misspelt name is reported.
  testing::internal::CaptureStderr();
  EXPECT_EQ(DomainTool::decode(dv, "test.reg:loop"), 0);
  EXPECT_EQ(DomainTool::decode(dv, "cnous"), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("DomainTool::decode: Invalid plot domain: test.reg:loop\n"),
            std::string::npos);
  EXPECT_NE(err.find("DomainTool::decode: Invalid plot domain: cnous\n"), std::string::npos);
}

TEST_F(DomainToolTest, PlotDomainResourceOverrides)
{
  Domain dom;
  EXPECT_EQ(DomainTool::set(dom), 0);
  ASSERT_EQ(DomainTool::set(dom, "40,-95"), 1);
  EXPECT_FLOAT_EQ(dom.clat, 40);
  Kol::resrc.set("plot_domain", "europe");
  ASSERT_EQ(DomainTool::set(dom, "40,-95"), 1);
  EXPECT_FLOAT_EQ(dom.clat, 53);
  ASSERT_EQ(DomainTool::set(dom), 1);
  Kol::resrc.set("plot_domain", "miss");
  ASSERT_EQ(DomainTool::set(dom, "40,-95"), 1);
  EXPECT_TRUE(dom.within(KOL::EarthPoint(-80, 170)));  // an unset domain holds everything
}

// Every shipped region decodes into a usable domain that holds its stations.
TEST_F(DomainToolTest, ShippedRegionsHoldTheirStations)
{
  KOL::CityHash table("sao.cty");
  std::map<std::string, std::vector<const KOL::CityHashData*>> byCode;
  for (const char* id = table.first(); id; id = table.nextKey()) {
    const KOL::CityHashData* d = table.find(KOL::CityHash::ID, id);
    byCode[d->country].push_back(d);
    if (d->state[0]) byCode[std::string(d->country) + "-" + d->state].push_back(d);
  }
  std::ifstream in(KOLTest::databaseDir() + "/kol.reg");
  std::string line;
  int regions = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ss(line);
    std::string name, label, text;
    int kind = 0;
    ss >> name >> label >> kind >> text;
    Domain dom;
    ASSERT_EQ(DomainTool::decode(dom, name.c_str()), 1) << line;
    regions++;
    EXPECT_GT(dom.nx, 1) << line;
    EXPECT_GT(dom.ny, 1) << line;
    EXPECT_GT(dom.dx, 0) << line;
    EXPECT_GT(dom.dy, 0) << line;
    KOL::Point centre;
    ASSERT_EQ(dom.tranCenter(centre), 1) << line;
    EXPECT_TRUE(dom.within(centre)) << line;
    if (kind < 3) continue;
    const auto& stations = byCode[label];
    int inside = 0;
    for (const auto* d : stations) inside += dom.within(KOL::EarthPoint(d->lat, d->lon));
    // Most stations of a country or state lie inside; remote islands and a few miscoded
    // stations may not. A third of Portugal's stations are on the Azores and Madeira, a fifth
    // of the Netherlands' on platforms in the North Sea.
    int n = static_cast<int>(stations.size());
    int part = n >= 50 ? 17 : 1, whole = n >= 50 ? 20 : 2;
    if (label == "PT" || label == "NL") part = 2, whole = 3;
    EXPECT_GE(inside * whole, n * part) << line << ": " << inside << " of " << n;
    EXPECT_GT(inside, 0) << line;
  }
  EXPECT_GT(regions, 300);

  struct {
    const char* region;
    const char* ids;
  } areas[] = {{"conus", "KORD KDEN KSEA KMIA KBOS KLAX KMSY"},
               {"europe", "EGLL LFPG EDDF LEMD EFHK LIRF ENGM"},
               {"asia", "RJTT ZBAA VIDP OMDB"},
               {"antarctica", "NZWD"},
               {"arctic", "ENSB BGTL"},
               {"shem", "SBGR NZCH YSSY FAOR"},
               {"world", "KORD NZCH SBGR RJTT PHNL"},
               {"npac", "PHNL RJTT PANC"}};
  for (const auto& a : areas) {
    Domain dom;
    ASSERT_EQ(DomainTool::decode(dom, a.region), 1) << a.region;
    std::istringstream ids(a.ids);
    for (std::string id; ids >> id;) {
      const KOL::CityHashData* d = table.find(id.c_str());
      ASSERT_NE(d, nullptr) << id;
      EXPECT_TRUE(dom.within(KOL::EarthPoint(d->lat, d->lon))) << a.region << " " << id;
    }
  }
}

}  // namespace
