// Decoding speed of the METAR and SA decoders on the real report collections, repeated to at
// least a million reports, and in the same run the speed of an independent decoder
// (Geo::METAR, through perl) on the same reports.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcData.h"

namespace {

constexpr long MIN_REPORTS = 1000000;

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

// Bulletin framing, headings and section lines are no part of a report.
bool framing(const std::string& line)
{
  if (line.find_first_of("\x01\x03") != std::string::npos) return true;
  if (line.size() <= 4 && line.find_first_not_of("0123456789 ") == std::string::npos) return true;
  if (line.compare(0, 5, "METAR") == 0 && line.size() <= 12) return true;
  if (line.compare(0, 5, "SPECI") == 0 && line.size() <= 12) return true;
  return line.size() >= 18 && line[4] != ' ' && line[6] == ' ' && line[11] == ' ' &&
         line.find_first_not_of("0123456789", 12) >= 18;
}

// Reports of a bulletin capture (ended by "=") or of a text file (one per line).
void cut(const std::string& text, bool bulletins, std::vector<std::string>& out)
{
  std::istringstream in(text);
  std::string line, report;
  while (std::getline(in, line)) {
    for (char& c : line)
      if (c == '\r') c = ' ';
    if (framing(line)) continue;
    if (!bulletins) {
      if (line.find_first_not_of(' ') != std::string::npos) out.push_back(line);
      continue;
    }
    report += line + " ";
    size_t end;
    while ((end = report.find('=')) != std::string::npos) {
      if (report.find_first_not_of(' ') < end) out.push_back(report.substr(0, end));
      report.erase(0, end + 1);
    }
  }
}

const std::vector<std::string>& reports()
{
  static const std::vector<std::string> all = [] {
    std::vector<std::string> r;
    std::string dir = dataDir() + "/metar/";
    cut(readFile(dir + "metpy_2020010600_sao.wmo"), true, r);
    cut(readFile(dir + "awcjson_20180109_us_au.txt"), false, r);
    cut(readFile(dir + "pyiem_sa_SACN96_CWAO.txt"), false, r);
    return r;
  }();
  return all;
}

bool isSa(const std::string& r)
{
  size_t blank = r.find(' ', r.find_first_not_of(' '));
  return blank != std::string::npos && r.compare(blank, 4, " SA ") == 0;
}

void BM_MetarDecode(benchmark::State& state)
{
  const std::vector<std::string>& all = reports();
  if (all.empty()) {
    state.SkipWithError("no report collections under KOL_TEST_DATA");
    return;
  }
  std::vector<char> sa(all.size());
  for (size_t i = 0; i < all.size(); ++i) sa[i] = isSa(all[i]);
  KOL::SfcData s;
  long decoded = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < all.size(); ++i) {
      if (sa[i])
        KOL::SaoTool::decode(all[i].c_str(), s);
      else
        KOL::MetarTool::decode(all[i].c_str(), s);
      benchmark::DoNotOptimize(s);
    }
    decoded += static_cast<long>(all.size());
  }
  state.SetItemsProcessed(decoded);
  state.counters["reports"] = static_cast<double>(decoded);
}

double childSeconds()
{
  struct rusage u;
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Geo::METAR over the same METAR reports once (perl start-up included).
void BM_GeoMetar(benchmark::State& state)
{
  if (std::system("perl -MGeo::METAR -e 1 2>/dev/null") != 0) {
    state.SkipWithError("Geo::METAR (libgeo-metar-perl) is not installed");
    return;
  }
  std::string path = "/tmp/kol_bench_metar_" + std::to_string(getpid()) + ".txt";
  long n = 0;
  {
    std::ofstream out(path);
    for (const std::string& r : reports())
      if (!isSa(r)) out << r << "\n", ++n;
  }
  std::string cmd =
      std::string("perl ") + KOL_SOURCE_DIR + "/tests/obs/geo_metar.pl < " + path + " > /dev/null";
  long decoded = 0;
  for (auto _ : state) {
    // The time is the processor time of perl, as for the decoder above.
    double before = childSeconds();
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("perl failed");
    state.SetIterationTime(childSeconds() - before);
    decoded += n;
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(decoded);
  state.counters["reports"] = static_cast<double>(decoded);
}

int passes()
{
  size_t n = reports().size();
  return n ? static_cast<int>((MIN_REPORTS + n - 1) / n) : 1;
}

}  // namespace

BENCHMARK(BM_MetarDecode)->Iterations(passes())->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeoMetar)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
