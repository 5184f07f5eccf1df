// A day of filed text bulletins: the shared warning products repeated, framed as the ingest
// files them raw (SOH, sequence line, CR CR LF, ETX), to tens of thousands of products. Reading
// them all, following their VTEC events and finding the warnings in force at one time (and
// drawing them), beside grep finding their VTEC lines in the same file, in the same run.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "layers/WarnPlot.h"
#include "obs/text/TextProduct.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/Vtec.h"
#include "obs/text/WarnEvents.h"
#include "obs/text/WarnProduct.h"

namespace {

constexpr int PRODUCTS = 40000;

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

std::string readFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The shared warning products, each framed as one filed bulletin.
std::vector<std::string> bulletins()
{
  std::vector<std::string> out;
  const std::string dir = dataDir() + "/textprod/warnings/";
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.size() < 5 || name.substr(name.size() - 4) != ".txt") continue;
    std::string body;
    for (char c : readFile(dir + name)) {
      if (c == '\r' || c == '\x01' || c == '\x03') continue;
      if (c == '\n') body += "\r\r";
      body += c;
    }
    out.push_back(body);
  }
  closedir(d);
  return out;
}

// The day's file, written once per run.
const std::string& dayFile()
{
  static const std::string path = [] {
    std::vector<std::string> b = bulletins();
    if (b.empty()) return std::string();
    std::string p = "/tmp/kol_bench_text_" + std::to_string(getpid()) + ".txt";
    std::FILE* fp = std::fopen(p.c_str(), "wb");
    if (!fp) return std::string();
    for (int i = 0; i < PRODUCTS; ++i)
      std::fprintf(fp, "\x01\r\r\n%03d \r\r\n%s\x03", i % 1000,
                   b[static_cast<size_t>(i) % b.size()].c_str());
    std::fclose(fp);
    std::atexit([] { std::remove(dayFile().c_str()); });
    return p;
  }();
  return path;
}

void BM_WarningsValidAt(benchmark::State& state)
{
  const std::string& path = dayFile();
  if (path.empty()) return state.SkipWithError("no shared warnings under KOL_TEST_DATA");
  const std::time_t at = KOL::Vtec::seconds("240426T2215Z");
  size_t valid = 0, products = 0;
  for (auto _ : state) {
    KOL::TextProductFile file;
    file.open(path.c_str());
    KOL::TextProduct p;
    KOL::WarnEvents events;
    products = 0;
    while (file.read(p)) {
      KOL::WarnProduct w;
      if (w.parse(p)) events.add(w);
      ++products;
    }
    valid = events.validAt(at).size();
    benchmark::DoNotOptimize(valid);
  }
  state.counters["products"] = static_cast<double>(products);
  state.counters["valid"] = static_cast<double>(valid);
}

double childSeconds()
{
  struct rusage u;
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// The same, through the warning layer, and the warnings in force drawn into an image.
void BM_WarningsDrawn(benchmark::State& state)
{
  const std::string& path = dayFile();
  if (path.empty()) return state.SkipWithError("no shared warnings under KOL_TEST_DATA");
  KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data");
  size_t drawn = 0;
  for (auto _ : state) {
    KOL::WarnPlot layer("nomap,vdate=202404262215");
    layer.setFilename(path.c_str());
    KOL::Plot plot;
    KOL::Domain domain;
    if (!plot.open("de=i,,sz=800x700") || !KOL::DomainTool::decode(domain, "conus") ||
        !plot.setDomain(domain))
      return state.SkipWithError("no image device");
    layer.draw(plot);
    drawn = layer.drawn().size();
    plot.close();
  }
  state.counters["drawn"] = static_cast<double>(drawn);
}

void BM_GrepVtecLines(benchmark::State& state)
{
  const std::string& path = dayFile();
  if (path.empty()) return state.SkipWithError("no shared warnings under KOL_TEST_DATA");
  const std::string cmd = "grep -c '^/[OTEX]\\.[A-Z][A-Z][A-Z]\\.' " + path;
  long lines = 0;
  const double before = childSeconds();
  long runs = 0;
  for (auto _ : state) {
    ++runs;
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p || std::fscanf(p, "%ld", &lines) != 1) state.SkipWithError("grep failed");
    if (p) pclose(p);
  }
  state.counters["vtec_lines"] = static_cast<double>(lines);
  // grep's own processor time, which the benchmark's CPU column (this process) leaves out.
  if (runs) state.counters["grep_cpu_ms"] = 1000.0 * (childSeconds() - before) / runs;
}

}  // namespace

BENCHMARK(BM_WarningsValidAt)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WarningsDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GrepVtecLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
