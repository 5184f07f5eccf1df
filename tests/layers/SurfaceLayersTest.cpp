// Surface layers: station files and the real METAR feed, the station table, text rows, refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Raster.h"
#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "grid/Grid.h"
#include "imagery/Image.h"
#include "layers/MdrPlot.h"
#include "layers/RadPlot.h"
#include "layers/RawPlot.h"
#include "layers/RcmPlot.h"
#include "layers/RedbookPlot.h"
#include "layers/SfcPlot.h"
#include "layers/SfcRaw.h"
#include "layers/VarList.h"
#include "layers/sfcplot/StationModels.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcReports.h"

namespace {

using KOL::Const;
using KOL::Date;
using KOL::EarthPoint;
using KOL::Kol;
using KOL::Plot;
using KOL::Point;
using KOL::SfcData;
using KOL::SfcPlot;
using KOL::SfcRaw;

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
    {"KJFK", 5.0f, -1.0f, 1008.0f},  {"KLAX", 18.0f, 9.0f, 1015.1f},
    {"KMIA", 25.0f, 20.0f, 1012.0f}, {"KSEA", 8.0f, 6.0f, 1004.6f},
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
    saved_time = Kol::init_time;
    Kol::init_time = HOUR.getSeconds() + 1800;  // "la" searches back from here
  }
  void TearDown() override
  {
    Kol::init_time = saved_time;
    DatabaseTest::TearDown();
  }

  // The surface file of an hour by the convention, with the stations (all, or the first n).
  std::string writeHour(const Date& hour, int n = 0)
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
      s.temp = st.temp, s.dewp = st.dewp, s.slp = st.slp;
      s.wdir = 180, s.wspd = 10;
      out.write(s);
    }
    out.close();
    return name.getName();
  }

  // Reports on a lattice covering the map, temperature falling to the north.
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
  KOLTest::ResourceScope resources{{"con_path", dir.path()}, {"color_map", "magenta"}};
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
  resources.set("plot_type", "ln");
  resources.set("parameter", "map,pl=cf");
  SfcPlot layer;
  EXPECT_STREQ(layer.getPlotType(), "cf") << "the parameter resource comes last";
  EXPECT_TRUE(layer.isGridded());
  layer.setPlotType("none");
  EXPECT_FALSE(layer.isGridded());
  layer.setPlotType("stations");
  EXPECT_EQ(layer.getPlotCode(), 0) << "an unknown word is no plot type";
  EXPECT_TRUE(layer.getContour().getContPlot().getSmoothEdge()) << "analyses end smoothly";
}

TEST_F(SfcPlotTest, LatestHourWithoutAFileNothingOfAMissingOne)
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
  // a file that is not there: nothing drawn, not even the map, and one line saying so
  SfcPlot absent;
  absent.setVariable("temp");
  absent.setParam("map");
  absent.setFilename(dir.file("absent_sfc.cvt").c_str());
  Plot page;
  ASSERT_TRUE(openPlot(page));
  const KOLTest::Raster before = picture(page);
  Kol::setMessageLevel(3);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(absent.draw(page), 0);
  const std::string said =
      testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "SfcPlot: Unable to open file: " + dir.file("absent_sfc.cvt") + "\n");
  EXPECT_EQ(picture(page).differ(before, 0), 0.0) << "nothing drawn, not even the map";
}

// Map lines over fills, hidden under a filled entry asked under, visible under values.
TEST_F(SfcPlotTest, MapLinesGoOverFillsAndUnderValues)
{
  writeLattice(HOUR);
  // a fill plot type, a filled entry with the lines under, values
  std::vector<int> lines;
  for (const auto& [variable, type, params] : {std::tuple{"temp", "cf", "map"},
                                               {"temp[C,cf]", "ln", "map,map_line"},
                                               {"temp", "value", "map"}}) {
    SfcPlot layer;
    Plot plot;
    ASSERT_EQ(drawLayer(layer, plot, variable, type, params), 1) << variable << " " << type;
    lines.push_back(count(picture(plot), MAGENTA));
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

// Three parameters: each report read once, each station all three values in their units.
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

// Thinning the real feed: none closer than the spacing, each left out yields to a better one.
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

class SfcRawTest : public KOLTest::DatabaseTest {
 protected:
  static SfcData report(const char* id, float lat = KOL::Const::FMISS,
                        float lon = KOL::Const::FMISS)
  {
    SfcData s;
    s.setId(id);
    s.lat = lat, s.lon = lon;
    return s;
  }
};

TEST_F(SfcRawTest, TableFillsWhatTheReportLacksForTheStationsChosen)
{
  SfcRaw raw;
  EXPECT_STREQ(raw.getVarFile(), "sfcraw.var");
  SfcData okc = report("KOKC");
  ASSERT_EQ(raw.getInfo(okc), 1);
  EXPECT_LT(std::hypot(okc.lat - 35.3833, okc.lon + 97.6), 1e-3);
  EXPECT_NEAR(okc.elev, 395, 0.5);
  EXPECT_EQ(okc.wmo, 72353);
  EXPECT_EQ(std::string(okc.name).rfind("Will_Rogers", 0), 0u) << okc.name;
  EXPECT_EQ(raw.getPriority(), 2);

  SfcData moved = report("KOKC", 36.0f, -98.0f);
  ASSERT_EQ(raw.getInfo(moved), 1);
  EXPECT_EQ(moved.lat * 1000 + moved.lon, 36000.0f - 98) << "a report's own position wins";

  SfcData ship = report("SHIP", 40.0f, -60.0f);
  EXPECT_EQ(raw.getInfo(ship), 1);
  EXPECT_EQ(raw.getPriority(), SfcRaw::OWN_POSITION_PRIORITY);

  for (const char* id : {"QQQQ", ""}) {
    SfcData unknown = report(id);
    EXPECT_EQ(raw.getInfo(unknown), 0) << id;
  }
  // stations chosen by pattern and priority
  for (const auto& [identifier, priority, id, placed] : {std::tuple{"st=OK", "", "KOKC", 1},
                                                         {"st=OK", "", "KDEN", 0},
                                                         {"K*", "", "KDEN", 1},
                                                         {"!KDEN", "", "KDEN", 0},
                                                         {"", "2", "KOKC", 1},
                                                         {"", "1", "KOKC", 0},
                                                         {"", "", "KOKC", 1}}) {
    KOLTest::ResourceScope choice{{"identifier", identifier}, {"stat_prior", priority}};
    SfcRaw raw;  // reads the choice as it loads the table
    SfcData s = report(id);
    EXPECT_EQ(raw.getInfo(s), placed) << identifier << " / " << priority << " / " << id;
  }
}

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
}

TEST(RefusedPlots, OneLineEachAndNothingDrawn)
{
  std::vector<std::pair<std::string, std::unique_ptr<KOL::Drawing>>> layers;
  layers.emplace_back("RedbookPlot", std::make_unique<KOL::RedbookPlot>());
  layers.emplace_back("RcmPlot", std::make_unique<KOL::RcmPlot>());
  layers.emplace_back("MdrPlot", std::make_unique<KOL::MdrPlot>());
  layers.emplace_back("RadPlot", std::make_unique<KOL::RadPlot>());
  KOL::Plot plot;
  for (auto& [name, layer] : layers) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(layer->setFilename("product.bin"), 0) << name;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind(name + ": product.bin: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(layer->draw(plot), 0) << name;
  }
}

}  // namespace
