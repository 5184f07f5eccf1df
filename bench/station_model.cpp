// Station models of a surface map: 2000 stations of seven values each (temperature, dew point,
// pressure code, visibility, weather symbol, cloud circle, wind barb) drawn through DatumPlot,
// beside the floor of drawing the same texts, symbol, circle and barb through Plot directly,
// on the off-screen image device and on a PostScript page.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <string>

#include "core/Kol.h"
#include "geo/EarthPoint.h"
#include "graphics/CloudPlot.h"
#include "graphics/Plot.h"
#include "graphics/WindPlot.h"
#include "layers/DatumPlot.h"

using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;

namespace {

constexpr int STATIONS = 2000;
constexpr const char* DOMAIN_TEXT = "lamb:25:-95:25:25,38,-95,41,27,1.2,1.2";

EarthPoint station(int i) { return EarthPoint(25.0f + (i % 50) * 0.5f, -120.0f + (i / 50) * 1.2f); }

std::string scratch() { return "/tmp/bench_station_" + std::to_string(getpid()) + ".ps"; }

void openPlot(Plot& plot, const char* device)
{
  KOL::Kol::setDatabasePath(KOL_SOURCE_DIR "/data");
  KOL::Kol::setMessageMask(0);
  const std::string ps = scratch();
  const std::string de = device[0] == 'p' ? "de=p," + ps : std::string("de=i,,sz=1000x700");
  plot.open(de.c_str());
  plot.setDomain(DOMAIN_TEXT);
}

void models(benchmark::State& state, const char* device)
{
  for (auto _ : state) {
    Plot plot;
    openPlot(plot, device);
    KOL::DatumPlot dp;
    for (int i = 0; i < STATIONS; i++) {
      const EarthPoint e = station(i);
      dp.draw(plot, e, 2, 23.0f, "ul,%1.0f,red");
      dp.draw(plot, e, 2, 12.0f, "ll,%1.0f,darkgreen");
      dp.draw(plot, e, 2, 132.0f, "ur,%03.0f,blue");
      dp.draw(plot, e, 2, 7.0f, "xy=-4.4 0,%1.0f,purple");
      dp.draw(plot, e, 0, "61", "wx,cl,magenta");
      dp.draw(plot, e, 0, "8", "cloud,cc,black");
      dp.draw(plot, e, 0, 250.0f, 25.0f, "cbarb,black");
    }
    plot.close();
    std::remove(scratch().c_str());
  }
  state.counters["values/s"] =
      benchmark::Counter(7.0 * STATIONS, benchmark::Counter::kIsIterationInvariantRate);
}

// The same marks placed by hand: what any station plot must pay for drawing.
void floorOf(benchmark::State& state, const char* device)
{
  for (auto _ : state) {
    Plot plot;
    openPlot(plot, device);
    const float s = plot.getVert();
    const KOL::WindPlot wind;
    const KOL::CloudPlot cloud;
    plot.setTextHeight(0.018f * s);
    for (int i = 0; i < STATIONS; i++) {
      EarthPoint e = station(i);
      Point p;
      plot.getDomain().tran(e, p);
      const float dx = 0.012f * s, dy = 0.02f * s;
      plot.setTextColor("red");
      plot.setTextAlign(3, 3);
      plot.drawText(Point(p.x - dx, p.y + dy), "23");
      plot.drawText(Point(p.x - dx, p.y - dy), "12");
      plot.drawText(Point(p.x - 4.4f * dx, p.y), "7");
      plot.drawSymbol(Point(p.x - dx, p.y), "61", 0.03f * s);
      plot.setTextAlign(1, 3);
      plot.drawText(Point(p.x + dx, p.y + dy), "132");
      plot.setLineColor("black");
      cloud.draw(plot, p, '8', 0.01f * s);
      wind.drawBarb(plot, p, 250.0f, 25.0f, 0.05f * s, 0.01f * s);
    }
    plot.close();
    std::remove(scratch().c_str());
  }
  state.counters["values/s"] =
      benchmark::Counter(7.0 * STATIONS, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK_CAPTURE(models, image, "image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floorOf, image, "image")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(models, postscript, "postscript")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floorOf, postscript, "postscript")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
