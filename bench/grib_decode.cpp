// Decoding speed of 1799 x 1059 fields (HRRR 2 m temperature) in every packing, read as users
// read them (GribFile::read into a Grid, the file opened once and every message read), and with
// ecCodes' C API (codes_get_double_array) on the same message bytes in the same run. Items per
// second are fields per second, on the wall clock; CPU time counts every thread of the process.
// GribFile decodes JPEG 2000 on as many OpenJPEG threads as the machine has cores; ecCodes leaves
// OpenJPEG at its default (one thread unless OPJ_NUM_THREADS is set).
// The "peak" counter is the resident memory one field adds at its highest, in units of the
// decoded values (4 bytes a point), measured in a forked child after one read there, so that
// neither earlier runs nor the code pages the child faults in again count (ecCodes' doubles alone
// are 2 such units; the Grid's values are 1).
// message decodes the message bytes alone, without the file or the Grid: the decoder's share.
// ecCodesFile reads the file as ecCodes' users do (codes_handle_new_from_file on a FILE*, then
// codes_get_double_array), so that both sides pay for reading it; ecCodes (from memory) is handed
// bytes already read and stays as a second reference.
// alternate runs GribFile and both ecCodes readings in turn and gives ecCodes' time over ours:
// "file" ratios against ecCodes reading the file, "mem" ratios against ecCodes from memory.
// threads runs GribFile on the JPEG 2000 field with every core and with one thread, and ecCodes
// reading the file, in turn: "ratio_file" and "ratio_file_1" are ecCodes' time over each of ours,
// "speedup" the one thread's time over every core's.
// openJpegShare times, alternately, a whole JPEG 2000 decode and OpenJPEG alone on the same code
// stream; its "share" counter is the fraction of the decode spent inside OpenJPEG.
#include <benchmark/benchmark.h>
#include <eccodes.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
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

bool decodeOnce(const std::vector<uint8_t>& bytes, size_t& points)
{
  KOL::grib::MessageDecoder msg(bytes.data(), bytes.size());
  KOL::grib::Field f;
  if (!msg.next(f) || f.values.empty()) return false;
  points = f.values.size();
  return true;
}

// Into values, which keep their allocation from one call to the next.
bool decodeEcCodesInto(const std::vector<uint8_t>& bytes, std::vector<double>& values)
{
  codes_handle* h = codes_handle_new_from_message(nullptr, bytes.data(), bytes.size());
  size_t n = 0;
  if (!h || codes_get_size(h, "values", &n) != 0) return false;
  values.resize(n);
  bool ok = codes_get_double_array(h, "values", values.data(), &n) == 0;
  codes_handle_delete(h);
  return ok;
}

// Every message of the open file from its start, each into values; false unless one was read.
bool readAllEcCodes(FILE* fp, std::vector<double>& values, size_t& points)
{
  std::rewind(fp);
  int err = 0, fields = 0;
  while (codes_handle* h = codes_handle_new_from_file(nullptr, fp, PRODUCT_GRIB, &err)) {
    size_t n = 0;
    bool ok = codes_get_size(h, "values", &n) == 0;
    if (ok) {
      values.resize(n);
      ok = codes_get_double_array(h, "values", values.data(), &n) == 0;
    }
    codes_handle_delete(h);
    if (!ok) return false;
    points = n;
    fields++;
  }
  return err == 0 && fields > 0;
}

bool readFileOnceEcCodes(const std::string& path, size_t& points)
{
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return false;
  std::vector<double> values;
  bool ok = readAllEcCodes(fp, values, points);
  std::fclose(fp);
  return ok;
}

bool decodeOnceEcCodes(const std::vector<uint8_t>& bytes, size_t& points)
{
  std::vector<double> values;
  if (!decodeEcCodesInto(bytes, values)) return false;
  points = values.size();
  return true;
}

// Decodes in a child, once to fault in code and settle the allocator, then again from a high-water
// mark reset to the current resident size. Returns the growth over the values' size.
double measurePeak(const std::function<bool(size_t&)>& decode)
{
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    double ratio = -1;
    size_t points = 0;
    if (decode(points)) {
      malloc_trim(0);  // what the first decode freed must not be reused unseen
      long before = statusKb("VmRSS:");
      FILE* reset = std::fopen("/proc/self/clear_refs", "w");
      if (reset && std::fputs("5", reset) >= 0 && std::fclose(reset) == 0 && decode(points))
        ratio = (statusKb("VmHWM:") - before) * 1024.0 / (4.0 * points);
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

// The variable and model tables the Grids are described with.
void useShippedTables() { KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data"); }

// Every field of the open file from its start into g; false unless at least one was read.
bool readAll(KOL::GribFile& file, KOL::Grid& g, size_t& points)
{
  file.rewind();
  int fields = 0;
  while (file.read(g)) {
    fields++;
    points = g.getCount();
  }
  return fields > 0;
}

// One read from opening the file to the last Grid, all freed afterwards.
bool readFileOnce(const std::string& path, size_t& points)
{
  KOL::GribFile file;
  KOL::Grid g;
  return file.open(path.c_str()) && readAll(file, g, points);
}

void readGribFile(benchmark::State& state, const char* name)
{
  useShippedTables();
  const std::string path = dataDir() + name;
  KOL::GribFile file;
  if (!file.open(path.c_str())) {
    state.SkipWithError("test data not found");
    return;
  }
  state.counters["peak"] = measurePeak([&](size_t& n) { return readFileOnce(path, n); });
  KOL::Grid g;
  for (auto _ : state) {
    size_t points = 0;
    if (!readAll(file, g, points)) {
      state.SkipWithError("decoding failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

void decodeMessage(benchmark::State& state, const char* name)
{
  const auto& bytes = message(name);
  if (bytes.empty()) {
    state.SkipWithError("test data not found");
    return;
  }
  state.counters["peak"] = measurePeak([&](size_t& n) { return decodeOnce(bytes, n); });
  for (auto _ : state) {
    size_t points = 0;
    if (!decodeOnce(bytes, points)) {
      state.SkipWithError("decoding failed");
      return;
    }
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
  state.counters["peak"] = measurePeak([&](size_t& n) { return decodeOnceEcCodes(bytes, n); });
  std::vector<double> values;
  for (auto _ : state) {
    if (!decodeEcCodesInto(bytes, values)) {
      state.SkipWithError("ecCodes failed");
      return;
    }
    benchmark::DoNotOptimize(values.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void readEcCodesFile(benchmark::State& state, const char* name)
{
  const std::string path = dataDir() + name;
  std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!fp) {
    state.SkipWithError("test data not found");
    return;
  }
  state.counters["peak"] = measurePeak([&](size_t& n) { return readFileOnceEcCodes(path, n); });
  std::vector<double> values;
  for (auto _ : state) {
    size_t points = 0;
    if (!readAllEcCodes(fp.get(), values, points)) {
      state.SkipWithError("ecCodes failed");
      return;
    }
    benchmark::DoNotOptimize(values.data());
  }
  state.SetItemsProcessed(state.iterations());
}

double seconds(clockid_t clock)
{
  timespec t;
  clock_gettime(clock, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// GribFile, ecCodes reading the file and ecCodes from memory in turn, so that the machine's load
// weighs on all alike: each ratio is ecCodes' time over ours, "ratio_*" on the wall clock,
// "cpu_ratio_*" in process CPU time.
void alternate(benchmark::State& state, const char* name)
{
  useShippedTables();
  const std::string path = dataDir() + name;
  const auto& bytes = message(name);
  KOL::GribFile file;
  std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(path.c_str(), "rb"), std::fclose);
  if (bytes.empty() || !fp || !file.open(path.c_str())) {
    state.SkipWithError("test data not found");
    return;
  }
  KOL::Grid g;
  std::vector<double> values;
  double wall[3] = {0, 0, 0}, cpu[3] = {0, 0, 0};
  for (auto _ : state) {
    for (int k = 0; k < 3; k++) {
      const double w0 = seconds(CLOCK_MONOTONIC), c0 = seconds(CLOCK_PROCESS_CPUTIME_ID);
      size_t points = 0;
      const bool ok = k == 0   ? readAll(file, g, points)
                      : k == 1 ? readAllEcCodes(fp.get(), values, points)
                               : decodeEcCodesInto(bytes, values);
      if (!ok) {
        state.SkipWithError("decoding failed");
        return;
      }
      wall[k] += seconds(CLOCK_MONOTONIC) - w0;
      cpu[k] += seconds(CLOCK_PROCESS_CPUTIME_ID) - c0;
    }
  }
  state.counters["ratio_file"] = wall[1] / wall[0];
  state.counters["cpu_ratio_file"] = cpu[1] / cpu[0];
  state.counters["ratio_mem"] = wall[2] / wall[0];
  state.counters["cpu_ratio_mem"] = cpu[2] / cpu[0];
}

void threads(benchmark::State& state)
{
  useShippedTables();
  const char* name = "hrrr_tmp2m_grid_jpeg.grib2";
  const std::string path = dataDir() + name;
  KOL::GribFile file;
  std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!fp || !file.open(path.c_str())) {
    state.SkipWithError("test data not found");
    return;
  }
  KOL::Grid g;
  std::vector<double> values;
  double wall[3] = {0, 0, 0};
  for (auto _ : state) {
    for (int k = 0; k < 3; k++) {
      KOL::Kol::resrc.set("num_threads", k == 1 ? "1" : "0");
      const double w0 = seconds(CLOCK_MONOTONIC);
      size_t points = 0;
      const bool ok = k < 2 ? readAll(file, g, points) : readAllEcCodes(fp.get(), values, points);
      if (!ok) {
        state.SkipWithError("decoding failed");
        return;
      }
      wall[k] += seconds(CLOCK_MONOTONIC) - w0;
    }
  }
  KOL::Kol::resrc.set("num_threads", "0");
  state.counters["ratio_file"] = wall[2] / wall[0];
  state.counters["ratio_file_1"] = wall[2] / wall[1];
  state.counters["speedup"] = wall[1] / wall[0];
}
BENCHMARK(threads)->Unit(benchmark::kMillisecond)->UseRealTime();

void openJpegShare(benchmark::State& state)
{
  const auto& bytes = message("hrrr_tmp2m_grid_jpeg.grib2");
  KOL::grib::MessageDecoder msg(bytes.data(), bytes.size());
  KOL::grib::Field f;
  if (bytes.empty() || !msg.next(f, false)) {
    state.SkipWithError("test data not found");
    return;
  }
  using Clock = std::chrono::steady_clock;
  Clock::duration whole{}, inside{};
  for (auto _ : state) {
    size_t points = 0;
    auto t0 = Clock::now();
    bool ok = decodeOnce(bytes, points);
    auto t1 = Clock::now();
    ok = KOL::grib::decodeJpeg2000Image(f.pack.data) && ok;
    whole += t1 - t0;
    inside += Clock::now() - t1;
    if (!ok) {
      state.SkipWithError("decoding failed");
      return;
    }
  }
  state.counters["share"] =
      std::chrono::duration<double>(inside).count() / std::chrono::duration<double>(whole).count();
}
BENCHMARK(openJpegShare)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

#define PACKING(label, file)                      \
  BENCHMARK_CAPTURE(readGribFile, label, file)    \
      ->Unit(benchmark::kMillisecond)             \
      ->UseRealTime()                             \
      ->MeasureProcessCPUTime();                  \
  BENCHMARK_CAPTURE(decodeMessage, label, file)   \
      ->Unit(benchmark::kMillisecond)             \
      ->UseRealTime()                             \
      ->MeasureProcessCPUTime();                  \
  BENCHMARK_CAPTURE(readEcCodesFile, label, file) \
      ->Unit(benchmark::kMillisecond)             \
      ->UseRealTime()                             \
      ->MeasureProcessCPUTime();                  \
  BENCHMARK_CAPTURE(decodeEcCodes, label, file)   \
      ->Unit(benchmark::kMillisecond)             \
      ->UseRealTime()                             \
      ->MeasureProcessCPUTime();                  \
  BENCHMARK_CAPTURE(alternate, label, file)->Unit(benchmark::kMillisecond)->UseRealTime()

PACKING(simple, "hrrr_tmp2m_grid_simple.grib2");
PACKING(complex, "hrrr_tmp2m_grid_complex.grib2");
PACKING(spatial_differencing, "hrrr_tmp2m_grid_complex_spatial_differencing_order2_original.grib2");
PACKING(jpeg2000, "hrrr_tmp2m_grid_jpeg.grib2");
PACKING(png, "hrrr_tmp2m_grid_png.grib2");

}  // namespace

BENCHMARK_MAIN();
