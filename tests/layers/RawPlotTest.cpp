// Station values from a delimited text file through the variable list: the rows read by their
// header, out-of-range and broken rows left out, station models drawn at the rows' own places.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "layers/RawPlot.h"
#include "layers/SfcPlot.h"

using KOL::EarthPoint;
using KOL::Point;

namespace {

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
