// One station value at a time, as the device receives it: what each drawing type draws, where,
// in which colour and at what size, with the attribute laid over the plotter's defaults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "geo/EarthPoint.h"
#include "graphics/ColorMap.h"
#include "graphics/Plot.h"
#include "layers/DatumPlot.h"
#include "obs/Datum.h"

using KOL::Datum;
using KOL::DatumPlot;
using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOL::Points;

namespace {

constexpr float MISS = KOL::Const::FMISS;

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
  EXPECT_EQ(p.setType("7"), 1);
  EXPECT_EQ(p.getType(), 7);
  EXPECT_EQ(p.setType("nonsense"), 0);
  EXPECT_EQ(p.setScale(0), 0) << "a scale must be positive";
}

TEST_F(DatumPlotTest, UpperLeftNumberIsRightAlignedInItsColourAndFormat)
{
  dp.draw(*plot, EarthPoint(10, 20), 2, 23.4f, "ul,%3.0f,red");
  const Box b = box(4);
  ASSERT_FALSE(b.empty()) << "text strokes";
  const Point st = pixel(10, 20);
  // right edge 0.012 s = 1.2 units = 12 pixels left of the station (less the spacing after the
  // last character, a quarter of the height); middle 20 pixels above it
  EXPECT_LE(b.x2, st.x - 12 + 0.5);
  EXPECT_GE(b.x2, st.x - 12 - 0.35 * 18);
  EXPECT_LT(b.x1, st.x - 12 - 10) << "the digits run leftward";
  EXPECT_NEAR((b.y1 + b.y2) / 2, st.y - 20, 4);
  EXPECT_EQ(lastColor(4), deviceColor("red"));
  // the number is " 23": the same strokes as that text drawn with the same settings
  const std::vector<Stroke> drawn = strokes();
  forget();
  plot->drawText(Point(20 - 1.2f, 10 + 2.0f), " 23");
  const std::vector<Stroke> expect = strokes();
  ASSERT_EQ(drawn.size(), expect.size());
  for (size_t i = 0; i < drawn.size(); i++)
    for (int k = 0; k < drawn[i].pts.getNum(); k++) {
      EXPECT_NEAR(drawn[i].pts[k].x, expect[i].pts[k].x, 0.01);
      EXPECT_NEAR(drawn[i].pts[k].y, expect[i].pts[k].y, 0.01);
    }
}

TEST_F(DatumPlotTest, MissingValuesForDataAndValue)
{
  struct Case {
    const char* label;
    int type;
    float value;
    const char* attr;
    int text, marks;  // strokes of text and of marks expected (> 0 means some)
  };
  const std::vector<Case> cases = {
      {"data, missing, no format: its text", 1, MISS, "cc", 1, 0},
      {"value, missing: nothing", 2, MISS, "cc", 0, 0},
      {"data, missing, with a format: nothing", 1, MISS, "%2.0f", 0, 0},
      {"data, missing, with a marker: nothing", 1, MISS, "mk=x", 0, 0},
      {"data with a marker: the marker", 1, 5, "mk=x", 0, 1},
      {"value with a marker: the number", 2, 5, "mk=x", 1, 0},
      {"data: the number", 1, 5, "", 1, 0},
  };
  for (const Case& c : cases) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), c.type, c.value, "M", c.attr);
    EXPECT_EQ(count(4) > 0, c.text > 0) << c.label;
    EXPECT_EQ(count(2) > 0, c.marks > 0) << c.label;
  }
  // the plotter's own format counts as a format
  forget();
  dp.setFormat("%3.0f");
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
  EXPECT_EQ(drawnWith("%s"), seven) << "not a number's format: the default";
  EXPECT_EQ(drawnWith("%f%f"), seven) << "two conversions: the default";
  dp.setAttr("%4.2f");
  EXPECT_EQ(drawnWith(""), sevenTwoFive) << "the default attribute's format";
  EXPECT_EQ(drawnWith("%3.1f"), sevenTwo) << "the datum's format before the default's";
  dp.setFormat("%1.0f");
  EXPECT_EQ(drawnWith("%3.1f"), seven) << "the plotter's format before both";
}

TEST_F(DatumPlotTest, CalmNegativeAndMissingWinds)
{
  dp.draw(*plot, EarthPoint(0, 0), 7, 0.0f, 0.0f, "");
  auto s = strokes();
  ASSERT_EQ(s.size(), 1u) << "only the calm circle";
  const Point c = pixel(0, 0);
  for (const Point& p : s[0].pts) EXPECT_NEAR(std::hypot(p.x - c.x, p.y - c.y), 3, 0.05);
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 7, -10, 15, "");
  EXPECT_TRUE(log.empty()) << "a negative direction draws nothing";
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 7, 180, MISS, "");
  EXPECT_EQ(count(1), 0);
}

TEST_F(DatumPlotTest, BarbKindsStartWhereTheirCirclesEnd)
{
  const Point c = pixel(0, 0);
  auto dist = [&](const Point& p) { return std::hypot(p.x - c.x, p.y - c.y); };
  struct Case {
    const char* attr;
    int lines;         // strokes drawn for a 10 kt north wind
    float start, end;  // the shaft, in pixels from the station
  };
  for (const Case& k :
       {Case{"wbarb", 2, 0, 50}, Case{"cbarb", 2, 10, 60}, Case{"dbarb", 3, 3, 53}}) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), 0, 360, 10, k.attr);
    const auto s = strokes();
    ASSERT_EQ(static_cast<int>(s.size()), k.lines) << k.attr;
    const Stroke& shaft = s[k.lines - 2];
    EXPECT_NEAR(dist(shaft.pts[0]), k.start, 0.05) << k.attr;
    EXPECT_NEAR(dist(shaft.pts[1]), k.end, 0.05) << k.attr;
    EXPECT_LT(shaft.pts[1].y, c.y - k.end + 0.1f) << "straight up to the north";
  }
  // calm circles of each kind (dbarb keeps its station circle)
  for (const auto& [attr, radius, n] :
       {std::tuple<const char*, float, int>{"cbarb", 13, 1}, {"dbarb", 6, 2}, {"avect", 6, 1}}) {
    forget();
    dp.draw(*plot, EarthPoint(0, 0), 0, 90.0f, 0.0f, attr);
    const auto s = strokes();
    ASSERT_EQ(static_cast<int>(s.size()), n) << attr;
    EXPECT_NEAR(dist(s.back().pts[0]), radius, 0.05) << attr;
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

TEST_F(DatumPlotTest, BarbsTurnWithTheMeridiansOfTheMap)
{
  // polar stereographic about 100W: a north wind's shaft points at the pole wherever it is
  ASSERT_EQ(plot->setDomain("ps:90:-100,60,-100,41,41,2,2"), 1);
  const Point pole = pixel(90, -100);
  for (float lon : {-100.0f, -60.0f, -140.0f, -85.0f}) {
    forget();
    dp.draw(*plot, EarthPoint(55, lon), 7, 360, 20, "");
    const auto s = strokes();
    ASSERT_GE(s.size(), 1u);
    const Point a = s[0].pts[0], b = s[0].pts[1];
    const float shaft = std::atan2(b.x - a.x, -(b.y - a.y));
    const float toPole = std::atan2(pole.x - a.x, -(pole.y - a.y));
    EXPECT_NEAR(shaft, toPole, 0.01) << lon;
  }
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
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 0, 180, 27, "track,mx=3");
  s = strokes();
  ASSERT_EQ(s.size(), 4u) << "shaft, marks at one and two hours, head at three";
  EXPECT_NEAR(tipDist(s[0]), 15.0, 0.05);
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
  ASSERT_FALSE(sym.empty()) << "symbol 10 (mist) of wx.smb";
  // a 30-pixel symbol centred on the station
  EXPECT_LE(sym.x2 - sym.x1, 30.5);
  EXPECT_NEAR((sym.x1 + sym.x2) / 2, c.x, 6);
  EXPECT_NEAR((sym.y1 + sym.y2) / 2, c.y, 8);
  forget();
  dp.draw(*plot, EarthPoint(0, 0), 0, "KDEN", "text,cr");
  const Box t = box(4);
  EXPECT_NEAR(t.x1, c.x + 12, 2.5) << "left-aligned right of the station";
}

TEST_F(DatumPlotTest, LinesBetweenSuccessiveData)
{
  const Point a = pixel(0, 0), b = pixel(10, 10), d = pixel(-10, 20);
  auto only = [&](const Point& p, const Point& q) {
    const auto s = strokes();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_NEAR(s[0].pts[0].x, p.x, 0.05);
    EXPECT_NEAR(s[0].pts[0].y, p.y, 0.05);
    EXPECT_NEAR(s[0].pts[1].x, q.x, 0.05);
    EXPECT_NEAR(s[0].pts[1].y, q.y, 0.05);
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

TEST_F(DatumPlotTest, NumbersColouredByValue)
{
  dp.setColorFill("blue;green;red");
  dp.setInterval(10);
  dp.setBase(0);
  dp.draw(*plot, EarthPoint(0, 0), 2, 15, "");
  EXPECT_EQ(lastColor(4), deviceColor("green"));
  dp.draw(*plot, EarthPoint(0, 0), 2, 25, "");
  EXPECT_EQ(lastColor(4), deviceColor("red"));
  dp.draw(*plot, EarthPoint(0, 0), 2, 25, "yellow");
  EXPECT_EQ(lastColor(4), deviceColor("yellow")) << "an explicit colour wins";
  // without an interval the plotter's colour
  DatumPlot plain;
  plain.setColorFill("blue;green;red");
  plain.draw(*plot, EarthPoint(0, 0), 2, 15, "");
  EXPECT_EQ(lastColor(4), deviceColor("green")) << "the default colour, green";
  plain.draw(*plot, EarthPoint(0, 0), 2, 5, "");
  EXPECT_EQ(lastColor(4), deviceColor("green"));
  // band values of their own colour without an interval
  DatumPlot banded;
  banded.setColorFill("-10=blue;0=cyan;20=red");
  banded.draw(*plot, EarthPoint(0, 0), 3, 5, "KDEN", "");
  EXPECT_EQ(lastColor(4), deviceColor("cyan")) << "texts too";
  banded.draw(*plot, EarthPoint(0, 0), 2, -15, "");
  EXPECT_EQ(lastColor(4), deviceColor("blue")) << "below the first band: its colour";
}

TEST_F(DatumPlotTest, AColourTableThatCannotBeReadLeavesTheColours)
{
  dp.setColorTable("no_such_table.clr");
  dp.draw(*plot, EarthPoint(0, 0), 2, 5, "red");
  EXPECT_EQ(lastColor(4), deviceColor("red"));
  const int before = plot->getColorMap().getNum();
  dp.setColorTable("kol.clr");
  dp.draw(*plot, EarthPoint(0, 0), 2, 5, "blue");
  EXPECT_EQ(plot->getColorMap().getNum(), before) << "the same table installed again";
  EXPECT_EQ(lastColor(4), deviceColor("blue"));
}

TEST_F(DatumPlotTest, ScalesMultiply)
{
  // datum scale 2 x plot scale 1.5 x 100: text 0.018 x 300 = 5.4 units, 54 pixels high
  dp.setScale(1.5f);
  dp.draw(*plot, EarthPoint(0, 0), 0, 360, 10, "wbarb,sc=2");
  const auto s = strokes();
  ASSERT_EQ(s.size(), 2u);
  const Point c = pixel(0, 0);
  EXPECT_NEAR(std::hypot(s[0].pts[1].x - c.x, s[0].pts[1].y - c.y), 150, 0.1)
      << "barb 0.05 x 300 units";
}

}  // namespace
