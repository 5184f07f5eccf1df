// kolfront: reads WPC coded surface bulletins (fronts and pressure centres) from filed
// bulletins (named as files or by a date or selector of their convention) or plain files, and
// lists what was read, one JSON object a bulletin (-li), or draws the first bulletin's fronts
// and centres on a map (-ou=NAME.png, .gif, .ps; without a file, the window).
#include <cstdio>
#include <string>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/FrontPlot.h"
#include "obs/text/FrontBulletin.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"

using namespace KOL;

namespace {

constexpr const char* CONVENTION = "frt_dat";
// The bulletins cover North America and the oceans beside it.
constexpr const char* DEFAULT_DOMAIN = "north_america";
// Map lines light enough to leave the fronts' colours to the fronts.
constexpr const char* MAP_COLOR = "grey08";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  keyed.add("list", "kolfrontlist", "li",
            "-li         List the bulletins read, one JSON object each");
  keyed.add("out", "kolfrontout", "ou",
            "-ou name     Draw the fronts: NAME.png or NAME.gif (written without a display),\n"
            "             NAME.ps, NAME.eps, NAME.meta or NAME.hpgl (that device's file)");
  keyed.add("parameter", "kolfrontparameter", "pa",
            "-pa list     Drawing keys: spline, nospline, prlab, noprlab, nomap, sc=scale");
  ProgInput::addDateOption(keyed, "-da date     Date of the bulletins (default: by the file name)");
  for (int group :
       {KolResrc::DOMAIN_GROUP, KolResrc::MAP_GROUP, KolResrc::COLOR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  KolResrc::add(positional, KolResrc::find("filename"));
}

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
  const char* pd = r.get("plot_domain");
  Domain domain;
  if (!DomainTool::decode(domain, pd && *pd ? pd : DEFAULT_DOMAIN) || domain.proj == Const::MISS) {
    Kol::outError("kolfront: unknown domain %s\n", pd && *pd ? pd : DEFAULT_DOMAIN);
    return Kol::USAGE;
  }
  return PlotOutput::drawLayer(layer, domain, "kolfront", r.get("device"), image.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  const bool listing = ProgInput::takeFlag("list");
  ProgInput inputs(CONVENTION);
  if (!inputs.setup()) return Kol::USAGE;
  if (!listing) {
    const std::string image = PlotOutput::outputFile(Kol::resrc.get("out", ""), nullptr);
    const char* device = Kol::resrc.get("device");
    if (image.empty() && !(device && *device)) {
      Kol::outError("kolfront: give -li to list the bulletins or -ou=NAME.png to draw them\n");
      return Kol::USAGE;
    }
    return drawPicture(inputs, image);
  }
  return TextListing::listInputs("kolfront", "bulletin", inputs,
                                 TextListing::byProduct("kolfront", fill));
}
