// Radar products found by the naming convention "nids" (site and product keys, a macro of
// nidsplot.var), the product nearest before a frame's time, and the range rings where the
// projection puts them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "core/String.h"
#include "imagery/Lev2Data.h"
#include "layers/NidsPlot.h"

using KOL::Date;

namespace {

class NidsPlotKeysTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    KOL::Kol::resrc.set("image_path", dir.path().c_str());
    saved = KOL::Kol::init_time;
    KOL::Kol::init_time = Date(2020, 8, 17, 6, 0, 0.0f).getSeconds();
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("image_path", "");
    KOL::Kol::init_time = saved;
    RecordedPlotTest::TearDown();
  }
  KOLTest::TempDir dir;
  long saved = 0;
};

TEST_F(NidsPlotKeysTest, FoundByConventionWithRingsAboutTheRadar)
{
  KOL_REQUIRE_DATA();
  ASSERT_EQ(std::system(("mkdir -p " + dir.file("nids/DDC/N0Q") + " && cp " +
                         KOLTest::dataFile("nids/KDDC_N0Q_20200817_0501.nids") + " " +
                         dir.file("nids/DDC/N0Q/20200817_0501.nids"))
                            .c_str()),
            0);
  KOL::NidsPlot layer("id=DDC,va=refl");  // the macro: ty=N0Q,site,dist=50
  ASSERT_EQ(layer.setFilename(), 1);
  Date before(2020, 8, 17, 4, 0, 0.0f), after(2020, 8, 17, 5, 30, 0.0f);
  EXPECT_EQ(layer.setFilename(before), 0) << "nothing filed before 04 UTC";
  ASSERT_EQ(layer.setFilename(after), 1);
  EXPECT_EQ(layer.getSite(), "DDC");

  KOL::Domain d;
  ASSERT_TRUE(layer.getDomain(d));
  KOL::String text;
  d.toString(text);
  open(text.get(), 600, 600);
  ASSERT_EQ(layer.draw(*plot), 1);
  ASSERT_EQ(layer.getRings().size(), 6u);  // 50 to 300 km
  EXPECT_FLOAT_EQ(layer.getRings().front(), 50.0f);
  // the first ring passes 50 km north of the radar
  KOL::EarthPoint north =
      KOL::Lev2Data::destination(layer.getInfo().getLat(), layer.getInfo().getLon(), 0, 50000);
  KOL::Point p;
  ASSERT_TRUE(plot->getDomain().tran(north, p));
  p = plot->toDevice(p);
  bool through = false;
  for (const KOL::Points& l : rec->lines)
    if (l.getNum() == 181) through |= std::hypot(l[0].x - p.x, l[0].y - p.y) < 2;
  EXPECT_TRUE(through);
}

}  // namespace
