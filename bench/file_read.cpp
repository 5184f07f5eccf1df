// Line reading through File against a plain fread of the same 200 MB text file. The file is
// made once in the temporary directory and kept for later runs.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/File.h"
#include "core/String.h"

namespace {

constexpr long FILE_BYTES = 200L * 1024 * 1024;

std::string benchPath()
{
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/kol_bench_lines.txt";
}

// METAR-like reports of 60 to 120 characters.
std::string reportLine(unsigned& seed)
{
  static const char* const weather[] = {"", " -RA", " BR", " +TSRA", " -SN BR", " HZ"};
  static const char* const clouds[] = {"FEW", "SCT", "BKN", "OVC"};
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  char line[200];
  int n = std::snprintf(line, sizeof line, "METAR K%c%c%c 15%02u%02uZ %03u%02uKT %uSM%s %s%03u",
                        'A' + next(26), 'A' + next(26), 'A' + next(26), next(24), next(60),
                        next(36) * 10, next(30), 1 + next(10), weather[next(6)], clouds[next(4)],
                        5 + next(250));
  for (unsigned extra = next(4); extra > 0; extra--)
    n += std::snprintf(line + n, sizeof line - n, " %s%03u", clouds[next(4)], 20 + next(230));
  n += std::snprintf(line + n, sizeof line - n, " %02u/%02u A%04u RMK AO2 SLP%03u", next(35),
                     next(25), 2950 + next(100), next(999));
  if (next(2)) n += std::snprintf(line + n, sizeof line - n, " T0%03u0%03u", next(350), next(250));
  if (next(3) == 0)
    n += std::snprintf(line + n, sizeof line - n, " PK WND %03u%02u/%02u%02u", next(36) * 10,
                       30 + next(40), next(24), next(60));
  return std::string(line, n) + "=\n";
}

const std::string& benchFile()
{
  static const std::string path = [] {
    std::string p = benchPath();
    struct stat st;
    if (stat(p.c_str(), &st) == 0 && st.st_size >= FILE_BYTES) return p;
    FILE* fp = std::fopen(p.c_str(), "w");
    unsigned seed = 20240115;
    for (long written = 0; fp && written < FILE_BYTES;) {
      std::string line = reportLine(seed);
      written += static_cast<long>(std::fwrite(line.data(), 1, line.size(), fp));
    }
    if (fp) std::fclose(fp);
    return p;
  }();
  return path;
}

void fileGetLineChars(benchmark::State& state)
{
  char line[256];
  long bytes = 0;
  for (auto _ : state) {
    KOL::File f(benchFile().c_str(), "r");
    int n;
    while ((n = f.getLine(line, sizeof line)) > 0) bytes += n;
    benchmark::DoNotOptimize(line);
  }
  state.SetBytesProcessed(bytes);
}

void fileGetLineString(benchmark::State& state)
{
  KOL::String line(256);
  long bytes = 0;
  for (auto _ : state) {
    KOL::File f(benchFile().c_str(), "r");
    int n;
    while ((n = f.getLine(line)) > 0) bytes += n;
    benchmark::DoNotOptimize(line.get());
  }
  state.SetBytesProcessed(bytes);
}

void plainFread(benchmark::State& state)
{
  std::vector<char> buf(1 << 20);
  long bytes = 0;
  for (auto _ : state) {
    FILE* fp = std::fopen(benchFile().c_str(), "r");
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), fp)) > 0) bytes += static_cast<long>(n);
    std::fclose(fp);
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(bytes);
}

// Made before any timing starts.
const std::string& made = benchFile();

BENCHMARK(plainFread)->Unit(benchmark::kMillisecond);
BENCHMARK(fileGetLineChars)->Unit(benchmark::kMillisecond);
BENCHMARK(fileGetLineString)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
