// Decoding speed of every NIDS and GINI sample file, read from memory as a feed hands them over
// (NidsFile::openBytes + readHeader + readData, GiniFile::openBytes + read), each set 100 times.
// In the same run:
//   inflate/*   the zlib or bzip2 inflation alone of the same compressed bodies, through the
//               library's Zlib and BZlib, into buffers allocated once;
//   memcpy/*    filling value arrays of the uncompressed products' sizes with memcpy.
// Goals: a compressed product costs at most 2x its inflation; an uncompressed one at most 4x
// the memcpy of its value array. Items are products, bytes the files' sizes.
#include <benchmark/benchmark.h>
#include <bzlib.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/BZlib.h"
#include "core/Kol.h"
#include "core/Zlib.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"

namespace {

struct Sample {
  std::string name;
  std::vector<uint8_t> bytes;
  bool gini = false;
  int compression = 0;       // 0 none, 1 zlib, 3 bzip2, 4 PNG
  std::size_t body = 0;      // where the compressed body starts
  std::size_t cells = 0;     // values (NIDS) or pixels (GINI) decoded
  std::size_t outBytes = 0;  // inflated size of the body
};

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return std::string(env && *env ? env : KOL_TEST_DATA_DEFAULT);
}

std::vector<uint8_t> readFile(const std::string& path)
{
  std::vector<uint8_t> bytes;
  if (FILE* fp = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(fp);
  }
  return bytes;
}

std::vector<std::string> listDir(const std::string& dir)
{
  std::vector<std::string> out;
  std::string cmd = "ls " + dir + " 2>/dev/null";
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
      std::string s(line);
      while (!s.empty() && (s.back() == '\n')) s.pop_back();
      if (s.find(".json") == std::string::npos && s != "SOURCES.md") out.push_back(dir + "/" + s);
    }
    pclose(p);
  }
  return out;
}

int decodeNids(const Sample& s, KOL::NidsData& d)
{
  KOL::NidsFile f;
  KOL::NidsInfo info;
  return f.openBytes(s.bytes.data(), s.bytes.size()) && f.readHeader(info) && f.readData(d);
}

int decodeGini(const Sample& s, KOL::Image& im)
{
  KOL::GiniFile g;
  return g.openBytes(s.bytes.data(), s.bytes.size(), KOL::GiniFile::AUTO) && g.read(im);
}

std::size_t findBytes(const std::vector<uint8_t>& b, const char* what, std::size_t n)
{
  for (std::size_t k = 0; k + n <= b.size(); ++k)
    if (std::memcmp(b.data() + k, what, n) == 0) return k;
  return b.size();
}

// Inflates the chain of zlib streams or the bzip2 stream of a sample; the bytes produced.
std::size_t inflateBody(const Sample& s, std::vector<uint8_t>& out)
{
  const uint8_t* in = s.bytes.data() + s.body;
  const int n = static_cast<int>(s.bytes.size() - s.body);
  if (s.compression == 3) {
    KOL::BZlib bz;
    bz.setIn(in, n);
    bz.setOut(out.data(), static_cast<int>(out.size()));
    while (bz.decomp() == BZ_OK && bz.getAvailIn() > 0 && bz.getAvailOut() > 0) {
    }
    return out.size() - static_cast<std::size_t>(bz.getAvailOut());
  }
  KOL::Zlib z;
  z.set(in, n, out.data(), static_cast<int>(out.size()));
  int status;
  do {
    status = z.decomp();
  } while ((status == Z_OK || status == Z_STREAM_END) && z.getAvailIn() > 0 &&
           z.getAvailOut() > 0 && in[n - z.getAvailIn()] == 0x78);
  return out.size() - static_cast<std::size_t>(z.getAvailOut());
}

std::vector<Sample>& samples()
{
  static std::vector<Sample> all = [] {
    KOL::Kol::setMessageLevel(0);
    std::vector<Sample> v;
    for (const char* folder : {"nids", "gini"})
      for (const std::string& path : listDir(dataDir() + "/" + folder)) {
        Sample s;
        s.name = path;
        s.bytes = readFile(path);
        s.gini = std::string(folder) == "gini";
        if (s.gini) {
          KOL::GiniFile g;
          KOL::Image im;
          if (!decodeGini(s, im)) continue;
          g.openBytes(s.bytes.data(), s.bytes.size(), KOL::GiniFile::AUTO);
          s.compression = g.getKind() == KOL::GiniFile::ZLIB  ? 1
                          : g.getKind() == KOL::GiniFile::PNG ? 4
                                                              : 0;
          s.body = s.compression == 1 ? findBytes(s.bytes, "\x78\xDA", 2) : 0;
          s.cells = static_cast<std::size_t>(im.getWidth()) * im.getHeight();
        } else {
          KOL::NidsFile f;
          KOL::NidsInfo info;
          KOL::NidsData d;
          f.openBytes(s.bytes.data(), s.bytes.size());
          if (!f.readHeader(info) || !f.readData(d)) continue;
          s.compression = f.getCompression();
          s.body = s.compression == 3   ? findBytes(s.bytes, "BZh", 3)
                   : s.compression == 1 ? findBytes(s.bytes, "\x78\xDA", 2)
                                        : 0;
          s.cells = static_cast<std::size_t>(d.getNx()) * d.getNy();
        }
        if (s.compression == 1 || s.compression == 3) {
          std::vector<uint8_t> out(64u << 20);
          s.outBytes = inflateBody(s, out);
        }
        v.push_back(std::move(s));
      }
    return v;
  }();
  return all;
}

template <typename Pick>
std::vector<const Sample*> select(Pick pick)
{
  std::vector<const Sample*> out;
  for (const Sample& s : samples())
    if (pick(s)) out.push_back(&s);
  return out;
}

void count(benchmark::State& state, const std::vector<const Sample*>& set)
{
  std::size_t bytes = 0;
  for (const Sample* s : set) bytes += s->bytes.size();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * set.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void decodeSet(benchmark::State& state, const std::vector<const Sample*>& set)
{
  for (auto _ : state)
    for (const Sample* s : set) {
      if (s->gini) {
        KOL::Image im;
        benchmark::DoNotOptimize(decodeGini(*s, im));
      } else {
        KOL::NidsData d;
        benchmark::DoNotOptimize(decodeNids(*s, d));
      }
    }
  count(state, set);
}

bool compressed(const Sample& s) { return s.compression == 1 || s.compression == 3; }

void BM_DecodeAll(benchmark::State& state)
{
  decodeSet(state, select([](const Sample&) { return true; }));
}

void BM_DecodeCompressed(benchmark::State& state) { decodeSet(state, select(compressed)); }

void BM_InflateCompressed(benchmark::State& state)
{
  auto set = select(compressed);
  std::size_t most = 0;
  for (const Sample* s : set) most = std::max(most, s->outBytes);
  std::vector<uint8_t> out(most + 1);
  for (auto _ : state)
    for (const Sample* s : set) benchmark::DoNotOptimize(inflateBody(*s, out));
  count(state, set);
}

bool plain(const Sample& s) { return s.compression == 0; }

void BM_DecodeUncompressed(benchmark::State& state) { decodeSet(state, select(plain)); }

// Allocating and filling each value array (floats for NIDS) from a ready source.
void BM_MemcpyUncompressed(benchmark::State& state)
{
  auto set = select(plain);
  std::size_t most = 0;
  for (const Sample* s : set) most = std::max(most, s->cells);
  std::vector<float> src(most, 1.0f);
  for (auto _ : state)
    for (const Sample* s : set) {
      std::vector<float> dst(s->cells);
      benchmark::DoNotOptimize(dst.data());
      std::memcpy(dst.data(), src.data(), s->cells * sizeof(float));
      benchmark::ClobberMemory();
    }
  count(state, set);
}

void BM_DecodePng(benchmark::State& state)
{
  decodeSet(state, select([](const Sample& s) { return s.compression == 4; }));
}

}  // namespace

BENCHMARK(BM_DecodeAll)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCompressed)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateCompressed)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeUncompressed)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyUncompressed)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePng)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
