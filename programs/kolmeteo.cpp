// kolmeteo: draws a station's meteogram: temperature and dew point, pressure, wind barbs, sky
// cover and precipitation against time, from the last N hourly surface files of the naming
// convention "sfc_cvt" or, as a forecast, from the station's MOS bulletin ("mos_dat" or a MOS
// file named; the guidance of the model -mo names when a file holds several).
//
//   kolmeteo -id=KOKC -nh=24 -tz=CST -ou=okc.png           the last day of surface files
//   kolmeteo -id=KJFK -ou=jfk.png mav_KJFK.txt             a MOS forecast meteogram
//   kolmeteo -id=KJFK -if=mos_dat -mo=GFS -cu=#2020031912  the filed MOS of that time
//   kolmeteo -id=KOKC -va=meteotempf -ou=t.png             an entry of meteoplot.var
#include <cstdio>
#include <string>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "geo/Domain.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/MeteoPlot.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  for (const char* name :
       {"identifier", "num_hour", "in_file", "current", "timezone", "model", "output", "parameter",
        "color_data", "color_grid", "color_label", "variable", "var_file"})
    KolResrc::add(keyed, KolResrc::find(name));
  KolResrc::add(keyed, KolResrc::DEVICE_GROUP);
  KolResrc::add(positional, KolResrc::find("filename"));
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;
  PlotOutput::whitePage(r);
  if (!StrLib::valid(r.get("geometry"))) r.set("geometry", "1000x750");
  MeteoPlot layer;  // reads its resources as it starts
  const char* files = r.get("filename");
  const char* current = r.get("current");
  const bool found = StrLib::valid(files)     ? layer.setFilename(files)
                     : StrLib::valid(current) ? layer.setFilename(current)
                                              : layer.setFilename("la");
  if (!found) {
    Kol::outError("kolmeteo: no input file %s\n",
                  StrLib::valid(files, StrLib::valid(current, "la")));
    return Kol::FAILURE;
  }
  if (!layer.load()) {
    Kol::outError("kolmeteo: no values of station %s in %s\n",
                  StrLib::valid(r.get("identifier"), "(the first)"), layer.getFilename());
    return Kol::FAILURE;
  }
  Domain d;
  layer.getDomain(d);
  return PlotOutput::drawLayer(layer, d, "kolmeteo", r.get("device"), r.get("output"));
}
