// Decoding speed of every subset of the shared BUFR files (surface, upper-air, aircraft and
// satellite messages of several centres; compressed and not), each file opened and every
// message decoded with all its values, by BufrFile and by ecCodes' C API
// (codes_bufr_handle_new_from_file, "unpack", then the arrays "numericValues" and
// "stringValues") in the same run. Items are subsets.
// alternate runs both in turn over the same files: "ratio" is ecCodes' wall time over ours,
// "cpu_ratio" in process CPU time. Argument 0 takes every file; 1 only the files whose every
// subset this library decodes (a subset refused here, for a local descriptor the shipped local
// tables lack, would flatter the first figure).
#include <benchmark/benchmark.h>
#include <eccodes.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"
#include "obs/BufrTable.h"

namespace {

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return std::string(env && *env ? env : KOL_TEST_DATA_DEFAULT) + "/bufr/";
}

const KOL::BufrTable& table()
{
  static KOL::BufrTable t;
  if (!t.isLoaded()) t.load(KOL_SOURCE_DIR "/data");
  return t;
}

// The BUFR files of the shared data; with complete, only those decoded whole here.
std::vector<std::string> files(bool complete)
{
  std::vector<std::string> out;
  const std::string dir = dataDir();
  std::string list;
  if (FILE* p = popen(("ls " + dir + " 2>/dev/null").c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
      std::string name(line);
      name.pop_back();
      const bool bufr = name.size() > 5 && (name.compare(name.size() - 5, 5, ".bufr") == 0 ||
                                            name.compare(name.size() - 4, 4, ".bin") == 0);
      if (bufr) out.push_back(dir + name);
    }
    pclose(p);
  }
  if (!complete) return out;
  std::vector<std::string> whole;
  KOL::Kol::setMessageLevel(0);
  for (const std::string& f : out) {
    KOL::BufrFile file;
    file.setTable(&table());
    file.open(f.c_str());
    KOL::BufrMessage m;
    bool all = true;
    while (file.read(m)) all = all && m.decodedSubsets() == m.numSubsets;
    if (all) whole.push_back(f);
  }
  return whole;
}

double seconds(clockid_t clock)
{
  timespec t;
  clock_gettime(clock, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// Subsets decoded; sink takes every value so that none is skipped.
long ours(const std::vector<std::string>& names, double& sink)
{
  long subsets = 0;
  KOL::BufrMessage m;
  for (const std::string& name : names) {
    KOL::BufrFile file;
    file.setTable(&table());
    if (!file.open(name.c_str())) return -1;
    while (file.read(m)) {
      for (int s = 0; s < m.decodedSubsets(); s++)
        for (const KOL::BufrMessage::Item& it : m.items(s))
          sink += it.missing ? 0 : it.text ? static_cast<double>(it.textLen) : it.value;
      subsets += m.decodedSubsets();
    }
  }
  return subsets;
}

long ecCodes(const std::vector<std::string>& names, double& sink, std::vector<double>& values)
{
  long subsets = 0;
  for (const std::string& name : names) {
    FILE* fp = std::fopen(name.c_str(), "rb");
    if (!fp) return -1;
    int err = 0;
    while (codes_handle* h = codes_bufr_handle_new_from_file(nullptr, fp, &err)) {
      long n = 0;
      if (codes_set_long(h, "unpack", 1) == 0) {
        size_t size = 0;
        if (codes_get_size(h, "numericValues", &size) == 0) {
          values.resize(size);
          if (codes_get_double_array(h, "numericValues", values.data(), &size) == 0)
            for (size_t k = 0; k < size; k++) sink += values[k];
        }
        size_t strings = 0;
        if (codes_get_size(h, "stringValues", &strings) == 0 && strings > 0) {
          std::vector<char*> text(strings);
          if (codes_get_string_array(h, "stringValues", text.data(), &strings) == 0)
            for (size_t k = 0; k < strings; k++) {
              sink += text[k] ? 1 : 0;
              std::free(text[k]);
            }
        }
        codes_get_long(h, "numberOfSubsets", &n);
      }
      subsets += n;
      codes_handle_delete(h);
    }
    std::fclose(fp);
  }
  return subsets;
}

void BufrFileDecode(benchmark::State& state)
{
  KOL::Kol::setMessageLevel(0);
  const auto names = files(state.range(0) != 0);
  double sink = 0;
  long subsets = 0;
  for (auto _ : state) subsets += ours(names, sink);
  if (names.empty()) state.SkipWithError("test data not found");
  benchmark::DoNotOptimize(sink);
  state.SetItemsProcessed(subsets);
}

void EcCodesDecode(benchmark::State& state)
{
  const auto names = files(state.range(0) != 0);
  std::vector<double> values;
  double sink = 0;
  long subsets = 0;
  for (auto _ : state) subsets += ecCodes(names, sink, values);
  if (names.empty()) state.SkipWithError("test data not found");
  benchmark::DoNotOptimize(sink);
  state.SetItemsProcessed(subsets);
}

void alternate(benchmark::State& state)
{
  KOL::Kol::setMessageLevel(0);
  const auto names = files(state.range(0) != 0);
  if (names.empty()) {
    state.SkipWithError("test data not found");
    return;
  }
  std::vector<double> values;
  double sink = 0, wall[2] = {0, 0}, cpu[2] = {0, 0};
  long subsets[2] = {0, 0};
  for (auto _ : state) {
    for (int k = 0; k < 2; k++) {
      const double w0 = seconds(CLOCK_MONOTONIC), c0 = seconds(CLOCK_PROCESS_CPUTIME_ID);
      subsets[k] += k == 0 ? ours(names, sink) : ecCodes(names, sink, values);
      wall[k] += seconds(CLOCK_MONOTONIC) - w0;
      cpu[k] += seconds(CLOCK_PROCESS_CPUTIME_ID) - c0;
    }
  }
  benchmark::DoNotOptimize(sink);
  state.counters["ratio"] = wall[1] / wall[0];
  state.counters["cpu_ratio"] = cpu[1] / cpu[0];
  state.counters["subsets_ours"] = static_cast<double>(subsets[0]) / state.iterations();
  state.counters["subsets_ecCodes"] = static_cast<double>(subsets[1]) / state.iterations();
}

}  // namespace

BENCHMARK(BufrFileDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(EcCodesDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(alternate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
