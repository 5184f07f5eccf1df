// kolmos: reads MOS bulletins (MAV, MET, MEX, ECS) from filed
// bulletins (named as files or by a date or selector of their convention) or plain files, and
// lists what was read, one JSON object a bulletin (-li), or draws the stations' guidance for one
// forecast hour on a map as station models or analyses (-ou=NAME.png, .gif, .ps;
// -pa=ft=N,va=mos; without a file, the window).
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
#include "layers/TextProgram.h"
#include "obs/text/JsonText.h"
#include "obs/text/MosBulletin.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"

using namespace KOL;

namespace {

const TextProgram::Texts TEXTS{
    "kolmos",
    "bulletin",
    "guidance",
    "ft=hour, va=list (mos mosext mosavn mostemp mospop), mo=model, ho=run, nomap",
    "-da date     Date of the bulletins (default: by the file name)",
    "mos_dat"};

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
  TextProgram program(TEXTS);
  ResrcDBList keyed, positional;
  program.declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  return program.run(TextListing::byProduct("kolmos", fill), drawPicture);
}
