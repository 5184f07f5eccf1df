// Decoding speed of 1799 x 1059 fields (HRRR 2 m temperature) in every packing, here and with
// ecCodes' C API on the same bytes in the same run. Items per second are fields per second.
// The "peak" counter of decodeHere is the resident memory one decode adds at its highest, in
// units of the decoded values (4 bytes a point), measured once in a forked child.
#include <benchmark/benchmark.h>
#include <eccodes.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "grid/grib/Message.h"
#include "grid/grib/Unpack.h"

namespace {

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return std::string(env && *env ? env : KOL_TEST_DATA_DEFAULT) + "/grib/bench/";
}

const std::vector<uint8_t>& message(const std::string& name)
{
  static std::vector<std::pair<std::string, std::vector<uint8_t>>> cache;
  for (auto& c : cache)
    if (c.first == name) return c.second;
  std::vector<uint8_t> bytes;
  if (FILE* fp = std::fopen((dataDir() + name).c_str(), "rb")) {
    uint8_t chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(fp);
  }
  cache.emplace_back(name, std::move(bytes));
  return cache.back().second;
}

// A "Vm...:" figure of /proc/self/status in kB, -1 when absent.
long statusKb(const char* key)
{
  long kb = -1;
  if (FILE* fp = std::fopen("/proc/self/status", "r")) {
    char line[256];
    size_t len = std::strlen(key);
    while (std::fgets(line, sizeof line, fp))
      if (std::strncmp(line, key, len) == 0) kb = std::atol(line + len);
    std::fclose(fp);
  }
  return kb;
}

// Decodes the message once in a child whose high-water mark starts at its current resident size,
// so neither earlier runs nor the cached bytes count. Returns the growth over the values' size.
double measurePeak(const std::vector<uint8_t>& bytes)
{
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    double ratio = -1;
    malloc_trim(0);  // what earlier runs freed must not be reused unseen
    long before = statusKb("VmRSS:");
    FILE* reset = std::fopen("/proc/self/clear_refs", "w");
    if (reset && std::fputs("5", reset) >= 0 && std::fclose(reset) == 0) {
      KOL::grib::MessageDecoder msg(bytes.data(), bytes.size());
      KOL::grib::Field f;
      if (msg.next(f) && !f.values.empty())
        ratio = (statusKb("VmHWM:") - before) * 1024.0 / (4.0 * f.values.size());
    }
    ssize_t w = write(fds[1], &ratio, sizeof ratio);
    _exit(w == sizeof ratio ? 0 : 1);
  }
  close(fds[1]);
  double ratio = -1;
  if (pid < 0 || read(fds[0], &ratio, sizeof ratio) != sizeof ratio) ratio = -1;
  close(fds[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return ratio;
}

void decodeHere(benchmark::State& state, const char* name)
{
  const auto& bytes = message(name);
  if (bytes.empty()) {
    state.SkipWithError("test data not found");
    return;
  }
  state.counters["peak"] = measurePeak(bytes);
  for (auto _ : state) {
    KOL::grib::MessageDecoder msg(bytes.data(), bytes.size());
    KOL::grib::Field f;
    if (!msg.next(f) || f.values.empty()) {
      state.SkipWithError("decoding failed");
      return;
    }
    benchmark::DoNotOptimize(f.values.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void decodeEcCodes(benchmark::State& state, const char* name)
{
  const auto& bytes = message(name);
  if (bytes.empty()) {
    state.SkipWithError("test data not found");
    return;
  }
  std::vector<double> values;
  for (auto _ : state) {
    codes_handle* h = codes_handle_new_from_message(nullptr, bytes.data(), bytes.size());
    size_t n = 0;
    if (!h || codes_get_size(h, "values", &n) != 0) {
      state.SkipWithError("ecCodes failed");
      return;
    }
    values.resize(n);
    codes_get_double_array(h, "values", values.data(), &n);
    benchmark::DoNotOptimize(values.data());
    codes_handle_delete(h);
  }
  state.SetItemsProcessed(state.iterations());
}

// What a JPEG 2000 field costs besides OpenJPEG itself: turning its 1905141 integers into values.
// The share of OpenJPEG in decodeHere/jpeg2000 is 1 - this time / that time.
void scaleOnly(benchmark::State& state)
{
  std::vector<uint32_t> ints(1905141);
  for (size_t k = 0; k < ints.size(); k++) ints[k] = static_cast<uint32_t>(k * 2654435761u) & 0x3FF;
  std::vector<float> values(ints.size());
  KOL::grib::Packing pack;
  pack.ref = 250.0f;
  pack.e = -4;
  for (auto _ : state) {
    KOL::grib::scaleValues(pack, ints.data(), ints.size(), values.data());
    benchmark::DoNotOptimize(values.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(scaleOnly)->Unit(benchmark::kMillisecond);

#define PACKING(label, file)                                                 \
  BENCHMARK_CAPTURE(decodeHere, label, file)->Unit(benchmark::kMillisecond); \
  BENCHMARK_CAPTURE(decodeEcCodes, label, file)->Unit(benchmark::kMillisecond)

PACKING(simple, "hrrr_tmp2m_grid_simple.grib2");
PACKING(complex, "hrrr_tmp2m_grid_complex.grib2");
PACKING(spatial_differencing, "hrrr_tmp2m_grid_complex_spatial_differencing_order2_original.grib2");
PACKING(jpeg2000, "hrrr_tmp2m_grid_jpeg.grib2");
PACKING(png, "hrrr_tmp2m_grid_png.grib2");

}  // namespace

BENCHMARK_MAIN();
