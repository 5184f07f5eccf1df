// kolmos: reads MOS bulletins (MAV, MET, MEX, ECS) from filed
// bulletins (named as files or by a date or selector of their convention) or plain files, and
// lists what was read, one JSON object a bulletin (-li), or draws the stations' guidance for one
// forecast hour on a map (-ou=NAME.png, .gif, .ps; -pa=fh=N,va=TMP:DPT; without a file, the
// window).
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
#include "layers/MosPlot.h"
#include "obs/text/JsonText.h"
#include "obs/text/MosBulletin.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"

using namespace KOL;

namespace {

constexpr const char* CONVENTION = "mos_dat";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  keyed.add("list", "kolmoslist", "li",
            "-li         List the bulletins read, one JSON object each");
  keyed.add("out", "kolmosout", "ou",
            "-ou name     Draw the guidance: NAME.png or NAME.gif (written without a display),\n"
            "             NAME.ps, NAME.eps, NAME.meta or NAME.hpgl (that device's file)");
  keyed.add("parameter", "kolmosparameter", "pa",
            "-pa list     Drawing keys: fh=hour, va=TMP:DPT:CLD:WSP, nomap, sc=scale");
  for (int group :
       {KolResrc::DOMAIN_GROUP, KolResrc::MAP_GROUP, KolResrc::COLOR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  ProgInput::addDateOption(keyed, "-da date     Date of the bulletins (default: by the file name)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

const char* fill(const TextProduct& p, JsonText& j)
{
  MosBulletin b;
  if (!b.parse(p)) return nullptr;
  b.jsonFields(j);
  return "mos";
}

// The guidance of every file's stations for one forecast hour, on the plot domain or a map
// about the stations.
int drawPicture(const ProgInput& inputs, const std::string& image)
{
  Resrc& r = Kol::resrc;
  if (inputs.getNum() < 1) return Kol::USAGE;
  PlotOutput::whitePage(r);
  if (!(r.get("color_map") && *r.get("color_map"))) r.set("color_map", "grey08");
  MosPlot layer;  // takes "parameter" as it starts
  int read = 0;
  for (int i = 0; i < inputs.getNum(); ++i)
    read += i == 0 ? layer.setFilename(inputs.get(i).name.c_str())
                   : layer.addFile(inputs.get(i).name.c_str());
  if (!read) return Kol::FAILURE;
  const char* pd = r.get("plot_domain");
  Domain domain;
  if (pd && *pd ? !DomainTool::decode(domain, pd) || domain.proj == Const::MISS
                : !layer.getDomain(domain)) {
    Kol::outError("kolmos: no domain: %s\n",
                  pd && *pd ? pd : "no station of the guidance is known");
    return Kol::FAILURE;
  }
  return PlotOutput::drawLayer(layer, domain, "kolmos", r.get("device"), image.c_str());
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
      Kol::outError("kolmos: give -li to list the bulletins or -ou=NAME.png to draw them\n");
      return Kol::USAGE;
    }
    return drawPicture(inputs, image);
  }
  return TextListing::listInputs("kolmos", "bulletin", inputs,
                                 TextListing::byProduct("kolmos", fill));
}
