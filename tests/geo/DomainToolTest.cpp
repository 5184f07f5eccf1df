// DomainTool: the user's domain forms and their defaults, stations, regions and resources.
#include "geo/DomainTool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "geo/Domain.h"
#include "geo/Region.h"
#include "obs/CityHash.h"

using namespace KOL;

namespace {

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

// Projection, centre, lattice, spacings and the first two parameters a text decodes to.
std::string decoded(const char* text)
{
  DomainVal dv;
  if (!DomainTool::decode(dv, text)) return "refused";
  char s[200];
  std::snprintf(s, sizeof s, "%d %g %g %d %d %g %g %g %g", dv.proj, dv.clat, dv.clon, dv.nx, dv.ny,
                dv.dx, dv.dy, dv.param[0], dv.param[1]);
  return s;
}

// What refusing a text wrote on standard error ("decoded" when it was not refused).
std::string refused(const char* text)
{
  DomainVal dv;
  testing::internal::CaptureStderr();
  const int ok = DomainTool::decode(dv, text);
  const std::string err = testing::internal::GetCapturedStderr();
  return ok ? "decoded" : err;
}

TEST_F(DomainToolTest, UserFormsAndTheirDefaults)
{
  const char* cases[][2] = {{"lamb:25:-95,40,-95,30,20,0.5,0.6", "4 40 -95 30 20 0.5 0.6 25 -95"},
                            {"ps,45,-100,1.5,2", "1 45 -100 25 17 1.5 2 -9999 -9999"},
                            {"merc:-80,20,-80,41,31,0.5", "3 20 -80 41 31 0.5 0.5 -9999 -80"},
                            {"40,-95,30,20,1,2", "1 40 -95 30 20 1 2 -9999 -9999"},
                            {"40,-95,30,20,1", "1 40 -95 30 20 1 1 -9999 -9999"},
                            {"ps,40,-95,2", "1 40 -95 25 17 2 2 -9999 -9999"},
                            {"skewt,20,700,9", "40 20 700 12 11 9 0.235 -9999 -9999"},
                            {"40,-95,30,20", "1 40 -95 30 20 1.2 1.2 -9999 -9999"},
                            {"40,-95,2", "1 40 -95 25 17 2 2 -9999 -9999"},
                            {"ps:60:-100,40,-95", "1 40 -95 25 17 1.2 1.2 60 -100"},
                            {"skewt,20,700", "40 20 700 12 11 4.5 0.1175 -9999 -9999"},
                            {"zoom,1,2", "50 1 2 25 17 1 1 -9999 -9999"},
                            {"size,800,600", "51 -9999 -9999 800 600 -9999 -9999 -9999 -9999"},
                            {"40,-95", "1 40 -95 25 17 1.2 1.2 -9999 -9999"},
                            {"lamb:25:-95", "4 25 -95 25 17 1.2 1.2 25 -95"},
                            {"ll:e:10:20:30:40:50:60", "2 10 20 25 17 1.2 1.2 10 20"},
                            {"fi:test.reg", "1 45 -100 9 9 2 2 60 -100"},
                            {"test.reg:alps", "4 46 11 25 17 0.4 0.4 30 11"},
                            {"test.reg:station", "1 10 20 25 17 1.2 1.2 -9999 -9999"},
                            {"id:test.cty:ABCD", "1 10 20 25 17 1.2 1.2 -9999 -9999"}};
  for (const auto& c : cases) EXPECT_EQ(decoded(c[0]), c[1]) << c[0];

  DomainVal dv;
  EXPECT_TRUE(DomainTool::decode(dv, "ll:e:10:20:30:40:50:60") && dv.ellipsoid);
  // "none" and "miss" succeed with nothing set.
  for (const char* text : {"NONE,1,2", "Miss"}) {
    DomainVal empty;
    EXPECT_EQ(DomainTool::decode(empty, text), 1) << text;
    EXPECT_TRUE(DomainVal::compare(empty, DomainVal())) << text;
  }
  EXPECT_EQ(DomainTool::decode(dv, ""), 0);
  // Lattice sizes must be whole numbers; a missing value is refused.
  EXPECT_FALSE(DomainTool::setParam(dv, "2.5", "nx") || DomainTool::setParam(dv, "-9999", "dx") ||
               DomainTool::setParam(dv, "qqq:1", "proj"));
}

TEST_F(DomainToolTest, StationCentredDomains)
{
  CityHash table("sao.cty");
  const CityHashData* kden = table.find("KDEN");
  ASSERT_NE(kden, nullptr);
  char at[60];
  std::snprintf(at, sizeof at, "%g %g", kden->lat, kden->lon);
  for (const char* text : {"KDEN", "id:kden", "id:sao.cty:KDEN"})
    EXPECT_EQ(decoded(text), "1 " + std::string(at) + " 25 17 1.2 1.2 -9999 -9999") << text;
  EXPECT_EQ(decoded("lamb:40:-100,KDEN,30,20,0.5,0.5"),
            "4 " + std::string(at) + " 30 20 0.5 0.5 40 -100");
  EXPECT_EQ(decoded("KDEN,3"), "1 " + std::string(at) + " 25 17 3 3 -9999 -9999");

  // An unknown station is reported, and so is the text that then matches nothing.
  const std::string err = refused("id:KXYZ");
  EXPECT_NE(err.find("DomainTool::setParam: Unable to find: KXYZ\n"), std::string::npos) << err;
  EXPECT_NE(err.find("DomainTool::decode: Invalid plot domain: id:KXYZ\n"), std::string::npos)
      << err;
  // Four letters that are not lower case are never taken for a station.
  DomainVal dv;
  testing::internal::CaptureStderr();
  EXPECT_EQ(DomainTool::setParam(dv, "kden", "id"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(DomainToolTest, RegionFilesAndNames)
{
  String out;
  ASSERT_EQ(Region::get("test.reg", nullptr, out), 1);
  EXPECT_STREQ(out.get(), "ps:60:-100,45,-100,9,9,2,2");  // a one-word line is its own text
  EXPECT_TRUE(Region::get("test.reg", "ALPS", out) &&
              std::string(out.get()) == "lamb:30:11,46,11,25,17,0.4,0.4");
  EXPECT_EQ(Region::get("test.reg", "nowhere", out), 0);

  // Region names in any case, also those of four capitals that could be a station's.
  DomainVal lower, dv;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(DomainTool::decode(lower, "ohio") && DomainTool::decode(dv, "OHIO"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no station warning on the way";
  EXPECT_FLOAT_EQ(dv.clat, lower.clat);
  // Four capitals that are neither a station nor a region: one line.
  EXPECT_EQ(refused("ZZZZ"), "DomainTool::decode: Invalid plot domain: ZZZZ\n");

  // A region naming itself ends; a misspelt name is reported.
  for (const char* text : {"test.reg:loop", "cnous"})
    EXPECT_NE(refused(text).find(std::string("Invalid plot domain: ") + text + "\n"),
              std::string::npos);
}

TEST_F(DomainToolTest, PlotDomainResourceOverrides)
{
  Domain dom;
  EXPECT_EQ(DomainTool::set(dom), 0);
  EXPECT_TRUE(DomainTool::set(dom, "40,-95") && dom.clat == 40);
  Kol::resrc.set("plot_domain", "europe");
  EXPECT_TRUE(DomainTool::set(dom, "40,-95") && dom.clat == 53 && DomainTool::set(dom));
  Kol::resrc.set("plot_domain", "miss");
  ASSERT_EQ(DomainTool::set(dom, "40,-95"), 1);
  EXPECT_TRUE(dom.within(EarthPoint(-80, 170)));  // an unset domain holds everything
}

// Every shipped region decodes into a usable domain holding its centre.
TEST_F(DomainToolTest, ShippedRegionsAreUsable)
{
  std::ifstream in(KOLTest::databaseDir() + "/kol.reg");
  std::string line;
  int regions = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::string name = line.substr(0, line.find(' '));
    Domain dom;
    ASSERT_EQ(DomainTool::decode(dom, name.c_str()), 1) << line;
    regions++;
    EXPECT_TRUE(dom.nx > 1 && dom.ny > 1 && dom.dx > 0 && dom.dy > 0) << line;
    Point centre;
    EXPECT_TRUE(dom.tranCenter(centre) && dom.within(centre)) << line;
  }
  EXPECT_GT(regions, 300);
}

}  // namespace
