// The contour layer of one grid: its own keys and the contour keys it passes on, labels and bar
// fitted to the kind of drawing unless chosen, reset between entries, and a grid read from a file
// by its selection text and drawn with its labels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"

using KOL::ContPlot;
using KOL::GridCont;

namespace {

KOL::Domain lambert(float d, int nx = 60, int ny = 45) { return KOLTest::lambert(nx, ny, d); }

KOL::Grid ramp()
{
  KOL::Grid g;
  g.setDomain(lambert(0.8f));
  g.allocData();
  for (int j = 0; j < 45; ++j)
    for (int i = 0; i < 60; ++i) g.setValue(i, j, static_cast<float>(i + j));
  g.setInfo("ramp");
  return g;
}

class GridContTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    ASSERT_TRUE(plot.open("bg=white,de=i,,sz=320x240"));
    KOL::Grid g = ramp();
    plot.setDomain(g.getDomain());
  }
  KOL::Plot plot;
};

TEST_F(GridContTest, OwnKeysAndContourKeys)
{
  GridCont c("nolabel,map_fill,mo=nam,gs=500:hght,cf,int=5,co=black");
  EXPECT_FALSE(c.getLabel());
  EXPECT_EQ(c.getMapMode(), 1);
  EXPECT_STREQ(c.getModel(), "nam");
  EXPECT_STREQ(c.getGridSpec(), "500:hght");
  EXPECT_EQ(c.getContPlot().getType(), ContPlot::FILL);
  EXPECT_FLOAT_EQ(c.getContPlot().getInterval(), 5.0f);
  EXPECT_STREQ(c.getContPlot().getColorLine(), "black");
  c.setParam("map_line,va=850:temp");
  EXPECT_EQ(c.getMapMode(), 0);
  EXPECT_STREQ(c.getGridSpec(), "850:temp");
  // the next entry starts from the defaults; the layer's own keys stay
  c.reset();
  EXPECT_EQ(c.getContPlot().getType(), ContPlot::LINE);
  EXPECT_TRUE(KOL::Const::isMiss(c.getContPlot().getInterval()));
  EXPECT_FALSE(c.getLabel());
  // a model field's missing values leave their cells out; a layer of analyses ends them along a
  // smooth edge, entry after entry, unless an entry says otherwise
  EXPECT_FALSE(c.getContPlot().getSmoothEdge());
  c.setSmoothEdge(true);
  c.reset();
  EXPECT_TRUE(c.getContPlot().getSmoothEdge());
  c.setParam("noedge");
  EXPECT_FALSE(c.getContPlot().getSmoothEdge());
  c.reset();
  EXPECT_TRUE(c.getContPlot().getSmoothEdge());
}

TEST_F(GridContTest, LabelsAndBarFitTheDrawing)
{
  KOL::Grid g = ramp();
  const struct {
    const char* params;
    int freq;    // contour label frequency drawn with
    int radius;  // high/low radius
    bool bar;
  } cases[] = {
      {"ln", 2, 4, false},  // lines: labels, highs over a twelfth of the map
      {"cf", 0, 0, true},   // fills: colours and their bar instead of labels, highs and lows
      {"lcf", 2, 4, true},
      {"cf,nobar,lab=1:5", 1, 5, false},  // chosen by the user
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    GridCont layer(c.params);
    EXPECT_EQ(layer.draw(plot, g), 1);
    EXPECT_EQ(layer.getContPlot().getLabelFreq(), c.freq);
    EXPECT_EQ(layer.getContPlot().getLabelRadius(), c.radius);
    EXPECT_EQ(layer.getContPlot().getBar(), c.bar);
  }
  // on a map three times as wide a twelfth is 11 grid points: the search keeps to its widest
  plot.setDomain(lambert(2.4f));
  GridCont wide("ln");
  EXPECT_EQ(wide.draw(plot, g), 1);
  EXPECT_EQ(wide.getContPlot().getLabelRadius(), GridCont::MAX_RADIUS);
}

// Two fields of one time on one map carry the date once; of two times, both dates.
TEST_F(GridContTest, OneDateLabelForFieldsOfOneDate)
{
  GridCont layer("ln");
  auto dates = [&](const char* first, const char* second) {
    plot.clearLabels();
    KOL::Grid g = ramp();
    g.setDatim(first);
    EXPECT_EQ(layer.draw(plot, g), 1);
    g.setDatim(second);
    EXPECT_EQ(layer.draw(plot, g), 1);
    testing::internal::CaptureStdout();
    plot.printLabels();
    const std::string printed = testing::internal::GetCapturedStdout();
    int n = 0;  // date labels: every date here ends so
    for (std::size_t at = printed.find("SEP 18"); at != std::string::npos;
         at = printed.find("SEP 18", at + 1))
      n++;
    return n;
  };
  EXPECT_EQ(dates("NAM analysis for 00Z MON 17 SEP 18", "NAM analysis for 00Z MON 17 SEP 18"), 1);
  EXPECT_EQ(dates("00Z MON 17 SEP 18", "12Z MON 17 SEP 18"), 2);
  // a new set of labels (another frame) dates its first field again
  EXPECT_EQ(dates("00Z MON 17 SEP 18", "00Z MON 17 SEP 18"), 1);
  // winds and a field of one time: the vector layer's date stands for both
  plot.clearLabels();
  KOL::Grid w = ramp();
  w.setDatim("00Z MON 17 SEP 18");
  KOL::GridVect winds("");
  ASSERT_EQ(winds.draw(plot, w, w), 1);
  ASSERT_EQ(layer.draw(plot, w), 1);
  ASSERT_EQ(winds.draw(plot, w, w), 1);
  testing::internal::CaptureStdout();
  plot.printLabels();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed.find("SEP 18"), printed.rfind("SEP 18")) << printed;
}

TEST_F(GridContTest, LabelsTheDrawingOnItsOwnLine)
{
  KOL::Grid g = ramp();
  const int before = plot.getNumLabels();
  GridCont layer("ln");
  ASSERT_EQ(layer.draw(plot, g), 1);
  EXPECT_EQ(plot.getNumLabels(), before + 3) << "information, date and range";
  const int line = plot.getLabelLine();
  ASSERT_EQ(layer.draw(plot, g), 1);
  EXPECT_EQ(plot.getLabelLine(), line + 1) << "a second field labels the next line";
  GridCont quiet("ln,nolabel");
  const int n = plot.getNumLabels();
  ASSERT_EQ(quiet.draw(plot, g), 1);
  EXPECT_EQ(plot.getNumLabels(), n);
}

TEST_F(GridContTest, ReadsItsGridFromAFile)
{
  KOL_REQUIRE_DATA();
  GridCont layer("gs=500:hght,ln");
  EXPECT_EQ(layer.draw(plot), 0) << "no file";
  layer.setFilename(KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2").c_str());
  EXPECT_EQ(layer.draw(plot), 1);
  // 500 hPa heights of a September analysis: about 5200 to 5950 m
  EXPECT_GT(layer.getContPlot().getFirst(), 5000.0f);
  EXPECT_LT(layer.getContPlot().getLast(), 6100.0f);
}

// A field of 600 x 450 points on a picture of 200 x 150 pixels is contoured at about the
// picture's resolution; the picture is the one the whole grid gives, but for band edges moved by
// a pixel.
TEST_F(GridContTest, FineFieldDrawnAtThePicturesResolution)
{
  KOL::Grid fine;
  fine.setDomain(lambert(0.05f, 600, 450));
  fine.allocData();
  for (int j = 0; j < 450; ++j)
    for (int i = 0; i < 600; ++i) fine.setValue(i, j, std::sin(i / 60.0f) + std::cos(j / 45.0f));
  // the same bands and colours whatever the range
  const char* BANDS =
      "cf,lab=0:0,cof=-2=blue/-1.5=green/-1=yellow/-0.5=red/0=magenta/0.5=cyan/1=orange/1.5=gold";
  auto picture = [&](bool layer) {
    KOL::Plot p;
    EXPECT_TRUE(p.open("bg=white,de=i,,sz=200x150"));
    p.setDomain(fine.getDomain());
    KOL::Grid g(fine);
    if (layer)
      GridCont((std::string(BANDS) + ",nobar,nolabel").c_str()).draw(p, g);
    else
      ContPlot(BANDS).draw(p, g);
    KOL::Image img;
    p.getImage(img);
    return img;
  };
  {
    KOL::Plot p;
    ASSERT_TRUE(p.open("bg=white,de=i,,sz=200x150"));
    p.setDomain(fine.getDomain());
    KOL::Grid coarse;
    ASSERT_TRUE(GridCont::thinned(fine, p, coarse)) << "a third of a pixel apart";
    EXPECT_EQ(coarse.getNx(), 200);
    EXPECT_EQ(coarse.getNy(), 150);
    // both lattices centred on the same place
    EXPECT_NEAR(coarse.getValue(100, 75), fine.getValue(301, 226), 0.01f);
    KOL::Grid nam = ramp();
    EXPECT_FALSE(GridCont::thinned(nam, p, coarse)) << "fewer points than pixels";
  }
  const KOL::Image thin = picture(true), whole = picture(false);
  ASSERT_EQ(thin.getWidth(), whole.getWidth());
  int differ = 0, inked = 0;
  KOL::RGB a, b;
  for (int j = 0; j < thin.getHeight(); ++j)
    for (int i = 0; i < thin.getWidth(); ++i) {
      thin.getRGB(i, j, a);
      whole.getRGB(i, j, b);
      // cell seams are smoothed differently: a colour differs by more than that
      differ += std::fabs(a.red - b.red) > 0.3f || std::fabs(a.green - b.green) > 0.3f ||
                std::fabs(a.blue - b.blue) > 0.3f;
      inked += b.red < 1.0f || b.green < 1.0f || b.blue < 1.0f;
    }
  EXPECT_GT(inked, thin.getWidth() * thin.getHeight() / 2) << "the field fills the picture";
  EXPECT_LT(differ, inked / 10) << "only band edges differ";
}

}  // namespace
