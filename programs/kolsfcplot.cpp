// kolsfcplot: draws surface observations on a map: station models, or an analysis of a
// variable list contoured and colour-filled.
//   kolsfcplot -pd=conus -ou=stations.png la            latest surface file, station models
//   kolsfcplot -va=slptemp -ou=anal.png FEED             a feed capture: temperature filled
//                                                        under isobars
//   kolsfcplot -va=temp -pl=cf -pd=oklahoma -de=ps,temp.ps,color '#2020010600'
// Input: own surface files, filed bulletins or raw feed captures (told apart by their content;
// bulletins are decoded in the same run into a temporary surface file of their busiest
// observation hour), or a date or file selector of the convention "sfc_cvt" ("la" the
// latest, the default). The map has its border, the default map background (grey unless -com
// names a colour; over colour fills) and the information and date labels; -pa=nomap leaves the
// map out. -de=ps,FILE,color writes colour PostScript; -ou naming a .ps, .eps, .meta or .hpgl
// file writes that device's file. -fronts=FILE, -warn=FILE and -light=FILE draw a coded surface
// bulletin's fronts, the warnings in force and the lightning strikes over the stations.
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Date.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/Domain.h"
#include "graphics/plot/PlotImage.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/SfcPlot.h"
#include "layers/overlay/Overlays.h"
#include "layers/stationplot/StationChart.h"
#include "obs/SfcFile.h"
#include "obs/SfcReports.h"

using namespace KOL;

namespace {

constexpr const char* DEFAULT_DOMAIN = "conus";
constexpr const char* STATION_MODEL = "sfc";
// Map lines in a colour that no station value, isobar or fill has.
constexpr const char* MAP_COLOR = "grey08";
// The analysis unless -oa or -pa choose one: the map's lattice refined twice, a weight that
// falls to 1/e at 1.3 refined grid lengths, stations counted within 4 of them.
constexpr int GRID_FACTOR = 2;
constexpr float FILTER_LENGTHS = 1.3f;
constexpr float INFLUENCE_LENGTHS = 4.0f;

// Bulletins named by the filed bulletins' convention are dated by their name.
constexpr const char* FILED = "sfc_wmo";
constexpr const char* DATE_HELP =
    "-da date     Date near the reports of bulletins, yyyymmddhhmm (default: by the file name, "
    "else now)";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  stationplot::declareOptions(keyed, positional, {"variable", "var_file", "level"}, DATE_HELP);
  overlay::Overlays::declare(keyed);
}

bool has(const char* t) { return t && *t; }

std::string defaultAnalysis(const Domain& d)
{
  if (stationplot::analysisChosen()) return "";
  const float step = d.dx / GRID_FACTOR * FILTER_LENGTHS;
  char text[80];
  std::snprintf(text, sizeof text, "grid=%d,rad_inf=%g,filter=%.3g", GRID_FACTOR, INFLUENCE_LENGTHS,
                step * step);
  return text;
}

// A temporary own surface file, removed when the run ends.
class TempFile {
 public:
  ~TempFile()
  {
    if (!name_.empty()) unlink(name_.c_str());
  }
  bool make()
  {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(has(dir) ? dir : "/tmp") + "/kolsfcplot_XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    close(fd);
    name_ = pattern;
    return true;
  }
  const char* name() const { return name_.c_str(); }

 private:
  std::string name_;
};

// Bulletins or a feed capture decoded into a surface file of their busiest hour.
bool fileReports(TempFile& temp)
{
  ProgInput inputs(FILED);
  if (!inputs.setup()) return false;
  SfcReports reports;
  if (!inputs.forEach(
          [&reports](const ProgInput::Item& in) { return reports.read(in.name.c_str(), in.date); }))
    return false;
  if (!reports.count()) {
    Kol::outError("kolsfcplot: no surface report in the input\n");
    return false;
  }
  const long hour = reports.busiestHour();
  SfcFile out;
  out.setDate(Date(hour));
  if (!temp.make() || !out.open(temp.name(), SfcFile::WRITE, "kol")) {
    Kol::outError("kolsfcplot: cannot write a temporary surface file\n");
    return false;
  }
  for (const SfcData& s : reports.byHour().at(hour)) out.write(s);
  out.close();
  Kol::outMessage(4, "kolsfcplot: %zu reports of %s\n", reports.byHour().at(hour).size(),
                  Date(hour).format("%Y-%m-%d %H UTC").c_str());
  return true;
}

// The surface file to draw: an own surface file, bulletins decoded into a temporary one, or a
// date or file selector of the naming convention.
bool chooseInput(SfcPlot& layer, TempFile& temp)
{
  Strings inputs;
  if (const char* named = Kol::resrc.get("filename"); has(named)) inputs.set(named, '\n');
  if (inputs.getNum() == 0) return layer.setFilename("la") || true;
  const char* first = inputs.getString(0);
  if (!FileTool::exist(first)) {
    layer.setFilename(first);  // a selector such as "la" or "#2020010600"
    return true;
  }
  if (SfcFile::checkType(first) > 0) return layer.setFilename(first) || true;
  if (!fileReports(temp)) return false;
  layer.setFilename(temp.name());
  return true;
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
  SfcPlot layer;  // reads its resources (variable, plot type, parameters) as it starts
  if (!has(r.get("variable"))) layer.setVariable(STATION_MODEL);
  stationplot::chartDefaults(layer, MAP_COLOR);
  if (const std::string oa = defaultAnalysis(domain); !oa.empty()) layer.setParam(oa.c_str());
  TempFile temp;
  if (!chooseInput(layer, temp)) return Kol::FAILURE;
  if (SfcFile::checkType(layer.getFilename()) <= 0) {
    const char* named = r.get("filename");
    Kol::outError("kolsfcplot: no surface file %s\n", has(named) ? named : "la");
    return Kol::FAILURE;
  }

  // fronts, warnings and strikes over the stations, at the surface file's time
  overlay::Overlays overlays;
  Date when;
  if (!overlays.read(layer.getDate(when) && when.isSet() ? when.getSeconds() : -1))
    return Kol::FAILURE;
  return PlotOutput::drawFigure(layer, domain, "kolsfcplot", r.get("device"), r.get("output"),
                                nullptr, overlays.get());
}
