// Decoding speed of a whole Message 31 radar volume (KDMX, 55 bzip2 LDM records, 6480 radials
// of up to seven moments) read from memory: Lev2File::openBytes + read, on 1 and 2 threads.
// In the same run, bzip2/alone: libbz2's BZ2_bzBuffToBuffDecompress of the same records into
// buffers allocated once, single-threaded.
// Goals: decode/1 at most 1.3x bzip2/alone; decode/2 at least 1.7x faster than decode/1 (on
// two free cores). Items are radials, bytes the volume's size.
#include <benchmark/benchmark.h>
#include <bzlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "imagery/Lev2File.h"

namespace {

constexpr int RADIALS = 6480;

struct Volume {
  std::vector<uint8_t> bytes;
  std::vector<std::pair<size_t, size_t>> records;  // offset and size of each bzip2 stream
  std::vector<std::vector<char>> out;              // each record's decompressed room
};

std::vector<uint8_t> readFile(const std::string& path)
{
  std::vector<uint8_t> bytes;
  if (FILE* fp = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(fp);
  }
  return bytes;
}

const Volume& volume()
{
  static const Volume v = [] {
    Volume v;
    const char* env = std::getenv("KOL_TEST_DATA");
    const std::string dir = env && *env ? env : KOL_TEST_DATA_DEFAULT;
    v.bytes = readFile(dir + "/level2/KDMX20260101_154351_V06");
    for (size_t at = 24; at + 4 <= v.bytes.size();) {
      const uint8_t* p = v.bytes.data() + at;
      const int32_t w = static_cast<int32_t>((p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
      const size_t n = static_cast<size_t>(w < 0 ? -w : w);
      if (n == 0 || at + 4 + n > v.bytes.size()) break;
      v.records.emplace_back(at + 4, n);
      at += 4 + n;
    }
    // room for each record as it inflates, found once
    for (const auto& [off, n] : v.records) {
      std::vector<char> room(8u << 20);
      unsigned size = static_cast<unsigned>(room.size());
      BZ2_bzBuffToBuffDecompress(
          room.data(), &size, reinterpret_cast<char*>(const_cast<uint8_t*>(v.bytes.data() + off)),
          static_cast<unsigned>(n), 0, 0);
      room.resize(size);
      v.out.push_back(std::move(room));
    }
    return v;
  }();
  return v;
}

void decode(benchmark::State& state)
{
  KOL::Kol::setMessageLevel(0);
  const Volume& v = volume();
  if (v.records.empty()) return state.SkipWithError("KDMX volume not found (KOL_TEST_DATA)");
  for (auto _ : state) {
    KOL::Lev2File f;
    f.setThreads(static_cast<int>(state.range(0)));
    f.openBytes(v.bytes.data(), v.bytes.size());
    if (!f.read() || f.getNumRadials() != RADIALS) return state.SkipWithError("volume not read");
    benchmark::DoNotOptimize(f.getCut(1));
  }
  state.SetItemsProcessed(state.iterations() * RADIALS);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(v.bytes.size()));
}

void bzip2Alone(benchmark::State& state)
{
  Volume& v = const_cast<Volume&>(volume());
  if (v.records.empty()) return state.SkipWithError("KDMX volume not found (KOL_TEST_DATA)");
  for (auto _ : state)
    for (size_t r = 0; r < v.records.size(); ++r) {
      unsigned size = static_cast<unsigned>(v.out[r].size());
      const int st = BZ2_bzBuffToBuffDecompress(
          v.out[r].data(), &size, reinterpret_cast<char*>(v.bytes.data() + v.records[r].first),
          static_cast<unsigned>(v.records[r].second), 0, 0);
      if (st != BZ_OK) return state.SkipWithError("bzip2 failed");
    }
  state.SetItemsProcessed(state.iterations() * RADIALS);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(v.bytes.size()));
}

BENCHMARK(bzip2Alone)->Name("bzip2/alone")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(decode)->Name("decode")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
