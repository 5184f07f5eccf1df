// Surface files: the METAR capture (with the SYNOP set) decoded and filed into the own surface
// file, and the own file and its netCDF and XML variants written and read, each beside `cp` of
// the same bytes in the same run. "x_cp" is the rate as a fraction of cp's in wall time,
// "x_cp_cpu" in processor time (goals for the own format: write 0.1, read 0.2); cp is timed
// beside each run, and the fastest of the runs on each side is taken, so that a moment of a
// busy machine flatters neither side.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Kol.h"
#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

namespace {

constexpr int REPEAT = 8;  // the capture's 18,600 reports, repeated
const KOL::Date HOUR(2020, 1, 6, 0, 0, 0);

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

std::string scratch(const std::string& name)
{
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/kol_bench_sfc_" + name;
}

double now()
{
  timeval tv;
  gettimeofday(&tv, nullptr);
  return tv.tv_sec + tv.tv_usec * 1e-6;
}

double seconds(const timeval& tv) { return tv.tv_sec + tv.tv_usec * 1e-6; }

// Processor time (user and system) of this process, or of its finished children.
double cpuTime(int who)
{
  rusage ru;
  getrusage(who, &ru);
  return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

// Wall and processor seconds of one timed piece of work.
struct Timing {
  double wall = 1e30, cpu = 1e30;
  void keepFaster(const Timing& t)
  {
    wall = std::min(wall, t.wall);
    cpu = std::min(cpu, t.cpu);
  }
};

long fileSize(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

const char* const FEEDS[] = {"metar/metpy_2020010600_sao.wmo", "synop/synop2bufr_gts_WX.00"};

int decodeFeeds(std::vector<KOL::SfcData>* out, KOL::SfcFile* file)
{
  int n = 0;
  for (const char* feed : FEEDS) {
    KOL::SfcWmoFile in;
    if (!in.open((dataDir() + "/" + feed).c_str())) return -1;
    in.setDate(HOUR);
    KOL::SfcWmoData w;
    KOL::SfcData s;
    while (in.read(w)) {
      bool ok = w.format == KOL::SfcWmoData::SA || w.format == KOL::SfcWmoData::SP
                    ? KOL::SaoTool::decode(w, s)
                : w.format <= KOL::SfcWmoData::SPECI ? KOL::MetarTool::decode(w, s)
                                                     : KOL::SynopTool::decode(w, s);
      if (!ok) continue;
      ++n;
      if (out) out->push_back(s);
      if (file) file->write(s);
    }
  }
  return n;
}

const std::vector<KOL::SfcData>& records()
{
  static const std::vector<KOL::SfcData> all = [] {
    KOL::Kol::setMessageLevel(0);
    std::vector<KOL::SfcData> once, out;
    decodeFeeds(&once, nullptr);
    for (int i = 0; i < REPEAT; ++i) out.insert(out.end(), once.begin(), once.end());
    return out;
  }();
  return all;
}

// `cp` of a file, the faster of two runs.
Timing cpTime(const std::string& from)
{
  std::string cmd = "cp '" + from + "' '" + scratch("cp") + "'";
  Timing best;
  for (int i = 0; i < 2; ++i) {
    std::system("sync");
    double t0 = now(), c0 = cpuTime(RUSAGE_CHILDREN);
    if (std::system(cmd.c_str()) != 0) return Timing{-1, -1};
    best.keepFaster({now() - t0, cpuTime(RUSAGE_CHILDREN) - c0});
  }
  return best;
}

template <class Work>
Timing timed(Work work)
{
  double t0 = now(), c0 = cpuTime(RUSAGE_SELF);
  work();
  return {now() - t0, cpuTime(RUSAGE_SELF) - c0};
}

bool write(const std::string& path, int type)
{
  KOL::SfcFile f;
  f.setDate(HOUR);
  if (!f.open(path.c_str(), KOL::SfcFile::WRITE, type)) return false;
  for (const KOL::SfcData& s : records()) f.write(s);
  return f.close() == 1;
}

long read(const std::string& path)
{
  KOL::SfcFile f(path.c_str());
  KOL::SfcData s;
  long n = 0;
  while (f.read(s)) ++n;
  return n;
}

void report(benchmark::State& state, const std::string& path, const Timing& run, const Timing& cp)
{
  long bytes = fileSize(path);
  state.counters["MB_s"] = bytes / run.wall / 1e6;
  state.counters["cp_MB_s"] = cp.wall > 0 ? bytes / cp.wall / 1e6 : 0;
  if (cp.wall > 0) state.counters["x_cp"] = cp.wall / run.wall;
  if (cp.cpu > 0) state.counters["x_cp_cpu"] = cp.cpu / run.cpu;
  state.counters["MB"] = bytes / 1e6;
}

void BM_Write(benchmark::State& state)
{
  int type = static_cast<int>(state.range(0));
  std::string path = scratch("file" + std::to_string(type));
  records();
  Timing best, cp;
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(path.c_str());
    std::system("sync");
    state.ResumeTiming();
    bool ok = true;
    best.keepFaster(timed([&] { ok = write(path, type); }));
    if (!ok) state.SkipWithError("write failed");
    state.PauseTiming();
    cp.keepFaster(cpTime(path));
    state.ResumeTiming();
  }
  report(state, path, best, cp);
}

void BM_Read(benchmark::State& state)
{
  int type = static_cast<int>(state.range(0));
  std::string path = scratch("file" + std::to_string(type));
  if (!write(path, type)) {
    state.SkipWithError("write failed");
    return;
  }
  Timing best, cp;
  for (auto _ : state) {
    state.PauseTiming();
    cp.keepFaster(cpTime(path));
    state.ResumeTiming();
    long n = 0;
    best.keepFaster(timed([&] { n = read(path); }));
    if (n != static_cast<long>(records().size())) state.SkipWithError("short read");
  }
  report(state, path, best, cp);
}

// The capture decoded and filed into the own format: reports per second.
void BM_DecodeAndFile(benchmark::State& state)
{
  KOL::Kol::setMessageLevel(0);
  std::string path = scratch("decoded");
  int n = 0;
  for (auto _ : state) {
    KOL::SfcFile f;
    f.setDate(HOUR);
    f.open(path.c_str(), KOL::SfcFile::WRITE, KOL::SfcFile::KOL);
    n = decodeFeeds(nullptr, &f);
    f.close();
  }
  state.counters["reports_s"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
}

void types(benchmark::internal::Benchmark* b)
{
  b->ArgName("type");
  for (int t : {KOL::SfcFile::KOL, KOL::SfcFile::CDF, KOL::SfcFile::XML, KOL::SfcFile::XMLC})
    b->Arg(t);
  b->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Write)->Apply(types);
BENCHMARK(BM_Read)->Apply(types);
BENCHMARK(BM_DecodeAndFile)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
