// Contouring speed on a 1799 x 1059 field (HRRR 2 m temperature), 20 levels across its range,
// beside contourpy (serial algorithm) on the same grid and levels in the same run. Our side
// collects every segment's or polygon's points into arrays, as contourpy returns them. contourpy
// is timed inside its Python process (scripts/contour_oracle.py --time, process CPU time, as the
// machine is shared), without start-up and reading; its times are reported as manual times of
// the "contourpy" entries: compare them with the CPU column of ours. Highs and lows, and fills
// with a smooth edge around missing values, are timed beside our own lines and fills.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/Const.h"
#include "core/Kol.h"
#include "graphics/ContPlot.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"

using namespace KOL;

namespace {

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

struct Field {
  Grid grid;
  std::vector<float> levels;
  std::string input;  // the oracle's input file
  bool ok = false;
};

const Field& field()
{
  static Field f = [] {
    Field out;
    Kol::setDatabasePath((std::string(KOL_SOURCE_DIR) + "/data").c_str());
    GribFile gf;
    std::string path = dataDir() + "/grib/bench/hrrr_tmp2m_grid_simple.grib2";
    if (!gf.open(path.c_str()) || !gf.read(out.grid)) return out;
    float min = 0, max = 0;
    out.grid.getRange(min, max);
    for (int k = 0; k < 20; k++) out.levels.push_back(min + (k + 0.5f) * (max - min) / 20.0f);
    out.input = "/tmp/bench_contour_" + std::to_string(getpid()) + ".bin";
    std::ofstream o(out.input, std::ios::binary);
    int32_t head[3] = {out.grid.getNx(), out.grid.getNy(), 20};
    o.write(reinterpret_cast<const char*>(head), sizeof head);
    o.write(reinterpret_cast<const char*>(out.levels.data()), 20 * sizeof(float));
    o.write(reinterpret_cast<const char*>(out.grid.getData()),
            static_cast<std::streamsize>(out.grid.getCount() * sizeof(float)));
    out.ok = true;
    return out;
  }();
  return f;
}

// Points into flat arrays, one array for lines and one for polygons with their offsets.
class Arrays : public ContSink {
 public:
  void line(int, const Point* pts, int n) override
  {
    for (int i = 0; i < n; i++) xy.insert(xy.end(), {pts[i].x, pts[i].y});
    offsets.push_back(static_cast<uint32_t>(xy.size()));
  }
  void fill(int, const Point* pts, const int* counts, int rings) override
  {
    for (int r = 0, at = 0; r < rings; at += counts[r++]) {
      for (int i = 0; i < counts[r]; i++) xy.insert(xy.end(), {pts[at + i].x, pts[at + i].y});
      offsets.push_back(static_cast<uint32_t>(xy.size()));
    }
  }
  std::vector<float> xy;
  std::vector<uint32_t> offsets;
};

void ours(benchmark::State& state, bool fills)
{
  const Field& f = field();
  if (!f.ok) return state.SkipWithError("benchmark field not found");
  ContPlot cp;
  cp.setLevels(f.levels);
  cp.setLevels(f.grid);
  std::size_t points = 0;
  for (auto _ : state) {
    Arrays out;
    fills ? cp.contourFills(f.grid, nullptr, out) : cp.contourLines(f.grid, nullptr, out);
    points = out.xy.size() / 2;
    benchmark::DoNotOptimize(out.xy.data());
  }
  state.counters["points"] = static_cast<double>(points);
}

void contourpy(benchmark::State& state, bool fills)
{
  const Field& f = field();
  if (!f.ok) return state.SkipWithError("benchmark field not found");
  std::string out = f.input + ".time";
  std::string cmd = "/usr/bin/python3 " + std::string(KOL_SOURCE_DIR) +
                    "/scripts/contour_oracle.py " + f.input + " " + out + " --time";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError("python3 with contourpy failed");
    double lines = 0, fill = 0;
    std::FILE* fp = std::fopen(out.c_str(), "r");
    if (!fp || std::fscanf(fp, "time %lf %lf", &lines, &fill) != 2) {
      if (fp) std::fclose(fp);
      return state.SkipWithError("no contourpy timing");
    }
    std::fclose(fp);
    state.SetIterationTime(fills ? fill : lines);
  }
  std::remove(out.c_str());
}

// Highs and lows of the field (radius 2 and 8 grid points), and fills ending along a smooth edge
// where two thirds of the field are missing: beside our own lines and fills in the same run.
void marks(benchmark::State& state, int radius)
{
  const Field& f = field();
  if (!f.ok) return state.SkipWithError("benchmark field not found");
  ContPlot cp;
  cp.setLabelParam(1, radius);
  cp.setLevels(f.levels);
  cp.setLevels(f.grid);
  std::size_t found = 0;
  for (auto _ : state) {
    Arrays out;
    found = static_cast<std::size_t>(cp.maxMin(f.grid, nullptr, out));
    benchmark::DoNotOptimize(out.xy.data());
  }
  state.counters["marks"] = static_cast<double>(found);
}

void edgeFills(benchmark::State& state)
{
  const Field& f = field();
  if (!f.ok) return state.SkipWithError("benchmark field not found");
  // no values beyond a circle through the field's middle, as an analysis far from its stations
  Grid g = f.grid;
  const float cx = g.getNx() / 2.0f, cy = g.getNy() / 2.0f, r = 0.88f * cy;
  for (int j = 0; j < g.getNy(); j++)
    for (int i = 0; i < g.getNx(); i++)
      if ((i - cx) * (i - cx) + (j - cy) * (j - cy) > r * r) g.setValue(i, j, Const::FMISS);
  ContPlot cp("edge");
  cp.setLevels(f.levels);
  cp.setLevels(g);
  for (auto _ : state) {
    Arrays out;
    cp.contourFills(g, nullptr, out);
    benchmark::DoNotOptimize(out.xy.data());
  }
}

void BM_Lines(benchmark::State& s) { ours(s, false); }
void BM_HighsLowsRadius2(benchmark::State& s) { marks(s, 2); }
void BM_HighsLowsRadius8(benchmark::State& s) { marks(s, 8); }
void BM_FillsSmoothEdge(benchmark::State& s) { edgeFills(s); }
void BM_LinesContourpy(benchmark::State& s) { contourpy(s, false); }
void BM_Fills(benchmark::State& s) { ours(s, true); }
void BM_FillsContourpy(benchmark::State& s) { contourpy(s, true); }

}  // namespace

BENCHMARK(BM_Lines)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LinesContourpy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Fills)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FillsContourpy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_HighsLowsRadius2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HighsLowsRadius8)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillsSmoothEdge)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
