// Grid calculations on a 1799 x 1059 Lambert conformal grid at 3 km (the size of a continental
// convection-allowing model), against a plain memcpy of the same arrays measured in the same
// run: BM_Memcpy copies the two inputs of a binary operation.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/Kol.h"
#include "grid/GridMath.h"
#include "grid/GridTool.h"

namespace {

constexpr int NX = 1799;
constexpr int NY = 1059;

KOL::Domain continent()
{
  KOL::DomainVal v;
  v.proj = 4;
  v.param[0] = 38.5f;
  v.param[1] = -97.5f;
  v.param[2] = v.param[3] = 38.5f;
  v.clat = 38.5f;
  v.clon = -97.5f;
  v.nx = NX;
  v.ny = NY;
  v.dx = v.dy = 0.03f;
  return KOL::Domain(v);
}

struct Fields {
  KOL::Grid t, u, v, out, copy1, copy2;
  Fields()
  {
    KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data");
    KOL::Domain d = continent();
    for (KOL::Grid* g : {&t, &u, &v, &copy1, &copy2}) {
      g->setDomain(d);
      g->allocData();
    }
    t.setUnits("K");
    u.setUnits("m/s");
    v.setUnits("m/s");
    for (int j = 0; j < NY; ++j)
      for (int i = 0; i < NX; ++i) {
        t.setValue(i, j, 280.0f + 0.01f * i - 0.02f * j + std::sin(0.01f * i));
        u.setValue(i, j, 10.0f + std::cos(0.003f * j));
        v.setValue(i, j, -5.0f + std::sin(0.002f * i));
      }
    // A sprinkling of missing values, as at the edge of a model's data.
    for (std::size_t k = 0; k < t.getCount(); k += 9973) t.getData()[k] = KOL::Const::FMISS;
  }
};

Fields& fields()
{
  static Fields f;
  return f;
}

void BM_Memcpy(benchmark::State& state)
{
  Fields& f = fields();
  const std::size_t bytes = f.t.getCount() * sizeof(float);
  for (auto _ : state) {
    std::memcpy(f.copy1.getData(), f.t.getData(), bytes);
    std::memcpy(f.copy2.getData(), f.u.getData(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 2 * bytes);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_Add(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::GridMath::add(f.out, f.t, f.u);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Add)->Unit(benchmark::kMillisecond);

void BM_Divide(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::GridMath::div(f.out, f.t, f.u);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Divide)->Unit(benchmark::kMillisecond);

void BM_AddValue(benchmark::State& state)
{
  Fields& f = fields();
  KOL::Grid kelvin;
  KOL::GridTool::valueGrid(kelvin, 273.15f);
  for (auto _ : state) {
    KOL::GridMath::sub(f.out, f.t, kelvin);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_AddValue)->Unit(benchmark::kMillisecond);

void BM_Vorticity(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::GridMath::vorticity(f.out, f.u, f.v);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Vorticity)->Unit(benchmark::kMillisecond);

void BM_Advection(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::GridMath::advection(f.out, f.t, f.u, f.v);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Advection)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
