// kolupaplot: draws an upper-air chart at a pressure level: the station models of the soundings
// (height upper right in three digits as charts write it, metres at 850 and 700 hPa and
// decametres above, temperature upper left, dew-point depression lower left, wind barb) with the
// analysed heights and isotherms (850, 700 and 500 hPa) or isotachs (300 and 250 hPa), as the
// macros upa850 ... upa250 of data/upaplot.var draw them.
//   kolupaplot -ou=500.png la                       latest upper-air file, 500 hPa
//   kolupaplot -le=850 -pd=europe -ou=850.png FILE   bulletins or BUFR: 850 hPa over Europe
//   kolupaplot -va=upa -le=400 -ou=400.png FILE      station models alone at 400 hPa
// Input: own upper-air files, filed bulletins or captures of TEMP and PILOT parts and BUFR
// soundings (decoded in the same run into a temporary upper-air file of the synoptic hour most
// of them have), or a date or file selector of the convention "upa_cvt" ("la", the default).
// The map has its border, the grey map background and the information and date labels;
// -pa=nomap leaves the map out.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "geo/Domain.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/UpaPlot.h"
#include "layers/stationplot/StationChart.h"
#include "layers/upaplot/UpaInput.h"
#include "obs/UpaKolFile.h"

using namespace KOL;

namespace {

constexpr const char* DEFAULT_DOMAIN = "north_america";
constexpr const char* DEFAULT_LEVEL = "500";
constexpr const char* MAP_COLOR = "grey08";
// The analysis unless -oa or -pa choose one: the map's lattice refined to about 150 km, a
// weight falling to 1/e at about 300 km, soundings counted within about 800 km.
constexpr float GRID_STEP = 1.5f;  // units of 100 km
constexpr float FILTER = 9.0f;     // (100 km)^2
constexpr float INFLUENCE = 8.0f;  // 100 km
// Levels with a chart of their own in the macro file.
constexpr const char* CHARTS[] = {"850", "700", "500", "300", "250"};

constexpr const char* DATE_HELP =
    "-da date     Date near the soundings of bulletins, yyyymmddhhmm (default: by the file "
    "name, else now)";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  stationplot::declareOptions(keyed, positional, {"variable", "var_file", "level", "city_file"},
                              DATE_HELP);
}

bool has(const char* t) { return t && *t; }

std::string defaultAnalysis(const Domain& d)
{
  if (stationplot::analysisChosen()) return "";
  const int factor = std::max(1, static_cast<int>(std::lround(d.dx / GRID_STEP)));
  char text[80];
  std::snprintf(text, sizeof text, "grid=%d,rad_inf=%.3g,filter=%g", factor,
                INFLUENCE / (d.dx / factor), FILTER);
  return text;
}

// The chart of the level when the macro file has one, else the station models.
std::string defaultVariable(const char* level)
{
  for (const char* c : CHARTS)
    if (!std::strcmp(level, c) || !std::strcmp((std::string(c) + "mb").c_str(), level))
      return std::string("upa") + c;
  return "upa";
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;
  PlotOutput::selectDevice(r, r.get("output"));

  Domain domain;
  if (!stationplot::chartDomain(DEFAULT_DOMAIN, domain)) return Kol::USAGE;
  UpaPlot layer;  // reads its resources (level, variable, plot type, parameters) as it starts
  const char* level = has(r.get("level")) ? r.get("level") : DEFAULT_LEVEL;
  if (!layer.setLevel(level)) return Kol::USAGE;
  if (!has(r.get("variable"))) layer.setVariable(defaultVariable(level).c_str());
  stationplot::chartDefaults(layer, MAP_COLOR);
  if (const std::string oa = defaultAnalysis(domain); !oa.empty()) layer.setParam(oa.c_str());
  upaplot::UpaInput input;
  std::string file;
  if (!input.choose("kolupaplot", file)) return Kol::FAILURE;
  layer.setFilename(file.c_str());
  if (!UpaKolFile::checkType(layer.getFilename())) {
    const char* named = r.get("filename");
    Kol::outError("kolupaplot: no upper-air file %s\n", has(named) ? named : "la");
    return Kol::FAILURE;
  }
  return PlotOutput::drawFigure(layer, domain, "kolupaplot", r.get("device"), r.get("output"));
}
