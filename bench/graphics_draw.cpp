// Drawing through Graph to the PostScript device and the metafile: a million line segments and
// ten thousand filled polygons, beside the floor of writing the same coordinates with fprintf
// alone in the device's number format.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/Kol.h"
#include "geo/Point.h"
#include "geo/Rect.h"
#include "graphics/Graph.h"

using KOL::Graph;
using KOL::Point;
using KOL::Points;
using KOL::Rect;

namespace {

constexpr int SEGMENTS = 1000000;
constexpr int POLYGONS = 10000;
constexpr int SIDES = 8;

std::string scratch(const char* name)
{
  return "/tmp/bench_graphics_" + std::to_string(getpid()) + "_" + name;
}

// Segment i: a short stroke somewhere in the unit window.
void segment(int i, float& x1, float& y1, float& x2, float& y2)
{
  // unsigned: the products pass the range of int
  const auto u = static_cast<uint32_t>(i);
  x1 = static_cast<float>(u * 7919u % 1000u) / 1000;
  y1 = static_cast<float>(u * 104729u % 997u) / 997;
  x2 = x1 + 0.01f, y2 = y1 + 0.005f;
}

Graph* openGraph(const char* type, const std::string& params)
{
  static Graph g;
  g.close();
  g.setDevice(type, params.c_str());
  g.open();
  g.setWindow(Rect(0, 0, 1, 1));
  return &g;
}

void segments(benchmark::State& state, const char* type, const std::string& params)
{
  for (auto _ : state) {
    Graph* g = openGraph(type, params);
    float x1, y1, x2, y2;
    for (int i = 0; i < SEGMENTS; ++i) {
      segment(i, x1, y1, x2, y2);
      g->drawLine(x1, y1, x2, y2);
    }
    g->close();
  }
  state.counters["segments/s"] = benchmark::Counter(
      static_cast<double>(SEGMENTS) * state.iterations(), benchmark::Counter::kIsRate);
}

void polygons(benchmark::State& state, const char* type, const std::string& params)
{
  Points pts;
  for (auto _ : state) {
    Graph* g = openGraph(type, params);
    for (int i = 0; i < POLYGONS; ++i) {
      float x, y, u, v;
      segment(i, x, y, u, v);
      pts.clear();
      for (int k = 0; k < SIDES; ++k)
        pts.add(Point(x + 0.02f * std::cos(k * 0.785f), y + 0.02f * std::sin(k * 0.785f)));
      g->drawFill(pts);
    }
    g->close();
  }
  state.counters["polygons/s"] = benchmark::Counter(
      static_cast<double>(POLYGONS) * state.iterations(), benchmark::Counter::kIsRate);
}

// The floor: the same coordinates (device units of a 756 x 576 page) written by fprintf alone.
void floorSegments(benchmark::State& state, const char* format)
{
  const std::string path = scratch("floor");
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    float x1, y1, x2, y2;
    for (int i = 0; i < SEGMENTS; ++i) {
      segment(i, x1, y1, x2, y2);
      std::fprintf(f, format, x1 * 756, y1 * 576, x2 * 756, y2 * 576);
    }
    std::fclose(f);
  }
  std::remove(path.c_str());
  state.counters["segments/s"] = benchmark::Counter(
      static_cast<double>(SEGMENTS) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_PostscriptSegments(benchmark::State& s) { segments(s, "postscript", scratch("a.ps")); }
void BM_PostscriptFloor(benchmark::State& s)
{
  floorSegments(s, "%3.2f %3.2f mv\n%3.2f %3.2f ln\n");
}
void BM_MetaFileSegments(benchmark::State& s)
{
  segments(s, "meta", "," + scratch("a.meta") + ",sz=756x576");
}
void BM_MetaFileFloor(benchmark::State& s) { floorSegments(s, "L 2 %f,%f %f,%f\n"); }
void BM_PostscriptPolygons(benchmark::State& s) { polygons(s, "postscript", scratch("p.ps")); }
void BM_MetaFilePolygons(benchmark::State& s)
{
  polygons(s, "meta", "," + scratch("p.meta") + ",sz=756x576");
}

BENCHMARK(BM_PostscriptFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PostscriptSegments)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MetaFileFloor)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MetaFileSegments)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PostscriptPolygons)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MetaFilePolygons)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
  KOL::Kol::setMessageMask(0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const char* n : {"a.ps", "a.meta", "p.ps", "p.meta"}) std::remove(scratch(n).c_str());
  return 0;
}
