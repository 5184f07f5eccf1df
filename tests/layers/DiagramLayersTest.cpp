// Thermodynamic diagrams, real soundings on them, and the hodograph.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DiagramPicture.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "layers/HodoPlot.h"
#include "layers/SoundPlot.h"
#include "layers/ThermPlot.h"
#include "layers/sound/SoundReader.h"
#include "obs/Calc.h"
#include "obs/ParcelParams.h"
#include "obs/UpaData.h"
#include "obs/UpaTool.h"
#include "obs/Wind.h"

namespace {

using KOL::Calc;
using KOL::Date;
using KOL::Domain;
using KOL::Point;
using KOL::SoundPlot;
using KOL::ThermPlot;
using KOL::UpaData;
using KOLTest::DiagramPlot;

constexpr float K = 273.15f;
const char* const TYPE_NAMES[] = {"skewt", "stuve", "ema", "teph", "rteph"};

// One family of lines: its colour and its nodes (C, mb) every 50 mb, isobars every 10 C.
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

// The family's nodes well inside the panel: how many, and how many have its ink.
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

TEST_F(ThermPlotTest, TypeNamesDomainsAndPressureLabels)
{
  for (int t = 0; t < ThermPlot::NUM_TYPES; ++t) {
    ThermPlot tp(("ty=" + std::string(TYPE_NAMES[t])).c_str());
    Domain d;
    ASSERT_EQ(tp.getDomain(d), 1);
    EXPECT_EQ(d.proj, 40 + t) << TYPE_NAMES[t];
    EXPECT_EQ(d.nx * 100 + d.ny, 1211) << TYPE_NAMES[t];
  }
  // names are exact; anything else is the skew-T
  for (const char* other : {"SKEWT", "tephi", ""})
    EXPECT_EQ(ThermPlot(("ty=" + std::string(other)).c_str()).getType(), ThermPlot::SKEWT) << other;
  EXPECT_EQ(ThermPlot::getDomain(ThermPlot::HODO).proj, 25);
  // the skew-T's window reaches from about 1050 to 100 mb
  const Domain skewt = ThermPlot::getDomain(ThermPlot::SKEWT);
  KOL::EarthPoint lower, upper;
  ASSERT_EQ(skewt.tran(2, lower), 1);
  ASSERT_EQ(skewt.tran(0, upper), 1);
  EXPECT_NEAR(lower.lon, 1052, 2);
  EXPECT_NEAR(upper.lon, 100.3, 0.5);
  // pressures labelled every other step where the isobars meet the left edge (device text)
  std::vector<std::string> log, pressures;
  KOL::Plot plot;
  ASSERT_TRUE(plot.open(std::make_unique<KOLTest::RecordingDevice>(900, 850, false, &log), ""));
  plot.setPanel(KOLTest::DIAGRAM_PANEL, ThermPlot::getDomain(ThermPlot::SKEWT));
  plot.setFont("#fixed");
  ThermPlot().draw(plot);
  for (const std::string& line : log) {
    float x, y;
    char text[64];
    if (std::sscanf(line.c_str(), "text %f,%f %63s", &x, &y, text) == 3 && x < 100 && *text != 'm')
      pressures.push_back(text);
  }
  // 50 to 1100 mb in 50 mb steps: every second from 1100; 1100 and 100 lie outside
  EXPECT_EQ(pressures, (std::vector<std::string>{"1000", "900", "800", "700", "600", "500", "400",
                                                 "300", "200"}));
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

// Three items: the curve families all take the third; none: the defaults; a resource's list.
TEST_F(ThermPlotTest, ColourListsOfOneTwoAndThreeItems)
{
  DiagramPlot three(ThermPlot::SKEWT);
  ThermPlot tp;
  tp.setGridColor("blue,blue,red:w2");
  tp.draw(three.plot());
  three.capture("therm_three_items.png");
  for (Family f : families()) {
    if (std::string(f.name).find("iso") == 0) continue;
    f.colour = "red";
    const auto [checked, inked] = checkFamily(three, f);
    EXPECT_EQ(inked, checked) << f.name;
  }
  const KOL::Rect in = three.plot().getGraph().getGTran(KOL::Plot::MAP).getClipRect();
  for (const char* other : {"green", "cyan", "brown"})
    EXPECT_EQ(three.countInk(int(in.x1) + 3, int(in.y1) + 3, int(in.x2) - 3, int(in.y2) - 3, other),
              0)
        << other << " inside the frame";
  DiagramPlot defaults(ThermPlot::SKEWT);
  ThermPlot().draw(defaults.plot());
  defaults.capture("therm_defaults.png");
  for (const char* c : {"blue", "green", "cyan", "brown"})
    EXPECT_GT(defaults.countInk(c), 200) << c;
  KOL::Kol::resrc.set("color_grid", "magenta,magenta");
  ThermPlot fromResource("ty=ema");
  KOL::Kol::resrc.set("color_grid", "");
  DiagramPlot d(ThermPlot::EMA);
  ASSERT_EQ(fromResource.draw(d.plot()), 1);
  d.capture("therm_resource.png");
  EXPECT_EQ(d.countInk("blue"), 0);
  EXPECT_GT(d.countInk("magenta"), 1000);
  EXPECT_GT(d.countInk("green"), 200) << "the curves keep their defaults";
}

struct Case {
  const char* file;
  const char* id;
  Date reference;
  const char* extension = ".txt";
};

const Case OUN{"upperair/ENCODED_72357_OUN_20110522_12Z", "OUN", Date(2011, 5, 22, 13, 0, 0)};
const Case KEY{"upperair/ENCODED_72201_KEY_20180630_12Z", "72201", Date(2018, 6, 30, 13, 0, 0)};
// A high-resolution BUFR sounding (5230 levels) of Wakkanai.
const Case WAKKANAI{"bufr/A_IUSC60RJTD050000_C_RJTD_20191105010145_42.bufr", "47401",
                    Date(2019, 11, 5, 1, 0, 0), ""};

// The sounding of the case, the layer set up by "color_data" and params.
SoundPlot loaded(const Case& c, const char* params = "", const char* colours = "")
{
  KOL::Kol::resrc.set("color_data", colours);
  SoundPlot sp;
  KOL::Kol::resrc.set("color_data", "");
  sp.setParam(params);
  sp.setId(c.id);
  EXPECT_TRUE(sp.setFilename(KOLTest::dataFile(std::string(c.file) + c.extension).c_str()));
  EXPECT_EQ(sp.load(c.reference), 1) << sp.getProblem();
  return sp;
}

class SoundPlotTest : public KOLTest::DatabaseTest {};

TEST_F(SoundPlotTest, CurvesPassThroughTheLevelsOnEveryDiagram)
{
  KOL_REQUIRE_DATA();
  for (const Case& c : {OUN, KEY, WAKKANAI}) {
    SoundPlot sp = loaded(c, "noparcel,co=red:w2,cosd=magenta:w2");
    const UpaData& s = sp.getSounding();
    for (int type = 0; type < ThermPlot::NUM_TYPES; ++type) {
      DiagramPlot d(type);
      ThermPlot tp;
      tp.setType(type);
      tp.draw(d.plot());
      sp.setDiagram(type);
      ASSERT_EQ(sp.draw(d.plot()), 1);
      d.capture(std::string("sounding_") + sp.getSounding().getWmo() + "_" + TYPE_NAMES[type] +
                ".png");
      int checked = 0, inked = 0;
      for (int i = 0; i < s.getNum(); ++i) {
        if (!s.validTemp(i) || !s.validPres(i)) continue;
        const bool saturated = s.validDewp(i) && s.getTemp(i) - s.getDewp(i) < 1.5f;
        const Point t = d.pixel(s.getTemp(i), s.getPres(i));
        if (d.inside(t, 8)) {
          ++checked;
          inked += d.inkNear(t, "red") || (saturated && d.inkNear(t, "magenta"));
        }
        if (!s.validDewp(i)) continue;
        const Point td = d.pixel(s.getDewp(i), s.getPres(i));
        if (d.inside(td, 8)) {
          ++checked;
          inked += d.inkNear(td, "magenta");
        }
      }
      EXPECT_GT(checked, 40) << c.file << " " << TYPE_NAMES[type];
      EXPECT_EQ(inked, checked) << c.file << " " << TYPE_NAMES[type];
    }
  }
}

TEST_F(SoundPlotTest, WindBarbsInAColumnAtTheRightEdge)
{
  KOL_REQUIRE_DATA();
  SoundPlot sp = loaded(OUN, "noparcel", "red,magenta,black:w2");
  DiagramPlot d(ThermPlot::SKEWT);
  ASSERT_EQ(sp.draw(d.plot()), 1);
  d.capture("sounding_barbs.png");
  const KOL::Rect clip = d.plot().getGraph().getGTran(KOL::Plot::MAP).getClipRect();
  const int band = static_cast<int>(clip.x2 - 0.12f * (clip.x2 - clip.x1));
  auto inkAt = [&](float p, int x1, int x2) {
    const int y = static_cast<int>(d.pixel(0, p).y);
    return d.countInk(x1, y - 3, x2, y + 3, "black");
  };
  // the mandatory levels all carry winds, and they come first
  for (float p : {925.0f, 850.0f, 700.0f, 500.0f, 300.0f, 200.0f}) {
    EXPECT_GT(inkAt(p, band, static_cast<int>(clip.x2)), 3) << p;
    EXPECT_EQ(inkAt(p, static_cast<int>(clip.x1), band - 60), 0) << "only at the edge: " << p;
  }
}

TEST_F(SoundPlotTest, ParcelPathOfTheIndicesOrTheKeys)
{
  KOL_REQUIRE_DATA();
  KOL::Kol::resrc.set("color_parcel", "orange:w2");
  SoundPlot sp = loaded(OUN, "par=sfc");
  KOL::Kol::resrc.set("color_parcel", "");
  const UpaData& s = sp.getSounding();
  const auto path = sp.parcelPath();
  ASSERT_GT(path.size(), 50u);
  // from the surface parcel to the top of the sounding
  EXPECT_FLOAT_EQ(path.front().second, s.getSfcPres());
  EXPECT_NEAR(path.front().first, s.getTemp(s.getSfc()), 0.01f);
  // the lifted index is the environment minus the parcel at 500 mb
  KOL::ParcelParams pp;
  pp.setType("sfc");
  ASSERT_EQ(pp.calc(s), 1);
  const int i500 = s.findPres(500);
  ASSERT_GE(i500, 0);
  int at500 = 0;
  for (const auto& [t, p] : path) {
    if (p != 500) continue;
    ++at500;
    EXPECT_NEAR(s.getTemp(i500) - t, pp.getLiftedIndex(), 0.05f);
  }
  EXPECT_EQ(at500, 1);
  // drawn where the diagram puts it
  DiagramPlot d(ThermPlot::SKEWT);
  ASSERT_EQ(sp.draw(d.plot()), 1);
  d.capture("sounding_parcel.png");
  int checked = 0, inked = 0;
  for (size_t i = 0; i < path.size(); i += 5) {
    const Point px = d.pixel(path[i].first, path[i].second);
    if (!d.inside(px, 8)) continue;
    ++checked;
    inked += d.inkNear(px, "orange");
  }
  EXPECT_GT(checked, 10);
  EXPECT_GE(inked, checked - 1);
  // a parcel and a diagram given by the keys
  SoundPlot given = loaded(OUN, "diag=teph,par=850:20:10");
  EXPECT_EQ(given.getDiagram(), ThermPlot::TEPH);
  KOL::Domain domain;
  ASSERT_EQ(given.getDomain(domain), 1);
  EXPECT_EQ(domain.proj, 43);
  // a given parcel starts where it is told and follows its dry adiabat to its LCL
  const auto from850 = given.parcelPath();
  ASSERT_GT(from850.size(), 2u);
  EXPECT_FLOAT_EQ(from850.front().second, 850);
  EXPECT_FLOAT_EQ(from850.front().first, 20);
  EXPECT_NEAR(from850[1].first + 273.15f,
              KOL::Calc::tempOnDryAd(KOL::Calc::potTemp(293.15f, 850), from850[1].second), 0.01f);
  EXPECT_TRUE(loaded(OUN, "par=sideways").parcelPath().empty()) << "a parcel text that is none";
}

// The station chosen by number or identifier; none there, no file, no sounding in it.
TEST_F(SoundPlotTest, StationChosenByNumberOrIdentifierOrNone)
{
  KOL_REQUIRE_DATA();
  const std::string two = KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt");
  const Date when(2026, 10, 6, 13, 0, 0);
  for (const auto& [id, wmo] :
       {std::pair{"72440", "72440"}, {"SGF", "72440"}, {"kiad", "72403"}, {"72403", "72403"}}) {
    SoundPlot sp;
    sp.setParam((std::string("id=") + id).c_str());
    sp.setFilename(two.c_str());
    ASSERT_EQ(sp.load(when), 1) << id << ": " << sp.getProblem();
    EXPECT_STREQ(sp.getSounding().getWmo(), wmo) << id;
  }
  SoundPlot missing;
  missing.setId("OUN");
  missing.setFilename(two.c_str());
  EXPECT_EQ(missing.load(when), 0);
  EXPECT_NE(missing.getProblem().find("OUN"), std::string::npos) << missing.getProblem();
  // a missing file, and a text that holds no parts at all
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("junk.txt"), "no soundings here\n\x01\x02\xff\n");
  for (const char* name : {"absent.txt", "junk.txt"}) {
    SoundPlot none;
    none.setFilename(dir.file(name).c_str());
    EXPECT_EQ(none.load(when), 0) << name;
    EXPECT_TRUE(name[0] == 'j' || none.getProblem().find(name) != std::string::npos)
        << none.getProblem();
  }
}

TEST_F(SoundPlotTest, OwnUpperAirFileByNamingConvention)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  ASSERT_EQ(KOLTest::writeOwnOunFile(dir.path()), 0);
  KOL::Kol::resrc.set("con_path", dir.path().c_str());
  SoundPlot sp, latest;
  sp.setId("OUN");
  latest.setId("OUN");
  const bool found = sp.setFilename("#201105221200");
  // the latest file at or before the frame's date
  Date evening(2011, 5, 22, 20, 0, 0), morning(2011, 5, 22, 6, 0, 0);
  const int later = latest.setFilename(evening), earlier = SoundPlot().setFilename(morning);
  KOL::Kol::resrc.set("con_path", "");
  ASSERT_TRUE(found);
  EXPECT_EQ(later, 1);
  EXPECT_EQ(earlier, 0);
  ASSERT_EQ(sp.load(OUN.reference), 1) << sp.getProblem();
  const SoundPlot parts = loaded(OUN);
  const UpaData &a = sp.getSounding(), &b = parts.getSounding();
  EXPECT_STREQ(a.getWmo(), "72357");
  // each level of the own file is one of the parts' (tropopause, max wind: to 10 hPa)
  auto tolerance = [](const UpaData& d, int i) {
    return d.getType(i) & (KOL::UpaLevel::TROPOPAUSE | KOL::UpaLevel::MAX_WIND) ? 10.0f : 0.0f;
  };
  int same = 0, levels = 0;
  for (int i = 0; i < a.getNum(); ++i) {
    if (!a.validTemp(i)) continue;
    ++levels;
    bool found = false;
    for (int j = 0; j < b.getNum(); ++j)
      found = found || (std::fabs(a.getPres(i) - b.getPres(j)) <= tolerance(a, i) &&
                        std::fabs(a.getTemp(i) - b.getTemp(j)) < 0.11f);
    same += found;
  }
  EXPECT_GT(levels, 45);
  EXPECT_EQ(same, levels);
}

class HodoPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    if (!KOLTest::haveData()) GTEST_SKIP() << "test data not found at " << KOLTest::dataDir();
    std::string problem;
    ASSERT_TRUE(
        KOL::sound::readSounding({KOLTest::dataFile("upperair/ENCODED_72357_OUN_20110522_12Z.txt")},
                                 "OUN", KOL::Date(2011, 5, 22, 12, 0, 0), sounding, problem))
        << problem;
  }
  // Device pixels of a wind's tip (the direction it blows to).
  KOL::Point pixel(const KOL::Domain& d, float dir, float spd)
  {
    KOL::EarthPoint e(std::fmod(dir + 180, 360), spd);
    KOL::Point p;
    d.tran(e, p);
    return plot->toDevice(p);
  }
  // An end of a segment of the hodograph (its segments are drawn one by one, in their colours).
  bool vertexNear(const KOL::Point& px) const
  {
    for (const KOL::Points& line : rec->lines)
      for (const KOL::Point& q : line)
        if (line.getNum() == 2)
          if (std::hypot(q.x - px.x, q.y - px.y) <= 2) return true;
    return false;
  }
  KOL::UpaData sounding;
};

TEST_F(HodoPlotTest, WindTipsUpToTheTopStormMotionAndKey)
{
  KOL::HodoPlot hodo;
  hodo.setParam("min_pr=500");
  hodo.setSounding(sounding);
  KOL::Domain d;
  ASSERT_TRUE(hodo.getDomain(d));
  openPanel(d, 800, 800);
  plot->setFont("#fixed");  // device text, read back from the log
  ASSERT_EQ(hodo.draw(*plot), 1);
  std::vector<KOL::Point> tips;
  for (int i = 0; i < sounding.getNum(); ++i) {
    if (!sounding.validDir(i) || !sounding.validSpd(i) || sounding.getPres(i) < 500) continue;
    tips.push_back(pixel(d, sounding.getDir(i), sounding.getSpd(i)));
    EXPECT_TRUE(vertexNear(tips.back())) << sounding.getPres(i) << " hPa";
  }
  ASSERT_GE(tips.size(), 10u);
  // one segment from each wind to the next, and none beyond
  auto isTip = [&](const KOL::Point& q) {
    for (const KOL::Point& t : tips)
      if (std::hypot(q.x - t.x, q.y - t.y) <= 1) return true;
    return false;
  };
  int segments = 0;
  for (const KOL::Points& line : rec->lines)
    segments += line.getNum() == 2 && isTip(line[0]) && isTip(line[1]);
  EXPECT_EQ(segments, static_cast<int>(tips.size()) - 1);
  KOL::Wind storm;
  ASSERT_TRUE(KOL::UpaTool::calcStorm(sounding, storm));
  // the ring about the storm motion: its points 2 knots from it
  const KOL::Point centre = pixel(d, storm.dir, storm.spd);
  const float two =
      std::hypot(pixel(d, 0, 2).x - pixel(d, 0, 0).x, pixel(d, 0, 2).y - pixel(d, 0, 0).y);
  int ring = 0;
  for (const KOL::Points& line : rec->lines) {
    int on = 0;
    for (const KOL::Point& q : line)
      on += std::fabs(std::hypot(q.x - centre.x, q.y - centre.y) - two) <= 1.5f;
    ring += on == line.getNum() && on > 8;
  }
  EXPECT_EQ(ring, 1);
  EXPECT_STREQ(KOL::HodoPlot::heightColor(500), "magenta");
  EXPECT_STREQ(KOL::HodoPlot::heightColor(2000), "red");
  EXPECT_STREQ(KOL::HodoPlot::heightColor(12000), "blue");
  // the key: each band's name beside a sample of its colour (a three-point line, the hodograph's
  // segments have two), from the lowest band up in the lower left quarter
  const KOL::Point origin = pixel(d, 0, 0);
  float last = 1e9f;
  for (const char* band : {"0-1 km", "1-3 km", "3-6 km", "6-9 km", "above 9 km"}) {
    SCOPED_TRACE(band);
    float x = -1, y = -1;
    for (const std::string& l : log)
      if (l.rfind("text ", 0) == 0 && l.find(band) != std::string::npos)
        std::sscanf(l.c_str(), "text %f,%f", &x, &y);
    ASSERT_GE(x, 0) << "named";
    EXPECT_LT(x, origin.x);
    EXPECT_GT(y, origin.y) << "below the centre (rows grow down)";
    EXPECT_LT(y, last) << "above the band under it";
    last = y;
    bool sample = false;
    for (const KOL::Points& line : rec->lines)
      sample = sample || (line.getNum() == 3 && std::fabs(line[2].y - y) < 2 && line[2].x < x &&
                          x - line[2].x < 30);
    EXPECT_TRUE(sample);
  }
}

}  // namespace
