// Decoding speed of TEMP and PILOT parts: the real parts of the shared upper-air files, repeated
// to at least 100,000 parts, decoded one at a time into station records; then the same with the
// merge into soundings, and, in the same run, a plain reference that only splits the same parts
// into words with a string stream (what any decoder must at least do).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "obs/UpaData.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

constexpr size_t MIN_PARTS = 100000;

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

const std::vector<KOL::UpaWmoData>& parts()
{
  static const std::vector<KOL::UpaWmoData> all = [] {
    const char* files[] = {"real_USUS01_KWBC_061200_72403_72440.txt",
                           "real_72694_TTAA_TTBB_PPBB_TTCC.txt",
                           "real_02963_20060410_12Z.txt",
                           "real_83779_20230223_12Z.txt",
                           "teaching_72214_TTAA_TTBB_PPBB_TTCC_TTDD_PPDD.txt",
                           "ENCODED_72201_KEY_20180630_12Z.txt",
                           "ENCODED_72357_OUN_20110522_12Z.txt",
                           "ENCODED_72456_TOP_20070504_12Z.txt",
                           "ENCODED_72456_TOP_20070504_12Z.pilot.txt"};
    std::vector<KOL::UpaWmoData> one;
    for (const char* f : files) {
      KOL::UpaWmoFile in;
      in.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
      if (!in.open((dataDir() + "/upperair/" + f).c_str())) continue;
      KOL::UpaWmoData p;
      while (in.read(p)) one.push_back(p);
    }
    std::vector<KOL::UpaWmoData> out;
    while (!one.empty() && out.size() < MIN_PARTS) out.insert(out.end(), one.begin(), one.end());
    return out;
  }();
  return all;
}

void setCounters(benchmark::State& state, size_t n, size_t bytes)
{
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["parts"] = static_cast<double>(n);
}

bool haveParts(benchmark::State& state)
{
  if (!parts().empty()) return true;
  state.SkipWithError("no upper-air data (set KOL_TEST_DATA)");
  return false;
}

size_t totalBytes()
{
  size_t n = 0;
  for (const KOL::UpaWmoData& p : parts()) n += p.text.size();
  return n;
}

void BM_DecodeParts(benchmark::State& state)
{
  const auto& all = parts();
  if (!haveParts(state)) return;
  KOL::UpaRawinData r;
  for (auto _ : state) {
    for (const KOL::UpaWmoData& p : all) {
      r.init();
      KOL::UpaTool::decode(p, r);
      benchmark::DoNotOptimize(r.getNumSig());
    }
  }
  setCounters(state, all.size(), totalBytes());
}
BENCHMARK(BM_DecodeParts)->Unit(benchmark::kMillisecond);

// Each station's parts decoded together and merged into its sounding.
void BM_DecodeAndMerge(benchmark::State& state)
{
  const auto& all = parts();
  if (!haveParts(state)) return;
  KOL::UpaRawinData r;
  KOL::UpaData d;
  for (auto _ : state) {
    std::string key;
    for (const KOL::UpaWmoData& p : all) {
      std::string k = KOL::UpaTool::partKey(p.text);
      if (k != key) {
        if (!key.empty()) KOL::UpaTool::merge(r, d);
        r.init();
        key = k;
      }
      KOL::UpaTool::decode(p, r);
    }
    KOL::UpaTool::merge(r, d);
    benchmark::DoNotOptimize(d.getNum());
  }
  setCounters(state, all.size(), totalBytes());
}
BENCHMARK(BM_DecodeAndMerge)->Unit(benchmark::kMillisecond);

// The reference: the same parts split into words and each group read as a number.
void BM_ReferenceStream(benchmark::State& state)
{
  const auto& all = parts();
  if (!haveParts(state)) return;
  for (auto _ : state) {
    long sum = 0;
    for (const KOL::UpaWmoData& p : all) {
      std::istringstream in(p.text);
      std::string word;
      while (in >> word) sum += std::atoi(word.c_str());
    }
    benchmark::DoNotOptimize(sum);
  }
  setCounters(state, all.size(), totalBytes());
}
BENCHMARK(BM_ReferenceStream)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
