// kolxsect: draws a vertical cross section, distance across and log pressure down.
//   kolxsect -id=OUN/FWD/LCH -ou=xs.png FILE        soundings of a line of stations: wind speed
//                                                    filled under isentropes, wind barbs
//   kolxsect -id=OUN/FWD -va=temp,relh,wbrb FILE     other quantities (theta temp dewp wspd relh
//                                                    hght, wbrb barbs)
//   kolxsect -id=OUN/FWD -va=xrelh FILE              an entry of upxplot.var (xsect, xtheta,
//                                                    xtemp, xrelh, xwind; -vf another file)
//   kolxsect -id=11520 -pl=prof FILES...             the winds of one station in time (each
//                                                    file or bulletin a time)
//   kolxsect -from=35:-100 -to=40:-80 -va=theta GRIB  a model field (temp, hght, rhum, vvel, uwnd,
//                                                    theta, wspd ...) along the great circle
// Soundings come from own upper-air files, bulletins or BUFR files (decoded in the same run) or
// a selector of the convention "upa_cvt"; a GRIB or native grid file (told apart by content)
// gives the model section. -pl=ln|cf the contour type of every quantity; -pa=top=200,bot=1000
// the pressures (hPa). -ou=FILE.png (or .gif) without a display, -de=ps,FILE PostScript.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/Rect.h"
#include "graphics/plot/PlotOutput.h"
#include "grid/GridFile.h"
#include "layers/GridXSectPlot.h"
#include "layers/ProfPlot.h"
#include "layers/UpaXSectPlot.h"
#include "layers/upaplot/UpaInput.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaReports.h"
#include "obs/UpaTool.h"

using namespace KOL;

namespace {

// Room for the pressures at the left and the places under the frame.
const Rect PANEL(0.08f, 0.1f, 0.95f, 0.9f);
constexpr const char* DATE_HELP =
    "-da date     Date near the soundings of bulletins, yyyymmddhhmm (default: by the file "
    "name, else now)";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  for (int group :
       {KolResrc::HELP_GROUP, KolResrc::PATH_GROUP, KolResrc::FILE_GROUP, KolResrc::IO_GROUP,
        KolResrc::PLOT_GROUP, KolResrc::COLOR_GROUP, KolResrc::FILL_COLOR_GROUP,
        KolResrc::IDENT_GROUP, KolResrc::CONTOUR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  for (const char* name : {"variable", "var_file", "city_file"})
    KolResrc::add(keyed, KolResrc::find(name));
  keyed.add("from", "kolxsectfrom", "from", "-from=LAT:LON  Start of a model section");
  keyed.add("to", "kolxsectto", "to", "-to=LAT:LON    End of a model section");
  ProgInput::addDateOption(keyed, DATE_HELP);
  KolResrc::add(positional, KolResrc::find("filename"));
}

bool has(const char* t) { return t && *t; }

// The winds of the first station of -id in every input: own upper-air files as they are,
// bulletins and BUFR files decoded, the latest files of the convention when none is named.
std::unique_ptr<Drawing> profileLayer(const Strings& named)
{
  auto prof = std::make_unique<ProfPlot>();
  Strings ids;
  ids.set(Kol::resrc.get("identifier"), '/');
  prof->setParam((std::string("id=") + (ids.getNum() ? ids.getString(0) : "")).c_str());
  std::vector<std::string> own;
  UpaReports reports;
  for (int i = 0; i < named.getNum(); ++i) {
    const char* name = named.getString(i);
    if (UpaKolFile::checkType(name))
      own.push_back(name);
    else if (!reports.read(name, Date()))
      Kol::outWarning("kolxsect: cannot read %s\n", name);
  }
  if (!reports.records().empty()) {
    reports.locate(Kol::resrc.get("city_file"));
    std::vector<UpaData> soundings;
    for (const UpaRawinData& raw : reports.records())
      if (UpaData d; UpaTool::merge(raw, d)) soundings.push_back(d);
    prof->setSoundings(soundings);
  } else if (!own.empty()) {
    prof->setFiles(own);
  }
  return prof;
}

// A model field's layer when the input is a grid file, the winds of one station in time with
// -pl=prof, else the soundings' layer.
std::unique_ptr<Drawing> chooseLayer(upaplot::UpaInput& input)
{
  Resrc& r = Kol::resrc;
  Strings named;
  if (has(r.get("filename"))) named.set(r.get("filename"), '\n');
  const char* first = named.getNum() ? named.getString(0) : "";
  if (StrLib::iequal(r.get("plot_type", ""), "prof")) {
    if (!has(r.get("identifier"))) {
      Kol::outError("kolxsect: name the station of the profile, -id=STATION\n");
      return nullptr;
    }
    return profileLayer(named);
  }
  if (has(first) && GridFile::checkType(first) > 0) {
    if (!has(r.get("from")) || !has(r.get("to"))) {
      Kol::outError("kolxsect: give the ends of a model section, -from=LAT:LON -to=LAT:LON\n");
      return nullptr;
    }
    auto grid = std::make_unique<GridXSectPlot>();
    grid->setFilename(first);
    grid->setParam((std::string("from=") + r.get("from") + ",to=" + r.get("to")).c_str());
    return grid;
  }
  if (!has(r.get("identifier"))) {
    Kol::outError("kolxsect: name the stations of the section, -id=A/B/C\n");
    return nullptr;
  }
  std::string file;
  if (!input.choose("kolxsect", file)) return nullptr;
  auto upa = std::make_unique<UpaXSectPlot>();
  upa->setFilename(file.c_str());
  if (!UpaKolFile::checkType(upa->getFilename())) {
    Kol::outError("kolxsect: no upper-air file %s\n", file.c_str());
    return nullptr;
  }
  return upa;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;
  PlotOutput::selectDevice(r, r.get("output"));
  upaplot::UpaInput input;
  std::unique_ptr<Drawing> layer = chooseLayer(input);
  Domain domain;
  if (!layer) return Kol::FAILURE;
  if (!layer->getDomain(domain)) {
    const char* named = r.get("filename");
    Kol::outError("kolxsect: no section from %s\n", has(named) ? named : "la");
    return Kol::FAILURE;
  }
  return PlotOutput::drawFigure(*layer, domain, "kolxsect", r.get("device"), r.get("output"),
                                &PANEL);
}
