// The latest-file search over a directory of 20,000 hourly files named by convention: "la"
// (newest file, reached after a gap of 24 hours), "la-6", and a search that walks its whole
// step limit through an hour range with no files. "Cold" searches start with a fresh
// convention and read the directory once; "warm" ones repeat a search on the same convention,
// which keeps the listing of the unchanged directory. For comparison, the same candidates
// checked one by one with a stat each.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/Date.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/NameConv.h"
#include "core/NameConvFile.h"
#include "core/String.h"

using namespace KOL;

namespace {

constexpr long NOW = 1705320000L;  // 2024-01-15 12:00
constexpr int FILES = 20000;
constexpr int GAP = 24;  // hours between now and the newest file

// The data directory, filled once and removed at exit.
class DataDir {
 public:
  DataDir()
  {
    char tmpl[] = "/tmp/kolbench.XXXXXX";
    path = mkdtemp(tmpl) ? tmpl : "";
    for (int h = 0; h < FILES; h++) {
      Date d(NOW - (GAP + h) * 3600L);
      std::string name = path + "/" + d.format("%Y%m%d%H") + "_sfc";
      if (FILE* fp = std::fopen(name.c_str(), "w")) {
        std::fputs("x", fp);
        std::fclose(fp);
      }
    }
    // A directory changed in the last seconds is read by every search; back-date it.
    timespec old[2] = {{NOW, 0}, {NOW, 0}};
    utimensat(AT_FDCWD, path.c_str(), old, 0);
  }
  ~DataDir()
  {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
  }
  std::string path;
};

const DataDir& dataDir()
{
  static DataDir dir;
  return dir;
}

NameConv convention()
{
  Kol::init_time = NOW;
  Kol::setMessageLevel("error");
  NameConv nc("@%D/%Y%m%d%h_sfc");
  nc.setPath(dataDir().path.c_str());
  return nc;
}

void warm(benchmark::State& state, const char* spec)
{
  NameConv nc = convention();
  NameConvFile f;
  for (auto _ : state) benchmark::DoNotOptimize(nc.setLatest(spec, f));
  state.SetLabel(f.getFilename() + dataDir().path.size() + 1);
}

void cold(benchmark::State& state, const char* spec)
{
  dataDir();
  NameConvFile f;
  for (auto _ : state) {
    NameConv nc = convention();
    benchmark::DoNotOptimize(nc.setLatest(spec, f));
  }
  state.SetLabel(f.getFilename() + dataDir().path.size() + 1);
}

// "-20500la" starts 20,500 hours back, where no file exists: all 500 steps are tried.
void BM_LatestCold(benchmark::State& state) { cold(state, "la"); }
void BM_Latest6Cold(benchmark::State& state) { cold(state, "la-6"); }
void BM_LatestNothingCold(benchmark::State& state) { cold(state, "-20500la"); }
void BM_LatestWarm(benchmark::State& state) { warm(state, "la"); }
void BM_Latest6Warm(benchmark::State& state) { warm(state, "la-6"); }
void BM_LatestNothingWarm(benchmark::State& state) { warm(state, "-20500la"); }

// The same candidates of "la" checked with one stat each, as a search without listings does.
void BM_StatPerCandidate(benchmark::State& state)
{
  NameConv nc = convention();
  String name;
  for (auto _ : state) {
    for (int k = 0; k <= GAP; k++) {
      nc.encodeFile(Date(NOW - k * 3600L), name);
      if (FileTool::getSize(name.get()) > 0) break;
    }
  }
}

void BM_StatPerCandidateNothing(benchmark::State& state)
{
  NameConv nc = convention();
  String name;
  for (auto _ : state)
    for (int k = 0; k < NameConv::LATE_LIMIT; k++) {
      nc.encodeFile(Date(NOW - (20500 + k) * 3600L), name);
      benchmark::DoNotOptimize(FileTool::getSize(name.get()));
    }
}

}  // namespace

BENCHMARK(BM_LatestCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Latest6Cold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LatestNothingCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LatestWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Latest6Warm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LatestNothingWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatPerCandidate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatPerCandidateNothing)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
