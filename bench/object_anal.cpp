// Objective analysis of 10,000 stations onto a 1799 x 1059 Lambert grid (3 km), two passes,
// beside the floor: a plain loop that visits every grid point once per pass. "x_floor" is the
// analysis time as a multiple of the floor measured in the same run, "x_floor_cpu" the same in
// processor time.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <random>

#include "core/Kol.h"
#include "geo/Domain.h"
#include "grid/Grid.h"
#include "grid/Grids.h"
#include "grid/ObjectAnal.h"
#include "obs/Data.h"

namespace {

constexpr int NX = 1799, NY = 1059, STATIONS = 10000, PASSES = 2;

KOL::Domain domain()
{
  KOL::DomainVal dv;
  dv.proj = 4;
  dv.param[0] = 38.5f;
  dv.param[1] = -97.5f;
  dv.param[2] = dv.param[3] = 38.5f;
  dv.clat = 38.5f;
  dv.clon = -97.5f;
  dv.nx = NX;
  dv.ny = NY;
  dv.dx = dv.dy = 0.03f;
  return KOL::Domain(dv);
}

// Stations spread at random over the grid, a smooth field's values at them.
const KOL::Data& stations()
{
  static const KOL::Data data = [] {
    KOL::Data d(1);
    KOL::Domain dom = domain();
    std::mt19937 gen(20240115);
    std::uniform_real_distribution<float> x(0, NX - 1), y(0, NY - 1);
    for (int s = 0; s < STATIONS; s++) {
      KOL::EarthPoint e;
      dom.tran(KOL::GridPoint(x(gen), y(gen)), e);
      d.add("", e, 280.0f + 8.0f * std::sin(e.lon * 0.2f) * std::cos(e.lat * 0.15f));
    }
    return d;
  }();
  return data;
}

double cpuSeconds()
{
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double floorSeconds(KOL::Grid& g, double& cpu)
{
  const double c0 = cpuSeconds();
  auto t0 = std::chrono::steady_clock::now();
  float* v = g.getData();
  const size_t n = g.getCount();
  for (int pass = 0; pass < PASSES; pass++)
    for (size_t p = 0; p < n; p++) v[p] = v[p] * 0.5f + float(pass);
  benchmark::DoNotOptimize(v[n / 2]);
  cpu += cpuSeconds() - c0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// range(0): radius of influence in grid spacings.
void BM_Analysis(benchmark::State& state)
{
  KOL::Grids grids;
  grids.setNum(1);
  grids.getGrid(0).setDomain(domain());
  KOL::Grid plain;
  plain.setDomain(domain());
  plain.allocData();
  double anal = 0, floor = 0, analCpu = 0, floorCpu = 0;
  for (auto _ : state) {
    KOL::ObjectAnal oa;
    oa.set(0.002f, float(state.range(0)), PASSES, 0.3f);
    const double c0 = cpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    oa.compute(stations(), grids);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    analCpu += cpuSeconds() - c0;
    state.SetIterationTime(s);
    anal += s;
    floor += floorSeconds(plain, floorCpu);
  }
  state.counters["floor_ms"] = 1000 * floor / state.iterations();
  state.counters["x_floor"] = anal / floor;
  // In processor time, which other processes on a loaded machine do not blur.
  state.counters["x_floor_cpu"] = analCpu / floorCpu;
  state.counters["valid_points"] = grids.getGrid(0).getValid();
}

}  // namespace

BENCHMARK(BM_Analysis)
    ->Arg(3)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

int main(int argc, char** argv)
{
  KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data");
  KOL::Kol::setMessageLevel(0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
