// Contours drawn the way users draw them, beside the peers in the same run, on the 1799 x 1059
// HRRR 2 m temperature field:
// - kolgridplot filling the field in 2 degree bands (30 of them) into a 1400 x 1050 PNG, and
//   drawing its lines, against matplotlib's contourf / contour and savefig of the same field,
//   levels and picture size (scripts/contour_peer.py); both as whole processes, start-up and
//   reading included, timed by the CPU time of the child process (the machine is shared);
// - ContPlot::draw through the metafile device to /dev/null, 20 bands and 20 line levels, against
//   contourpy's filled() and lines() on the same levels (scripts/contour_oracle.py --time, CPU
//   time inside its process); ours is the CPU time of this process;
// - the size of the PostScript file of the 30-band fill ("MB" counter).
// Compare the times of the pairs: the ratios are the result.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "graphics/ContPlot.h"
#include "graphics/Graph.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"
#include "grid/GridMath.h"

using namespace KOL;

namespace {

constexpr const char* SIZE = "1400x1050";

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

std::string scratch(const std::string& name)
{
  return "/tmp/bench_contour_draw_" + std::to_string(getpid()) + "_" + name;
}

void writeInput(const std::string& path, const Grid& g, const std::vector<float>& levels)
{
  std::ofstream o(path, std::ios::binary);
  int32_t head[3] = {g.getNx(), g.getNy(), static_cast<int32_t>(levels.size())};
  o.write(reinterpret_cast<const char*>(head), sizeof head);
  o.write(reinterpret_cast<const char*>(levels.data()),
          static_cast<std::streamsize>(levels.size() * sizeof(float)));
  o.write(reinterpret_cast<const char*>(g.getData()),
          static_cast<std::streamsize>(g.getCount() * sizeof(float)));
}

struct Field {
  std::string grib;
  Grid kelvin;
  std::vector<float> levels20;  // as bench_contour: 20 levels across the range
  std::string celsiusInput;     // the field in C with kolgridplot's 2 degree levels
  std::string kelvinInput;      // the field with the 20 levels
  bool ok = false;
};

const Field& field()
{
  static Field f = [] {
    Field out;
    Kol::setDatabasePath((std::string(KOL_SOURCE_DIR) + "/data").c_str());
    Kol::setMessageMask(0);
    out.grib = dataDir() + "/grib/bench/hrrr_tmp2m_grid_simple.grib2";
    GribFile gf;
    if (!gf.open(out.grib.c_str()) || !gf.read(out.kelvin)) return out;
    float min = 0, max = 0;
    out.kelvin.getRange(min, max);
    for (int k = 0; k < 20; k++) out.levels20.push_back(min + (k + 0.5f) * (max - min) / 20.0f);
    Grid celsius = out.kelvin;
    GridMath::units(celsius, "C");
    ContPlot cp("int=2");
    std::vector<float> levels;
    for (int k = 0, n = cp.setLevels(celsius); k < n; k++) levels.push_back(cp.getLevel(k));
    out.celsiusInput = scratch("c.bin");
    out.kelvinInput = scratch("k.bin");
    writeInput(out.celsiusInput, celsius, levels);
    writeInput(out.kelvinInput, out.kelvin, out.levels20);
    out.ok = levels.size() == 30;
    return out;
  }();
  return f;
}

double childSeconds()
{
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Runs a command per iteration, timed by its CPU time.
void child(benchmark::State& state, const std::string& cmd)
{
  if (!field().ok) return state.SkipWithError("benchmark field not found");
  for (auto _ : state) {
    const double t0 = childSeconds();
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError(("failed: " + cmd).c_str());
    state.SetIterationTime(childSeconds() - t0);
  }
}

std::string kolgridplot(const char* var, const std::string& device)
{
  return "DISPLAY= " + std::string(KOL_PROGRAM_DIR) + "/kolgridplot -fp=" + KOL_SOURCE_DIR +
         "/data -va='" + var + "' " + device + " " + field().grib + " > /dev/null 2>&1";
}

std::string peer(const char* kind)
{
  return "/usr/bin/python3 " + std::string(KOL_SOURCE_DIR) + "/scripts/contour_peer.py " +
         field().celsiusInput + " " + scratch("peer.png") + " " + kind + " " + SIZE;
}

void BM_KolgridplotFillPng(benchmark::State& s)
{
  child(s, kolgridplot("sfc:temp[C,cf,int=2]",
                       std::string("-ge=") + SIZE + " -ou=" + scratch("fill.png")));
}
void BM_MatplotlibContourfPng(benchmark::State& s) { child(s, peer("fill")); }
void BM_KolgridplotLinesPng(benchmark::State& s)
{
  child(s, kolgridplot("sfc:temp[C,int=2]",
                       std::string("-ge=") + SIZE + " -ou=" + scratch("lines.png")));
}
void BM_MatplotlibContourPng(benchmark::State& s) { child(s, peer("line")); }

void BM_KolgridplotFillPostScript(benchmark::State& s)
{
  const std::string ps = scratch("fill.ps");
  child(s, kolgridplot("sfc:temp[C,cf,int=2]", "-de=p," + ps));
  struct stat st {};
  if (stat(ps.c_str(), &st) == 0) s.counters["MB"] = static_cast<double>(st.st_size) / 1e6;
  std::remove(ps.c_str());
}

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// ContPlot::draw of the 20 levels through a graph on the metafile device writing to /dev/null.
void drawMeta(benchmark::State& state, const char* type)
{
  const Field& f = field();
  if (!f.ok) return state.SkipWithError("benchmark field not found");
  Graph graph("meta", ",/dev/null,sz=1400x1050");
  if (!graph.open()) return state.SkipWithError("metafile device not opened");
  ContPlot cp(type);
  cp.setLabelParam(0, 0);
  cp.setLevels(f.levels20);
  for (auto _ : state) {
    const double t0 = cpuSeconds();
    cp.draw(graph, f.kelvin);
    state.SetIterationTime(cpuSeconds() - t0);
  }
  graph.close();
}

void contourpy(benchmark::State& state, bool fills)
{
  const Field& f = field();
  if (!f.ok) return state.SkipWithError("benchmark field not found");
  const std::string out = scratch("time.txt");
  const std::string cmd = "/usr/bin/python3 " + std::string(KOL_SOURCE_DIR) +
                          "/scripts/contour_oracle.py " + f.kelvinInput + " " + out + " --time";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError("python3 with contourpy failed");
    double lines = 0, fill = 0;
    std::FILE* fp = std::fopen(out.c_str(), "r");
    const bool read = fp && std::fscanf(fp, "time %lf %lf", &lines, &fill) == 2;
    if (fp) std::fclose(fp);
    if (!read) return state.SkipWithError("no contourpy timing");
    state.SetIterationTime(fills ? fill : lines);
  }
  std::remove(out.c_str());
}

void BM_DrawFillsMetafile(benchmark::State& s) { drawMeta(s, "cf"); }
void BM_ContourpyFilled(benchmark::State& s) { contourpy(s, true); }
void BM_DrawLinesMetafile(benchmark::State& s) { drawMeta(s, "ln"); }
void BM_ContourpyLines(benchmark::State& s) { contourpy(s, false); }

}  // namespace

BENCHMARK(BM_KolgridplotFillPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_MatplotlibContourfPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_KolgridplotLinesPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_MatplotlibContourPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_DrawFillsMetafile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ContourpyFilled)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_DrawLinesMetafile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ContourpyLines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_KolgridplotFillPostScript)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (field().ok) {
    std::remove(field().celsiusInput.c_str());
    std::remove(field().kelvinInput.c_str());
  }
  for (const char* n : {"fill.png", "lines.png", "peer.png"}) std::remove(scratch(n).c_str());
  return 0;
}
