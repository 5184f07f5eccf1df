// kolwarn: reads warnings, watches and tropical cyclone products from filed bulletins (named as
// files or by a date or selector of their convention) or plain files, and lists what was read,
// one JSON object a product (-li), or draws the warnings in force at a time (-da, default the
// latest event's start) on a map about them (-ou=NAME.png, .gif, .ps; without a file, the
// window); -light=FILE draws lightning strikes and -fronts=FILE fronts over them.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/HurPlot.h"
#include "layers/TextProgram.h"
#include "layers/WarnPlot.h"
#include "layers/WatchPlot.h"
#include "layers/overlay/Overlays.h"
#include "obs/text/BestTrack.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextListing.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/TropicalProduct.h"
#include "obs/text/WarnProduct.h"
#include "obs/text/WatchProduct.h"

using namespace KOL;

namespace {

const TextProgram::Texts TEXTS{"kolwarn",
                               "product",
                               "warnings",
                               "fill, nolabel, slabel, nomap, sc=scale, ty=TO:SV",
                               "-da date     The time the warnings drawn are in force",
                               "sev_txt"};

// A product in its kind's listing form; null when nothing could be read from it.
const char* fill(const TextProduct& p, JsonText& j)
{
  if (WatchProduct::isWatch(p)) {
    WatchProduct w;
    if (!w.parse(p)) return nullptr;
    w.jsonFields(j);
    return "watches";
  }
  if (TropicalProduct::isTropical(p)) {
    TropicalProduct t;
    if (!t.parse(p)) return nullptr;
    t.jsonFields(j);
    return "tropical";
  }
  WarnProduct w;
  if (!w.parse(p)) return nullptr;
  w.jsonFields(j);
  return "warnings";
}

// Adds the count of products listed to listed, of products met to seen.
int listFile(const std::string& path, int& listed, int& seen)
{
  TextProductFile f;
  if (!f.open(path.c_str())) return 0;
  BestTrack track;
  if (track.parse(f.getText())) {
    JsonText j;
    j.beginObject();
    track.jsonFields(j);
    TextListing::write(j, "tropical", path);
    ++listed, ++seen;
    return 1;
  }
  listed += TextListing::listProducts("kolwarn", f, fill, &seen);
  return 1;
}

// The plot domain, or the layer's map about its data (conus when it has none).
bool pictureDomain(Drawing& layer, Domain& domain)
{
  const char* pd = Kol::resrc.get("plot_domain");
  if (pd && *pd) {
    if (DomainTool::decode(domain, pd) && domain.proj != Const::MISS) return true;
    Kol::outError("kolwarn: unknown domain %s\n", pd);
    return false;
  }
  return layer.getDomain(domain) || DomainTool::decode(domain, "conus");
}

// A best track, or a file that starts with a forecast/advisory.
bool isStorm(const std::string& name)
{
  TextProductFile f;
  if (!f.open(name.c_str())) return false;
  BestTrack track;
  TextProduct p;
  return track.parse(f.getText()) || (f.read(p) && TropicalProduct::isTropical(p));
}

// A file that starts with an aviation watch (SAW).
bool isWatchFile(const std::string& name)
{
  TextProductFile f;
  TextProduct p;
  return f.open(name.c_str()) && f.read(p) && p.type() == "SAW";
}

// The watch boxes of the files.
int drawWatches(const ProgInput& inputs, const std::string& image)
{
  WatchPlot layer;  // takes "parameter" as it starts
  if (!layer.setFilename(inputs.get(0).name.c_str())) return Kol::FAILURE;
  for (int i = 1; i < inputs.getNum(); ++i) layer.addFile(inputs.get(i).name.c_str());
  Domain domain;
  if (!pictureDomain(layer, domain)) return Kol::USAGE;
  return PlotOutput::drawLayer(layer, domain, "kolwarn", Kol::resrc.get("device"), image.c_str());
}

// A storm from a best track or forecast/advisories: its track, forecast points and radii.
int drawStorm(const ProgInput& inputs, const std::string& image)
{
  HurPlot layer;  // takes "parameter" as it starts
  if (!layer.setFilename(inputs.get(0).name.c_str())) return Kol::FAILURE;
  for (int i = 1; i < inputs.getNum(); ++i) layer.addFile(inputs.get(i).name.c_str());
  Domain domain;
  if (!pictureDomain(layer, domain)) return Kol::USAGE;
  return PlotOutput::drawLayer(layer, domain, "kolwarn", Kol::resrc.get("device"), image.c_str());
}

// The warnings of all files in force at the time, on the plot domain or a map about them; the
// storm of a first file that is a best track or a forecast/advisory, the watch boxes of one
// that is an aviation watch.
int drawPicture(const ProgInput& inputs, const std::string& image)
{
  Resrc& r = Kol::resrc;
  if (inputs.getNum() < 1) return Kol::USAGE;
  PlotOutput::whitePage(r);
  if (!(r.get("color_map") && *r.get("color_map"))) r.set("color_map", "grey08");
  if (isStorm(inputs.get(0).name)) return drawStorm(inputs, image);
  if (isWatchFile(inputs.get(0).name)) return drawWatches(inputs, image);
  WarnPlot layer;  // takes "parameter" as it starts
  int read = 0;
  for (int i = 0; i < inputs.getNum(); ++i)
    read += i == 0 ? layer.setFilename(inputs.get(i).name.c_str())
                   : layer.addFile(inputs.get(i).name.c_str());
  if (!read) return Kol::FAILURE;
  Date when;
  if (!ProgInput::getDate(when)) return Kol::USAGE;
  if (when.isSet()) layer.setValidTime(when.getSeconds());
  Domain domain;
  if (!pictureDomain(layer, domain)) return Kol::USAGE;
  // strikes (-light) and fronts (-fronts) over the warnings, at their time
  overlay::Overlays overlays;
  if (!overlays.read(layer.getValidTime())) return Kol::FAILURE;
  std::vector<Drawing*> layers{&layer};
  for (Drawing* over : overlays.get()) layers.push_back(over);
  return PlotOutput::drawLayers(layers, domain, "kolwarn", r.get("device"), image.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
  TextProgram program(TEXTS);
  ResrcDBList keyed, positional;
  program.declareOptions(keyed, positional);
  overlay::Overlays::declare(keyed);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  return program.run(listFile, drawPicture);
}
