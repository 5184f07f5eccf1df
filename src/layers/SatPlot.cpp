#include "layers/SatPlot.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "geo/DomainTool.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorFill.h"
#include "graphics/ColorMap.h"
#include "graphics/ContPlot.h"
#include "graphics/Enhance.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "imagery/NidsImage.h"
#include "imagery/PngFile.h"
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
  file.init();
  name.clear();
  colors = imageplot::CodeColors();
  keys.init();
  frames = 1, sync = 0;
  label.clear(), datim.clear();
  zoom = 1;
  lons = imageplot::LonRange();
  cutoff = 0;
  fill = over = mapRemoved = false;
  calibrated = ownDomain = average = true;
  shiftX = shiftY = 0;
  output.clear(), modelMask.clear();
  Resrc& r = Kol::resrc;
  setNameConv(StrLib::valid(r.get("in_file"), CONVENTION));
  if (const char* v = r.get("input"); StrLib::valid(v)) setInput(v);
  if (const char* v = r.get("timezone"); StrLib::valid(v)) keys.zone = v;
  if (const char* v = r.get("color_table"); StrLib::valid(v)) keys.colorTable = v;
  if (const char* v = r.get("color_fill"); StrLib::valid(v)) keys.colorFill = v;
  if (const char* v = r.get("calibration"); StrLib::valid(v)) calibrated = std::atoi(v) != 0;
  if (const char* v = r.get("output"); StrLib::valid(v)) output = v;
  if (const char* v = r.get("model_mask"); StrLib::valid(v)) modelMask = v;
  if (const char* p = r.get("parameter"); StrLib::valid(p)) setParam(p);
}

int SatPlot::setParam(const char* text)
{
  if (!text) return 1;
  for (const std::string& f : PlotParams::split(text)) takeKey(f);
  return 1;
}

void SatPlot::takeKey(const std::string& f)
{
  const std::string v = PlotParams::valueOf(f, f.size());
  auto is = [&f](const char* k) { return PlotParams::isWord(f, k); };
  auto key = [&f](const char* k) { return PlotParams::isKey(f, k); };
  const float number = std::strtof(v.c_str(), nullptr);
  if (keys.take(f))
    return;
  else if (key("lab"))
    label = v;
  else if (key("in"))
    setInput(v.c_str());
  else if (key("if") || key("nc"))
    setNameConv(v.c_str());
  else if (key("nh"))
    frames = std::max(1, std::atoi(v.c_str()));
  else if (key("zoom"))
    zoom = number > 0 ? number : 1;
  else if (is("fill"))
    fill = true;
  else if (is("over"))
    over = true;
  else if (key("minlon"))
    lons.west = number;
  else if (key("maxlon"))
    lons.east = number;
  else if (key("cutoff"))
    cutoff = std::atoi(v.c_str());
  else if (is("map_rem"))
    mapRemoved = true;
  else if (is("calib") || key("calib"))
    calibrated = v.empty() || std::atoi(v.c_str()) != 0;
  else if (key("datim"))
    datim = v;
  else if (is("image_dom") || key("image_dom"))
    ownDomain = v.empty() || std::atoi(v.c_str()) != 0;
  else if (is("no_pixave") || is("pixoff"))
    average = false;
  else if (key("pixoff"))
    std::sscanf(v.c_str(), "%f:%f", &shiftX, &shiftY);
  else if (key("mod_mask")) {  // a domain text's commas written as ';' among the keys
    modelMask = v;
    std::replace(modelMask.begin(), modelMask.end(), ';', ',');
  } else if (key("ou"))
    output = v;
  else if (key("pa")) {
    std::string more = v;
    std::replace(more.begin(), more.end(), ':', ',');
    if (more.find("pa=") == std::string::npos) setParam(more.c_str());
  } else if (is("sync"))
    sync = 1;
}

int SatPlot::setFilename()
{
  return file.setFile(keys.latest().c_str()) && StrLib::valid(file.getName())
             ? setFilename(file.getName())
             : 0;
}

int SatPlot::setFilename(Date& d)
{
  return file.setFile(d, "la") && StrLib::valid(file.getName()) ? setFilename(file.getName()) : 0;
}

int SatPlot::setFilename(const char* text)
{
  image.init();
  name = text ? text : "";
  GiniFile g(text, GiniFile::AUTO);
  if (!g.isOpen() || !g.readHeader(image)) {
    Kol::outWarning("SatPlot: %s is not a readable GINI image\n", name.c_str());
    image.init();
    return 0;
  }
  pdb = g.getPdb();
  if (!g.readData(image))
    Kol::outWarning("SatPlot: image %s incomplete (%d of %d rows)\n", name.c_str(), g.getRowsRead(),
                    image.getHeight());
  return image.validData() ? 1 : 0;
}

int SatPlot::getDomain(Domain& d)
{
  if (!ownDomain || image.getDomainProj() == Const::MISS) return 0;
  d = image.getDomain();
  if (zoom != 1) {
    DomainVal v = d.get();
    v.dx /= zoom, v.dy /= zoom;
    d = Domain(v);
  }
  return 1;
}

// Pixels left out by the keys: outside the longitudes or the mask's domain, below the cutoff,
// the burned-in map, and count 0 of an image over other layers.
void SatPlot::mask(imageplot::Canvas& canvas) const
{
  Domain outside;
  const bool masked = !modelMask.empty() && DomainTool::decode(outside, modelMask.c_str()) &&
                      outside.proj != Const::MISS;
  const bool byPlace = lons.limited() || masked;
  const Domain& d = canvas.image().getDomain();
  for (int j = 0; j < canvas.height(); ++j)
    for (int i = 0; i < canvas.width(); ++i) {
      if (!canvas.covered(i, j)) continue;
      const int c = canvas.image().getVal(i, j);
      bool out = c < cutoff || (mapRemoved && c == 255) || (over && c == 0);
      if (!out && byPlace) {
        EarthPoint e;
        GridPoint g;
        out = !d.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e) ||
              !lons.keeps(e.lon) ||
              (masked && (!outside.tran(e, g) || g.isMiss() || g.x < 0 || g.y < 0 ||
                          g.x > outside.nx - 1 || g.y > outside.ny - 1));
      }
      if (out) canvas.uncover(i, j);
    }
}

// Averages would mix the classes of a radar mosaic: those keep the nearest pixel.
imageplot::Sampling SatPlot::sampling() const
{
  imageplot::Sampling how;
  how.average = average && !isReflectivity();
  how.skip = mapRemoved ? 255 : -1;
  how.shiftX = shiftX, how.shiftY = shiftY;
  return how;
}

// Counts coloured across a colour table's fill colours or the colours given.
void SatPlot::enhance(Plot& plot)
{
  std::vector<int> ramp;
  if (!keys.colorTable.empty()) {
    ColorMap cm;
    if (ColorFile::read(keys.colorTable.c_str(), cm)) plot.setColorMap(cm);
    ramp = ContPlot::fillPalette(plot.getGraph());
  }
  if (!keys.colorFill.empty()) {
    ColorFill cf;
    cf.set(plot.getColorMap(), keys.colorFill.c_str());
    ramp.clear();
    for (int k = 0; k < cf.getNum(); ++k) ramp.push_back(cf.getColor(k));
  }
  if (ramp.empty()) return;
  for (int code = 0; code < 256; ++code) {
    RGB& c = colors.rgb[code];
    plot.getColorRGB(ramp[static_cast<size_t>(code) * ramp.size() / 256], c.red, c.green, c.blue);
  }
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
  if (keys.bar) plot.reserveBar();
  imageplot::Canvas canvas;
  if (fill) {  // the panel beyond the image black
    plot.setFillColor("black");
    plot.drawFill(plot.getDomain().getLimits());
    plot.setFill();
  }
  if (!canvas.set(plot) || !canvas.sample(image, sampling())) return 0;
  mask(canvas);
  if (!output.empty() && !PngFile::write(output.c_str(), canvas.image()))
    Kol::outWarning("SatPlot: cannot write %s\n", output.c_str());
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
    if (keys.bar) imageplot::setClassBar(plot, classes.getThres(), byClass, units().c_str());
    for (int code = 0; code < 256; ++code) {
      const int k = classes.getIndex(image.getValue(code));
      colors.rgb[code] = byClass.rgb[k];
      colors.shown[code] = k > 0;
    }
  } else {
    for (int code = 0; code < 256; ++code) colors.rgb[code] = grey(code), colors.shown[code] = true;
    enhance(plot);
    const bool physical = calibrated && isTemperature(pdb) && image.isValues();
    if (keys.bar)
      imageplot::setScaleBar(plot, physical ? temperatureScale() : countScale(),
                             physical ? "C" : "count");
  }
  canvas.draw(plot, colors);
  if (keys.map) MapPlot().draw(plot);
  plot.setLabel("ul", label.empty() ? infoLabel().c_str() : label.c_str());
  String when;
  if (datim.empty() && !keys.zone.empty()) {
    Timezone tz;
    tz.set(keys.zone.c_str());
    DateTool::createLabel(image.getDate(), tz, when);
  }
  plot.setLabel("ur", !datim.empty() ? datim.c_str()
                      : when.valid() ? when.get()
                                     : image.getDatim());
  if (!plot.getDate().isSet()) plot.setDate(image.getDate());
  plot.done();
  return 1;
}

void SatPlot::print()
{
  std::printf("SatPlot\nFile: %s\nLabel: %s\nUnits: %s\nBar: %d\nMap: %d\n", name.c_str(),
              infoLabel().c_str(), units().c_str(), keys.bar ? 1 : 0, keys.map ? 1 : 0);
}

}  // namespace KOL
