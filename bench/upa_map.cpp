// The whole upper-air chart request on a synoptic hour of 800 soundings: TEMP parts A and B of
// 800 stations of the station table (every fourth degree of latitude and longitude of the
// northern hemisphere, WMO stations only), encoded here after WMO FM 35 from a smooth
// atmosphere with a wave in it. Timed: decoding the parts into soundings alone; the 500 hPa
// chart (decode, place, write the own upper-air file, interpolate to the level, analyse heights
// and temperatures, contour them, station models, maps, PNG) as kolupaplot makes it. The goal:
// the chart within 10 times the decoding.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "geo/DomainTool.h"
#include "graphics/Plot.h"
#include "layers/UpaPlot.h"
#include "obs/CityData.h"
#include "obs/CityFile.h"
#include "obs/UpaReports.h"

namespace {

using namespace KOL;

constexpr int STATIONS = 800;
const Date HOUR(2026, 1, 15, 12, 0, 0.0f);
constexpr const char* PARTS = "/tmp/bench_upa_map_parts.txt";
constexpr const char* UPA = "/tmp/bench_upa_map.upa";
constexpr const char* PNG = "/tmp/bench_upa_map.png";
constexpr float MANDATORY[] = {1000, 925, 850, 700, 500, 400, 300, 250, 200, 150, 100};
constexpr float SIGNIFICANT[] = {975, 900, 800, 600, 450, 350, 275, 225, 175, 125};

void setUp()
{
  static bool done = false;
  if (done) return;
  Kol::setMessageLevel("none");
  Kol::setDatabasePath((std::string(KOL_SOURCE_DIR) + "/data").c_str());
  done = true;
}

// The atmosphere: temperature (C) by pressure and place, cold to the north with a wave of five
// troughs; heights by the hypsometric relation up from 1000 hPa.
float temperature(float p, float lat, float lon)
{
  const float wave = 3.0f * std::cos(5.0f * lon * 0.0174533f) * std::cos((lat - 50) * 0.05f);
  const float tropo = p > 250 ? 15.0f - 0.55f * (lat - 20) + wave : -52.0f;
  const float lapse = std::pow(p / 1000.0f, 0.19f);
  return p > 250 ? (tropo + 273.15f) * lapse - 273.15f : tropo;
}

float height(float p, float lat, float lon)
{
  float h = 110 + 40 * std::sin(5.0f * lon * 0.0174533f) * std::cos((lat - 45) * 0.06f);
  for (float q = 1000; q > p; q -= 5) {
    const float tk = temperature(q - 2.5f, lat, lon) + 273.15f;
    h += 287.05f / 9.80665f * tk * std::log(q / (q - 5));
  }
  return h;
}

std::string group(int a, int b)
{
  char t[16];
  std::snprintf(t, sizeof t, "%02d%03d", a, b);
  return t;
}

// TTTDD: tenths of the temperature, their parity the sign; the depression's code.
std::string tempGroup(float t, float dd)
{
  int tenths = static_cast<int>(std::lround(std::fabs(t) * 10));
  if ((tenths % 2 == 1) != (t < 0)) tenths += 1;
  const int d = dd <= 5 ? static_cast<int>(std::lround(dd * 10)) : 50 + static_cast<int>(dd);
  char s[16];
  std::snprintf(s, sizeof s, "%03d%02d", tenths, d);
  return s;
}

// dddff: westerlies strengthening with height, the hundreds of the speed in the direction.
std::string windGroup(float lat, float p)
{
  const int spd = static_cast<int>(20 + (1000 - p) / 10 + std::fabs(lat - 40));
  char s[16];
  std::snprintf(s, sizeof s, "%03d%02d", 270 + spd / 100, spd % 100);
  return s;
}

// Height code of a standard level (WMO FM 35 table of PPhhh).
int heightCode(float p, float h)
{
  if (p >= 700) return static_cast<int>(std::lround(h)) % 1000;
  return static_cast<int>(std::lround(h / 10)) % 1000;
}

std::string partA(const CityData& c)
{
  std::string s = "TTAA 65121 " + std::string(c.wmo) + " 99013 " +
                  tempGroup(temperature(1013, c.lat, c.lon), 3) + " 27015";
  for (float p : MANDATORY) {
    const int pp = p == 1000 ? 0 : static_cast<int>(p / 10) % 100;
    s += " " + group(pp, heightCode(p, height(p, c.lat, c.lon))) + " " +
         tempGroup(temperature(p, c.lat, c.lon), p > 500 ? 4 : 15) + " " + windGroup(c.lat, p);
  }
  return s + " 88999 77999=";
}

std::string partB(const CityData& c)
{
  std::string s = "TTBB 65128 " + std::string(c.wmo) + " 00013 " +
                  tempGroup(temperature(1013, c.lat, c.lon), 3);
  int n = 1;
  for (float p : SIGNIFICANT) {
    s += " " + group(n * 11, static_cast<int>(p) % 1000) + " " +
         tempGroup(temperature(p, c.lat, c.lon), p > 500 ? 4 : 15);
    n = n % 9 + 1;
  }
  return s + "=";
}

// One station of the table per 3 x 3 degree cell north of 15 N, STATIONS of them spread evenly
// over the cells.
const std::string& partsFile()
{
  static const std::string name = [] {
    setUp();
    CityFile table;
    std::map<std::pair<int, int>, CityData> cells;
    if (table.open((std::string(KOL_SOURCE_DIR) + "/data/sao.cty").c_str(), 0))
      for (CityData c; table.read(c);)
        if (c.lat >= 15 && std::string(c.wmo).size() == 5 && c.wmo[0] != '9')
          cells.emplace(
              std::make_pair(static_cast<int>(c.lat / 3), static_cast<int>((c.lon + 180) / 3)), c);
    std::FILE* out = std::fopen(PARTS, "w");
    const double step = std::max(1.0, static_cast<double>(cells.size()) / STATIONS);
    double next = 0;
    int k = 0;
    for (const auto& [cell, c] : cells) {
      if (k++ < next || !out) continue;
      next += step;
      std::fprintf(out, "%s\n%s\n", partA(c).c_str(), partB(c).c_str());
    }
    if (out) std::fclose(out);
    return std::string(PARTS);
  }();
  return name;
}

void BM_DecodeSoundings(benchmark::State& state)
{
  const std::string& parts = partsFile();
  int n = 0;
  for (auto _ : state) {
    UpaReports r;
    r.read(parts.c_str(), HOUR);
    n = static_cast<int>(r.records().size());
  }
  state.counters["soundings"] = n;
}

// As kolupaplot draws the default chart of a bulletin file.
void BM_Chart500(benchmark::State& state)
{
  const std::string& parts = partsFile();
  Domain nhem;
  DomainTool::decode(nhem, "nhem");
  for (auto _ : state) {
    UpaReports r;
    r.read(parts.c_str(), HOUR);
    r.locate(nullptr);
    r.keepCommonDate();
    r.write(UPA);
    Plot plot;
    plot.open("full,bg=white,de=i,sz=1200x1200");
    plot.setDomain(nhem);
    UpaPlot layer;
    layer.setFilename(UPA);
    layer.setVariable("upa500");
    layer.setParam("map,grid=3,rad_inf=5,filter=9");
    layer.draw(plot);
    plot.saveImage(PNG, "PNG");
  }
}

}  // namespace

BENCHMARK(BM_DecodeSoundings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart500)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
