// Station table loading and station lookups through the hash, as the decoders use it: one
// million keys per iteration, a mix of identifiers, WMO numbers and misses.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "obs/CityHash.h"

using KOL::CityHash;
using KOL::CityHashData;

namespace {

constexpr int KEYS = 1000000;

void useShippedTable() { KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data"); }

// Three quarters hits (identifiers and WMO numbers of the table), one quarter misses.
std::vector<std::string> makeKeys(CityHash& hash)
{
  std::vector<std::string> ids, wmos;
  for (const char* k = hash.first(); k; k = hash.nextKey()) {
    ids.emplace_back(k);
    const CityHashData* d = hash.find(KOL::CityHash::ID, k);
    if (d && d->wmo[0]) wmos.emplace_back(d->wmo);
  }
  std::mt19937 rng(42);
  std::vector<std::string> keys;
  keys.reserve(KEYS);
  for (int i = 0; i < KEYS; i++) {
    switch (rng() % 4) {
      case 0:
        keys.push_back(wmos[rng() % wmos.size()]);
        break;
      case 1: {
        std::string miss = "Q";
        for (int j = 0; j < 3; j++) miss += static_cast<char>('A' + rng() % 26);
        keys.push_back(i % 2 ? miss : std::to_string(10000 + rng() % 90000));
        break;
      }
      default:
        keys.push_back(ids[rng() % ids.size()]);
    }
  }
  return keys;
}

void BM_LoadTable(benchmark::State& state)
{
  useShippedTable();
  int n = 0;
  for (auto _ : state) {
    CityHash hash(nullptr);
    n = hash.getNum();
    benchmark::DoNotOptimize(n);
  }
  state.counters["stations"] = n;
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);

void BM_Lookup(benchmark::State& state)
{
  useShippedTable();
  CityHash hash(nullptr);
  std::vector<std::string> keys = makeKeys(hash);
  CityHashData d;
  long found = 0;
  for (auto _ : state) {
    found = 0;
    for (const auto& k : keys) found += hash.get(k.c_str(), d);
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * KEYS);
  state.counters["hit_ratio"] = static_cast<double>(found) / KEYS;
}
BENCHMARK(BM_Lookup)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
