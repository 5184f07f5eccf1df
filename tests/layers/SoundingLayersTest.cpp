// Upper-air charts and cross sections of the soundings of a Chinese TEMP BUFR bulletin.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/RecordingDevice.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "layers/GridXSectPlot.h"
#include "layers/ProfPlot.h"
#include "layers/UpaPlot.h"
#include "layers/UpaXSectPlot.h"
#include "layers/xsect/Section.h"
#include "obs/Calc.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaReports.h"
#include "obs/UpaTool.h"
#include "obs/VCoord.h"

namespace {

using KOL::UpaPlot;

// The region "china" of data/kol.reg.
constexpr const char* CHINA = "lamb:30:104.17,31.25,104.17,25,17,3.52,3.52";
constexpr const char* SOUNDINGS = "bufr/A_IUSN01BABJ290000_C_RJTD_20191029025504_87.bufr";

struct Text {
  KOL::Point at;
  std::string text;
};

class UpaPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    if (!KOLTest::haveData()) GTEST_SKIP() << "test data not found at " << KOLTest::dataDir();
    KOL::UpaReports r;
    ASSERT_TRUE(r.read(KOLTest::dataFile(SOUNDINGS).c_str(), KOL::Date(2019, 10, 29, 0, 0, 0)));
    r.locate(nullptr);
    ASSERT_TRUE(r.write(file.c_str()));
    // the soundings as the file keeps them (heights to the decametre, temperatures to the tenth)
    KOL::UpaKolFile in;
    ASSERT_TRUE(in.open(file.c_str(), KOL::UpaKolFile::READ));
    for (KOL::UpaRawinData raw; in.read(raw); raw.init()) {
      KOL::UpaData d;
      ASSERT_TRUE(KOL::UpaTool::merge(raw, d));
      soundings.push_back(d);
    }
    ASSERT_EQ(soundings.size(), 12u);
  }
  // Draws a list at a level on China with every station model kept.
  UpaPlot& draw(const char* variable, const char* level, const char* params = "nothin")
  {
    open(CHINA, 1000, 700);
    layer.setFilename(file.c_str());
    layer.setLevel(level);
    layer.setVariable(variable);
    layer.setParam(params);
    EXPECT_EQ(layer.draw(*plot), 1);
    return layer;
  }
  std::vector<Text> texts() const
  {
    std::vector<Text> out;
    for (const std::string& s : log) {
      Text t;
      char value[64];
      if (std::sscanf(s.c_str(), "text %f,%f %63s", &t.at.x, &t.at.y, value) == 3)
        out.push_back({t.at, value});
    }
    return out;
  }
  KOL::Point pixel(const KOL::UpaData& d)
  {
    KOL::EarthPoint e(d.getLat(), d.getLon());
    KOL::Point p;
    plot->getDomain().tran(e, p);
    return plot->toDevice(p);
  }
  static float at(const KOL::UpaData& d, float p, float KOL::UpaLevel::*field)
  {
    KOL::UpaLevel l;
    return d.interp(KOL::VCoord::PRESSURE, p, l) == 1 ? l.*field : KOL::Const::FMISS;
  }

  KOLTest::TempDir dir;
  std::string file = dir.file("cn.upa");
  std::vector<KOL::UpaData> soundings;
  UpaPlot layer;
};

// Each sounding's height and temperature at the level (600 hPa interpolated) at its station.
TEST_F(UpaPlotTest, StationValuesAndHeightCodesSitAtTheirStationsAtTheLevel)
{
  for (const char* level : {"500", "700", "600"}) {
    SCOPED_TRACE(level);
    // device text, so that the values can be read back
    draw("hght[dam,cc:%.0f:fo=#fixed],temp[C,cc:%.1f:fo=#fixed]", level);
    const std::vector<Text> drawn = texts();
    const float p = std::stof(level);
    int found = 0;
    for (const KOL::UpaData& d : soundings) {
      const float h = at(d, p, &KOL::UpaLevel::hght), t = at(d, p, &KOL::UpaLevel::temp);
      if (h == KOL::Const::FMISS) continue;
      char hText[16], tText[16];
      std::snprintf(hText, sizeof hText, "%.0f", h / 10);
      std::snprintf(tText, sizeof tText, "%.1f", t);
      const KOL::Point where = pixel(d);
      int here = 0;
      for (const Text& x : drawn)
        if (std::hypot(x.at.x - where.x, x.at.y - where.y) <= 2 &&
            (x.text == hText || x.text == tText))
          ++here;
      EXPECT_EQ(here, 2) << d.getId() << " " << hText << " " << tText;
      found += here == 2;
    }
    EXPECT_GE(found, 10);
  }
  // heights as charts write them: metres without the leading 1 at 850 hPa, decametres without
  // the thousands at 250 hPa (10 520 m is 052)
  for (const auto& [level, metresPer] : {std::pair{"850", 1.0f}, {"250", 10.0f}}) {
    SCOPED_TRACE(level);
    draw("hgcode[,cc:%03.0f:fo=#fixed]", level);
    const std::vector<Text> coded = texts();
    int codes = 0;
    for (const KOL::UpaData& d : soundings) {
      const float h = at(d, std::stof(level), &KOL::UpaLevel::hght);
      if (h == KOL::Const::FMISS) continue;
      char code[16];
      std::snprintf(code, sizeof code, "%03ld", std::lround(h / metresPer) % 1000);
      const KOL::Point where = pixel(d);
      for (const Text& x : coded)
        codes += std::hypot(x.at.x - where.x, x.at.y - where.y) <= 2 && x.text == code;
    }
    EXPECT_GE(codes, 10);
    for (const Text& x : coded) EXPECT_EQ(x.text.size(), 3u) << x.text;
  }
}

// The analysed 500 hPa heights pass within 2 dam of the soundings.
TEST_F(UpaPlotTest, AnalysedHeightsFollowTheSoundings)
{
  draw("hght[dam,ln,int=3]", "500", "grid=2,rad_inf=5,filter=4");
  const KOL::Grid& g = layer.getPipeline().slotGrid(0);
  ASSERT_GT(g.getValid(), 0);
  int inside = 0;
  for (const KOL::UpaData& d : soundings) {
    const float h = at(d, 500, &KOL::UpaLevel::hght) / 10;
    KOL::EarthPoint e(d.getLat(), d.getLon());
    const float a = g.getValue(e);
    if (h < 0 || a == KOL::Const::FMISS) continue;
    EXPECT_NEAR(a, h, 2.0f) << d.getId();
    ++inside;
  }
  EXPECT_GE(inside, 10);
}

constexpr const char* PRAHA = "bufr/pybufrkit_IUSD40_OKLI.bufr";
constexpr const char* NAM = "grib/g2_nam.t00z.awp21100.tm00.grib2";
constexpr float THETA = 312;

// The pressure (hPa) where a sounding's potential temperature first reaches theta going up.
float pressureOf(const KOL::UpaData& d, float theta)
{
  float below = KOL::Const::FMISS;
  for (float p = 1000; p >= 150; p -= 0.5f) {
    KOL::UpaLevel l;
    if (d.interp(KOL::VCoord::PRESSURE, p, l) != 1 || !l.validTemp()) continue;
    const float t = KOL::Calc::potTemp(l.temp + 273.15f, p);
    if (below != KOL::Const::FMISS && below < theta && t >= theta) return p;
    below = t;
  }
  return KOL::Const::FMISS;
}

// Columns linear in distance between profiles, missing stays missing, rows in log pressure.
TEST(XSectSection, FillBetweenProfiles)
{
  KOL::xsect::Section s;
  s.length = 1000, s.columns = 11, s.rows = 3, s.bottom = 1000, s.top = 100;
  EXPECT_FLOAT_EQ(s.pressure(0), 100);
  EXPECT_NEAR(s.pressure(1), 316.2278f, 0.01f);
  EXPECT_FLOAT_EQ(s.pressure(2), 1000);
  const float M = KOL::Const::FMISS;
  const KOL::Grid g = KOL::xsect::fill(s, {{200, {10, 20, M}}, {700, {60, 20, 5}}});
  EXPECT_EQ(g.getValue(0, 0), M) << "before the first profile";
  EXPECT_FLOAT_EQ(g.getValue(2, 0), 10);
  EXPECT_FLOAT_EQ(g.getValue(4, 0), 30);
  EXPECT_FLOAT_EQ(g.getValue(7, 0), 60);
  EXPECT_FLOAT_EQ(g.getValue(5, 1), 20);
  EXPECT_EQ(g.getValue(5, 2), M);
  EXPECT_EQ(g.getValue(9, 0), M) << "after the last";
}

class XSectPlotTest : public UpaPlotTest {};

TEST_F(XSectPlotTest, IsentropesCrossTheStationsWhereTheirSoundingsSay)
{
  KOL::UpaXSectPlot layer;
  layer.setFilename(file.c_str());
  layer.setStations("51463/ZLJQ/ZLYA");
  // one isentrope: an interval wider than the section's range, through THETA
  layer.setParam("va=theta,int=1000,cb=312");
  KOL::Domain d;
  ASSERT_TRUE(layer.getDomain(d));
  openPanel(d, 1000, 700);
  ASSERT_EQ(layer.draw(*plot), 1);
  ASSERT_EQ(layer.getSoundings().size(), 3u);
  const auto& lines = rec->lines;
  for (size_t k = 0; k < 3; ++k) {
    const KOL::UpaData& s = layer.getSoundings()[k];
    const float p = pressureOf(s, THETA);
    ASSERT_NE(p, KOL::Const::FMISS) << s.getId();
    KOL::EarthPoint e(layer.getSection().x(layer.getDistances()[k]), p);
    KOL::Point at;
    ASSERT_TRUE(d.tran(e, at));
    const KOL::Point px = plot->toDevice(at);
    // where a contour (not the frame) meets the station's column, to a pixel at the ends
    float best = 1e9f;
    for (const KOL::Points& line : lines) {
      if (line.getNum() <= 5) continue;
      for (int i = 1; i < line.getNum(); ++i) {
        const KOL::Point a = line[i - 1], b = line[i];
        if (std::min(a.x, b.x) > px.x + 1 || std::max(a.x, b.x) < px.x - 1 || a.x == b.x) continue;
        const float x = std::clamp(px.x, std::min(a.x, b.x), std::max(a.x, b.x));
        const float y = a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
        if (std::fabs(y - px.y) < std::fabs(best - px.y)) best = y;
      }
    }
    EXPECT_NEAR(best, px.y, 2.0f) << s.getId() << " at " << p << " hPa";
  }
}

// A name of the list resolves through the macro file to quantities and their contour formats;
// plain names keep working; the entries change what is drawn (fills, barbs).
TEST_F(XSectPlotTest, MacroEntriesChooseTheQuantities)
{
  const struct {
    const char* va;
    const char* names;
    bool filled;
  } cases[] = {{"", "wspd theta wbrb", true},
               {"va=xtemp", "temp theta wbrb", false},
               {"va=xrelh", "relh theta wbrb", true},
               {"va=theta/temp", "theta temp", false},
               {"va=nosuch", "wspd theta wbrb", true}};
  std::vector<int> lines;
  for (const auto& c : cases) {
    KOL::UpaXSectPlot layer;
    layer.setFilename(file.c_str());
    layer.setStations("51463/ZLJQ/ZLYA");
    layer.setParam(c.va);
    std::string names;
    for (const auto& item : layer.items()) names += (names.empty() ? "" : " ") + item.name;
    EXPECT_EQ(names, c.names) << c.va;
    KOL::Domain d;
    ASSERT_TRUE(layer.getDomain(d));
    open("xy,0,0,2,2,1,1", 1000, 700);
    ASSERT_TRUE(plot->setPanel(KOL::Rect(0.1f, 0.1f, 0.9f, 0.9f), d));
    forget();
    ASSERT_EQ(layer.draw(*plot), 1) << c.va;
    EXPECT_EQ(count("fill") > 0, c.filled) << c.va;
    lines.push_back(count("line"));
  }
  EXPECT_GT(lines[1], lines[3]) << "the same contours with barbs";
  KOL::UpaXSectPlot layer;
  layer.setParam("va=xtemp");
  EXPECT_NE(layer.items().front().format.find("int=5"), std::string::npos);
}

// The barbs of the end stations lie wholly inside the frame, which is wider than the section.
TEST_F(XSectPlotTest, EndStationsBarbsInsideTheFrame)
{
  KOL::UpaXSectPlot layer;
  layer.setFilename(file.c_str());
  layer.setStations("51463/ZLJQ/ZLYA");
  layer.setParam("va=wbrb");
  KOL::Domain d;
  ASSERT_TRUE(layer.getDomain(d));
  EXPECT_GT(d.nx, layer.getSection().columns);
  openPanel(d, 1000, 700);
  plot->setFont("#fixed");  // the frame's words as device text, not strokes
  forget();
  ASSERT_EQ(layer.draw(*plot), 1);
  auto column = [&](float km) {
    KOL::EarthPoint e(layer.getSection().x(km), 500);
    KOL::Point p;
    EXPECT_TRUE(d.tran(e, p));
    return plot->toDevice(p);
  };
  const KOL::Point first = column(0), last = column(layer.getSection().length);
  int ends = 0;
  for (const KOL::Points& line : rec->lines)
    for (const KOL::Point& q : line) {
      EXPECT_GE(q.x, 99.5f);
      EXPECT_LE(q.x, 900.5f);
      ends += std::fabs(q.x - first.x) < 0.5f || std::fabs(q.x - last.x) < 0.5f;
    }
  EXPECT_GT(ends, 10) << "barbs drawn at the end stations";
}

// The section's points against geod's, and its 500 hPa row against the 500 hPa grid there.
TEST_F(XSectPlotTest, ModelSectionFollowsTheGreatCircleAndTheLevels)
{
  KOL::GridXSectPlot layer;
  layer.setFilename(KOLTest::dataFile(NAM).c_str());
  // 81 rows from 1000 to 250 hPa: row 40 is 500 hPa
  layer.setParam("va=hght,from=35:-105,to=42:-80,bot=1000,top=250");
  ASSERT_EQ(layer.read(), 1);
  const auto& pts = layer.getPoints();
  ASSERT_EQ(pts.size(), 121u);
  const std::string geod = KOLTest::run(
      "geod +a=6371220 +es=0 -f %.6f +lat_1=35 +lon_1=-105 +lat_2=42 +lon_2=-80 +n_S=120 "
      "</dev/null 2>/dev/null");
  std::istringstream in(geod);
  float lat, lon;
  size_t k = 0;
  for (; in >> lat >> lon && k < pts.size(); ++k) {
    EXPECT_NEAR(pts[k].lat, lat, 0.01f) << k;
    EXPECT_NEAR(pts[k].lon, lon, 0.01f) << k;
  }
  if (geod.empty()) GTEST_SKIP() << "PROJ's geod not installed";
  EXPECT_EQ(k, pts.size());
  KOL::GridFile f;
  KOL::Grid g500;
  ASSERT_TRUE(f.open(KOLTest::dataFile(NAM).c_str()));
  for (KOL::Grid g; f.read(g); g.init())
    if (!std::strcmp(g.getVarSpec().getName(), "hght") && g.getVarSpec().getLevel().isSet()) {
      KOL::VCoord c;
      if (g.getVarSpec().getLevel().getLower(c) && c.value == 500) g500 = g;
    }
  ASSERT_TRUE(g500.isData());
  ASSERT_FLOAT_EQ(layer.getSection().pressure(40), 500);
  for (size_t i = 0; i < pts.size(); i += 20)
    EXPECT_NEAR(layer.getGrid().getValue(static_cast<int>(i), 40), g500.getValue(pts[i]), 0.5f)
        << i;
}

// The ground from the Colorado Plateau (830 hPa) to western Pennsylvania (970 hPa): values under
// it left out but for the row that reaches into it.
TEST_F(XSectPlotTest, ModelSectionLeavesTheGroundOut)
{
  KOL::GridXSectPlot layer;
  layer.setFilename(KOLTest::dataFile(NAM).c_str());
  layer.setParam("va=temp,from=35:-110,to=40:-80,bot=1000,top=250");
  ASSERT_EQ(layer.read(), 1);
  const std::vector<float>& ground = layer.getSurface();
  ASSERT_EQ(ground.size(), layer.getPoints().size());
  EXPECT_NEAR(ground.front(), 830, 40);
  EXPECT_NEAR(ground.back(), 970, 25);
  const KOL::xsect::Section& s = layer.getSection();
  const KOL::Grid& g = layer.getGrid();
  int under = 0;
  for (int i = 0; i < s.columns; ++i)
    for (int j = 1; j < s.rows; ++j) {
      const bool value = g.getValue(i, j) != KOL::Const::FMISS;
      if (s.pressure(j - 1) > ground[static_cast<size_t>(i)]) {
        EXPECT_FALSE(value) << i << " " << s.pressure(j);
        ++under;
      } else if (s.pressure(j) < ground[static_cast<size_t>(i)] - 5) {
        EXPECT_TRUE(value) << i << " " << s.pressure(j);
      }
    }
  EXPECT_GT(under, 100) << "rows under the plateau";
}

// The winds of Praha from four TEMP bulletins of 20 Nov 2007, each barb at its time.
TEST_F(XSectPlotTest, WindProfileColumnsAtTheirTimes)
{
  KOL::UpaReports r;
  ASSERT_TRUE(r.read(KOLTest::dataFile(PRAHA).c_str(), KOL::Date(2007, 11, 20, 12, 0, 0)));
  std::vector<KOL::UpaData> all;
  for (const KOL::UpaRawinData& raw : r.records())
    if (KOL::UpaData d; KOL::UpaTool::merge(raw, d)) all.push_back(d);
  KOL::ProfPlot prof;
  prof.setParam("id=11520");
  prof.setSoundings(all);
  KOL::Domain d;
  ASSERT_TRUE(prof.getDomain(d));
  const auto& s = prof.getSoundings();
  ASSERT_EQ(s.size(), 4u);
  for (size_t k = 1; k < s.size(); ++k)
    EXPECT_NEAR(prof.hours(k) - prof.hours(k - 1), 6, 1) << "six-hourly launches";
  openPanel(d, 900, 600);
  ASSERT_EQ(prof.draw(*plot), 1);
  const float pad = (prof.getSection().length - prof.hours(3)) / 2;
  int found = 0, winds = 0;
  for (size_t k = 0; k < s.size(); ++k) {
    KOL::UpaLevel l;
    if (s[k].interp(KOL::VCoord::PRESSURE, 500, l) != 1 || !l.validWind() || l.spd <= 0) continue;
    ++winds;
    KOL::EarthPoint e(prof.getSection().x(prof.hours(k) + pad), 500);
    KOL::Point at;
    ASSERT_TRUE(d.tran(e, at));
    const KOL::Point px = plot->toDevice(at);
    bool near = false;
    for (const KOL::Points& line : rec->lines)
      for (const KOL::Point& q : line) near = near || std::hypot(q.x - px.x, q.y - px.y) <= 2;
    found += near;
  }
  EXPECT_GE(winds, 3);
  EXPECT_EQ(found, winds) << "a 500 hPa barb at each time";
}

}  // namespace
