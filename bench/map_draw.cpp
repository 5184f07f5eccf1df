// The default map on a CONUS Lambert domain written as PNG, beside the same segments, projected
// beforehand, drawn through Graph alone and written the same way: the map layer's overhead
// (reading the map files, choosing segments, projecting, cropping).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/Kol.h"
#include "graphics/MapFile.h"
#include "graphics/Plot.h"

using namespace KOL;

namespace {

constexpr const char* CONUS = "lamb:25:-95:25:25,38,-96,60,38,0.8,0.8";
const std::string DATA = std::string(KOL_SOURCE_DIR) + "/data";

void openPlot(Plot& plot)
{
  Kol::setDatabasePath(DATA.c_str());
  Kol::resrc.set("image_path", "/tmp");
  plot.open("full,bg=white,de=i,,sz=800x560");
  plot.setDomain(CONUS);
}

// The segments the default list draws on this domain (the low-resolution files, those with a
// point inside the plot), projected.
std::vector<Points> projectedSegments(const Plot& plot)
{
  std::vector<Points> out;
  for (const char* name : {"coast_l.map", "border_l.map", "states_l.map"}) {
    MapFile in((DATA + "/" + name).c_str(), 0, 0);
    MapFileHeader h;
    EarthPoints seg;
    while (in.readHeader(h)) {
      in.readData(seg);
      Points pts;
      bool inside = false;
      for (EarthPoint e : seg) {
        Point p;
        if (!plot.getDomain().tran(e, p)) continue;
        pts.add(p);
        inside = inside || plot.withinDomain(p);
      }
      if (pts.getNum() >= 2 && inside) out.push_back(pts);
    }
  }
  return out;
}

void BM_DefaultMapToPng(benchmark::State& state)
{
  Plot plot;
  openPlot(plot);
  int lines = 0;
  for (auto _ : state) {
    plot.clearFrame();
    lines = plot.drawMap();
    plot.saveImage("kol_bench_map.png");
  }
  state.counters["segments"] = lines;
}

void BM_SameSegmentsThroughGraph(benchmark::State& state)
{
  Plot plot;
  openPlot(plot);
  const std::vector<Points> segs = projectedSegments(plot);
  Graph& g = plot.getGraph();
  plot.setLineColor("red");
  for (auto _ : state) {
    plot.clearFrame();
    for (const Points& p : segs) g.drawLine(p);
    plot.saveImage("kol_bench_graph.png");
  }
  state.counters["segments"] = static_cast<double>(segs.size());
}

BENCHMARK(BM_DefaultMapToPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SameSegmentsThroughGraph)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
