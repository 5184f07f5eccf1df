// Ingest of bulletin feeds beside the read and write limits of the machine measured in the same
// run: `cat FEED > /dev/null` and `cp FEED /tmp/x`. Two feeds: a synthetic one (short text
// bulletins and GRIB messages, mixed as on a real broadcast) filed by a products file of 500
// rules to a few hundred files, and the real METAR capture of the test data repeated, filed by
// one rule whose names vary by heading (`. >> %D/%pL_%pT.txt %D/%pL_%pT.hdr`) to some 1,500
// files, and by one rule that files everything to one file and its index; beside them the floor
// of such filing (fileFloor), to as many files and to one. Each run starts after a
// sync, so that none pays for the writeback of the one before. "x_cp" is the ingest rate as a
// fraction of the cp rate, cp being run just before and just after each ingest and the faster of
// the two taken (the machine's speed drifts from minute to minute); "x_cp_cpu" is the same in
// processor time, which waits for the disk do not blur. Repetitions (--benchmark_repetitions) give
// medians of the pairs. KOL_BENCH_FEED_MB sets the synthetic feed size (default 1024),
// KOL_BENCH_METAR_MB the METAR one (default 300); the feeds and every file written are removed at
// the end.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

long megabytes(const char* variable, long otherwise)
{
  const char* mb = std::getenv(variable);
  return (mb ? std::atol(mb) : otherwise) << 20;
}

// A feed, written once, with its products file; the counts of what it holds.
struct Feed {
  std::string path;
  std::string rules;
  std::string one_file;  // a products file of one rule filing everything to one file
  std::string out;       // one tree per run below it
  std::string tree;
  int trees = 0;
  long bytes = 0;
  long bulletins = 0;

  explicit Feed(const std::string& name)
      : path(scratch((name + ".wmo").c_str())),
        rules(scratch((name + ".prd").c_str())),
        one_file(scratch((name + "_one.prd").c_str())),
        out(scratch((name + "_out").c_str()))
  {
  }
  Feed(const Feed&) = delete;
  Feed& operator=(const Feed&) = delete;
  ~Feed()
  {
    std::system(("rm -rf '" + out + "' '" + path + "' '" + rules + "' '" + one_file + "' '" +
                 scratch("x") + "'")
                    .c_str());
  }
};

struct SyntheticFeed : Feed {
  SyntheticFeed() : Feed("synthetic")
  {
    long want = megabytes("KOL_BENCH_FEED_MB", 1024);
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

// The METAR capture again and again: 2,723 bulletins of 773 headings an hour.
struct MetarFeed : Feed {
  MetarFeed() : Feed("metar")
  {
    const char* dir = std::getenv("KOL_TEST_DATA");
    std::ifstream in(
        std::string(dir ? dir : KOL_TEST_DATA_DEFAULT) + "/metar/metpy_2020010600_sao.wmo",
        std::ios::binary);
    std::string capture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (capture.empty()) return;
    long each = 0;
    for (size_t at = capture.find("\x01\r\r\n"); at != std::string::npos;
         at = capture.find("\x01\r\r\n", at + 1))
      each++;
    std::ofstream f(path, std::ios::binary);
    for (long want = megabytes("KOL_BENCH_METAR_MB", 300); bytes < want;) {
      f << capture;
      bytes += static_cast<long>(capture.size());
      bulletins += each;
    }
    std::ofstream(rules) << ".  >>  %D/%pL_%pT.txt %D/%pL_%pT.hdr\n";
    std::ofstream(one_file) << ".  >>  %D/metar.txt %D/metar.hdr\n";
  }
};

Feed& synthetic()
{
  static SyntheticFeed f;
  return f;
}

Feed& metar()
{
  static MetarFeed f;
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
void warmMemory(const Feed& f)
{
  size_t bytes = static_cast<size_t>(f.bytes) * 2 + (256L << 20);
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                 -1, 0);
  if (p != MAP_FAILED) munmap(p, bytes);
}

// Each timed run starts with nothing left to write back from the one before, on warm memory.
void sync(const Feed& f)
{
  std::system("sync");
  warmMemory(f);
}

// Processor time (user and system) of this process, or of its finished children.
double cpuSeconds(int who)
{
  rusage u{};
  getrusage(who, &u);
  auto sec = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return sec(u.ru_utime) + sec(u.ru_stime);
}

void command(benchmark::State& state, Feed& f, const std::string& cmd)
{
  if (f.bytes == 0) {
    state.SkipWithError("feed not found");
    return;
  }
  sync(f);
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("command failed");
  state.SetBytesProcessed(state.iterations() * f.bytes);
  state.counters["bulletins/s"] = benchmark::Counter(static_cast<double>(f.bulletins),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void readLimit(benchmark::State& state, Feed& f)
{
  command(state, f, "cat '" + f.path + "' > /dev/null");
}

std::string copyCommand(const Feed& f) { return "cp '" + f.path + "' '" + scratch("x") + "'"; }

void writeLimit(benchmark::State& state, Feed& f)
{
  command(state, f, copyCommand(f));
  std::remove(scratch("x").c_str());
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// The write limit of the moment, measured as writeLimit does.
Timing copyOnce(const Feed& f)
{
  sync(f);
  Timing t;
  auto start = std::chrono::steady_clock::now();
  t.cpu = cpuSeconds(RUSAGE_CHILDREN);
  if (std::system(copyCommand(f).c_str()) != 0) t.cpu = -1;
  t.cpu = t.cpu < 0 ? 0 : cpuSeconds(RUSAGE_CHILDREN) - t.cpu;
  t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::remove(scratch("x").c_str());
  return t;
}

// Files the whole feed into the output tree; the count of bulletins filed, -1 on failure.
long fileFeed(const Feed& f, const std::string& rules)
{
  KOL::WmoIngest w("logfile=none,noseq");
  w.readProdFile(rules.c_str());
  return w.process(f.path.c_str()) ? w.getFiled() : -1;
}

// What filing costs at the least: the feed mapped, each bulletin found by its start line and
// ETX, its bytes copied as they are (no filtering) to the file of its heading's TTAAii CCCC (or
// to one file) and a fixed index line to that file's index, both gathered and written 32 KB at
// a time (larger pieces were measured no faster). No rules, no templates, no file moved behind
// its back, nobody else appending: the floor under any ingest that files to as many files.
long fileFloor(const Feed& f, const std::string& dir, bool by_heading)
{
  struct Out {
    int fd = -1;
    std::vector<char> buf;
    void add(const char* p, size_t n)
    {
      if (buf.size() + n > 32768) {
        if (::write(fd, buf.data(), buf.size()) < 0) buf.clear();
        buf.clear();
      }
      buf.insert(buf.end(), p, p + n);
    }
    ~Out()
    {
      if (fd >= 0) {
        if (!buf.empty() && ::write(fd, buf.data(), buf.size()) < 0) buf.clear();
        ::close(fd);
      }
    }
  };
  int in = ::open(f.path.c_str(), O_RDONLY);
  if (in < 0) return -1;
  size_t size = static_cast<size_t>(f.bytes);
  void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, in, 0);
  ::close(in);
  if (map == MAP_FAILED) return -1;
  madvise(map, size, MADV_SEQUENTIAL);
  std::unordered_map<std::string, std::pair<Out, Out>> outs;
  const char* p = static_cast<const char*>(map);
  const char* end = p + size;
  long filed = 0;
  std::string key;
  for (const char* at = static_cast<const char*>(std::memchr(p, 1, size)); at;) {
    const char* etx = static_cast<const char*>(std::memchr(at, 3, end - at));
    if (!etx) break;
    // SOH CR CR LF nnn CR CR LF TTAAii CCCC ...
    const char* head = static_cast<const char*>(std::memchr(at + 4, '\n', etx - at - 4));
    if (head && etx - head > 12) {
      key.assign(head + 1, by_heading ? 11 : 0);
      auto& o = outs[key];
      if (o.first.fd < 0) {
        std::string name =
            dir + "/" + (key.empty() ? "one" : key.substr(7, 4) + "_" + key.substr(0, 6));
        o.first.fd = ::open((name + ".txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        o.second.fd = ::open((name + ".hdr").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      }
      o.first.add(at, etx + 1 - at);
      o.second.add("      0 SAUS41 KOKX 060052 / MTRNYC\n", 36);
      filed++;
    }
    at = static_cast<const char*>(std::memchr(etx, 1, end - etx));
  }
  outs.clear();
  munmap(map, size);
  return filed;
}

enum Filing { RULES, FLOOR_MANY, FLOOR_ONE };

// One ingest of the whole feed, into a tree of its own: fresh starts from an empty tree (every
// output file is created); otherwise the tree is first filled by an untimed ingest of the same
// feed and the timed one appends to its files, as a running ingest does where the hour's files
// exist. All trees are removed at the end: removing one just before the next run would make
// the filesystem skip its freshly freed inodes on every creation, a cost of the benchmark
// rather than of filing. The trees are named after the process too: ext4 places the
// subdirectories of a new tree's top by their name, and a tree named as the one that the last
// invocation removed a minute ago would land among its freed inodes.
void ingest(benchmark::State& state, Feed& f, bool fresh, const std::string& rules,
            Filing how = RULES)
{
  if (f.bytes == 0) {
    state.SkipWithError("feed not found");
    return;
  }
  f.tree = f.out + "/" + std::to_string(getpid()) + "-" + std::to_string(++f.trees);
  KOL::Kol::setMessageLevel(KOL::Kol::ERROR);
  KOL::Kol::resrc.set("data_path", f.tree.c_str());
  KOL::Kol::resrc.set("model_path", (f.tree + "/grib").c_str());
  auto file = [&] {
    if (how == RULES) return fileFeed(f, rules);
    std::system(("mkdir -p '" + f.tree + "'").c_str());
    return fileFloor(f, f.tree, how == FLOOR_MANY);
  };
  if (!fresh && file() < 0) state.SkipWithError("feed not read");
  long filed = 0;
  Timing cp = copyOnce(f);
  sync(f);
  // Peak memory from here on: the warming above is not the ingest's.
  std::ofstream("/proc/self/clear_refs") << "5";
  long before = peakKb();
  Timing run;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    run.cpu = cpuSeconds(RUSAGE_SELF);
    filed = file();
    if (filed < 0) state.SkipWithError("feed not read");
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = cpuSeconds(RUSAGE_SELF) - run.cpu;
  }
  long peak = peakKb();
  // The faster of the cp runs before and after: a cp slowed by the machine does not flatter
  // the ratio.
  Timing after = copyOnce(f);
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

void BM_ReadLimit_cat(benchmark::State& state) { readLimit(state, synthetic()); }
void BM_WriteLimit_cp(benchmark::State& state) { writeLimit(state, synthetic()); }
void BM_Ingest_NewFiles(benchmark::State& state)
{
  ingest(state, synthetic(), true, synthetic().rules);
}
void BM_Ingest_ExistingFiles(benchmark::State& state)
{
  ingest(state, synthetic(), false, synthetic().rules);
}
void BM_Metar_ReadLimit_cat(benchmark::State& state) { readLimit(state, metar()); }
void BM_Metar_WriteLimit_cp(benchmark::State& state) { writeLimit(state, metar()); }
void BM_Metar_ManyFiles_New(benchmark::State& state)
{
  ingest(state, metar(), true, metar().rules);
}
void BM_Metar_ManyFiles_Existing(benchmark::State& state)
{
  ingest(state, metar(), false, metar().rules);
}
void BM_Metar_OneFile_Existing(benchmark::State& state)
{
  ingest(state, metar(), false, metar().one_file);
}
void BM_Metar_ManyFiles_Floor(benchmark::State& state)
{
  ingest(state, metar(), false, "", FLOOR_MANY);
}
void BM_Metar_OneFile_Floor(benchmark::State& state)
{
  ingest(state, metar(), false, "", FLOOR_ONE);
}

}  // namespace

#define KOL_ONCE(f) BENCHMARK(f)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond)
KOL_ONCE(BM_ReadLimit_cat);
KOL_ONCE(BM_WriteLimit_cp);
KOL_ONCE(BM_Ingest_NewFiles);
KOL_ONCE(BM_Ingest_ExistingFiles);
KOL_ONCE(BM_Metar_ReadLimit_cat);
KOL_ONCE(BM_Metar_WriteLimit_cp);
KOL_ONCE(BM_Metar_ManyFiles_New);
KOL_ONCE(BM_Metar_ManyFiles_Existing);
KOL_ONCE(BM_Metar_OneFile_Existing);
KOL_ONCE(BM_Metar_ManyFiles_Floor);
KOL_ONCE(BM_Metar_OneFile_Floor);

BENCHMARK_MAIN();
