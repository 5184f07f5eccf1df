// The whole surface-map request on the METAR feed capture of 2020-01-06 (about 9,000 reports):
// decode and merge the reports, write the own surface file of the busiest hour, analyse
// pressure and temperature onto the CONUS map, contour and draw them with the map, draw the
// station models, write the PNG; each stage alone and the whole of it. In the same run the
// programs themselves: kolmetar decoding the capture to CSV beside kolsfcplot drawing the map
// from it (the goal: the whole map within 10 times the decoding alone).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "grid/Grids.h"
#include "grid/SfcGrid.h"
#include "layers/SfcPlot.h"
#include "obs/Data.h"
#include "obs/SfcFile.h"
#include "obs/SfcReports.h"

namespace {

using namespace KOL;

const Date REFERENCE(2020, 1, 6, 0, 30, 0.0f);
constexpr const char* ANALYSIS = "temp[F,cf,int=5],pres[mb,ln,int=4,co=black]";
constexpr const char* GRIDDING = "grid=2,rad_inf=4,filter=3";

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

std::string feed() { return dataDir() + "/metar/metpy_2020010600_sao.wmo"; }
std::string scratch(const char* name) { return std::string("/tmp/bench_sfc_map_") + name; }

void setUp()
{
  static bool done = false;
  if (done) return;
  Kol::setMessageLevel("none");
  Kol::setDatabasePath((std::string(KOL_SOURCE_DIR) + "/data").c_str());
  done = true;
}

void writeHour(const SfcReports& reports, const std::string& name)
{
  const long hour = reports.busiestHour();
  SfcFile out;
  out.setDate(Date(hour));
  out.open(name.c_str(), SfcFile::WRITE, "kol");
  for (const SfcData& s : reports.byHour().at(hour)) out.write(s);
}

const std::string& surfaceFile()
{
  static const std::string name = [] {
    setUp();
    SfcReports r;
    r.read(feed().c_str(), REFERENCE);
    writeHour(r, scratch("hour.cvt"));
    return scratch("hour.cvt");
  }();
  return name;
}

Domain conus()
{
  Domain d;
  DomainTool::decode(d, "conus");
  return d;
}

bool openPlot(Plot& plot)
{
  return plot.open("full,bg=white,de=i,sz=1200x900") && plot.setDomain(conus());
}

void BM_Decode(benchmark::State& state)
{
  setUp();
  int n = 0;
  for (auto _ : state) {
    SfcReports r;
    r.read(feed().c_str(), REFERENCE);
    n = r.count();
  }
  state.counters["records"] = n;
}

void BM_WriteSurfaceFile(benchmark::State& state)
{
  setUp();
  SfcReports r;
  r.read(feed().c_str(), REFERENCE);
  for (auto _ : state) writeHour(r, scratch("write.cvt"));
}

void BM_Analyse(benchmark::State& state)
{
  const std::string& file = surfaceFile();
  std::vector<VarSpec> vars{VarSpec("temp"), VarSpec("pres")};
  for (auto _ : state) {
    SfcGrid g;
    g.setDomain(conus());
    g.setParam(GRIDDING);
    Data data;
    Grids grids;
    SfcGrid::read(file.c_str(), vars, data);
    g.compute(data, grids);
  }
}

// The layer's whole draw of a variable list: read, (analyse, contour, fill,) maps.
void drawLayer(benchmark::State& state, const char* variable, const char* type,
               const std::string& params)
{
  const std::string& file = surfaceFile();
  for (auto _ : state) {
    Plot plot;
    openPlot(plot);
    SfcPlot layer;
    layer.setFilename(file.c_str());
    layer.setVariable(variable);
    if (type) layer.setPlotType(type);
    layer.setParam(params.c_str());
    layer.draw(plot);
  }
}

// The analysis with the gross-error check.
void BM_DrawAnalysis(benchmark::State& state)
{
  drawLayer(state, ANALYSIS, "cf", std::string("map,") + GRIDDING);
}

void BM_DrawStationModels(benchmark::State& state) { drawLayer(state, "sfc", nullptr, "map"); }

void BM_SavePng(benchmark::State& state)
{
  Plot plot;
  openPlot(plot);
  SfcPlot layer;
  layer.setFilename(surfaceFile().c_str());
  layer.setVariable(ANALYSIS);
  layer.setPlotType("cf");
  layer.setParam((std::string("map,") + GRIDDING).c_str());
  layer.draw(plot);
  for (auto _ : state) plot.saveImage(scratch("map.png").c_str(), "PNG");
}

// The programs as a user runs them, each a whole process.
void runProgram(benchmark::State& state, const std::string& command)
{
  const std::string bin = std::string(KOL_SOURCE_DIR) + "/build/release/programs/";
  const std::string line =
      "kolfpath=" + std::string(KOL_SOURCE_DIR) + "/data " + bin + command + " >/dev/null 2>&1";
  for (auto _ : state)
    if (std::system(line.c_str()) != 0) state.SkipWithError(("failed: " + line).c_str());
}

void BM_KolmetarCsv(benchmark::State& state)
{
  runProgram(state, "kolmetar -out=csv -date=202001060030 " + feed());
}

void BM_KolsfcplotAnalysis(benchmark::State& state)
{
  runProgram(state, "kolsfcplot -date=202001060030 -ge=1200x900 -va=slptemp -ou=" +
                        scratch("prog.png") + " " + feed());
}

void BM_KolsfcplotStations(benchmark::State& state)
{
  runProgram(state,
             "kolsfcplot -date=202001060030 -ge=1200x900 -ou=" + scratch("st.png") + " " + feed());
}

}  // namespace

BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSurfaceFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Analyse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawStationModels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KolmetarCsv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KolsfcplotAnalysis)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KolsfcplotStations)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
