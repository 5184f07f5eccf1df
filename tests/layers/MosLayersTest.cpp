// MOS guidance on a map and as a meteogram, and meteograms of hourly surface files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "LayerPicture.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "layers/MeteoPlot.h"
#include "layers/MosPlot.h"
#include "layers/VarSpec.h"
#include "layers/mosplot/MosReport.h"
#include "obs/Datum.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/text/TextProductFile.h"

namespace {

using KOL::Date;
using KOL::EarthPoint;
using KOL::MeteoPlot;
using KOL::MeteoSeries;
using KOL::Point;
using KOLTest::isInkOf;

const char* const MAV = "textprod/mos/pyiem_MAVWC0.txt";

// KEED of the GFS bulletin: column 6 is 24 h after the 00 UTC run.
TEST(MosReport, GuidanceSeenAsASurfaceReport)
{
  KOL_REQUIRE_DATA();
  KOL::TextProductFile file;
  ASSERT_TRUE(file.open(KOLTest::dataFile(MAV).c_str()));
  KOL::TextProduct p;
  KOL::MosBulletin b;
  ASSERT_TRUE(file.read(p) && b.parse(p));
  const KOL::MosBulletin::Station& keed = b.stations.at(0);
  ASSERT_EQ(keed.hours.at(6), 24);
  const KOL::mosplot::MosReport r(keed, 6, 34.77f, -114.62f);
  EXPECT_NEAR(r.sfc.temp, (67 - 32) / 1.8f, 1e-3);  // TMP 67 F
  EXPECT_NEAR(r.sfc.dewp, (18 - 32) / 1.8f, 1e-3);
  EXPECT_EQ(r.sfc.wdir, 10.0f);  // WDR 01
  EXPECT_EQ(r.sfc.wspd, 12.0f);
  EXPECT_EQ(r.sfc.getCldCover(), 'C');
  EXPECT_EQ(r.sfc.vis, 10.0f);                      // category 7: more than 6 mi
  EXPECT_NEAR(r.sfc.maxt, (68 - 32) / 1.8f, 1e-3);  // X/N at 00 UTC is the day's maximum
  EXPECT_TRUE(KOL::Const::isMiss(r.sfc.mint));
  EXPECT_NEAR(KOL::mosplot::MosReport(keed, 10, 34.77f, -114.62f).sfc.mint, (48 - 32) / 1.8f, 1e-3);

  // surface quantities through the surface tools, other elements as the bulletin writes them
  const struct {
    const char* var;
    int type;
    float value;
    const char* text;
  } cases[] = {{"temp[F]", KOL::Datum::VALUE, (67 - 32) / 1.8f, ""},
               {"wbrb", KOL::Datum::WBARB, 10.0f, ""},
               {"p12", KOL::Datum::VALUE, 2.0f, ""},
               {"typ", KOL::Datum::TEXT, 0, "R"}};
  for (const auto& c : cases) {
    KOL::Datum d;
    ASSERT_TRUE(r.compute(KOL::VarSpec(c.var), d)) << c.var;
    EXPECT_EQ(d.type, c.type) << c.var;
    EXPECT_NEAR(d.loc.lat, 34.77f, 1e-4) << c.var;
    if (c.type == KOL::Datum::TEXT)
      EXPECT_STREQ(d.getData(), c.text) << c.var;
    else
      EXPECT_NEAR(d.getValue(0), c.value, 1e-3) << c.var;
  }
  KOL::Datum d;  // no 12-h chance at 21 UTC
  EXPECT_FALSE(KOL::mosplot::MosReport(keed, 5, 34.77f, -114.62f).compute(KOL::VarSpec("p12"), d));
}

class MosPlotPicture : public KOLTest::LayerPictureTest {
 protected:
  void SetUp() override
  {
    LayerPictureTest::SetUp();
    KOL_REQUIRE_DATA();
  }
  void draw(KOL::MosPlot& layer)
  {
    ASSERT_TRUE(layer.setFilename(KOLTest::dataFile(MAV).c_str()));
    LayerPictureTest::draw(layer);
  }
};

TEST_F(MosPlotPicture, StationModelsAndAnalysisOfTheHourAskedFor)
{
  KOL::MosPlot layer("nomap,ft=24,va=\"temp[F,ul:%.0f:red],dewp[F,ll:%.0f:green]\"");
  draw(layer);
  const auto placed = layer.placed();
  ASSERT_EQ(placed.size(), 3u);  // KEED, KELN, KEPH
  for (const auto& p : placed) EXPECT_EQ(p.station->hours[p.column], 24);
  EXPECT_NEAR(placed[0].lat, 34.7667, 1e-3);
  const Point at = pixel(placed[0].lat, placed[0].lon);
  auto count = [&](uint32_t c, int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) n += isInkOf(pic.at(int(at.x) + x, int(at.y) + y), c, 80);
    return n;
  };
  // temperature up left, dew point down left (rows grow down); nothing of them on the right
  const int redUp = count(0xFF0000, -40, -25, -1, -1), redDown = count(0xFF0000, -40, 1, -1, 25);
  const int greenUp = count(0x00FF00, -40, -25, -1, -1),
            greenDown = count(0x00FF00, -40, 1, -1, 25);
  EXPECT_GT(redUp, 3 * redDown + 5);
  EXPECT_GT(greenDown, 3 * greenUp + 5);
  EXPECT_EQ(count(0xFF0000, 2, -25, 40, 25) + count(0x00FF00, 2, -25, 40, 25), 0);
  // the analysis of the guidance honours the stations' values, in the entry's units
  KOL::MosPlot analysis("nomap,ft=24,va=temp[F,cf,int=5]");
  draw(analysis);
  ASSERT_EQ(analysis.getPipeline().getGrids().getNumSet(), 1);
  const KOL::Grid& g = analysis.getPipeline().slotGrid(0);
  for (const auto& p : analysis.placed()) {
    const KOL::MosBulletin::Value* v = p.station->find("TMP", p.column);
    ASSERT_TRUE(v);
    EXPECT_NEAR(g.getValue(EarthPoint(p.lat, p.lon)), v->number, 3.0) << p.station->id;
  }
}

// Model, run and hour choose the stations; the latest run's file of the "mos_dat" convention at
// or before the figure's time.
TEST(MosPlot, ModelRunAndFileOfTheConvention)
{
  KOL_REQUIRE_DATA();
  KOLTest::QuietScope quiet;
  KOLTest::DatabaseScope database;
  for (const auto& [params, stations] : {std::pair{"", 3u},
                                         {"mo=mav", 3u},
                                         {"mo=NAM", 0u},
                                         {"ho=12", 0u},
                                         {"ft=f24", 3u},
                                         {"ft=25", 0u}}) {
    KOL::MosPlot layer(params);
    ASSERT_TRUE(layer.setFilename(KOLTest::dataFile(MAV).c_str()));
    EXPECT_EQ(layer.placed().size(), stations) << params;
  }
  KOLTest::TempDir dir;
  dir.link("mos/2014010100.mos", KOLTest::dataFile(MAV));
  KOLTest::ResourceScope resources{{"con_path", dir.path()}};
  for (int hour : {5, -1}) {  // -1: an hour before the run, when there is none
    KOL::MosPlot layer;
    Date d = hour < 0 ? Date(2013, 12, 31, 23, 0, 0) : Date(2014, 1, 1, hour, 0, 0);
    EXPECT_EQ(layer.setFilename(d), hour >= 0) << hour;
    EXPECT_EQ(layer.placed().size(), hour >= 0 ? 3u : 0u);
  }
}

constexpr const char* DIAGRAM = "xy,500,375,1001,751,1,1";
const Date LAST(2020, 1, 6, 12, 0, 0.0f);

class MeteoPlotTest : public KOLTest::RecordedPlotTest {
 protected:
  void SetUp() override
  {
    RecordedPlotTest::SetUp();
    saved = KOL::Kol::init_time;
    KOL::Kol::init_time = LAST.getSeconds() + 600;
  }
  void TearDown() override
  {
    KOL::Kol::init_time = saved;
    RecordedPlotTest::TearDown();
  }
  static float temp(int h) { return 5.0f + 0.5f * h * (h % 3 == 0 ? 1.0f : 0.8f); }
  static float rain(int h) { return 0.5f * static_cast<float>(h % 3); }
  // Hours 0..n-1 before LAST, each with KOKC and another station (rain(h) mm at KOKC if wet).
  void writeHours(int n, bool wet = false)
  {
    for (int k = 0; k < n; ++k) {
      Date d = LAST;
      d += -3600 * k;
      KOL::SfcFile out;
      out.setDate(d);
      ASSERT_TRUE(
          out.open(KOL::Filename(MeteoPlot::CONVENTION, d).getName(), KOL::SfcFile::WRITE, "kol"));
      for (const char* id : {"KDEN", "KOKC"}) {
        KOL::SfcData s;
        s.setId(id);
        s.date = d;
        s.temp = id[1] == 'O' ? temp(k) : 30, s.dewp = s.temp - 4, s.slp = 1010 + k;
        s.wdir = 200, s.wspd = 15;
        if (wet && id[1] == 'O') s.prec[KOL::SfcData::PREC1] = rain(k);
        out.write(s);
      }
      out.close();
    }
  }
  KOLTest::TempDir dir;
  KOLTest::ResourceScope resources{{"con_path", dir.path()}};
  long saved = 0;
};

// Whether text was drawn (the words anywhere in a recorded text call).
bool drewText(const std::vector<std::string>& log, const std::string& words)
{
  for (const std::string& l : log)
    if (l.rfind("text ", 0) == 0 && l.find(words) != std::string::npos) return true;
  return false;
}

// The recorded line whose first point is nearest to p (device coordinates).
const KOL::Points* lineFrom(const std::vector<KOL::Points>& lines, const Point& p)
{
  const KOL::Points* best = nullptr;
  float d = 1e9f;
  for (const KOL::Points& l : lines)
    if (l.getNum() > 2 && std::hypot(l[0].x - p.x, l[0].y - p.y) < d)
      d = std::hypot(l[0].x - p.x, l[0].y - p.y), best = &l;
  return d < 1.0f ? best : nullptr;
}

TEST_F(MeteoPlotTest, TemperatureTraceThroughTheHourlyValues)
{
  writeHours(30);
  resources.set("identifier", "okc");  // without the K, any case
  resources.set("num_hour", "12");
  open(DIAGRAM, 1000, 750);
  MeteoPlot layer;
  ASSERT_EQ(layer.draw(*plot), 1);
  const MeteoSeries& s = layer.getSeries();
  EXPECT_EQ(s.station, "KOKC");
  ASSERT_EQ(s.samples.size(), 12u);  // the last 12 of 30 files
  EXPECT_EQ(s.samples.back().time, LAST.getSeconds());
  // temperature, pressure and wind panels; no sky cover or precipitation was reported
  ASSERT_EQ(layer.getPanels().size(), 3u);
  EXPECT_EQ(layer.getPanels()[1].field, MeteoSeries::PRES);
  const long first = s.samples.front().time;
  const KOL::Points* trace =
      lineFrom(rec->lines, plot->toDevice(layer.where(MeteoSeries::TEMP, first, temp(11))));
  ASSERT_NE(trace, nullptr);
  ASSERT_EQ(trace->getNum(), 12);
  for (int k = 0; k < 12; ++k) {
    const Point want =
        plot->toDevice(layer.where(MeteoSeries::TEMP, first + 3600L * k, temp(11 - k)));
    EXPECT_NEAR((*trace)[k].x, want.x, 1.0) << k;
    EXPECT_NEAR((*trace)[k].y, want.y, 1.0) << k;
  }
  // earlier hours lie left; the warmer early value higher up (rows grow down)
  EXPECT_LT((*trace)[0].x, (*trace)[11].x);
  EXPECT_LT((*trace)[0].y, (*trace)[11].y);
}

// An entry of the macro file chooses the panels and their order; a plain item draws its trace
// alone; a name that draws nothing leaves the standard panels.
TEST_F(MeteoPlotTest, MacroEntriesChooseThePanels)
{
  writeHours(12);
  resources.set("identifier", "KOKC");
  resources.set("num_hour", "12");
  using F = MeteoSeries::Field;
  const struct {
    const char* va;
    std::vector<F> panels;
    int traces;  // 12-point lines: temperature, dew point, pressure
  } cases[] = {{"", {MeteoSeries::TEMP, MeteoSeries::PRES, MeteoSeries::WIND}, 3},
               {"meteotemp", {MeteoSeries::TEMP}, 2},
               {"meteowind", {MeteoSeries::WIND, MeteoSeries::PRES}, 1},
               {"temp", {MeteoSeries::TEMP}, 1},
               {"pres/dewp", {MeteoSeries::PRES, MeteoSeries::TEMP}, 2},
               {"nosuchentry", {MeteoSeries::TEMP, MeteoSeries::PRES, MeteoSeries::WIND}, 3}};
  for (const auto& c : cases) {
    open(DIAGRAM, 1000, 750);
    MeteoPlot layer;
    layer.setParam((std::string("va=") + c.va).c_str());
    ASSERT_EQ(layer.draw(*plot), 1) << c.va;
    std::vector<F> got;
    for (const MeteoPlot::Panel& p : layer.getPanels()) got.push_back(p.field);
    EXPECT_EQ(got, c.panels) << c.va;
    int traces = 0;
    for (const KOL::Points& l : rec->lines) traces += l.getNum() == 12;
    EXPECT_EQ(traces, c.traces) << c.va;
  }
}

// The units an entry gives: temperatures in F and pressure in inHg, traced where they convert to;
// another macro file through the resource.
TEST_F(MeteoPlotTest, UnitsAndMacroFileOfTheList)
{
  writeHours(12);
  resources.set("identifier", "KOKC");
  resources.set("num_hour", "12");
  open(DIAGRAM, 1000, 750);
  plot->setFont("#fixed");
  MeteoPlot layer;
  layer.setParam("va=meteous");
  ASSERT_EQ(layer.draw(*plot), 1);
  ASSERT_EQ(layer.getPanels().size(), 3u);
  const MeteoPlot::Panel& pres = layer.getPanels()[1];
  EXPECT_LE(pres.lo, 1010 * 0.02953f);
  EXPECT_GE(pres.hi, 1021 * 0.02953f);
  EXPECT_LT(pres.hi - pres.lo, 1.0f) << "inches of mercury, not hPa";
  EXPECT_TRUE(drewText(log, "Temperature, dew point (F)"));
  EXPECT_TRUE(drewText(log, "Sea-level pressure (inHg)"));
  const long first = layer.getSeries().samples.front().time;
  EXPECT_NE(lineFrom(rec->lines, plot->toDevice(layer.where(MeteoSeries::PRES, first, 1021))),
            nullptr);
  EXPECT_NE(lineFrom(rec->lines, plot->toDevice(layer.where(MeteoSeries::TEMP, first, temp(11)))),
            nullptr);

  const std::string own = dir.file("own.var");
  std::FILE* f = std::fopen(own.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("meteo  Mine  0  wbrb,temp[F]\n", f);
  std::fclose(f);
  resources.set("var_file", own.c_str());
  open(DIAGRAM, 1000, 750);
  MeteoPlot mine;
  ASSERT_EQ(mine.draw(*plot), 1);
  ASSERT_EQ(mine.getPanels().size(), 2u);
  EXPECT_EQ(mine.getPanels()[0].field, MeteoSeries::WIND);
  EXPECT_GT(mine.getPanels()[1].hi, 40.0f) << "Fahrenheit";
}

// Hourly amounts summed over the period: the running total ends at the sum, which the panel's
// title gives.
TEST_F(MeteoPlotTest, PrecipitationTotalOverThePeriod)
{
  writeHours(6, true);
  resources.set("identifier", "KOKC");
  resources.set("num_hour", "6");
  open(DIAGRAM, 1000, 750);
  plot->setFont("#fixed");  // device text, read back from the log
  MeteoPlot layer;
  ASSERT_EQ(layer.draw(*plot), 1);
  float total = 0;
  for (int k = 0; k < 6; ++k) total += rain(k);
  // the file keeps hundredths of an inch
  EXPECT_NEAR(layer.getSeries().totalPrecipitation(), total, 0.06f);
  total = layer.getSeries().totalPrecipitation();
  ASSERT_EQ(layer.getPanels().back().field, MeteoSeries::PREC);
  EXPECT_GE(layer.getPanels().back().hi, total) << "the total inside the panel";
  const Point end = plot->toDevice(layer.where(MeteoSeries::PREC, LAST.getSeconds(), total));
  bool found = false;
  for (const KOL::Points& l : rec->lines)
    found = found || (l.getNum() > 4 &&
                      std::hypot(l[l.getNum() - 1].x - end.x, l[l.getNum() - 1].y - end.y) < 1.0f);
  EXPECT_TRUE(found) << "a running total ending at the sum";
  EXPECT_TRUE(drewText(log, "3.0 mm in 6 h"));
}

// MOS guidance as a forecast, in Fahrenheit by default, its maxima and minima where the N/X row
// has them; the same guidance in Celsius when asked.
TEST_F(MeteoPlotTest, MosBulletinAsForecast)
{
  KOL_REQUIRE_DATA();
  open(DIAGRAM, 1000, 750);
  MeteoPlot layer;
  ASSERT_TRUE(
      layer.setFilename(KOLTest::dataFile("textprod/mos/avwx_mav_KJFK_20200319.txt").c_str()));
  ASSERT_EQ(layer.draw(*plot), 1);
  const MeteoSeries& s = layer.getSeries();
  ASSERT_EQ(s.samples.size(), 21u);
  EXPECT_TRUE(s.probability);
  EXPECT_EQ(s.precHours, 6);
  // 18 UTC of the run's day: TMP 48 F, DPT 46 F; WDR 02, WSP 06; CLD OV; P06 at 00 UTC: 6 %
  EXPECT_EQ(s.samples[0].time, Date(2020, 3, 19, 18, 0, 0.0f).getSeconds());
  EXPECT_NEAR(s.samples[0].temp, 8.89f, 0.01f);
  EXPECT_NEAR(s.samples[0].dewp, 7.78f, 0.01f);
  EXPECT_EQ(s.samples[0].wdir, 20.0f);
  EXPECT_EQ(s.samples[0].cover, 1.0f);
  EXPECT_EQ(s.samples[2].prec, 6.0f);
  // no pressure in the guidance: temperature, wind, sky cover, probability
  ASSERT_EQ(layer.getPanels().size(), 4u);
  EXPECT_EQ(layer.getPanels()[3].field, MeteoSeries::PREC);
  EXPECT_NE(lineFrom(rec->lines, plot->toDevice(layer.where(MeteoSeries::TEMP, s.samples[0].time,
                                                            s.samples[0].temp))),
            nullptr);

  const std::string mav = KOLTest::dataFile("textprod/mos/avwx_mav_KMCO_20200319.txt");
  for (const char* units : {"", "tu=C"}) {
    open(DIAGRAM, 1000, 750);
    plot->setFont("#fixed");  // device text, read back from the log
    MeteoPlot m;
    m.setParam(units);
    ASSERT_TRUE(m.setFilename(mav.c_str()));
    ASSERT_EQ(m.draw(*plot), 1);
    EXPECT_TRUE(
        drewText(log, units[0] ? "Temperature, dew point (C)" : "Temperature, dew point (F)"));
    if (units[0]) {
      EXPECT_LT(m.getPanels()[0].hi, 40.0f);
      break;
    }
    EXPECT_LE(m.getPanels()[0].lo, 62.0f) << "the lowest dew point, 62 F";
    EXPECT_GE(m.getPanels()[0].hi, 89.0f);
    // minima at 12 UTC and maxima at 00 UTC from the 20th on
    const int extremes[] = {65, 89, 65, 87, 67};
    int seen = 0;
    for (const KOL::MeteoSample& x : m.getSeries().samples) {
      if (KOL::Const::isMiss(x.extreme)) continue;
      ASSERT_LT(seen, 5);
      const int f = extremes[seen];
      EXPECT_EQ(x.time, Date(2020, 3, 20, 12, 0, 0.0f).getSeconds() + 43200L * seen) << f;
      EXPECT_NEAR(x.extreme, (f - 32) * 5.0f / 9.0f, 0.01f);
      EXPECT_EQ(x.maximum, seen++ % 2 == 1) << f;
      EXPECT_TRUE(drewText(log, " " + std::to_string(f))) << f;
    }
    EXPECT_EQ(seen, 5);
  }
}

}  // namespace
