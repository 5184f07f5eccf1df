// The surface plot layer on surface files of known stations and on the real METAR feed capture.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"
#include "imagery/Image.h"
#include "layers/SfcPlot.h"
#include "layers/SfcRaw.h"
#include "layers/VarList.h"
#include "layers/sfcplot/StationModels.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcReports.h"

using KOL::Const;
using KOL::Date;
using KOL::Kol;
using KOL::Plot;
using KOL::SfcData;
using KOL::SfcPlot;

namespace {

constexpr const char* CONUS = "conus";
constexpr uint32_t MAGENTA = 0xFF00FF;
const Date HOUR(2020, 1, 6, 0, 0, 0.0f);

struct Station {
  const char* id;
  float temp, dewp, slp;  // C, C, hPa
};

// Stations of the station table spread over the United States, placed by the table.
const Station STATIONS[] = {
    {"KOKC", 10.0f, 2.0f, 1013.2f},  {"KDEN", -5.0f, -12.0f, 1020.4f},
    {"KJFK", 5.0f, -1.0f, 1008.0f},  {"KORD", 0.0f, -4.0f, 1016.0f},
    {"KLAX", 18.0f, 9.0f, 1015.1f},  {"KMIA", 25.0f, 20.0f, 1012.0f},
    {"KSEA", 8.0f, 6.0f, 1004.6f},   {"KMSP", -8.0f, -12.0f, 1022.0f},
    {"KATL", 12.0f, 5.0f, 1014.0f},  {"KDFW", 15.0f, 7.0f, 1012.5f},
    {"KPHX", 20.0f, 0.0f, 1013.0f},  {"KBOS", 3.0f, -3.0f, 1006.0f},
    {"KSLC", -2.0f, -8.0f, 1024.0f}, {"KSTL", 6.0f, 0.0f, 1015.5f},
};

int count(const KOLTest::Raster& r, uint32_t rgb)
{
  int n = 0;
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) n += r.at(x, y) == rgb;
  return n;
}

class SfcPlotTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    Kol::resrc.set("con_path", dir.path().c_str());
    Kol::resrc.set("color_map", "magenta");
    saved_time = Kol::init_time;
    Kol::init_time = HOUR.getSeconds() + 1800;  // "la" searches back from here
  }
  void TearDown() override
  {
    for (const char* r : {"con_path", "color_map", "variable", "plot_type", "parameter"})
      Kol::resrc.set(r, "");
    Kol::init_time = saved_time;
    DatabaseTest::TearDown();
  }

  // The surface file of an hour by the convention, with the stations (all of them, or the
  // first n) and their temperatures offset by shift.
  std::string writeHour(const Date& hour, int n = 0, float shift = 0.0f)
  {
    KOL::Filename name(SfcPlot::CONVENTION, hour);
    KOL::SfcFile out;
    out.setDate(hour);
    EXPECT_TRUE(out.open(name.getName(), KOL::SfcFile::WRITE, "kol")) << name.getName();
    int k = 0;
    for (const Station& st : STATIONS) {
      if (n && k++ >= n) break;
      SfcData s;
      s.setId(st.id);
      s.date = hour;
      s.temp = st.temp + shift, s.dewp = st.dewp, s.slp = st.slp;
      s.wdir = 180, s.wspd = 10;
      out.write(s);
    }
    out.close();
    return name.getName();
  }

  // Reports on a lattice over the whole map, placed by their own positions, so that an analysis
  // covers the map: temperature falls to the north.
  void writeLattice(const Date& hour, float badPressure = Const::FMISS)
  {
    KOL::SfcFile out;
    out.setDate(hour);
    ASSERT_TRUE(
        out.open(KOL::Filename(SfcPlot::CONVENTION, hour).getName(), KOL::SfcFile::WRITE, "kol"));
    int n = 0;
    for (float lat = 10; lat <= 60; lat += 2.5f)
      for (float lon = -140; lon <= -50; lon += 3) {
        SfcData s;
        s.setId(("P" + std::to_string(n++)).c_str());
        s.setPlatform("SHIP");
        s.date = hour;
        s.lat = lat, s.lon = lon, s.elev = 0;
        s.temp = 40 - lat, s.slp = 1000 + lat / 2;
        out.write(s);
      }
    if (Const::isMiss(badPressure)) return;
    SfcData s;
    s.setId("BAD");
    s.setPlatform("SHIP");
    s.date = hour;
    s.lat = 36.2f, s.lon = -96.5f, s.elev = 0;
    s.temp = 10, s.slp = badPressure;
    out.write(s);
  }

  static bool openPlot(Plot& plot, const char* size = "sz=800x600")
  {
    KOL::Domain d;
    return plot.open((std::string("full,bg=white,de=i,") + size).c_str()) &&
           KOL::DomainTool::decode(d, CONUS) && plot.setDomain(d) == 1;
  }

  // The layer with these settings drawn on a fresh map of the United States.
  static int drawLayer(SfcPlot& layer, Plot& plot, const char* variable, const char* type = "",
                       const char* params = "")
  {
    layer.setVariable(variable);
    if (*type) layer.setPlotType(type);
    if (*params) layer.setParam(params);
    EXPECT_TRUE(openPlot(plot));
    return layer.draw(plot);
  }

  static KOLTest::Raster picture(Plot& plot)
  {
    KOL::Image img;
    plot.getImage(img);
    return KOLTest::toRaster(img);
  }

  KOLTest::TempDir dir;
  long saved_time = 0;
};

// The layer's parameter words, and the resources it starts from.
TEST_F(SfcPlotTest, ParametersAndResources)
{
  struct Case {
    const char* params;
    const char* variable;
    const char* type;
    bool map;
    int mapMode;
    int sync;
  } cases[] = {
      {"va=temp,pl=cf", "temp", "cf", false, -1, 0},
      {"MAP,Map_Fill", "", "", true, 1, 0},
      {"map_line,sync", "", "", false, 0, 1},
      {"variable=dewp,plot=lcf", "dewp", "lcf", false, -1, 0},  // two characters decide
      // a list's own commas: quoted, or inside brackets and braces
      {"va=\"temp,dewp\",pl=cf", "temp,dewp", "cf", false, -1, 0},
      {"va=temp[F,cf],pl=ln,sync", "temp[F,cf]", "ln", false, -1, 1},
      {"va={temp,dewp}[F,cf],map_fill", "{temp,dewp}[F,cf]", "", false, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    SfcPlot layer;
    EXPECT_EQ(layer.setParam(c.params), 1);
    EXPECT_STREQ(layer.getVariable(), c.variable);
    EXPECT_STREQ(layer.getPlotType(), c.type);
    EXPECT_EQ(layer.getMap(), c.map);
    EXPECT_EQ(layer.getMapMode(), c.mapMode);
    EXPECT_EQ(layer.getSync(), c.sync);
  }
  Kol::resrc.set("plot_type", "ln");
  Kol::resrc.set("parameter", "map,pl=cf");
  SfcPlot layer;
  EXPECT_STREQ(layer.getPlotType(), "cf") << "the parameter resource comes last";
  EXPECT_TRUE(layer.isGridded());
  layer.setPlotType("none");
  EXPECT_FALSE(layer.isGridded());
  layer.setPlotType("stations");
  EXPECT_EQ(layer.getPlotCode(), 0) << "an unknown word is no plot type";
  EXPECT_TRUE(layer.getContour().getContPlot().getSmoothEdge()) << "analyses end smoothly";
}

TEST_F(SfcPlotTest, WithoutAFileTheLatestHourIsDrawn)
{
  writeHour(Date(HOUR.getSeconds() - 3600), 3);
  const std::string latest = writeHour(HOUR);
  SfcPlot layer;
  Plot plot;
  EXPECT_EQ(drawLayer(layer, plot, "temp"), 1);
  EXPECT_EQ(std::string(layer.getFilename()), latest);
  Date d;
  ASSERT_TRUE(layer.getDate(d));
  EXPECT_EQ(d.getSeconds(), HOUR.getSeconds());
}

TEST_F(SfcPlotTest, MissingFileDrawsNothingAndSaysSoOnce)
{
  SfcPlot layer;
  layer.setVariable("temp");
  layer.setParam("map");
  layer.setFilename(dir.file("absent_sfc.cvt").c_str());
  Plot plot;
  ASSERT_TRUE(openPlot(plot));
  const KOLTest::Raster before = picture(plot);
  Kol::setMessageLevel(3);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(layer.draw(plot), 0);
  const std::string said =
      testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "SfcPlot: Unable to open file: " + dir.file("absent_sfc.cvt") + "\n");
  EXPECT_EQ(picture(plot).differ(before, 0), 0.0) << "nothing drawn, not even the map";
}

// With a fill plot type the map lines are drawn over the colours; a filled entry with the map
// lines asked under hides them; plotted values leave them under the data, visible.
TEST_F(SfcPlotTest, MapLinesGoOverFillsAndUnderValues)
{
  writeLattice(HOUR);
  struct Case {
    const char* what;
    const char* variable;
    const char* type;
    const char* params;
  } cases[] = {{"fill plot type", "temp", "cf", "map"},
               {"filled entry, lines under", "temp[C,cf]", "ln", "map,map_line"},
               {"values", "temp", "value", "map"}};
  int lines[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(cases[k].what);
    SfcPlot layer;
    Plot plot;
    ASSERT_EQ(drawLayer(layer, plot, cases[k].variable, cases[k].type, cases[k].params), 1);
    lines[k] = count(picture(plot), MAGENTA);
  }
  EXPECT_GT(lines[0], 3 * lines[1]) << "map lines over the fill are seen, under it hidden";
  EXPECT_GT(lines[2], 3 * lines[1]) << "values leave the map lines under them visible";
}

// One report 60 hPa off its neighbours is left out of the analysis, unless asked to keep it.
TEST_F(SfcPlotTest, GrossErrorLeftOutOfTheAnalysis)
{
  writeLattice(HOUR, 1078.0f);
  for (const char* params : {"", "noqc"}) {
    SCOPED_TRACE(params);
    SfcPlot layer;
    Plot plot;
    ASSERT_EQ(drawLayer(layer, plot, "pres", "ln", params), 1);
    const KOL::Grid& g = layer.getPipeline().slotGrid(0);
    ASSERT_GT(g.getValid(), 100);
    float lo = 0, hi = 0;
    g.getRange(lo, hi);
    if (*params)
      EXPECT_GT(hi, 1040.0f) << "the bad report raises the analysis";
    else
      EXPECT_LT(hi, 1031.0f) << "the lattice's own highest pressure is 1030";
  }
}

// Three plain parameters: every report is read once, and each station gets all three values,
// converted to the units the entries ask for.
TEST_F(SfcPlotTest, ThreeParametersAroundEachStationFromOnePass)
{
  writeHour(HOUR);
  SfcPlot layer;
  Plot plot;
  ASSERT_EQ(drawLayer(layer, plot, "temp[F,ul],dewp[F,ll],prcode[,ur:%03.0f]", "", "nothin"), 1);
  const int n = sizeof STATIONS / sizeof STATIONS[0];
  EXPECT_EQ(layer.getReportsRead(), n);

  KOL::sfcplot::StationModels models;
  KOL::VarList list("temp[F,ul],dewp[F,ll],prcode[,ur:%03.0f]");
  for (int i = 0; i < list.getNum(); ++i) models.add(*list.getSpec(i));
  KOL::SfcFile file(KOL::Filename(SfcPlot::CONVENTION, HOUR).getName());
  KOL::SfcRaw raw;
  ASSERT_EQ(models.read(file, raw, plot.getDomain()), n);
  const auto& okc = models.get().at(0);
  ASSERT_EQ(okc.values.size(), 3u);
  EXPECT_STREQ(okc.values[0].id, "KOKC");
  EXPECT_NEAR(okc.values[0].getValue(), 50.0f, 0.05f);
  EXPECT_NEAR(okc.values[1].getValue(), 35.6f, 0.05f);
  EXPECT_NEAR(okc.values[2].getValue(), 132.0f, 0.01f);
  EXPECT_STREQ(okc.values[2].format, "ur,%03.0f") << "colons become commas";
}

// Thinning on the real feed: a fair share kept, none closer than the spacing, and each station
// left out yields to a more important neighbour.
TEST_F(SfcPlotTest, ThinnedStationModelsKeepApart)
{
  KOL_REQUIRE_DATA();
  KOL::SfcReports reports;
  ASSERT_TRUE(reports.read(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo").c_str(),
                           Date(2020, 1, 6, 0, 30, 0.0f)));
  const std::string cvt = dir.file("feed.cvt");
  {
    KOL::SfcFile out;
    out.setDate(HOUR);
    ASSERT_TRUE(out.open(cvt.c_str(), KOL::SfcFile::WRITE, "kol"));
    for (const SfcData& s : reports.byHour().at(HOUR.getSeconds())) out.write(s);
  }
  Plot plot;
  ASSERT_TRUE(openPlot(plot));
  KOL::sfcplot::StationModels models;
  models.add(KOL::VarSpec("temp"));
  KOL::SfcFile file(cvt.c_str());
  KOL::SfcRaw raw;
  models.read(file, raw, plot.getDomain());
  const size_t all = models.get().size();
  const float w = 0.11f * plot.getVert(), h = 0.065f * plot.getVert();
  models.keepInside(plot.getDomain(), w / 2, h / 2);
  const std::vector<KOL::sfcplot::StationModel> inside = models.get();
  models.thin(w, h);
  const auto& kept = models.get();
  EXPECT_GT(all, 2000u);
  EXPECT_LT(inside.size(), all) << "stations near the edges would be cut";
  EXPECT_GT(kept.size(), 60u);
  EXPECT_LT(kept.size(), all / 4);
  auto near = [&](const KOL::sfcplot::StationModel& a, const KOL::sfcplot::StationModel& b) {
    return std::fabs(a.at.x - b.at.x) < w && std::fabs(a.at.y - b.at.y) < h;
  };
  std::set<std::string> ids;
  for (size_t a = 0; a < kept.size(); ++a) {
    ids.insert(kept[a].values[0].id);
    for (size_t b = a + 1; b < kept.size(); ++b)
      ASSERT_FALSE(near(kept[a], kept[b])) << kept[a].values[0].id;
  }
  for (const auto& m : inside) {
    bool yields = ids.count(m.values[0].id) > 0;
    for (const auto& k : kept) yields = yields || (k.priority <= m.priority && near(k, m));
    EXPECT_TRUE(yields) << m.values[0].id;
  }
}

}  // namespace
