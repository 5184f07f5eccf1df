// Station values: attribute notation, formats, what the device receives, barbs in pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "common/Proj.h"
#include "common/Raster.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "geo/EarthPoint.h"
#include "graphics/ColorMap.h"
#include "graphics/Plot.h"
#include "graphics/PlotAttr.h"
#include "imagery/Image.h"
#include "layers/DatumAttr.h"
#include "layers/DatumPlot.h"
#include "layers/datum/ValueFormat.h"

namespace {

using KOL::DatumAttr;
using KOL::DatumPlot;
using KOL::EarthPoint;
using KOL::Point;
using KOL::Points;
using KOLTest::Raster;

constexpr float MISS = KOL::Const::FMISS;

// A colon splits at colons only; keyed values, fields cut to their size, unknown keys ignored.
TEST(DatumAttrTest, ColonsKeysAndFieldSizes)
{
  // the comma stays inside its token: a colour "red,blue" and a format with a comma in it
  const DatumAttr a("lr:co=red,blue:%4.1f,x");
  EXPECT_STREQ(a.color, "red,blue");
  EXPECT_STREQ(a.format, "%4.1f,x");
  EXPECT_FLOAT_EQ(a.dy, -0.02f);
  // without a colon the commas split
  const DatumAttr b("lr,co=red,blue");
  EXPECT_STREQ(b.color, "blue") << "a bare name is a colour and the last one wins";
  const DatumAttr c(
      "rs=temp_color:we=2:hi=1.5:wi=3:sh=2:fo=roman.fnt:te=0.8:sf=my.smb:mn=-5:mx=3:sk=4:"
      "fm=%5.1f:zz=9:CO=Blue");
  EXPECT_EQ(c.resrc, "temp_color");
  EXPECT_EQ(std::string(c.font) + c.symbol + c.format, "roman.fntmy.smb%5.1f");
  const float numbers[] = {c.weight, c.height, c.width, c.expansion, c.min, c.max};
  const float want[] = {2, 1.5f, 3, 0.8f, -5, 3};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(numbers[k], want[k]) << k;
  EXPECT_EQ(c.shadow * 10 + c.skip, 24);
  EXPECT_STREQ(c.color, "Blue") << "zz=9 matched nothing and changed nothing";
  const DatumAttr cut("fm=%123456789.0f,co=averyveryverylongcolourname");
  EXPECT_STREQ(cut.format, "%12345678");
  EXPECT_EQ(std::string(cut.color).size(), 19u);
  DatumAttr d;
  EXPECT_EQ(d.parse(nullptr), 0);
  EXPECT_EQ(d.parse(",,::"), 1) << "empty tokens are passed over";
}

TEST(DatumAttrTest, FifteenPositionsAndXy)
{
  const std::vector<std::tuple<const char*, float, float, int>> cases = {
      {"ul", -0.012f, 0.02f, 3},      {"UC", 0, 0.02f, 2},       {"Tr", 0.012f, 0.012f, 1},
      {"cl", -0.012f, 0, 3},          {"bc", 0, -0.012f, 2},     {"lr", 0.012f, -0.02f, 1},
      {"xy=-1 1", -0.012f, 0.02f, 3}, {"xy=0 -2", 0, -0.04f, 2}, {"XY=2.5 0", 0.03f, 0, 1},
  };
  for (const auto& [token, dx, dy, halign] : cases) {
    DatumAttr a;
    a.parse("ta=LB");  // a position sets the vertical alignment back to 3
    a.parse(token);
    EXPECT_NEAR(a.dx, dx, 1e-6) << token;
    EXPECT_NEAR(a.dy, dy, 1e-6) << token;
    EXPECT_EQ(a.halign * 10 + a.valign, halign * 10 + 3) << token;
  }
  const DatumAttr half("xy=3");
  EXPECT_EQ(half.dx, MISS) << "xy= needs two numbers";
  const DatumAttr huge("xy=1e99 1");
  EXPECT_EQ(huge.dx, MISS) << "and finite ones";
  const DatumAttr inf("we=inf,hi=1e40,mn=nan");
  EXPECT_EQ(inf.weight, MISS);
  EXPECT_EQ(inf.height, MISS);
  EXPECT_EQ(inf.min, MISS);
}

// Scales outside their limits are one; alignment letters, marker names and numbers.
TEST(DatumAttrTest, ScaleAlignmentAndMarker)
{
  const std::vector<std::pair<const char*, float>> cases = {
      {"sc=5000", 1.0f},  {"sc=0.009", 1.0f},   {"sc=abc", 1.0f},
      {"sc=0.01", 0.01f}, {"sc=1000", 1000.0f},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(DatumAttr(c.first).scale, c.second) << c.first;
  const std::vector<std::tuple<const char*, int, int>> alignments = {
      {"ta=LB", 1, 5}, {"ta=rc", 3, 2}, {"ta=xs", 2, 4},
      {"ta=cT", 2, 1}, {"ta=", 2, 3},   {"ta=Rz", 3, 3},
  };
  for (const auto& [token, h, v] : alignments)
    EXPECT_EQ(DatumAttr(token).halign * 10 + DatumAttr(token).valign, h * 10 + v) << token;
  const std::vector<std::pair<const char*, int>> marks = {
      {"mk=dot", 8}, {"mk=pnt", 1}, {"mk=plus", 2}, {"mk=star", 3}, {"mk=CIRCLE", 4}, {"mk=xx", 5},
      {"mk=sqr", 6}, {"mk=tri", 7}, {"mk=itri", 9}, {"mk=12", 12},  {"mk=Dots", 8},
  };
  for (const auto& c : marks) EXPECT_EQ(DatumAttr(c.first).mark, c.second) << c.first;
}

TEST(DatumAttrTest, TypeKeywords)
{
  const std::vector<std::pair<const char*, int>> cases = {
      {"data", 1},   {"VALUE", 2}, {"text", 3},  {"mark", 4},  {"cloud", 6},
      {"wbarb", 7},  {"cbarb", 8}, {"dbarb", 9}, {"vect", 10}, {"avect", 11},
      {"track", 12}, {"wx", 13},   {"Line", 14},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DatumAttr(c.first).type, c.second) << c.first;
    EXPECT_EQ(DatumAttr::typeCode(c.first), c.second) << c.first;
  }
  EXPECT_EQ(DatumAttr::typeCode("barb"), 0);
  const DatumAttr notAType("barb");
  EXPECT_STREQ(notAType.color, "barb") << "an unknown bare word is a colour name";
}

TEST(DatumAttrTest, PlotAttributeCopiesOnlyWhatIsSet)
{
  DatumAttr a("red,hi=2,we=3");
  KOL::PlotAttr p("blue:w2:e1.5");
  a.set(p);
  EXPECT_STREQ(a.color, "blue");
  EXPECT_FLOAT_EQ(a.width, 2);
  EXPECT_FLOAT_EQ(a.expansion, 1.5f);
  EXPECT_FLOAT_EQ(a.height, 2) << "not set in the plot attribute";
}

TEST(ValueFormatTest, FormatsAsPrintfOrTheDefault)
{
  const std::vector<std::tuple<const char*, float, const char*>> cases = {
      {"%1.0f", 7.25f, "7"},
      {"%03.0f", 5, "005"},
      {"%+d", 7.6f, "+8"},
      {"%x", 255, "ff"},
      {"%5.1f%%", 50, " 50.0%"},
      {"T=%1.0fC", 20, "T=20C"},
      {"%d", 1e30f, "0"},
      // not a single numeric conversion: the default
      {"%s", 3, "3"},
      {"%n", 3, "3"},
      {"%*d", 3, "3"},
      {"%f%f", 3, "3"},
      {"%", 3, "3"},
      {"%999f", 3, "3"},
      {"%1.123f", 3, "3"},
      {nullptr, 2.4f, "2"},
  };
  for (const auto& [format, value, expect] : cases)
    EXPECT_EQ(KOL::datum::formatValue(format, value), expect) << (format ? format : "null");
}

// A device line with its attribute class (1 lines, 2 marks, 4 text).
struct Stroke {
  int type;
  Points pts;
};

struct Box {
  float x1 = 1e9f, y1 = 1e9f, x2 = -1e9f, y2 = -1e9f;
  void add(const Point& p)
  {
    x1 = std::min(x1, p.x), y1 = std::min(y1, p.y);
    x2 = std::max(x2, p.x), y2 = std::max(y2, p.y);
  }
  bool empty() const { return x1 > x2; }
};

// A latitude/longitude map of 100 x 100 degrees on a 1000 x 1000 window (10 pixels a degree,
// y down): the datum size s is 100 plot units, text 1.8 units (18 pixels) high.
class DatumPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    open("ll,0,0,101,101,1,1", 1000, 1000);
  }
  using RecordedPlotTest::count;
  std::vector<Stroke> strokes() const
  {
    std::vector<Stroke> out;
    size_t k = 0;
    for (const std::string& s : log)
      if (s.compare(0, 5, "line ") == 0 && k < rec->lines.size())
        out.push_back({std::atoi(s.c_str() + 5), rec->lines[k++]});
    return out;
  }
  int count(int type) const
  {
    int n = 0;
    for (const Stroke& s : strokes()) n += s.type == type;
    return n;
  }
  Box box(int type) const
  {
    Box b;
    for (const Stroke& s : strokes())
      if (s.type == type)
        for (const Point& p : s.pts) b.add(p);
    return b;
  }
  // The last device colour given to an attribute class.
  int lastColor(int type) const
  {
    const std::string key = "color " + std::to_string(type) + " ";
    int c = -1;
    for (const std::string& s : log)
      if (s.compare(0, key.size(), key) == 0) c = std::atoi(s.c_str() + key.size());
    return c;
  }
  int deviceColor(const char* name)
  {
    return plot->getColorMap().getValue(plot->getColorValue(name));
  }
  Point pixel(float lat, float lon)
  {
    EarthPoint e(lat, lon);
    Point p;
    plot->getDomain().tran(e, p);
    return plot->toDevice(p);
  }

  DatumPlot dp;
};

TEST_F(DatumPlotTest, ResourcesAndParameters)
{
  KOL::Resrc& r = KOL::Kol::resrc;
  const std::vector<std::pair<const char*, const char*>> given = {
      {"plot_scale", "2"}, {"plot_type", "text"},    {"color_data", "ul,red"},
      {"format", "%4.1f"}, {"parameter", "ty=mark"}, {"con_interval", "5"},
  };
  for (const auto& [k, v] : given) r.set(k, v);
  DatumPlot fromResources;
  for (const auto& g : given) r.set(g.first, "");
  EXPECT_FLOAT_EQ(fromResources.getScale(), 2.0f);
  EXPECT_EQ(fromResources.getType(), 4) << "parameter comes after plot_type";
  EXPECT_STREQ(fromResources.getAttr().color, "red");
  EXPECT_FLOAT_EQ(fromResources.getAttr().dx, -0.012f);
  EXPECT_STREQ(fromResources.getFormat(), "%4.1f");

  DatumPlot p;
  EXPECT_EQ(p.setParam("sc=3,ty=text,co=yellow,fm=%3.1f,cof=red;blue,ct=kol.clr,xx=1"), 1);
  EXPECT_EQ(p.getType(), 3);
  EXPECT_EQ(p.setType("nonsense"), 0);
  EXPECT_EQ(p.setScale(0), 0) << "a scale must be positive";
}

TEST_F(DatumPlotTest, NumbersAlignedAndColouredByValue)
{
  dp.draw(*plot, EarthPoint(10, 20), 2, 23.4f, "ul,%3.0f,red");
  const Box b = box(4);
  ASSERT_FALSE(b.empty()) << "text strokes";
  const Point st = pixel(10, 20);
  // right edge 12 pixels left of the station, less the spacing after the last character
  EXPECT_LE(b.x2, st.x - 12 + 0.5);
  EXPECT_GE(b.x2, st.x - 12 - 0.35 * 18);
  EXPECT_LT(b.x1, st.x - 12 - 10) << "the digits run leftward";
  EXPECT_NEAR((b.y1 + b.y2) / 2, st.y - 20, 4);
  EXPECT_EQ(lastColor(4), deviceColor("red"));
  // numbers coloured by value
  dp.setColorFill("blue;green;red");
  dp.setInterval(10);
  dp.setBase(0);
  dp.draw(*plot, EarthPoint(0, 0), 2, 15, "");
  EXPECT_EQ(lastColor(4), deviceColor("green"));
  dp.draw(*plot, EarthPoint(0, 0), 2, 25, "");
  EXPECT_EQ(lastColor(4), deviceColor("red"));
  dp.draw(*plot, EarthPoint(0, 0), 2, 25, "yellow");
  EXPECT_EQ(lastColor(4), deviceColor("yellow")) << "an explicit colour wins";
  // band values of their own colour without an interval
  DatumPlot banded;
  banded.setColorFill("-10=blue;0=cyan;20=red");
  banded.draw(*plot, EarthPoint(0, 0), 3, 5, "KDEN", "");
  EXPECT_EQ(lastColor(4), deviceColor("cyan")) << "texts too";
  banded.draw(*plot, EarthPoint(0, 0), 2, -15, "");
  EXPECT_EQ(lastColor(4), deviceColor("blue")) << "below the first band: its colour";
}

TEST_F(DatumPlotTest, MissingValuesForDataAndValue)
{
  // what is drawn, the datum's type, value and attributes, whether text and marks are drawn
  const std::vector<std::tuple<const char*, int, float, const char*, bool, bool>> cases = {
      {"data, missing, no format: its text", 1, MISS, "cc", 1, 0},
      {"value, missing: nothing", 2, MISS, "cc", 0, 0},
      {"data, missing, with a format: nothing", 1, MISS, "%2.0f", 0, 0},
      {"data, missing, with a marker: nothing", 1, MISS, "mk=x", 0, 0},
      {"data with a marker: the marker", 1, 5, "mk=x", 0, 1},
      {"value with a marker: the number", 2, 5, "mk=x", 1, 0},
      {"data: the number", 1, 5, "", 1, 0},
  };
  for (const auto& [label, type, value, attr, text, marks] : cases) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), type, value, "M", attr);
    EXPECT_EQ(count(4) > 0, text) << label;
    EXPECT_EQ(count(2) > 0, marks) << label;
  }
  forget();
  dp.setFormat("%3.0f");  // the plotter's own format counts as a format
  dp.draw(*plot, EarthPoint(0, 0), 1, MISS, "M", "");
  EXPECT_EQ(count(4), 0);
}

TEST_F(DatumPlotTest, FormatsChosenInOrderAndCheckedBeforeUse)
{
  auto textOf = [&](const char* text) {
    forget();
    plot->drawText(Point(0, 0), text);
    return strokes().size();
  };
  auto drawnWith = [&](const char* attr) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), 2, 7.25f, attr);
    return strokes().size();
  };
  plot->setTextHeight(1.8f);
  plot->setTextAlign(2, 3);
  // stroke counts tell "7" (one stroke), "7.2" and "7.25" apart
  const size_t seven = textOf("7"), sevenTwo = textOf("7.2"), sevenTwoFive = textOf("7.25");
  ASSERT_NE(seven, sevenTwo);
  ASSERT_NE(sevenTwo, sevenTwoFive);
  EXPECT_EQ(drawnWith(""), seven) << "%1.0f";
  EXPECT_EQ(drawnWith("%3.1f"), sevenTwo);
  EXPECT_EQ(drawnWith("%d"), seven) << "integer conversions get the rounded value";
  EXPECT_EQ(drawnWith("%f%f"), seven) << "two conversions: the default";
  dp.setAttr("%4.2f");
  EXPECT_EQ(drawnWith(""), sevenTwoFive) << "the default attribute's format";
  EXPECT_EQ(drawnWith("%3.1f"), sevenTwo) << "the datum's format before the default's";
  dp.setFormat("%1.0f");
  EXPECT_EQ(drawnWith("%3.1f"), seven) << "the plotter's format before both";
}

TEST_F(DatumPlotTest, BarbKindsStartWhereTheirCirclesEnd)
{
  const Point c = pixel(0, 0);
  auto dist = [&](const Point& p) { return std::hypot(p.x - c.x, p.y - c.y); };
  // strokes drawn for a 10 kt north wind; the shaft's ends in pixels from the station
  for (const auto& [attr, lines, start, end] :
       {std::tuple{"wbarb", 2, 0, 50}, {"cbarb", 2, 10, 60}, {"dbarb", 3, 3, 53}}) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), 0, 360, 10, attr);
    const auto s = strokes();
    ASSERT_EQ(static_cast<int>(s.size()), lines) << attr;
    const Stroke& shaft = s[lines - 2];
    EXPECT_NEAR(dist(shaft.pts[0]), start, 0.05) << attr;
    EXPECT_NEAR(dist(shaft.pts[1]), end, 0.05) << attr;
    EXPECT_LT(shaft.pts[1].y, c.y - end + 0.1f) << "straight up to the north";
  }
}

TEST_F(DatumPlotTest, SouthernHemisphereBarbsAreMirrored)
{
  auto featherSide = [&](float lat) {
    forget();
    dp.draw(*plot, EarthPoint(lat, 0), 7, 270, 10, "");
    const auto s = strokes();
    EXPECT_EQ(s.size(), 2u);
    // a west wind's feather: north (up, negative y) in the north
    return s.size() == 2 ? s[1].pts[1].y - s[1].pts[0].y : 0.0f;
  };
  EXPECT_LT(featherSide(20), -10);
  EXPECT_GT(featherSide(-20), 10);
}

TEST_F(DatumPlotTest, VectorsAndTracksHaveTheirLengths)
{
  const Point c = pixel(0, 0);
  auto tipDist = [&](const Stroke& s) { return std::hypot(s.pts[1].x - c.x, s.pts[1].y - c.y); };
  // 20 kt: 0.3704 map units an hour times s 0.05 = 5 units: 1.852 units, 18.52 pixels
  for (const char* kind : {"vect", "avect"}) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), 0, 90, 20, kind);
    const auto s = strokes();
    ASSERT_EQ(s.size(), 2u) << kind;
    EXPECT_NEAR(tipDist(s[0]), 18.52, 0.05) << kind;
    EXPECT_LT(s[0].pts[1].x, c.x - 18) << "an east wind blows west";
  }
  // a storm from the south at 27 kt: 1 map unit in two hours on the equator (map factor 1)
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 0, 180, 27, "track");
  auto s = strokes();
  ASSERT_EQ(s.size(), 2u) << "shaft and head";
  EXPECT_NEAR(tipDist(s[0]), 10.0, 0.05);
  EXPECT_LT(s[0].pts[1].y, c.y) << "moving north";
}

TEST_F(DatumPlotTest, CloudMarkSymbolAndText)
{
  const Point c = pixel(0, 0);
  dp.draw(*plot, EarthPoint(0, 0), 0, "8", "cloud");
  EXPECT_EQ(count("fill "), 1) << "overcast: filled";
  const Box circle = box(1);
  EXPECT_NEAR(circle.x2 - c.x, 10, 0.05) << "radius s 0.01";
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 0, "OBX", "cloud");
  EXPECT_EQ(count("fill "), 0);
  EXPECT_EQ(count(1), 3) << "circle and the two strokes of the cross";
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 0, "crcl", "mark");
  EXPECT_GT(count(2), 0);
  EXPECT_EQ(count(4), 0);
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 0, "10", "wx");
  const Box sym = box(1);
  EXPECT_LE(sym.x2 - sym.x1, 30.5) << "symbol 10 (mist) of wx.smb, 30 pixels about the station";
  EXPECT_NEAR((sym.x1 + sym.x2) / 2, c.x, 6);
}

TEST_F(DatumPlotTest, LinesBetweenSuccessiveData)
{
  const Point a = pixel(0, 0), b = pixel(10, 10), d = pixel(-10, 20);
  auto only = [&](const Point& p, const Point& q) {
    const auto s = strokes();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_LT(std::hypot(s[0].pts[0].x - p.x, s[0].pts[0].y - p.y), 0.05);
    EXPECT_LT(std::hypot(s[0].pts[1].x - q.x, s[0].pts[1].y - q.y), 0.05);
  };
  dp.draw(*plot, EarthPoint(0, 0), 0, "x", "line");
  EXPECT_EQ(count(1), 0) << "no values, neither pre nor post";
  dp.draw(*plot, EarthPoint(10, 10), 0, "pre", "line");
  only(a, b);
  forget();
  dp.draw(*plot, EarthPoint(10, 10), 0, "post", "line");
  EXPECT_EQ(count(1), 0) << "waits for the next datum";
  dp.draw(*plot, EarthPoint(-10, 20), 2, MISS, "cc");
  only(b, d);
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 14, -10, 20, "");
  only(a, d);
  forget();
  dp.resetLine();
  dp.draw(*plot, EarthPoint(0, 0), 0, "pre", "line");
  EXPECT_EQ(count(1), 0) << "nothing remembered";
}

constexpr double PI = 3.14159265358979;

class StationModelPictureTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    if (!KOLTest::haveProj()) GTEST_SKIP() << "PROJ's proj and cs2cs not installed";
    ASSERT_TRUE(plot.open("de=i,,sz=1000x700"));
  }
  // A clear page and the map; the datum size in pixels (the map's height).
  float redraw()
  {
    plot.clear();
    EXPECT_EQ(plot.setDomain("lamb:25:-95:25:25,38,-95,41,27,1.2,1.2"), 1);
    const KOL::Rect clip = plot.getGraph().getGTran(KOL::Plot::MAP).getClipRect();
    return std::fabs(clip.y2 - clip.y1);
  }
  // The page angle of true north at a point (radians clockwise from up), from PROJ.
  double northAngle(const EarthPoint& e)
  {
    const std::vector<Point> p = KOLTest::projPixels(plot, {e, EarthPoint(e.lat + 0.01f, e.lon)});
    return std::atan2(p[1].x - p[0].x, -(p[1].y - p[0].y));
  }

  KOL::Plot plot;
  KOL::DatumPlot dp;
};

struct BarbCase {
  float speed;
  int nearRuns, farRuns;
  bool pennant;
};

// Feathers counted along the shaft, at a size where each stroke is a few pixels apart.
void countFeathers(const Raster& pic, const Point& st, double angle, float len, const BarbCase& c,
                   const std::string& label)
{
  auto px = [&](float along, float across) {
    const double ax = std::sin(angle), ay = -std::cos(angle);
    const double nx = std::sin(angle + PI / 2), ny = -std::cos(angle + PI / 2);
    return Point(static_cast<float>(st.x + ax * along + nx * across),
                 static_cast<float>(st.y + ay * along + ny * across));
  };
  const KOLTest::Runs nearRuns =
      KOLTest::runsAlong(pic, px(0.25f * len, 0.125f * len), px(1.25f * len, 0.125f * len));
  const KOLTest::Runs farRuns =
      KOLTest::runsAlong(pic, px(0.25f * len, 0.28f * len), px(1.25f * len, 0.28f * len));
  const KOLTest::Runs other =
      KOLTest::runsAlong(pic, px(0.25f * len, -0.125f * len), px(1.25f * len, -0.125f * len));
  EXPECT_EQ(nearRuns.count, c.nearRuns) << label;
  EXPECT_EQ(farRuns.count, c.farRuns) << label;
  EXPECT_EQ(other.count, 0) << label << ": nothing on the other side";
  const KOLTest::Runs downwind =
      KOLTest::runsAlong(pic, px(-0.5f * len, -0.3f * len), px(-0.5f * len, 0.3f * len));
  EXPECT_EQ(downwind.count, 0) << label << ": nothing downwind";
  EXPECT_EQ(nearRuns.longest > 0.06f * len, c.pennant) << label << ": a pennant is solid";
}

const std::vector<BarbCase> BARBS = {
    {5, 1, 0, false}, {10, 1, 1, false}, {50, 1, 1, true}, {65, 3, 2, true}};

TEST_F(StationModelPictureTest, BarbsOf5To65KnotsFromEveryQuarter)
{
  for (const EarthPoint& e : {EarthPoint(39.86f, -104.67f), EarthPoint(41.98f, -87.90f)}) {
    redraw();
    const double north = northAngle(e);
    const Point st = KOLTest::projPixels(plot, {e})[0];
    for (float dir : {10.0f, 100.0f, 200.0f, 290.0f})
      for (const BarbCase& c : BARBS) {
        const float size = redraw();
        // four times the usual size: a 130-pixel shaft
        dp.draw(plot, e, 0, dir, c.speed, "wbarb,sc=4,black,wi=2");
        KOL::Image shot;
        ASSERT_EQ(plot.getImage(shot), 1);
        const std::string label = std::to_string(e.lon) + " from " + std::to_string(dir) + " at " +
                                  std::to_string(c.speed);
        countFeathers(KOLTest::toRaster(shot), st, north + dir * PI / 180, 0.05f * 4 * size, c,
                      label);
      }
  }
}

}  // namespace
