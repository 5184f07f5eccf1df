// kolfront: reads WPC coded surface bulletins (fronts and pressure centres) from filed
// bulletins (named as files or by a date or selector of their convention) or plain files, and
// lists what was read, one JSON object a bulletin (-li), or draws the first bulletin's fronts
// and centres on a map (-ou=NAME.png, .gif, .ps; without a file, the window), over the isobars
// and station models of a surface file given with -sf=FILE, lightning with -light=FILE.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Const.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/FrontPlot.h"
#include "layers/SfcPlot.h"
#include "layers/TextProgram.h"
#include "layers/overlay/Overlays.h"
#include "obs/text/FrontBulletin.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"

using namespace KOL;

namespace {

// The bulletins cover North America and the oceans beside it.
constexpr const char* DEFAULT_DOMAIN = "north_america";
// Map lines light enough to leave the fronts' colours to the fronts.
constexpr const char* MAP_COLOR = "grey08";
// Under the fronts: isobars every 4 hPa analysed from the surface file.
constexpr const char* ANALYSIS = "pres[mb,ln,int=4,co=grey04]";
// An analysis further than this from the fronts' time is another weather: said, still drawn.
constexpr long MAX_APART_HOURS = 3;

// Hours between a bulletin's valid time (MMDDHHZ, or YYYYMMDDHHZ) and d; the short form is
// taken in the year that brings it nearest d. -1 when the time cannot be read.
long hoursApart(const std::string& valid, const Date& d)
{
  const bool full = valid.size() >= 11;
  const size_t at = full ? 4 : 0;
  if (valid.size() < at + 6) return -1;
  const int month = std::atoi(valid.substr(at, 2).c_str()),
            day = std::atoi(valid.substr(at + 2, 2).c_str());
  const int hour = std::atoi(valid.substr(at + 4, 2).c_str());
  long best = -1;
  for (int dy : {-1, 0, 1}) {
    const int year = full ? std::atoi(valid.substr(0, 4).c_str()) : d.getYear() + dy;
    Date v(year, month, day, hour, 0, 0);
    const long h = std::labs(v.getSeconds() - d.getSeconds()) / 3600;
    if (v.isSet() && (best < 0 || h < best)) best = h;
  }
  return best;
}

const TextProgram::Texts TEXTS{"kolfront",
                               "bulletin",
                               "fronts",
                               "spline, nospline, prlab, noprlab, nomap, sc=scale",
                               "-da date     Date of the bulletins (default: by the file name)",
                               "frt_dat"};

const char* fill(const TextProduct& p, JsonText& j)
{
  FrontBulletin b;
  if (!b.parse(p)) return nullptr;
  b.jsonFields(j);
  return "fronts";
}

// The first bulletin's fronts and centres on the plot domain (north_america by default).
int drawPicture(const ProgInput& inputs, const std::string& image)
{
  Resrc& r = Kol::resrc;
  if (inputs.getNum() < 1) return Kol::USAGE;
  PlotOutput::whitePage(r);
  if (!(r.get("color_map") && *r.get("color_map"))) r.set("color_map", MAP_COLOR);
  FrontPlot layer;  // takes "parameter" as it starts
  if (!layer.setFilename(inputs.get(0).name.c_str())) return Kol::FAILURE;
  std::vector<Drawing*> layers;
  // the analysis under the fronts draws the map; the fronts none of their own
  SfcPlot analysis;
  if (const char* sf = r.get("sfc_file"); sf && *sf) {
    if (!analysis.setFilename(sf)) return Kol::FAILURE;
    analysis.setVariable(r.get("variable") && *r.get("variable") ? r.get("variable") : ANALYSIS);
    analysis.setParam("map");
    layer.setParam("nomap");
    layers.push_back(&analysis);
    if (Date d; analysis.getDate(d) && d.isSet()) {
      const long apart = hoursApart(layer.getBulletin().valid, d);
      if (apart > MAX_APART_HOURS)
        Kol::outWarning("kolfront: the surface file %s is %ld h away from the fronts\n", sf, apart);
    }
  }
  layers.push_back(&layer);
  overlay::Overlays overlays;
  Date when;
  if (!overlays.read(layer.getDate(when) && when.isSet() ? when.getSeconds() : -1))
    return Kol::FAILURE;
  for (Drawing* over : overlays.get()) layers.push_back(over);
  const char* pd = r.get("plot_domain");
  Domain domain;
  if (!DomainTool::decode(domain, pd && *pd ? pd : DEFAULT_DOMAIN) || domain.proj == Const::MISS) {
    Kol::outError("kolfront: unknown domain %s\n", pd && *pd ? pd : DEFAULT_DOMAIN);
    return Kol::USAGE;
  }
  return PlotOutput::drawLayers(layers, domain, "kolfront", r.get("device"), image.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
  TextProgram program(TEXTS);
  ResrcDBList keyed, positional;
  program.declareOptions(keyed, positional);
  keyed.add("sfc_file", "kolfrontsfc", "sf", "-sf file     Surface file: fronts over its analysis");
  keyed.add("variable", "kolfrontva", "va",
            "-va list     Variable list of that analysis (default: isobars every 4 hPa)");
  overlay::Overlays::declare(keyed);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  return program.run(TextListing::byProduct("kolfront", fill), drawPicture);
}
