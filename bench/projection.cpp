// Earth-to-plot throughput: 10 million points through a Lambert conformal and a polar
// stereographic Domain, and the same points through PROJ's C API on the same sphere.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "geo/Domain.h"

#ifdef KOL_HAVE_PROJ
#include <proj.h>
#endif

using namespace KOL;

namespace {

constexpr int NPOINTS = 10'000'000;

const char* const LAMBERT = "lamb:25:-95:30:60,40,-95,93,65,0.4,0.4";
const char* const STEREO = "ps:90:-105:60,50,-105,93,65,0.4,0.4";
const char* const PROJ_LAMBERT = "+proj=lcc +lat_0=90 +lat_1=30 +lat_2=60 +lon_0=-95 +R=6371220";
const char* const PROJ_STEREO = "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105 +R=6371220";

// The same random points over North America in every form the benchmarks need.
struct Cloud {
  EarthPoints earth;
  std::vector<double> lat, lon;

  Cloud()
  {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> ulat(10.0f, 80.0f), ulon(-160.0f, -40.0f);
    earth.reserve(NPOINTS);
    lat.reserve(NPOINTS);
    lon.reserve(NPOINTS);
    for (int i = 0; i < NPOINTS; i++) {
      const float a = ulat(rng), b = ulon(rng);
      earth.add(EarthPoint(a, b));
      lat.push_back(a);
      lon.push_back(b);
    }
  }
};

const Cloud& cloud()
{
  static const Cloud c;
  return c;
}

void domainPoints(benchmark::State& state, const char* text)
{
  const Domain d(text);
  EarthPoints in = cloud().earth;
  Points out;
  for (auto _ : state) {
    d.tran(in, out);
    benchmark::DoNotOptimize(out[NPOINTS - 1]);
  }
  state.SetItemsProcessed(state.iterations() * NPOINTS);
}

void domainDoubles(benchmark::State& state, const char* text)
{
  const Domain d(text);
  const Cloud& c = cloud();
  std::vector<double> x(NPOINTS), y(NPOINTS);
  for (auto _ : state) {
    for (int i = 0; i < NPOINTS; i++) d.project(c.lat[i], c.lon[i], x[i], y[i]);
    benchmark::DoNotOptimize(x.data());
  }
  state.SetItemsProcessed(state.iterations() * NPOINTS);
}

#ifdef KOL_HAVE_PROJ
// PROJ's fastest path: one array call on radians, in place.
void projArrays(benchmark::State& state, const char* definition)
{
  PJ_CONTEXT* ctx = proj_context_create();
  PJ* p = proj_create(ctx, definition);
  if (!p) {
    state.SkipWithError("PROJ could not create the projection");
    proj_context_destroy(ctx);
    return;
  }
  const Cloud& c = cloud();
  std::vector<double> x(NPOINTS), y(NPOINTS);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < NPOINTS; i++) x[i] = proj_torad(c.lon[i]), y[i] = proj_torad(c.lat[i]);
    state.ResumeTiming();
    proj_trans_generic(p, PJ_FWD, x.data(), sizeof(double), NPOINTS, y.data(), sizeof(double),
                       NPOINTS, nullptr, 0, 0, nullptr, 0, 0);
    benchmark::DoNotOptimize(x.data());
  }
  state.SetItemsProcessed(state.iterations() * NPOINTS);
  proj_destroy(p);
  proj_context_destroy(ctx);
}
BENCHMARK_CAPTURE(projArrays, lambert_proj, PROJ_LAMBERT)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(projArrays, stereo_proj, PROJ_STEREO)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_CAPTURE(domainPoints, lambert_domain, LAMBERT)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(domainDoubles, lambert_domain_double, LAMBERT)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(domainPoints, stereo_domain, STEREO)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(domainDoubles, stereo_domain_double, STEREO)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
