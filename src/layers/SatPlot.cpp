#include "layers/SatPlot.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/Enhance.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "imagery/NidsImage.h"
#include "imagery/SatTool.h"
#include "layers/image/ImageBar.h"
#include "layers/image/ImageCanvas.h"

namespace KOL {

namespace {

constexpr int MOSAIC_ENTITY = 99;
constexpr int REFLECTIVITY_CHANNEL = 27;
constexpr const char* REFLECTIVITY_LIMITS = "5,10,15,20,25,30,35,40,45,50,55,60,65,70,75";
// Counts where the infrared scale turns from half-degree to whole-degree steps.
constexpr int IR_TURN = 175;

const char* sectorName(int sector)
{
  static const char* const names[] = {
      "NH Composite",         "East CONUS",      "West CONUS",      "Alaska Regional",
      "Alaska National",      "Hawaii Regional", "Hawaii National", "Puerto Rico Regional",
      "Puerto Rico National", "Supernational",   "NH Composite",    "Central CONUS",
      "East Floater",         "West Floater",    "Central Floater", "Polar Floater"};
  return sector >= 0 && sector < static_cast<int>(sizeof names / sizeof names[0]) ? names[sector]
                                                                                  : "";
}

RGB grey(int count) { return RGB(count / 255.0f, count / 255.0f, count / 255.0f); }

bool isTemperature(const GiniFile::Pdb& p) { return p.channel == 3 || p.channel == 4; }

// The grey scale of an infrared image over its temperatures, in pieces of 10 degrees so that
// the bar is labelled every 10 degrees or so; exact, as counts and temperatures are linear on
// either side of the turn.
Enhance temperatureScale()
{
  Enhance e;
  auto piece = [&](float lo, float hi) {
    e.add(lo, hi, grey(SatTool::toIRG7Ind(lo)), grey(SatTool::toIRG7Ind(hi)));
  };
  const float coldest = SatTool::toIRG7Temp(255), turnCold = SatTool::toIRG7Temp(IR_TURN + 1);
  const float turnWarm = SatTool::toIRG7Temp(IR_TURN), warmest = SatTool::toIRG7Temp(0);
  float t = coldest;
  for (float next = -100.0f; next < turnCold; t = next, next += 10.0f) piece(t, next);
  piece(t, turnCold);
  t = turnWarm;
  for (float next = -20.0f; next < warmest; t = next, next += 10.0f) piece(t, next);
  piece(t, warmest);
  return e;
}

Enhance countScale()
{
  Enhance e;
  for (int c = 0; c < 250; c += 50) e.add(c, c + 50, grey(c), grey(c + 50));
  e.add(250, 255, grey(250), grey(255));
  return e;
}

}  // namespace

void SatPlot::init()
{
  image.init();
  pdb = GiniFile::Pdb();
  file.clear();
  colors = imageplot::CodeColors();
  bar = map = true;
  if (const char* p = Kol::resrc.get("parameter"); StrLib::valid(p)) setParam(p);
}

int SatPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) {
    if (StrLib::iequal(f.c_str(), "bar")) bar = true;
    if (StrLib::iequal(f.c_str(), "nobar")) bar = false;
    if (StrLib::iequal(f.c_str(), "nomap")) map = false;
  }
  return 1;
}

int SatPlot::setFilename(const char* name)
{
  image.init();
  file = name ? name : "";
  GiniFile g(name, GiniFile::AUTO);
  if (!g.isOpen() || !g.readHeader(image)) {
    Kol::outWarning("SatPlot: %s is not a readable GINI image\n", file.c_str());
    image.init();
    return 0;
  }
  pdb = g.getPdb();
  if (!g.readData(image))
    Kol::outWarning("SatPlot: image %s incomplete (%d of %d rows)\n", file.c_str(), g.getRowsRead(),
                    image.getHeight());
  return image.validData() ? 1 : 0;
}

int SatPlot::getDomain(Domain& d)
{
  if (image.getDomainProj() == Const::MISS) return 0;
  d = image.getDomain();
  return 1;
}

int SatPlot::getDate(Date& d)
{
  d = image.getDate();
  return image.validData();
}

bool SatPlot::isReflectivity() const
{
  const bool mosaic = pdb.entity == MOSAIC_ENTITY && pdb.channel == REFLECTIVITY_CHANNEL;
  return image.isValues() && (mosaic || (pdb.isCalibrated() && pdb.units == "dBZ"));
}

std::string SatPlot::units() const
{
  if (isReflectivity()) return "dBZ";
  if (isTemperature(pdb) && image.isValues()) return "C";
  return "count";
}

std::string SatPlot::infoLabel() const
{
  std::string text = image.getInfo();
  bool number = !text.empty();
  for (char c : text) number = number && std::isdigit(static_cast<unsigned char>(c));
  if (number) text = "Channel " + text;
  // sectors 0, 9 and 10 and the radar mosaic's CONUS already name themselves
  const bool named = pdb.sector == 0 || pdb.sector == 9 || pdb.sector == 10 ||
                     (pdb.entity == MOSAIC_ENTITY && pdb.sector == 1);
  if (!named && *sectorName(pdb.sector)) text += std::string("  ") + sectorName(pdb.sector);
  return text;
}

int SatPlot::draw(Plot& plot)
{
  if (!image.validData()) return 0;
  if (bar) plot.reserveBar();
  imageplot::Canvas canvas;
  if (!canvas.set(plot) || !canvas.sample(image)) return 0;
  colors = imageplot::CodeColors();
  if (isReflectivity()) {
    // the mosaic's values in the classes and colours of a radar product
    NidsImage classes;
    classes.setThres(REFLECTIVITY_LIMITS);
    Image table;
    classes.setColors(table);
    imageplot::CodeColors byClass;
    const int n = static_cast<int>(classes.getThres().size());
    for (int k = 1; k <= n; ++k) table.getRGB(k, byClass.rgb[k]), byClass.shown[k] = true;
    if (bar) imageplot::setClassBar(plot, classes.getThres(), byClass, units().c_str());
    for (int code = 0; code < 256; ++code) {
      const int k = classes.getIndex(image.getValue(code));
      colors.rgb[code] = byClass.rgb[k];
      colors.shown[code] = k > 0;
    }
  } else {
    for (int code = 0; code < 256; ++code) colors.rgb[code] = grey(code), colors.shown[code] = true;
    if (bar)
      imageplot::setScaleBar(
          plot, isTemperature(pdb) && image.isValues() ? temperatureScale() : countScale(),
          units().c_str());
  }
  canvas.draw(plot, colors);
  if (map) MapPlot().draw(plot);
  plot.setLabel("ul", infoLabel().c_str());
  plot.setLabel("ur", image.getDatim());
  if (!plot.getDate().isSet()) plot.setDate(image.getDate());
  plot.done();
  return 1;
}

void SatPlot::print()
{
  std::printf("SatPlot\nFile: %s\nLabel: %s\nUnits: %s\nBar: %d\nMap: %d\n", file.c_str(),
              infoLabel().c_str(), units().c_str(), bar ? 1 : 0, map ? 1 : 0);
}

}  // namespace KOL
