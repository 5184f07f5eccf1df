// Ingest of a synthetic bulletin feed (short text bulletins and GRIB messages, mixed as on a
// real broadcast) with a products file of 500 rules, to files under /tmp, beside the read and
// write limits of the machine measured in the same run: `cat FEED > /dev/null` and
// `cp FEED /tmp/x`. Each run starts after a sync, so that none pays for the writeback of the one
// before. "x_cp" is the ingest rate as a fraction of the cp rate, cp being run just before and
// just after each ingest and the faster of the two taken (the machine's speed drifts from
// minute to minute); "x_cp_cpu" is the same in processor time, which waits for the disk do not
// blur. Repetitions (--benchmark_repetitions) give medians of the pairs. KOL_BENCH_FEED_MB sets
// the feed size (default 1024); the feed and every file written are removed at the end.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "obs/WmoIngest.h"

namespace {

const char* const TEXT_FAMILIES[] = {"SA", "SP", "SM", "US", "UK", "FT", "FP", "WW"};
const char* const GRIB_FAMILIES[] = {"HT", "YR"};
constexpr int STATIONS = 50;

std::string scratch(const char* name)
{
  return "/tmp/kolbench_ingest_" + std::to_string(getpid()) + "_" + name;
}

std::string station(int i)
{
  std::string s = "K";
  s += static_cast<char>('A' + i % 26);
  s += static_cast<char>('A' + (i / 26) % 26);
  s += static_cast<char>('A' + i * 7 % 26);
  return s;
}

// The feed, written once; the counts of what it holds.
struct Feed {
  std::string path = scratch("feed.wmo");
  std::string rules = scratch("rules.prd");
  std::string out = scratch("out");  // one tree per run below it
  std::string tree;
  int trees = 0;
  long bytes = 0;
  long bulletins = 0;

  Feed()
  {
    const char* mb = std::getenv("KOL_BENCH_FEED_MB");
    long want = (mb ? std::atol(mb) : 1024) << 20;
    std::ofstream f(path, std::ios::binary);
    std::mt19937 rng(42);
    std::string grib, body;
    for (int seq = 1; bytes < want; seq++) {
      // A third of the bulletins are GRIB messages (about 96% of the bytes), as on a
      // national broadcast: some 30,000 bulletins per gigabyte.
      bool is_grib = rng() % 3 == 0;
      const char* family = is_grib ? GRIB_FAMILIES[rng() % 2] : TEXT_FAMILIES[rng() % 8];
      // A gigabyte is about an hour of a national broadcast: headings of one hour, the minute
      // moving on through the feed.
      char head[64];
      std::snprintf(head, sizeof head, "\x01\r\r\n%03d\r\r\n%sUS%02d %s 0612%02d\r\r\n",
                    (seq - 1) % 999 + 1, family, static_cast<int>(rng() % 100),
                    station(rng() % STATIONS).c_str(), static_cast<int>(bytes * 60 / want));
      body = is_grib ? gribMessage(rng, grib) : textBody(rng);
      f << head << body << '\x03';
      bytes += static_cast<long>(std::strlen(head) + body.size() + 1);
      bulletins++;
    }
    std::ofstream r(rules);
    for (const char* fam : TEXT_FAMILIES)
      for (int i = 0; i < STATIONS; i++)
        r << fam << "...._" << station(i) << "  >>  %D/" << fam << "/%pL/%pY%pm%pd%ph.wmo %D/"
          << fam << "/%pL/%pY%pm%pd%ph.idx\n";
    for (const char* fam : GRIB_FAMILIES)
      for (int i = 0; i < STATIONS; i++)
        r << fam << "...._" << station(i)
          << "  B>>  %M/%pL/%pY%pm%pd%ph.grib %M/%pL/%pY%pm%pd%ph.gidx\n";
    r << "else  >>  %D/other.wmo %D/other.idx\n";
  }
  ~Feed()
  {
    std::system(
        ("rm -rf '" + out + "' '" + path + "' '" + rules + "' '" + scratch("x") + "'").c_str());
  }

  static std::string textBody(std::mt19937& rng)
  {
    std::string s = "MTRXXX\r\r\n";
    int lines = 3 + rng() % 30;
    for (int i = 0; i < lines; i++) {
      int n = 20 + rng() % 60;
      for (int k = 0; k < n; k++) s += static_cast<char>(k % 6 == 5 ? ' ' : 'A' + rng() % 26);
      s += "=\r\r\n";
    }
    return s;
  }

  static std::string gribMessage(std::mt19937& rng, std::string& m)
  {
    long len = 10000 + rng() % 190000;
    m.assign(len, '\0');
    for (long i = 16; i < len - 4; i++) m[i] = static_cast<char>(rng() & 0xff);
    std::string head = "GRIB";
    head += std::string("\0\0\0\x02", 4);
    for (int i = 7; i >= 0; i--) head += static_cast<char>((len >> (8 * i)) & 0xff);
    m.replace(0, 16, head);
    m.replace(len - 4, 4, "7777");
    return m + "\r\r\n";
  }
};

Feed& feed()
{
  static Feed f;
  return f;
}

long peakKb()
{
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// On a virtual machine that reports free memory to its host (virtio-balloon free page
// reporting), memory left free for a few seconds is handed back, and the next touch of it
// waits for the host: a gigabyte written into fresh page cache then runs at a fraction of its
// speed, and which run meets such memory is chance. Touching and freeing more memory than a run
// writes, just before each timed run, gives cp and the ingest alike memory the host backs.
void warmMemory()
{
  size_t bytes = static_cast<size_t>(feed().bytes) * 2 + (256L << 20);
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                 -1, 0);
  if (p != MAP_FAILED) munmap(p, bytes);
}

// Each timed run starts with nothing left to write back from the one before, on warm memory.
void sync()
{
  std::system("sync");
  warmMemory();
}

// Processor time (user and system) of this process, or of its finished children.
double cpuSeconds(int who)
{
  rusage u{};
  getrusage(who, &u);
  auto sec = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return sec(u.ru_utime) + sec(u.ru_stime);
}

void command(benchmark::State& state, const std::string& cmd)
{
  Feed& f = feed();
  sync();
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("command failed");
  state.SetBytesProcessed(state.iterations() * f.bytes);
  state.counters["bulletins/s"] = benchmark::Counter(static_cast<double>(f.bulletins),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadLimit_cat(benchmark::State& state)
{
  command(state, "cat '" + feed().path + "' > /dev/null");
}

std::string copyCommand() { return "cp '" + feed().path + "' '" + scratch("x") + "'"; }

void BM_WriteLimit_cp(benchmark::State& state)
{
  command(state, copyCommand());
  std::remove(scratch("x").c_str());
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// The write limit of the moment, measured as BM_WriteLimit_cp does.
Timing copyOnce()
{
  sync();
  Timing t;
  auto start = std::chrono::steady_clock::now();
  t.cpu = cpuSeconds(RUSAGE_CHILDREN);
  if (std::system(copyCommand().c_str()) != 0) t.cpu = -1;
  t.cpu = t.cpu < 0 ? 0 : cpuSeconds(RUSAGE_CHILDREN) - t.cpu;
  t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::remove(scratch("x").c_str());
  return t;
}

// Files the whole feed into the output tree; the count of bulletins filed, -1 on failure.
long fileFeed()
{
  KOL::WmoIngest w("logfile=none");
  w.readProdFile(feed().rules.c_str());
  return w.process(feed().path.c_str()) ? w.getFiled() : -1;
}

// One ingest of the whole feed, into a tree of its own: fresh starts from an empty tree (every
// output file is created); otherwise the tree is first filled by an untimed ingest of the same
// feed and the timed one appends to its files, as a running ingest does where the hour's files
// exist. All trees are removed at the end: removing one just before the next run would make
// the filesystem skip its freshly freed inodes on every creation, a cost of the benchmark
// rather than of filing. The trees are named after the process too: ext4 places the
// subdirectories of a new tree's top by their name, and a tree named as the one that the last
// invocation removed a minute ago would land among its freed inodes.
void ingest(benchmark::State& state, bool fresh)
{
  Feed& f = feed();
  f.tree = f.out + "/" + std::to_string(getpid()) + "-" + std::to_string(++f.trees);
  KOL::Kol::setMessageLevel(KOL::Kol::ERROR);
  KOL::Kol::resrc.set("data_path", f.tree.c_str());
  KOL::Kol::resrc.set("model_path", (f.tree + "/grib").c_str());
  if (!fresh && fileFeed() < 0) state.SkipWithError("feed not read");
  long filed = 0;
  Timing cp = copyOnce();
  sync();
  // Peak memory from here on: the warming above is not the ingest's.
  std::ofstream("/proc/self/clear_refs") << "5";
  long before = peakKb();
  Timing run;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    run.cpu = cpuSeconds(RUSAGE_SELF);
    filed = fileFeed();
    if (filed < 0) state.SkipWithError("feed not read");
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = cpuSeconds(RUSAGE_SELF) - run.cpu;
  }
  long peak = peakKb();
  // The faster of the cp runs before and after: a cp slowed by the machine does not flatter
  // the ratio.
  Timing after = copyOnce();
  if (after.wall < cp.wall) cp = after;
  if (cp.wall > 0 && run.wall > 0) state.counters["x_cp"] = cp.wall / run.wall;
  if (cp.cpu > 0 && run.cpu > 0) state.counters["x_cp_cpu"] = cp.cpu / run.cpu;
  state.counters["cp_ms"] = cp.wall * 1000;
  state.SetBytesProcessed(state.iterations() * f.bytes);
  state.counters["bulletins/s"] =
      benchmark::Counter(static_cast<double>(filed), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["bulletins"] = static_cast<double>(filed);
  state.counters["feed_MB"] = static_cast<double>(f.bytes >> 20);
  state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024;
  state.counters["rss_growth_MB"] = static_cast<double>(peak - before) / 1024;
}

void BM_Ingest_NewFiles(benchmark::State& state) { ingest(state, true); }
void BM_Ingest_ExistingFiles(benchmark::State& state) { ingest(state, false); }

}  // namespace

BENCHMARK(BM_ReadLimit_cat)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLimit_cp)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ingest_NewFiles)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ingest_ExistingFiles)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
