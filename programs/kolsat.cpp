// kolsat: describes a GINI satellite image and draws it.
//   kolsat FILE                         the header in words
//   kolsat -ou=OUT.png FILE             the image on its own map with map lines, the colour bar
//                                       of its values and labels (no display)
//   kolsat -de=ps,OUT.ps FILE           PostScript; -de=w the X window
//   kolsat -out=csv -row=N FILE         column,pixel,value along row N (from 0 at the top)
//   kolsat -fr=6 -ou=LOOP.gif           the last 6 images of the convention (-if, default
//                                       sat_vis) as one animated GIF
//   kolsat -fr=6 -de=w                  the same animated in the X window (q ends)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "graphics/plot/PlotOutput.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "imagery/ImageryKind.h"
#include "layers/SatPlot.h"
#include "layers/image/ImageLoop.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("out", "kolsatout", "ou",
            "-ou kind     info (default: the header in words), csv (the pixels along the row\n"
            "             given by -row), NAME.png or NAME.gif (the picture: the image on its\n"
            "             map with map lines, colour bar and labels, written without a display);\n"
            "             NAME.ps, NAME.eps, NAME.meta or NAME.hpgl write that device's file");
  keyed.add("o", "kolsato", "o", "-o name      Picture file written by -out=png");
  keyed.add("row", "kolsatrow", "ro",
            "-ro N        Row printed by -out=csv (default the middle row)");
  keyed.add("parameter", "kolsatparameter", "pa", "-pa list     Drawing keys: nobar, nomap");
  keyed.add("frames", "kolsatframes", "fr",
            "-fr N        The last N images of the naming convention -if (default sat_vis)\n"
            "             drawn as one animated GIF (-ou=NAME.gif) or in the X window\n"
            "             (-de=w; q ends it)");
  KolResrc::add(keyed, KolResrc::find("in_file"));
  for (int group :
       {KolResrc::DOMAIN_GROUP, KolResrc::MAP_GROUP, KolResrc::COLOR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  KolResrc::add(positional, KolResrc::find("filename"));
}

const char* projectionName(int code)
{
  switch (code) {
    case 1:
      return "Mercator";
    case 3:
      return "Lambert conformal";
    case 5:
      return "polar stereographic";
    default:
      return "unknown";
  }
}

void describe(const GiniFile& g, const Image& im)
{
  const GiniFile::Pdb& p = g.getPdb();
  std::printf("Heading: %s\n", g.getHeading()[0] ? g.getHeading() : "-");
  std::printf("Image: %s\n", im.getInfo());
  std::printf("Satellite: creating entity %d, sector %d, channel %d\n", p.entity, p.sector,
              p.channel);
  std::printf("Time: %s\n", im.getDatim());
  std::printf("Projection: %s (%d)\n", projectionName(p.projection), p.projection);
  std::printf("Size: %d x %d pixels\n", im.getWidth(), im.getHeight());
  if (p.projection == 1)
    std::printf("Corners: %.4f N %.4f E to %.4f N %.4f E\n", static_cast<double>(p.la1),
                static_cast<double>(p.lo1), static_cast<double>(p.la2), static_cast<double>(p.lo2));
  else
    std::printf("Resolution: %.4f x %.4f km at %.1f N, first pixel %.4f N %.4f E, Lov %.4f\n",
                static_cast<double>(p.dx), static_cast<double>(p.dy),
                static_cast<double>(p.projection == 3 ? p.latin : 60.0f),
                static_cast<double>(p.la1), static_cast<double>(p.lo1), static_cast<double>(p.lov));
  if (im.getDomainProj() != Const::MISS) {
    std::printf("Domain: ");
    im.getDomain().print();
  }
  for (const GiniFile::Pdb::CalRange& c : p.ranges)
    if (c.value0 > GiniFile::MISSING_VALUE && c.value1 > GiniFile::MISSING_VALUE)
      std::printf("Calibration: pixels %.0f-%.0f = %g to %g %s\n", static_cast<double>(c.pixel0),
                  static_cast<double>(c.pixel1), static_cast<double>(c.value0),
                  static_cast<double>(c.value1), p.units.c_str());
  std::printf("Body: %s\n", g.getKind() == GiniFile::ZLIB  ? "zlib streams"
                            : g.getKind() == GiniFile::PNG ? "PNG"
                                                           : "raw");
}

int printRow(const Image& im, int row)
{
  if (row < 0 || row >= im.getHeight()) {
    Kol::outError("kolsat: row %d outside 0..%d\n", row, im.getHeight() - 1);
    return Kol::USAGE;
  }
  std::printf("column,pixel,value\n");
  for (int i = 0; i < im.getWidth(); ++i)
    std::printf("%d,%d,%g\n", i, im.getVal(i, row), static_cast<double>(im.getValue(i, row)));
  return Kol::SUCCESS;
}

// Map lines seen on clouds and on clear ground alike; on the white page under a radar mosaic,
// dark and unlike every class colour.
constexpr const char* MAP_COLOR = "yellow";
constexpr const char* MOSAIC_MAP_COLOR = "grey04";

bool has(const char* t) { return t && *t; }

// True for a GINI image; else false after one line of our own instead of the readers'.
bool isImage(const char* file)
{
  const ImageryKind::Kind k = ImageryKind::of(file);
  if (k == ImageryKind::GINI) return true;
  if (k == ImageryKind::OTHER)
    Kol::outError("kolsat: %s is not a GINI image\n", file);
  else if (k == ImageryKind::LEV2)
    Kol::outError("kolsat: %s is a radar volume, not a GINI image\n", file);
  else
    Kol::outError("kolsat: %s is a NIDS radar product, not a GINI image\n", file);
  return false;
}

// The image on its own map (or the -pd domain) with map lines, colour bar, labels and border.
int drawPicture(const char* file, const std::string& image)
{
  Resrc& r = Kol::resrc;
  if (!ProgInput::readable(ProgInput().resolve(file ? file : "")) || !isImage(file))
    return Kol::FAILURE;
  PlotOutput::whitePage(r);
  SatPlot layer;
  if (!layer.setFilename(file)) return Kol::FAILURE;
  if (!has(r.get("color_map")))
    r.set("color_map", layer.isReflectivity() ? MOSAIC_MAP_COLOR : MAP_COLOR);
  Domain domain;
  const char* pd = r.get("plot_domain");
  if (has(pd) ? !DomainTool::decode(domain, pd) || domain.proj == Const::MISS
              : !layer.getDomain(domain)) {
    Kol::outError(has(pd) ? "kolsat: unknown domain %s\n" : "kolsat: %s has no navigation\n",
                  has(pd) ? pd : file);
    return Kol::FAILURE;
  }
  return PlotOutput::drawLayer(layer, domain, "kolsat", r.get("device"), image.c_str());
}

// The last N images of the convention, each on the first one's map, as an animated GIF or in
// the window.
int drawLoop(int n, const std::string& gif)
{
  Resrc& r = Kol::resrc;
  const char* conv = r.get("in_file", "sat_vis");
  const std::vector<std::string> files = imageplot::lastFiles(conv, n);
  if (files.empty()) {
    Kol::outError("kolsat: no image of the convention %s\n", conv);
    return Kol::FAILURE;
  }
  PlotOutput::whitePage(r);
  std::vector<std::unique_ptr<SatPlot>> layers;
  std::vector<Drawing*> frames;
  for (const std::string& f : files) {
    auto layer = std::make_unique<SatPlot>();
    if (!isImage(f.c_str()) || !layer->setFilename(f.c_str())) continue;
    frames.push_back(layer.get());
    layers.push_back(std::move(layer));
  }
  Domain domain;
  if (frames.empty() || !frames.front()->getDomain(domain)) {
    Kol::outError("kolsat: no image of %s with navigation\n", conv);
    return Kol::FAILURE;
  }
  if (!has(r.get("color_map")))
    r.set("color_map", layers.front()->isReflectivity() ? MOSAIC_MAP_COLOR : MAP_COLOR);
  if (gif.empty()) return PlotOutput::showLoop(frames, domain, "kolsat", r.get("device"));
  return PlotOutput::drawLoop(frames, domain, "kolsat", gif.c_str());
}

// One image described or listed as out says; the exit status.
int show(const char* file, const std::string& out)
{
  if (!isImage(file)) return Kol::FAILURE;
  GiniFile g(file, GiniFile::AUTO);
  Image im;
  if (!g.isOpen() || !g.readHeader(im)) {
    Kol::outError("kolsat: %s is not a readable GINI image\n", file);
    return Kol::FAILURE;
  }
  if (out == "info") {
    describe(g, im);
    return Kol::SUCCESS;
  }
  if (!g.readData(im)) Kol::outWarning("kolsat: image incomplete (%d rows)\n", g.getRowsRead());
  return printRow(im, std::atoi(Kol::resrc.get("row", std::to_string(im.getHeight() / 2).c_str())));
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;
  if (!has(r.get("filename")) && !has(r.get("frames"))) {  // a file, or a loop of files
    ResrcDB::printHelp(r.get("prog"), keyed, positional);
    return Kol::USAGE;
  }
  const std::string out = r.get("out", "info");
  if (const char* n = r.get("frames"); has(n)) {
    const std::string gif = PlotOutput::outputFile(out, r.get("o"));
    if (std::atoi(n) < 1 || !PlotOutput::canLoop(r.get("device"), gif)) {
      Kol::outError("kolsat: -fr=N needs N of 1 or more and -ou=NAME.gif, or -de=w\n");
      return Kol::USAGE;
    }
    return drawLoop(std::atoi(n), gif);
  }
  if (const std::string image = PlotOutput::outputFile(out, r.get("o"));
      !image.empty() || has(r.get("device")))
    return drawPicture(r.get("filename"), image);
  if (out == "png" || out == "gif") {
    Kol::outError("kolsat: -out=%s needs -o=FILE\n", out.c_str());
    return Kol::USAGE;
  }
  if (out != "info" && out != "csv") {
    Kol::outError("kolsat: unknown output kind %s\n", out.c_str());
    return Kol::USAGE;
  }
  ProgInput inputs;
  inputs.setup(nullptr);
  int status = Kol::SUCCESS;
  const int ok = inputs.forEach([&](const ProgInput::Item& in) {
    const int shown = show(in.name.c_str(), out);
    status = std::max(status, shown);
    return shown == Kol::SUCCESS;
  });
  if (!ok && status == Kol::SUCCESS) status = Kol::FAILURE;  // an input that could not be read
  return std::fflush(stdout) == 0 ? status : Kol::FAILURE;
}
