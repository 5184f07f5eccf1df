// Station information from the station table, and rows of a delimited text file drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "layers/RawPlot.h"
#include "layers/SfcPlot.h"
#include "layers/SfcRaw.h"
#include "obs/SfcData.h"

namespace {

using KOL::EarthPoint;
using KOL::Kol;
using KOL::Point;
using KOL::SfcData;
using KOL::SfcRaw;

class SfcRawTest : public KOLTest::DatabaseTest {
 protected:
  void TearDown() override
  {
    Kol::resrc.set("identifier", "");
    Kol::resrc.set("stat_prior", "");
    QuietTest::TearDown();
  }
  static SfcData report(const char* id, float lat = KOL::Const::FMISS,
                        float lon = KOL::Const::FMISS)
  {
    SfcData s;
    s.setId(id);
    s.lat = lat, s.lon = lon;
    return s;
  }
};

TEST_F(SfcRawTest, TableFillsWhatTheReportLacks)
{
  SfcRaw raw;
  EXPECT_STREQ(raw.getVarFile(), "sfcraw.var");
  SfcData okc = report("KOKC");
  ASSERT_EQ(raw.getInfo(okc), 1);
  EXPECT_NEAR(okc.lat, 35.3833, 1e-3);
  EXPECT_NEAR(okc.lon, -97.6, 1e-3);
  EXPECT_NEAR(okc.elev, 395, 0.5);
  EXPECT_EQ(okc.wmo, 72353);
  EXPECT_EQ(std::string(okc.name).rfind("Will_Rogers", 0), 0u) << okc.name;
  EXPECT_EQ(raw.getPriority(), 2);

  SfcData moved = report("KOKC", 36.0f, -98.0f);
  ASSERT_EQ(raw.getInfo(moved), 1);
  EXPECT_FLOAT_EQ(moved.lat, 36.0f) << "a report's own position wins";
  EXPECT_FLOAT_EQ(moved.lon, -98.0f);

  SfcData ship = report("SHIP", 40.0f, -60.0f);
  EXPECT_EQ(raw.getInfo(ship), 1);
  EXPECT_EQ(raw.getPriority(), SfcRaw::OWN_POSITION_PRIORITY);

  SfcData unknown = report("QQQQ");
  EXPECT_EQ(raw.getInfo(unknown), 0);
  SfcData empty = report("");
  EXPECT_EQ(raw.getInfo(empty), 0);
}

TEST_F(SfcRawTest, StationsChosenByPatternAndPriority)
{
  struct Case {
    const char* identifier;
    const char* priority;
    const char* id;
    int placed;
  } cases[] = {
      {"st=OK", "", "KOKC", 1}, {"st=OK", "", "KDEN", 0}, {"K*", "", "KDEN", 1},
      {"!KDEN", "", "KDEN", 0}, {"", "2", "KOKC", 1},     {"", "1", "KOKC", 0},
      {"", "", "KOKC", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.identifier) + " / " + c.priority + " / " + c.id);
    Kol::resrc.set("identifier", c.identifier);
    Kol::resrc.set("stat_prior", c.priority);
    SfcRaw raw;  // reads the choice as it loads the table
    SfcData s = report(c.id);
    EXPECT_EQ(raw.getInfo(s), c.placed);
  }
}

class RawPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  KOLTest::TempDir dir;
};

TEST_F(RawPlotTest, RowsDrawnAtTheirPlaces)
{
  const std::string file = dir.file("obs.csv");
  KOLTest::writeFile(file,
                     "# mesonet\nid,lat,lon,time,temp,dewp,wdir,wspd,solar\n"
                     "NRMN,35.24,-97.46,2020-01-06T00:00Z,12.5,3.0,180,10,0\n"
                     "ELRE,35.55,-98.04,2020-01-06T00:00Z,11.0,2.5,190,12,0\n"
                     "HOT,36.0,-96.0,2020-01-06T00:00Z,45.0,2.0,200,8,0\n"
                     "BROKEN,36.0\n"
                     "STIL,36.12,-97.10,202001060000,10.0,1.5,170,9,0\n");
  open("lamb:35:-97:,35.5,-97,33,25,0.1,0.1");
  KOL::RawPlot layer("va=temp,max=40");
  ASSERT_TRUE(layer.setFilename(file.c_str()));
  ASSERT_EQ(layer.draw(*plot), 1);
  ASSERT_EQ(layer.getRows().size(), 3u);  // HOT above max, BROKEN short
  EXPECT_EQ(std::string(layer.getRows()[2].id), "STIL");
  EXPECT_EQ(layer.getRows()[2].date.getSeconds(), layer.getRows()[0].date.getSeconds());
  EXPECT_EQ(layer.getSurface().getReportsRead(), 3);
  // each row's temperature drawn beside its own place
  for (const KOL::SfcData& s : layer.getRows()) {
    EarthPoint e(s.lat, s.lon);
    Point p;
    ASSERT_TRUE(plot->getDomain().tran(e, p));
    p = plot->toDevice(p);
    int near = 0;
    for (const KOL::Points& l : rec->lines) near += std::hypot(l[0].x - p.x, l[0].y - p.y) < 40;
    EXPECT_GT(near, 0) << s.id;
  }
  KOL::RawPlot none;
  none.setFilename(dir.file("none.csv").c_str());
  EXPECT_EQ(none.draw(*plot), 0);
}

}  // namespace
