// Lookups in the shipped name and unit tables as fresh objects make them: every grid result
// names its variable through a new VarSpec, and every unit conversion of a grid starts a new
// Unit, so each of these is a first lookup that misses the object's own small cache. Also a
// small grid calculation, where that naming is most of the cost.
#include <benchmark/benchmark.h>

#include "core/Kol.h"
#include "core/Unit.h"
#include "grid/GridMath.h"
#include "layers/VarSpec.h"

namespace {

void useShippedTables() { KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data"); }

void BM_VarSpecByName(benchmark::State& state)
{
  useShippedTables();
  for (auto _ : state) {
    KOL::VarSpec spec("850:rvort");
    benchmark::DoNotOptimize(spec.getVar().getInd());
  }
}
BENCHMARK(BM_VarSpecByName);

void BM_VarSpecByIndex(benchmark::State& state)
{
  useShippedTables();
  for (auto _ : state) {
    KOL::VarSpec spec;
    spec.setVar(52, "%");
    benchmark::DoNotOptimize(spec.getVar().getInd());
  }
}
BENCHMARK(BM_VarSpecByIndex);

void BM_UnitFirstConversion(benchmark::State& state)
{
  useShippedTables();
  for (auto _ : state) {
    KOL::Unit unit;
    benchmark::DoNotOptimize(unit.convert(300.0f, "K", "F"));
  }
}
BENCHMARK(BM_UnitFirstConversion);

// Vorticity of a 10 x 10 grid: winds converted to m/s, the result named and labelled.
void BM_SmallGridVorticity(benchmark::State& state)
{
  useShippedTables();
  KOL::DomainVal dv;
  dv.proj = 4;  // Lambert conformal
  dv.param[0] = dv.param[2] = dv.param[3] = dv.clat = 38.5f;
  dv.param[1] = dv.clon = -97.5f;
  dv.nx = dv.ny = 10;
  dv.dx = dv.dy = 0.5f;
  KOL::Domain d(dv);
  KOL::Grid u, v, out;
  for (KOL::Grid* g : {&u, &v}) {
    g->setDomain(d);
    g->allocData();
    g->setUnits("kt");
    for (std::size_t k = 0; k < g->getCount(); ++k) g->getData()[k] = static_cast<float>(k % 7);
  }
  for (auto _ : state) {
    KOL::GridMath::vorticity(out, u, v);
    benchmark::DoNotOptimize(out.getData());
  }
}
BENCHMARK(BM_SmallGridVorticity);

}  // namespace

BENCHMARK_MAIN();
