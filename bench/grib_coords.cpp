// Latitude and longitude of every point of the projected GRIB grids, as the point listing of
// kolgrib and the decoder tests ask for them: a 3 km Lambert grid of 1799 x 1059 points and a
// 10 km polar stereographic grid of 935 x 824 points.
#include <benchmark/benchmark.h>

#include <vector>

#include "grid/grib/GridDefs.h"

namespace {

using KOL::grib::GridGeom;

GridGeom lambert()
{
  GridGeom g;
  g.templ = 30;
  g.nx = 1799, g.ny = 1059;
  g.la1 = 21.138123, g.lo1 = 237.280472, g.lov = 262.5, g.lad = 38.5;
  g.latin1 = g.latin2 = 38.5;
  g.di = g.dj = 3000;
  g.scan = 0x40;
  g.radius = 6371229;
  return g;
}

GridGeom polar()
{
  GridGeom g;
  g.templ = 20;
  g.nx = 935, g.ny = 824;
  g.la1 = 40.0, g.lo1 = 239.0, g.lov = 249.0, g.lad = 60;
  g.di = g.dj = 10000;
  g.scan = 0x40;
  g.radius = 6371229;
  return g;
}

void coords(benchmark::State& state, const GridGeom& g)
{
  const auto* kind = KOL::grib::findGridKind(g.templ);
  std::vector<double> lat, lon;
  for (auto _ : state) {
    kind->coords(g, lat, lon);
    benchmark::DoNotOptimize(lat.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(g.points()));
}

void BM_LambertCoords(benchmark::State& state) { coords(state, lambert()); }
BENCHMARK(BM_LambertCoords)->Unit(benchmark::kMillisecond);

void BM_PolarCoords(benchmark::State& state) { coords(state, polar()); }
BENCHMARK(BM_PolarCoords)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
