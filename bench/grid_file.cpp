// The native grid file's binary write and read rates beside `cp` of the same bytes, run in the
// same process one after the other, and the text format's rates for reference. The grid is a
// smooth 3598 x 2118 field (30 MB of values, four times a 1799 x 1059 model grid).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Date.h"
#include "core/Kol.h"
#include "geo/Domain.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"

namespace {

std::string scratch(const char* name)
{
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/kol_bench_grid_" + name;
}

KOL::Grid field(int nx, int ny)
{
  KOL::Grid g;
  KOL::DomainVal dv;
  dv.proj = 4;
  dv.param[0] = 38.5f;
  dv.param[1] = -97.5f;
  dv.param[2] = dv.param[3] = 38.5f;
  dv.clat = 38.5f;
  dv.clon = -97.5f;
  dv.nx = nx;
  dv.ny = ny;
  dv.dx = dv.dy = 0.03f * 1799 / nx;
  g.setDomain(KOL::Domain(dv));
  g.allocData();
  float* v = g.getData();
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++)
      v[size_t(j) * nx + i] = 280.0f + 10.0f * std::sin(i * 0.01f) * std::cos(j * 0.013f);
  g.setVar("temp");
  g.setLevel("850mb");
  g.setDate(KOL::Date(2024, 1, 15, 12, 0, 0));
  return g;
}

const KOL::Grid& bigGrid()
{
  static const KOL::Grid g = field(3598, 2118);
  return g;
}

const KOL::Grid& textGrid()
{
  static const KOL::Grid g = field(1799, 1059);
  return g;
}

double bytesOf(const KOL::Grid& g) { return double(g.getCount()) * sizeof(float); }

void BM_BinaryWrite(benchmark::State& state)
{
  const std::string path = scratch("w.grd");
  for (auto _ : state)
    if (!KOL::GridFile().write(path.c_str(), KOL::GridFile::NATIVE_BINARY, bigGrid()))
      state.SkipWithError("write failed");
  state.SetBytesProcessed(int64_t(bytesOf(bigGrid()) * state.iterations()));
}

void BM_BinaryRead(benchmark::State& state)
{
  const std::string path = scratch("r.grd");
  KOL::GridFile().write(path.c_str(), KOL::GridFile::NATIVE_BINARY, bigGrid());
  KOL::Grid g;
  for (auto _ : state)
    if (!KOL::GridFile(path.c_str()).read(g)) state.SkipWithError("read failed");
  state.SetBytesProcessed(int64_t(bytesOf(bigGrid()) * state.iterations()));
}

// The peer: cp of the same binary file (one read and one write of the same bytes).
void BM_CpSameBytes(benchmark::State& state)
{
  const std::string from = scratch("r.grd"), to = scratch("cp.grd");
  KOL::GridFile().write(from.c_str(), KOL::GridFile::NATIVE_BINARY, bigGrid());
  const std::string cmd = "cp '" + from + "' '" + to + "'";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
  state.SetBytesProcessed(int64_t(bytesOf(bigGrid()) * state.iterations()));
}

void BM_TextWrite(benchmark::State& state)
{
  const std::string path = scratch("t.grd");
  for (auto _ : state) KOL::GridFile().write(path.c_str(), KOL::GridFile::NATIVE_TEXT, textGrid());
  state.SetBytesProcessed(int64_t(bytesOf(textGrid()) * state.iterations()));
}

void BM_TextRead(benchmark::State& state)
{
  const std::string path = scratch("t.grd");
  KOL::GridFile().write(path.c_str(), KOL::GridFile::NATIVE_TEXT, textGrid());
  KOL::Grid g;
  for (auto _ : state) KOL::GridFile(path.c_str()).read(g);
  state.SetBytesProcessed(int64_t(bytesOf(textGrid()) * state.iterations()));
}

}  // namespace

BENCHMARK(BM_CpSameBytes)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_BinaryWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_BinaryRead)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_CpSameBytes)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_TextWrite)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_TextRead)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

int main(int argc, char** argv)
{
  KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
