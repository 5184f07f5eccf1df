// Grid calculations on a 1799 x 1059 grid (a 3 km continental model), against a plain memcpy of
// the same arrays measured in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/Const.h"
#include "grid/math/Arith.h"
#include "grid/math/Derivs.h"

namespace {

constexpr int NX = 1799;
constexpr int NY = 1059;
constexpr std::size_t N = static_cast<std::size_t>(NX) * NY;

struct Fields {
  std::vector<float> t, u, v, out;
  KOL::gridmath::Spacing spacing = KOL::gridmath::Spacing::uniform(NX, NY, 0.03f, 0.03f);
  Fields() : t(N), u(N), v(N), out(N)
  {
    for (int j = 0; j < NY; ++j)
      for (int i = 0; i < NX; ++i) {
        std::size_t k = static_cast<std::size_t>(j) * NX + i;
        t[k] = 280.0f + 0.01f * i - 0.02f * j + std::sin(0.01f * i);
        u[k] = 10.0f + std::cos(0.003f * j);
        v[k] = -5.0f + std::sin(0.002f * i);
      }
    // A sprinkling of missing values, as at the edge of a model's data.
    for (std::size_t k = 0; k < N; k += 9973) t[k] = KOL::Const::FMISS;
  }
};

Fields& fields()
{
  static Fields f;
  return f;
}

// The reference: copying the two input arrays of a binary operation.
void BM_Memcpy(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    std::memcpy(f.out.data(), f.t.data(), N * sizeof(float));
    std::memcpy(f.v.data(), f.u.data(), N * sizeof(float));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 4 * N * sizeof(float));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_Add(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::gridmath::apply(KOL::gridmath::Binary::ADD, f.t.data(), N, f.u.data(), N, f.out.data(), N);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Add)->Unit(benchmark::kMillisecond);

void BM_Divide(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::gridmath::apply(KOL::gridmath::Binary::DIV, f.t.data(), N, f.u.data(), N, f.out.data(), N);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Divide)->Unit(benchmark::kMillisecond);

void BM_Vorticity(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::gridmath::combine(f.spacing, f.v.data(), 1.0f, f.u.data(), -1.0f, f.out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Vorticity)->Unit(benchmark::kMillisecond);

void BM_Advection(benchmark::State& state)
{
  Fields& f = fields();
  for (auto _ : state) {
    KOL::gridmath::advection(f.spacing, f.t.data(), f.u.data(), f.v.data(), f.out.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Advection)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
