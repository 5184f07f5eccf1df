// The diagram background as a person sees it: every family of lines drawn off-screen on each of
// the five diagrams, with ink of its colour where the diagram projection puts the points the
// thermodynamic functions give; the visible range, the colour lists and the labels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DiagramPicture.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "layers/ThermPlot.h"
#include "obs/Calc.h"

using KOL::Calc;
using KOL::Domain;
using KOL::Point;
using KOL::ThermPlot;
using KOLTest::DiagramPlot;

namespace {

constexpr float K = 273.15f;
const char* const TYPE_NAMES[] = {"skewt", "stuve", "ema", "teph", "rteph"};

// One family of lines: its colour in the test's colour list and the nodes of its drawn chains
// (temperature C, pressure mb): pressures every 50 mb, isobars every 10 C.
struct Family {
  const char* name;
  const char* colour;
  std::vector<std::pair<float, float>> nodes;
};

// Nodes of lines given by their temperature at a pressure, from 1050 mb up to top.
std::vector<std::pair<float, float>> curves(std::vector<float> lines, float top,
                                            const std::function<float(float, float)>& temp)
{
  std::vector<std::pair<float, float>> out;
  for (float line : lines)
    for (float p = 1050; p >= top; p -= 50) out.emplace_back(temp(line, p), p);
  return out;
}

std::vector<Family> families()
{
  std::vector<std::pair<float, float>> isobars;
  for (float p : {1000, 850, 700, 500, 300, 200})
    for (float t = -80; t <= 40; t += 10) isobars.emplace_back(t, p);
  return {
      {"isobars", "blue", isobars},
      {"isotherms", "red", curves({-60, -30, 0, 20}, 100, [](float t, float) { return t; })},
      {"dry adiabats", "green",
       curves({253.15f, 283.15f, 313.15f, 343.15f}, 100,
              [](float theta, float p) { return Calc::tempOnDryAd(theta, p) - K; })},
      {"saturated adiabats", "cyan",
       curves({263.15f, 283.15f, 293.15f}, 200,
              [](float t, float p) {
                return Calc::tempOnSatAd(Calc::thetaeOnSatAd(t, 1000), p) - K;
              })},
      {"mixing-ratio lines", "magenta",
       curves({1, 4, 10, 20}, 100, [](float w, float p) { return Calc::tempOnMixRat(w, p) - K; })},
  };
}

// The family's nodes that lie well inside the panel: the number checked and the number with ink
// of the family's colour.
std::pair<int, int> checkFamily(DiagramPlot& d, const Family& f)
{
  int checked = 0, inked = 0;
  for (const auto& [t, p] : f.nodes) {
    const Point px = d.pixel(t, p);
    if (!d.inside(px, 8)) continue;
    ++checked;
    inked += d.inkNear(px, f.colour);
  }
  return {checked, inked};
}

class ThermPlotTest : public KOLTest::DatabaseTest {};

TEST_F(ThermPlotTest, TypeNamesAndTheirDomains)
{
  for (int t = 0; t < ThermPlot::NUM_TYPES; ++t) {
    ThermPlot tp(("ty=" + std::string(TYPE_NAMES[t])).c_str());
    Domain d;
    ASSERT_EQ(tp.getDomain(d), 1);
    EXPECT_EQ(d.proj, 40 + t) << TYPE_NAMES[t];
    EXPECT_EQ(d.nx * 100 + d.ny, 1211) << TYPE_NAMES[t];
  }
  // names are exact; anything else is the skew-T
  for (const char* other : {"SKEWT", "skew", "tephi", "hodo", "", "polar"})
    EXPECT_EQ(ThermPlot(("ty=" + std::string(other)).c_str()).getType(), ThermPlot::SKEWT) << other;
  EXPECT_EQ(ThermPlot::getType(nullptr), ThermPlot::SKEWT);
  EXPECT_EQ(ThermPlot::getDomain(ThermPlot::HODO).proj, 25);
  EXPECT_EQ(ThermPlot::getDomain(9).proj, 40);
  // the skew-T's window reaches from about 1050 to 100 mb
  const Domain skewt = ThermPlot::getDomain(ThermPlot::SKEWT);
  KOL::EarthPoint lower, upper;
  ASSERT_EQ(skewt.tran(2, lower), 1);
  ASSERT_EQ(skewt.tran(0, upper), 1);
  EXPECT_NEAR(lower.lon, 1052, 2);
  EXPECT_NEAR(upper.lon, 100.3, 0.5);
}

// Each family alone on the diagram (the others "off"), so that no later line hides its points.
TEST_F(ThermPlotTest, EveryFamilyPassesThroughItsPointsOnEveryDiagram)
{
  const std::vector<Family> all = families();
  for (int type = 0; type < ThermPlot::NUM_TYPES; ++type) {
    for (size_t k = 0; k < all.size(); ++k) {
      const Family& f = all[k];
      std::string list;
      for (size_t j = 0; j < all.size(); ++j)
        list += std::string(j ? "," : "") + (j == k ? std::string(f.colour) + ":w2" : "off");
      DiagramPlot d(type);
      ThermPlot tp;
      tp.setType(type);
      tp.setGridColor(list.c_str());
      ASSERT_EQ(tp.draw(d.plot()), 1);
      d.capture();
      const auto [checked, inked] = checkFamily(d, f);
      EXPECT_GE(checked, 4) << TYPE_NAMES[type] << " " << f.name << ": too few points inside";
      EXPECT_EQ(inked, checked) << TYPE_NAMES[type] << " " << f.name;
      if (k != 3) continue;
      // the saturated adiabats end at 200 mb
      const Point above =
          d.pixel(Calc::tempOnSatAd(Calc::thetaeOnSatAd(293.15f, 1000), 150) - K, 150);
      if (d.inside(above, 8)) {
        EXPECT_FALSE(d.inkNear(above, f.colour, 1)) << TYPE_NAMES[type];
      }
    }
    // all of them, for a person to look at
    DiagramPlot d(type);
    ThermPlot tp;
    tp.setType(type);
    tp.draw(d.plot());
    d.capture(std::string("therm_") + TYPE_NAMES[type] + ".png");
  }
}

TEST_F(ThermPlotTest, PanelTakesTheShapeOfTheLattice)
{
  // 12 x 11 points: 11 cells wide, 10 high, whatever the axes' units
  for (int type = 0; type < ThermPlot::NUM_TYPES; ++type) {
    DiagramPlot d(type);
    const KOL::Rect clip = d.plot().getGraph().getGTran(KOL::Plot::MAP).getClipRect();
    EXPECT_NEAR(clip.width() / clip.height(), 1.1, 0.01) << TYPE_NAMES[type];
  }
}

TEST_F(ThermPlotTest, AxisStepsSpaceTheLines)
{
  DiagramPlot d(ThermPlot::EMA);
  ThermPlot tp;
  tp.setType(ThermPlot::EMA);
  EXPECT_EQ(tp.setVertAxis(100, 1000, 100), 1);
  EXPECT_EQ(tp.setHorAxis(-100, 100, 20), 1);
  EXPECT_EQ(tp.setVertAxis(1000, 100, 100), 0) << "top below bottom";
  EXPECT_EQ(tp.setHorAxis(-100, 100, 0), 0);
  tp.setGridColor("blue:w2,red:w2,off,off,off");
  tp.draw(d.plot());
  d.capture();
  // isobars every 100 mb, isotherms every 20 C
  EXPECT_TRUE(d.inkNear(d.pixel(-30, 900), "blue"));
  EXPECT_FALSE(d.inkNear(d.pixel(-30, 850), "blue"));
  EXPECT_TRUE(d.inkNear(d.pixel(-20, 600), "red"));
  EXPECT_FALSE(d.inkNear(d.pixel(-30, 600), "red"));
}

TEST_F(ThermPlotTest, RangeRoundedOutwardAndEmptyBelow1100)
{
  {
    DiagramPlot d(ThermPlot::SKEWT);
    ThermPlot tp;
    tp.draw(d.plot());
    // corners: -134.5 C at the top left, 54.5 C at the bottom right, 100.3 and 1052 mb
    EXPECT_FLOAT_EQ(tp.getRange().tmin, -140);
    EXPECT_FLOAT_EQ(tp.getRange().tmax, 60);
    EXPECT_FLOAT_EQ(tp.getRange().top, 50);
    EXPECT_FLOAT_EQ(tp.getRange().bottom, 1100);
    DiagramPlot r(ThermPlot::RTEPH);
    ThermPlot rt("ty=rteph");
    rt.draw(r.plot());
    EXPECT_FLOAT_EQ(rt.getRange().bottom, 1100);
  }
  // a skew-T whose lower edge is at 1200 mb
  const float centre = 1200 / std::exp(5 * 0.235f);
  DiagramPlot d(Domain(("skewt,-40," + std::to_string(centre) + ",12,11,9,0.235").c_str()));
  ThermPlot tp;
  ASSERT_EQ(tp.draw(d.plot()), 1);
  d.capture("therm_bottom_1200.png");
  EXPECT_FLOAT_EQ(tp.getRange().bottom, 1100);
  const KOL::Rect clip = d.plot().getGraph().getGTran(KOL::Plot::MAP).getClipRect();
  const Point at1100 = d.pixel(0, 1100), at1050 = d.pixel(0, 1050);
  const int x1 = static_cast<int>(clip.x1) + 4, x2 = static_cast<int>(clip.x2) - 4;
  EXPECT_EQ(d.countNonWhite(x1, static_cast<int>(at1100.y) + 4, x2, static_cast<int>(clip.y2) - 4),
            0)
      << "nothing below 1100 mb";
  EXPECT_GT(d.countNonWhite(x1, static_cast<int>(at1050.y), x2, static_cast<int>(at1100.y) - 2),
            100)
      << "lines down to 1100 mb";
}

TEST_F(ThermPlotTest, ColourListsOfOneTwoAndThreeItems)
{
  // three items: all three curve families take the third
  {
    DiagramPlot d(ThermPlot::SKEWT);
    ThermPlot tp;
    tp.setGridColor("blue,blue,red:w2");
    tp.draw(d.plot());
    d.capture("therm_three_items.png");
    for (Family f : families()) {
      if (std::string(f.name).find("iso") == 0) continue;
      f.colour = "red";
      const auto [checked, inked] = checkFamily(d, f);
      EXPECT_EQ(inked, checked) << f.name;
    }
    // inside the frame: on the white picture the frame is black and the mixing-ratio labels
    // brown, and red curves blend into both where they meet them
    const KOL::Rect in = d.plot().getGraph().getGTran(KOL::Plot::MAP).getClipRect();
    for (const char* other : {"green", "cyan", "brown"})
      EXPECT_EQ(d.countInk(static_cast<int>(in.x1) + 3, static_cast<int>(in.y1) + 3,
                           static_cast<int>(in.x2) - 3, static_cast<int>(in.y2) - 3, other),
                0)
          << other;
  }
  // no list: blue isobars and isotherms, green, cyan and brown curves
  {
    DiagramPlot d(ThermPlot::SKEWT);
    ThermPlot tp;
    tp.draw(d.plot());
    d.capture("therm_defaults.png");
    for (const char* c : {"blue", "green", "cyan", "brown"}) EXPECT_GT(d.countInk(c), 200) << c;
  }
  // a resource gives the list
  {
    KOL::Kol::resrc.set("color_grid", "magenta,magenta");
    ThermPlot tp;
    KOL::Kol::resrc.set("color_grid", "");
    DiagramPlot d(ThermPlot::EMA);
    tp.setType(ThermPlot::EMA);
    ASSERT_EQ(tp.draw(d.plot()), 1);
    d.capture("therm_resource.png");
    EXPECT_EQ(d.countInk("blue"), 0);
    EXPECT_GT(d.countInk("magenta"), 1000);
    EXPECT_GT(d.countInk("green"), 200) << "the curves keep their defaults";
  }
}

// Texts drawn with a device font, so that the device sees each label as a string.
struct Label {
  std::string text;
  float x, y;
};

std::vector<Label> drawnLabels(int type, const char* mixRatios = nullptr)
{
  std::vector<std::string> log;
  KOL::Plot plot;
  EXPECT_TRUE(plot.open(std::make_unique<KOLTest::RecordingDevice>(900, 850, false, &log), ""));
  plot.setPanel(KOL::Rect(0.08f, 0.08f, 0.93f, 0.95f), ThermPlot::getDomain(type));
  plot.setFont("#fixed");
  ThermPlot tp;
  tp.setType(type);
  if (mixRatios) tp.setMixRatio(mixRatios);
  tp.draw(plot);
  std::vector<Label> out;
  for (const std::string& line : log) {
    Label l;
    char text[64];
    if (std::sscanf(line.c_str(), "text %f,%f %63s", &l.x, &l.y, text) != 3) continue;
    l.text = text;
    out.push_back(l);
  }
  return out;
}

// The labels on the row of the one whose text is key, left to right.
std::vector<std::string> rowOf(std::vector<Label> labels, const std::string& key)
{
  float y = -1;
  for (const Label& l : labels)
    if (l.text == key) y = l.y;
  std::sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) { return a.x < b.x; });
  std::vector<std::string> out;
  for (const Label& l : labels)
    if (std::fabs(l.y - y) < 0.5f) out.push_back(l.text);
  return out;
}

TEST_F(ThermPlotTest, MixingRatioLabelsOfEverySecondValue)
{
  const std::vector<Label> labels = drawnLabels(ThermPlot::SKEWT);
  ASSERT_FALSE(labels.empty());
  // the row of mixing ratios and their unit
  EXPECT_EQ(rowOf(labels, "g/kg"), (std::vector<std::string>{"0.1", "0.4", "1.0", "3.0", "5.0",
                                                             "10", "20", "30", "g/kg"}));
  // only those inside the panel: a list reaching beyond its right edge loses them
  const std::vector<std::string> hot = rowOf(drawnLabels(ThermPlot::SKEWT, "2,1,150,1,5"), "g/kg");
  EXPECT_EQ(hot, (std::vector<std::string>{"2.0", "5.0", "g/kg"}));
  // items that are empty or no numbers keep their places and draw nothing
  EXPECT_EQ(rowOf(drawnLabels(ThermPlot::SKEWT, "2,,x,1,,5"), "g/kg"),
            (std::vector<std::string>{"2.0", "g/kg"}));
}

TEST_F(ThermPlotTest, PressureLabelsEveryOtherStepInsideThePanel)
{
  const std::vector<Label> labels = drawnLabels(ThermPlot::SKEWT);
  std::vector<std::string> pressures;
  for (const Label& l : labels)
    if (l.x < 100 && l.text != "mb") pressures.push_back(l.text);
  // 50 to 1100 mb in 50 mb steps: every second from 1100; 1100 and 100 lie outside
  EXPECT_EQ(pressures, (std::vector<std::string>{"1000", "900", "800", "700", "600", "500", "400",
                                                 "300", "200"}));
  // temperatures under the panel, every 10 C where the isotherms meet its bottom
  std::vector<std::string> temps = rowOf(labels, "C");
  ASSERT_GE(temps.size(), 3u);
  EXPECT_EQ(temps.back(), "C");
  EXPECT_EQ(temps.front(), "-40");
  EXPECT_EQ(temps[temps.size() - 2], "50");
}

TEST_F(ThermPlotTest, LabelsOnTheOtherDiagrams)
{
  for (int type = 1; type < ThermPlot::NUM_TYPES; ++type) {
    const std::vector<Label> labels = drawnLabels(type);
    int pressures = 0;
    for (const Label& l : labels)
      pressures += l.x < 100 && l.text != "mb" && std::atoi(l.text.c_str()) >= 100;
    // the unrotated tephigram's isobars leave it through the bottom; only 100 and 200 mb meet
    // its left edge
    EXPECT_GE(pressures, type == ThermPlot::RTEPH ? 2 : 6) << TYPE_NAMES[type];
    const std::vector<std::string> mix = rowOf(labels, "g/kg");
    EXPECT_GE(mix.size(), 4u) << TYPE_NAMES[type];
  }
}

}  // namespace
