// Station information attached to surface reports from the station table: the table's position,
// elevation, name and WMO number for reports without them, a report's own position kept, reports
// of unknown stations refused, and the stations chosen by pattern and priority.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "layers/SfcRaw.h"
#include "obs/SfcData.h"

using KOL::Kol;
using KOL::SfcData;
using KOL::SfcRaw;

namespace {

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

}  // namespace
