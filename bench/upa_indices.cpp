// Speed of the sounding indices: every UpaCalc quantity of one real sounding (the Norman TEMP of
// the shared upper-air data, decoded and merged), repeated; soundings per second. In the same run
// the decode and merge of the same parts, and the sounding's copy alone, for scale.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "obs/ParcelParams.h"
#include "obs/SoundParams.h"
#include "obs/UpaCalc.h"
#include "obs/UpaData.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"
#include "obs/WindParams.h"

namespace {

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

const std::vector<KOL::UpaWmoData>& parts()
{
  static const std::vector<KOL::UpaWmoData> all = [] {
    std::vector<KOL::UpaWmoData> out;
    KOL::UpaWmoFile in;
    in.setDate(KOL::Date(2011, 5, 22, 12, 0, 0));
    if (!in.open((dataDir() + "/upperair/ENCODED_72357_OUN_20110522_12Z.txt").c_str())) return out;
    KOL::UpaWmoData p;
    while (in.read(p)) out.push_back(p);
    return out;
  }();
  return all;
}

KOL::UpaData sounding()
{
  KOL::UpaRawinData r;
  for (const KOL::UpaWmoData& p : parts()) KOL::UpaTool::decode(p, r);
  KOL::UpaData d;
  KOL::UpaTool::merge(r, d);
  return d;
}

bool ready(benchmark::State& state, const KOL::UpaData& d)
{
  if (d.getNum() > 10) return true;
  state.SkipWithError("no upper-air data (set KOL_TEST_DATA)");
  return false;
}

void perSounding(benchmark::State& state, const KOL::UpaData& d)
{
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  state.counters["levels"] = d.getNum();
  state.counters["soundings/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Everything: the three parcels under both rules, and the sounding and wind summaries given the
// surface parcel, as kolupa -indices computes them.
void BM_AllIndices(benchmark::State& state)
{
  const KOL::UpaData d = sounding();
  if (!ready(state, d)) return;
  for (auto _ : state) {
    float sum = 0;
    KOL::ParcelParams pp[3];
    const char* types[] = {"sfc", "layer", "maxt"};
    for (int i = 0; i < 3; ++i) {
      pp[i].setType(types[i]);
      pp[i].calc(d);
      sum += pp[i].getCape();
      pp[i].setHighestEl(true);
      sum += pp[i].getCape();
    }
    KOL::SoundParams sp;
    sp.calc(d, &pp[0]);
    KOL::WindParams wp;
    wp.calc(d, &pp[0]);
    benchmark::DoNotOptimize(sum + sp.getKIndex() + wp.getBrn().shear);
  }
  perSounding(state, d);
}
BENCHMARK(BM_AllIndices)->Unit(benchmark::kMicrosecond);

// One surface parcel under the default rule.
void BM_SurfaceParcel(benchmark::State& state)
{
  const KOL::UpaData d = sounding();
  if (!ready(state, d)) return;
  for (auto _ : state) {
    KOL::ParcelParams pp;
    pp.calc(d);
    benchmark::DoNotOptimize(pp.getCape());
  }
  perSounding(state, d);
}
BENCHMARK(BM_SurfaceParcel)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndMerge(benchmark::State& state)
{
  const KOL::UpaData d = sounding();
  if (!ready(state, d)) return;
  for (auto _ : state) benchmark::DoNotOptimize(sounding().getNum());
  perSounding(state, d);
}
BENCHMARK(BM_DecodeAndMerge)->Unit(benchmark::kMicrosecond);

void BM_CopySounding(benchmark::State& state)
{
  const KOL::UpaData d = sounding();
  if (!ready(state, d)) return;
  for (auto _ : state) {
    KOL::UpaData c = d;
    benchmark::DoNotOptimize(c.getNum());
  }
  perSounding(state, d);
}
BENCHMARK(BM_CopySounding)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
