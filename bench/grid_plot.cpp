// The grid plot request on the benchmark domain (HRRR's 1799 x 1059 Lambert grid): 500 hPa
// heights and winds of the NAM analysis, remapped once onto that domain into a native grid file,
// drawn as heights in lines over absolute vorticity filled, with the default map, to an 800 x 600
// picture. Each stage alone (reading the three fields in one pass, the vorticity, contouring,
// the map, the PNG), the whole request through GridPlot, and a loop of 10 frames through the
// figure (frames per second = 10 / its time).
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "graphics/Figure.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "grid/GribFile.h"
#include "grid/GridFile.h"
#include "grid/GridMath.h"
#include "grid/GridRead.h"
#include "grid/Grids.h"
#include "layers/GridCont.h"
#include "layers/GridPlot.h"

using namespace KOL;

namespace {

constexpr const char* LIST = "avort(500:uwnd,500:vwnd)[,cf],500:hght[dam,int=6]";
constexpr const char* PICTURE = "bg=white,de=i,,sz=800x600";

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

struct Setup {
  std::string file;  // the native grid file on the benchmark domain
  Domain domain;
  bool ok = false;
};

const Setup& setup()
{
  static Setup s = [] {
    Setup out;
    Kol::setDatabasePath((std::string(KOL_SOURCE_DIR) + "/data").c_str());
    Kol::setMessageMask(0);
    GribFile hrrr;
    Grid big;
    if (!hrrr.open((dataDir() + "/grib/bench/hrrr_tmp2m_grid_simple.grib2").c_str()) ||
        !hrrr.read(big))
      return out;
    out.domain = big.getDomain();
    Grids nam(3);
    for (const char* spec : {"500:hght", "500:uwnd", "500:vwnd"}) nam.addSpec(spec);
    GridRead reader;
    if (!reader.read((dataDir() + "/grib/g2_nam.t00z.awp21100.tm00.grib2").c_str(), nam))
      return out;
    out.file = "/tmp/bench_grid_plot_" + std::to_string(getpid()) + ".grd";
    GridFile gf;
    if (!gf.open(out.file.c_str(), GridFile::WRITE, GridFile::NATIVE_BINARY)) return out;
    for (int k = 0; k < 3; ++k) {
      Grid fine;
      GridMath::remap(fine, out.domain, nam.getGrid(k));
      gf.write(fine);
    }
    gf.close();
    out.ok = true;
    return out;
  }();
  return s;
}

void openPicture(Plot& plot)
{
  plot.open(PICTURE);
  plot.setDomain(setup().domain);
}

Grids readFields()
{
  Grids g(3);
  for (const char* spec : {"500:hght[dam]", "500:uwnd", "500:vwnd"}) g.addSpec(spec);
  GridRead().read(setup().file.c_str(), g);
  return g;
}

void BM_Read(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  for (auto _ : state) benchmark::DoNotOptimize(readFields().getNumSet());
}

void BM_Vorticity(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  const Grids in = readFields();
  Grids wind(2);
  wind.add(in.getGrid(1));
  wind.add(in.getGrid(2));
  for (auto _ : state) {
    Grid out;
    GridMath::process("avort", out, wind);
    benchmark::DoNotOptimize(out.getData());
  }
}

void BM_Contour(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  const Grids in = readFields();
  Grids wind(2);
  wind.add(in.getGrid(1));
  wind.add(in.getGrid(2));
  Grid vort;
  GridMath::process("avort", vort, wind);
  GridMath::units(vort, "10^-5 /s");
  Plot plot;
  openPicture(plot);
  for (auto _ : state) {
    Grid fill(vort), lines(in.getGrid(0));
    GridCont("cf").draw(plot, fill);
    GridCont("ln,int=6").draw(plot, lines);
  }
}

void BM_Map(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  Plot plot;
  openPicture(plot);
  for (auto _ : state) MapPlot("default").draw(plot);
}

void BM_Png(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  Plot plot;
  openPicture(plot);
  MapPlot("default").draw(plot);
  const std::string png = setup().file + ".png";
  for (auto _ : state) plot.saveImage(png.c_str(), "PNG");
  unlink(png.c_str());
}

// Reading, functions, contours, maps and labels through the layer, and the PNG.
void BM_WholeRequest(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  const std::string png = setup().file + ".png";
  for (auto _ : state) {
    Plot plot;
    openPicture(plot);
    GridPlot layer;
    layer.setVariable(LIST);
    layer.setFilename(setup().file.c_str());
    layer.draw(plot);
    plot.drawBorder();
    plot.drawLabels();
    plot.saveImage(png.c_str(), "PNG");
  }
  unlink(png.c_str());
}

// Ten frames of the figure's forecast loop over the same analysis.
void BM_Loop10(benchmark::State& state)
{
  if (!setup().ok) return state.SkipWithError("no benchmark data");
  for (auto _ : state) {
    Figure fig;
    fig.open(PICTURE);
    fig.startPlot(setup().domain);
    fig.setForeTime("0,0,0,0,0,0,0,0,0,0");
    GridPlot layer;
    layer.setVariable(LIST);
    layer.setFilename(setup().file.c_str());
    fig.addDrawing(layer);
    fig.endPlot();
  }
}

}  // namespace

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Vorticity)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Contour)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Map)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Png)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WholeRequest)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Loop10)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  if (setup().ok) unlink(setup().file.c_str());
  return 0;
}
