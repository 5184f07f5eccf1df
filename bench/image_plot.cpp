// A 2-million-point field shown as an image beside the same field drawn as colour fills, in the
// same run: the 1799 x 1059 HRRR 2 m temperature field read from GRIB and drawn into a
// 1400 x 1050 PNG on the grid's own map, 2 degree classes (30 of them) both ways:
// - GridPlot with "sfc:temp[C,cf,int=2]" (contour fills, as kolgridplot draws them);
// - ImagePlot, nearest grid point ("va=sfc:temp[C],int=2") and bilinear ("fill").
// Each is timed by this process's CPU time, reading and writing the PNG included (the pictures
// are left in /tmp/bench_image_plot_*.png). The ratio of the image to the fills is the result.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/Kol.h"
#include "geo/Domain.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/GridPlot.h"
#include "layers/ImagePlot.h"

using namespace KOL;

namespace {

std::string grib()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return std::string(env && *env ? env : KOL_TEST_DATA_DEFAULT) +
         "/grib/bench/hrrr_tmp2m_grid_simple.grib2";
}

// Left for a look.
std::string png(const char* name) { return std::string("/tmp/bench_image_plot_") + name + ".png"; }

void setUp()
{
  Kol::setDatabasePath((std::string(KOL_SOURCE_DIR) + "/data").c_str());
  Kol::setMessageMask(0);
  Kol::resrc.set("geometry", "1400x1050");
  PlotOutput::whitePage(Kol::resrc);
}

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void configure(GridPlot& layer, const char* variable) { layer.setVariable(variable); }
void configure(ImagePlot& layer, const char* params) { layer.setParam(params); }

// A new layer each time, so that every iteration reads the field.
template <class Layer>
void draw(benchmark::State& state, const char* params, const char* name)
{
  const std::string out = png(name);
  for (auto _ : state) {
    const double t0 = cpuSeconds();
    Layer layer;
    configure(layer, params);
    if (!layer.setFilename(grib().c_str())) return state.SkipWithError("benchmark field not found");
    Domain d;
    if (!layer.getDomain(d)) return state.SkipWithError("no grid");
    const int status = PlotOutput::drawLayer(layer, d, "bench", nullptr, out.c_str());
    state.SetIterationTime(cpuSeconds() - t0);
    if (status != 0) return state.SkipWithError("not drawn");
  }
}


void BM_GridPlotFillsPng(benchmark::State& state)
{
  setUp();
  draw<GridPlot>(state, "sfc:temp[C,cf,int=2]", "fills");
}

void BM_ImagePlotNearestPng(benchmark::State& state)
{
  setUp();
  draw<ImagePlot>(state, "va=sfc:temp[C],int=2,pixoff", "nearest");
}

void BM_ImagePlotBilinearPng(benchmark::State& state)
{
  setUp();
  draw<ImagePlot>(state, "va=sfc:temp[C],int=2,fill", "bilinear");
}

}  // namespace

BENCHMARK(BM_GridPlotFillsPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImagePlotNearestPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImagePlotBilinearPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

BENCHMARK_MAIN();
