// The plot layer on a device that writes down what it is asked to draw: where earth, grid and
// plot coordinates land on the device, dateline wrapping, suppressed colours, panels, labels
// and colour bars, and the events a window sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "graphics/ColorFill.h"
#include "graphics/Enhance.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"

using namespace KOL;

namespace {

constexpr const char* GLOBE = "latlon:-90:0,0,0,361,181,1,1";

class PlotTest : public KOLTest::RecordedPlotTest {
 protected:
  // a 1000 x 500 window, y down: the globe fills it at 1000/360 pixels a degree
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    open(GLOBE);
  }
  static float devX(float lon) { return (lon + 180.0f) / 360.0f * 1000.0f; }
  static float devY(float lat) { return (90.0f - lat) / 180.0f * 500.0f; }
};

TEST_F(PlotTest, EarthGridAndPlotPointsLandWhereTheDomainPutsThem)
{
  // segments shorter than a quarter of the world: longer ones are taken to cross the dateline
  plot->drawLine(EarthPoint(45, -90), EarthPoint(-30, -20));
  // grid column 0 is longitude -180, row 0 the top row (latitude 90)
  plot->drawLine(GridPoint(90, 0), GridPoint(170, 180));
  plot->drawLine(Point(0, 0), Point(60, 45));
  ASSERT_EQ(rec->lines.size(), 3u);
  const float expect[3][4] = {{-90, 45, -20, -30}, {-90, 90, -10, -90}, {0, 0, 60, 45}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const Points& l = rec->lines[i];
    ASSERT_EQ(l.getNum(), 2);
    EXPECT_NEAR(l[0].x, devX(expect[i][0]), 0.01);
    EXPECT_NEAR(l[0].y, devY(expect[i][1]), 0.01);
    EXPECT_NEAR(l[1].x, devX(expect[i][2]), 0.01);
    EXPECT_NEAR(l[1].y, devY(expect[i][3]), 0.01);
  }
}

TEST_F(PlotTest, LinesAcrossTheDatelineAreDrawnAsTwoCroppedPieces)
{
  EarthPoints pts;
  pts.add(EarthPoint(10, 160));
  pts.add(EarthPoint(10, 170));
  pts.add(EarthPoint(20, -170));
  pts.add(EarthPoint(20, -160));
  EXPECT_EQ(plot->drawLine(pts), 1);
  ASSERT_EQ(rec->lines.size(), 2u);
  const Points& east = rec->lines[0];
  const Points& west = rec->lines[1];
  ASSERT_EQ(east.getNum(), 3);
  ASSERT_EQ(west.getNum(), 3);
  EXPECT_NEAR(east[0].x, devX(160), 0.01);
  EXPECT_NEAR(east[2].x, devX(180), 0.01);
  EXPECT_NEAR(east[2].y, devY(15), 0.01) << "the edge point halfway between the two latitudes";
  EXPECT_NEAR(west[0].x, devX(-180), 0.01);
  EXPECT_NEAR(west[0].y, devY(15), 0.01);
  EXPECT_NEAR(west[2].x, devX(-160), 0.01);

  rec->lines.clear();
  EXPECT_EQ(plot->drawLine(EarthPoint(-40, -175), EarthPoint(-20, 175)), 1);
  ASSERT_EQ(rec->lines.size(), 2u);
  EXPECT_NEAR(rec->lines[0].getNum() ? rec->lines[0][1].x : 0, devX(-180), 0.01);
  EXPECT_NEAR(rec->lines[1][0].x, devX(180), 0.01);
  EXPECT_NEAR(rec->lines[1][0].y, devY(-30), 0.01);
}

TEST_F(PlotTest, MissingPointsSplitAPolyline)
{
  Points pts;
  pts.add(Point(0, 0));
  pts.add(Point(10, 0));
  pts.add(Point());
  pts.add(Point(20, 0));
  pts.add(Point(30, 10));
  pts.add(Point());
  pts.add(Point(50, 0));  // a lone point draws nothing
  plot->drawLine(pts);
  ASSERT_EQ(rec->lines.size(), 2u);
  EXPECT_EQ(rec->lines[0].getNum(), 2);
  EXPECT_EQ(rec->lines[1].getNum(), 2);
}

TEST_F(PlotTest, OffAndNoneDrawNothing)
{
  for (const char* name : {"off", "none", "OFF"}) {
    SCOPED_TRACE(name);
    plot->setLineColor(name);
    plot->setFillColor(name);
    plot->setTextColor(name);
    plot->setMarkColor(name);
    EXPECT_EQ(plot->drawLine(Point(0, 0), Point(10, 10)), 0);
    EXPECT_EQ(plot->drawFill(Rect(0, 0, 10, 10)), 0);
    EXPECT_EQ(plot->drawText(Point(0, 0), "x"), 0);
    EXPECT_EQ(plot->drawMark(Point(0, 0)), 0);
  }
  EXPECT_TRUE(rec->lines.empty());
  EXPECT_EQ(count("fill"), 0);
  plot->setLine("red:w2");
  EXPECT_EQ(plot->drawLine(Point(0, 0), Point(10, 10)), 1);
  EXPECT_EQ(plot->getLineColor(), plot->getColorValue("red"));
}

TEST_F(PlotTest, SplineRunsThroughItsPoints)
{
  Points pts;
  for (int i = 0; i <= 4; ++i) pts.add(Point(i * 20.0f - 40, i % 2 ? 20.0f : -20.0f));
  ASSERT_EQ(plot->drawSpline(pts), 1);
  ASSERT_EQ(rec->lines.size(), 1u);
  const Points& c = rec->lines[0];
  EXPECT_GT(c.getNum(), 4 * pts.getNum());
  EXPECT_NEAR(c[0].x, devX(-40), 0.01);
  EXPECT_NEAR(c[c.getNum() - 1].x, devX(40), 0.01);
  // every input point lies on the sampled curve
  for (const Point& p : pts) {
    float best = 1e9f;
    for (const Point& q : c) best = std::min(best, std::hypot(q.x - devX(p.x), q.y - devY(p.y)));
    EXPECT_LT(best, 2.0f) << p.x;
  }
  rec->lines.clear();
  Points still;
  still.add(Point(1, 1));
  still.add(Point(1, 1));
  EXPECT_EQ(plot->drawSpline(still), 0);
  EXPECT_TRUE(rec->lines.empty());
}

TEST_F(PlotTest, PanelTextPlacesThePanelInItsQuadrant)
{
  EXPECT_EQ(plot->newPanel("2x2+1+0"), 1);
  EXPECT_EQ(plot->getNumPanels(), 2);
  EXPECT_EQ(plot->getPanel(), 1);
  plot->drawLine(EarthPoint(-90, -180), EarthPoint(-90, -100));
  plot->drawLine(EarthPoint(90, 180), EarthPoint(90, 100));
  ASSERT_EQ(rec->lines.size(), 2u);
  // the globe's corners are the corners of the upper-right quarter of the window
  EXPECT_NEAR(rec->lines[0][0].x, 500, 0.01);
  EXPECT_NEAR(rec->lines[0][0].y, 250, 0.01);
  EXPECT_NEAR(rec->lines[1][0].x, 1000, 0.01);
  EXPECT_NEAR(rec->lines[1][0].y, 0, 0.01);
  // the same text again selects that panel instead of adding one
  plot->setPanel(0);
  EXPECT_EQ(plot->newPanel("2x2+1+0"), 1);
  EXPECT_EQ(plot->getNumPanels(), 2);
  EXPECT_EQ(plot->newPanel("nonsense"), 0);
}

TEST_F(PlotTest, LabelsAreBoundedAndFormatted)
{
  for (int i = 0; i < Plot::MAX_LABELS; ++i) EXPECT_EQ(plot->addLabel("ul", "x"), 1);
  EXPECT_EQ(plot->addLabel("ur", "one too many"), 0);
  EXPECT_EQ(plot->getNumLabels(), Plot::MAX_LABELS);
  plot->clearLabels();
  EXPECT_EQ(plot->getNumLabels(), 0);

  plot->setDate(Date(2024, 1, 15, 12, 5, 0));
  plot->setForeHour(6);
  plot->setDataSource("GFS");
  const struct {
    const char* format;
    const char* text;
  } cases[] = {{"%Y-%m-%d_%h:%n", "2024-01-15 12:05"},
               {"%y%b%a", "24JANMON"},
               {"%f", "6"},
               {"%F", "6 hour"},
               {"%S", "GFS"},
               {"100%%", "100%"},
               {"%q%", "%q%"}};
  char out[Plot::LABEL_SIZE];
  for (const auto& c : cases) {
    plot->formatLabel(c.format, out, sizeof out);
    EXPECT_STREQ(out, c.text) << c.format;
  }
  plot->formatLabel("%S_%S_%S", out, 6);
  EXPECT_STREQ(out, "GFS G");
  plot->formatLabel("%D", out, sizeof out);
  EXPECT_NE(std::string(out).find("JAN"), std::string::npos) << out;
}

TEST_F(PlotTest, LabelTextsFromResourcesAndFormats)
{
  // a device font: texts reach the device whole
  plot->setFont("#helvetica");
  KOL::Kol::resrc.set("label", "ur:Right_%S,Plain");
  KOL::Kol::resrc.set("text_lc", "Centre");
  plot->setDataSource("RUC");
  plot->setLabelColor("black");
  plot->drawLabels();
  KOL::Kol::resrc.set("label", "");
  KOL::Kol::resrc.set("text_lc", "");
  std::vector<std::string> texts;
  for (const std::string& l : log)
    if (l.compare(0, 5, "text ") == 0) texts.push_back(l.substr(l.find(' ', 5) + 1));
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"Centre", "Plain", "Right RUC"}));
}

TEST_F(PlotTest, ColourBarDrawsOneBoxPerBand)
{
  ColorFill fill;
  for (const char* c : {"red", "orange", "yellow", "green", "blue", "purple"})
    fill.add(plot->getColorValue(c));
  fill.setInterval(10);
  fill.setBase(0);
  plot->setBar(fill, Range(0, 50));
  plot->drawLabels();
  EXPECT_EQ(count("fill 3"), 5);
  // three bands of explicit values between 5 and 20
  log.clear();
  ColorFill values;
  const float v[] = {0, 5, 10, 20, 40};
  for (int i = 0; i < 5; ++i) values.add(i + 2, v[i], i == 2 ? "ten" : nullptr);
  plot->setBar(values, Range(5, 20));
  plot->drawLabels();
  EXPECT_EQ(count("fill 3"), 3);
  // an enhancement bar is shaded in many steps
  log.clear();
  KOL::Enhance e;
  e.add(-80, 0, KOL::RGB(1, 1, 1), KOL::RGB(0, 0, 0));
  plot->setBar(e);
  plot->drawLabels();
  EXPECT_GT(count("fill 3"), 20);
}

TEST_F(PlotTest, ReturnKeyReportsWhereThePointerIs)
{
  testing::internal::CaptureStdout();
  plot->callback("KeyPress", "Ret:750:125", nullptr);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.find("Lat: 45.0000 Lon: 90.0000 XY: 90.000 45.000"), 0u) << out;
  EXPECT_NE(out.find("Pixel: 750 125"), std::string::npos) << out;

  plot->setDomain("xy,0,0,11,11,1,1");
  testing::internal::CaptureStdout();
  plot->callback("KeyPress", "Ret:500:250", nullptr);
  const std::string xy = testing::internal::GetCapturedStdout();
  EXPECT_EQ(xy.find("X: "), 0u) << xy;
}

// A device that notes where images go: the clip box Graph narrows to the picture, and the pixel
// offsets at its corner.
class ImageSpot : public KOLTest::RecordingDevice {
 public:
  ImageSpot() : RecordingDevice(1000.0f, 500.0f, false, nullptr) {}
  int drawImage(KOL::Image&, float x, float y) override
  {
    at.set(clip.x1, clip.y1);
    offsets.set(x, y);
    return 1;
  }
  Point at, offsets;
};

TEST(PlotImagePlacement, ImageCornerGoesToItsDomainCorner)
{
  KOLTest::DatabaseScope database;
  auto dev = std::make_unique<ImageSpot>();
  ImageSpot* spot = dev.get();
  Plot plot;
  ASSERT_TRUE(plot.open(std::move(dev), "full"));
  plot.setDomain(GLOBE);
  KOL::Image img;
  ASSERT_EQ(img.set(Domain("latlon:-90:0,20,30,10,10,1,1"), 8), 1);
  ASSERT_EQ(img.allocData(), 1);
  ASSERT_EQ(plot.drawImage(img), 1);
  // the upper-left pixel is centred on 24.5N 25.5E: its outer corner is at 25N 25E, on the
  // nearest whole device pixel
  EXPECT_EQ(spot->at.x, std::round((25.0f + 180) / 360 * 1000));
  EXPECT_EQ(spot->at.y, std::round((90.0f - 25) / 180 * 500));
  EXPECT_EQ(spot->offsets.x, 0);
  EXPECT_EQ(spot->offsets.y, 0);
  KOL::Image empty;
  EXPECT_EQ(plot.drawImage(empty), 0);
}

}  // namespace
