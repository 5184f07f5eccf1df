#include "layers/ImagePlot.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorFill.h"
#include "graphics/ColorMap.h"
#include "graphics/ContPlot.h"
#include "graphics/MapPlot.h"
#include "graphics/Plot.h"
#include "graphics/plot/PlotParams.h"
#include "grid/GridFile.h"
#include "grid/GridMath.h"
#include "grid/ModelSpec.h"
#include "layers/VarName.h"
#include "layers/image/ImageBar.h"
#include "layers/varplot/VarPlot.h"

namespace KOL {

namespace {

bool key(const std::string& token, const char* name)
{
  const size_t n = std::char_traits<char>::length(name);
  return !strncasecmp(token.c_str(), name, n) && (token.size() == n || token[n] == '=');
}

// Whether the grid read is the variable asked for (by name or by the name table's code), so
// that a name the file lacks is not answered with another field.
bool isVariable(const Grid& g, const std::string& spec)
{
  const std::string want = spec.substr(spec.rfind(':') + 1);
  const char* got = g.getVarSpec().getName();
  if (want.empty() || !strcasecmp(want.c_str(), got)) return true;
  VarName names;
  VarNameItem a, b;
  return names.get(want.c_str(), a) && names.get(got, b) && a.codes[0] == b.codes[0];
}

float number(const std::string& v)
{
  return v.empty() ? Const::FMISS : std::strtof(v.c_str(), nullptr);
}

}  // namespace

void ImagePlot::init()
{
  file.init();
  file.setNameConv(CONVENTION);
  variable.clear(), gridSpec.clear(), foreTime.clear(), contour.clear();
  colorTable.clear(), colorFill.clear();
  gridNum = -1;
  timezone.init();
  zoneText.clear();
  zoom = 1;
  map = true, over = false, bar = true;
  paint = imageplot::GridPaint();
  colors = imageplot::CodeColors();
  grid.init();
  loaded.clear();
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("timezone"); StrLib::valid(t)) zoneText = t, timezone.set(t);
  if (const char* g = r.get("grid_num"); StrLib::valid(g)) gridNum = std::atoi(g);
  if (const char* v = r.get("variable"); StrLib::valid(v)) variable = v;
  if (const char* t = r.get("time"); StrLib::valid(t)) foreTime = t;
  if (const char* t = r.get("type"); StrLib::valid(t)) paint.bilinear = !strncasecmp(t, "bil", 3);
  if (const char* p = r.get("parameter"); StrLib::valid(p)) setParam(p);
}

int ImagePlot::setFile()
{
  Resrc& r = Kol::resrc;
  if (const char* m = r.get("model"); StrLib::valid(m)) setParam(("mo=" + std::string(m)).c_str());
  if (const char* c = r.get("in_file"); StrLib::valid(c)) setNameConv(c);
  if (const char* i = r.get("input"); StrLib::valid(i)) setInput(i);
  return 1;
}

int ImagePlot::setInput(const char* path) { return file.setPath(path); }
int ImagePlot::setNameConv(const char* conv) { return file.setNameConv(conv); }
int ImagePlot::setFilename()
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile();
}
int ImagePlot::setFilename(const char* name) { return file.checkFile(name) && file.exist(); }
int ImagePlot::setFilename(Date& d)
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile(d, "la");
}

int ImagePlot::getDate(Date& d)
{
  if (load(true) && grid.getDate().isSet()) return d = grid.getDate(), 1;
  return file.getDate(d) && d.isSet();
}

int ImagePlot::setParam(const char* text)
{
  for (const std::string& t : PlotParams::split(text)) {
    const std::string v = PlotParams::valueOf(t, t.size());
    if (key(t, "fi"))
      setFilename(v.c_str());
    else if (key(t, "in"))
      setInput(v.c_str());
    else if (key(t, "mo")) {
      ModelSpec m;
      m.set(v.c_str());
      if (m.hasNameConv()) setNameConv(m.getNameConv());
    } else if (key(t, "if") || key(t, "nc"))
      setNameConv(v.c_str());
    else if (key(t, "tz"))
      zoneText = v, timezone.set(v.c_str());
    else if (key(t, "ct"))
      colorTable = v;
    else if (key(t, "cof"))
      colorFill = v;
    else if (key(t, "ty"))
      paint.bilinear = !strncasecmp(v.c_str(), "bil", 3);
    else if (key(t, "gn"))
      gridNum = std::atoi(v.c_str());
    else if (key(t, "gs"))
      gridSpec = v;
    else if (key(t, "va"))
      variable = v;
    else if (key(t, "ft"))
      foreTime = v;
    else if (key(t, "zoom"))
      zoom = number(v) > 0 ? number(v) : 1;
    else if (key(t, "fill"))
      paint.bilinear = true;
    else if (key(t, "pixoff"))
      paint.bilinear = false;
    else if (key(t, "map"))
      map = true, over = false;
    else if (key(t, "over"))
      over = true, map = false;
    else if (key(t, "bar"))
      bar = true;
    else if (key(t, "nobar"))
      bar = false;
    else if (key(t, "minlon"))
      paint.lons.west = number(v);
    else if (key(t, "maxlon"))
      paint.lons.east = number(v);
    else if (key(t, "cutoff"))
      paint.cutoff = number(v);
    else
      contour += (contour.empty() ? "" : ",") + t;
  }
  return 1;
}

// The grid the selection names from the file found; kept while neither changes.
int ImagePlot::load(bool quiet)
{
  if (!file.isSet()) setFilename("la");
  const char* name = file.getName();
  // "sfc:temp[C]": the units in brackets, as variable lists write them
  std::string spec = gridSpec.empty() ? variable : gridSpec, units;
  if (const size_t b = spec.find('['); b != std::string::npos) {
    units = spec.substr(b + 1, spec.find_first_of(",]", b) - b - 1);
    spec.erase(b);
  }
  if (gridNum >= 0)
    select = "#" + std::to_string(gridNum);
  else
    select = (foreTime.empty() ? "" : "f" + foreTime + ":") + spec;
  const std::string what = std::string(StrLib::valid(name, "")) + "|" + select + "|" + units;
  if (what == loaded && grid.isData()) return 1;
  loaded.clear();
  GridFile in;
  grid.init();
  const bool ok = StrLib::valid(name) && in.open(name) &&
                  (select.empty() ? in.read(grid) : in.read(grid, select.c_str())) &&
                  grid.isData() && (gridNum >= 0 || isVariable(grid, spec));
  if (!ok) {
    if (!quiet)
      Kol::outMessage(3, "ImagePlot: Unable to read grid %s from file: %s\n", select.c_str(),
                      StrLib::valid(name, ""));
    grid.init();
    return 0;
  }
  if (!units.empty()) GridMath::units(grid, units.c_str());
  loaded = what;
  return 1;
}

int ImagePlot::getDomain(Domain& d)
{
  if (!load(true)) return 0;
  d = grid.getDomain();
  if (zoom != 1) {
    DomainVal v = d.get();
    v.dx /= zoom, v.dy /= zoom;
    d = Domain(v);
  }
  return 1;
}

// The classes colour fills of the field would use, in the same colours.
void ImagePlot::setLevels(Plot& plot)
{
  if (!colorTable.empty()) {
    ColorMap cm;
    if (ColorFile::read(colorTable.c_str(), cm)) plot.setColorMap(cm);
  }
  ColorFill cf;
  if (!colorFill.empty()) cf.set(plot.getColorMap(), colorFill.c_str());
  const std::vector<int> palette = ContPlot::fillPalette(plot.getGraph());
  ContPlot cp(contour.c_str());
  if (cf.isValues()) {
    std::vector<float> given;
    for (int k = 0; k < cf.getNumValues(); ++k) given.push_back(cf.getValue(k));
    cp.setLevels(given);
  }
  const int n = std::min(
      cp.setLevels(grid, cf.getNum() > 0 ? cf.getNum() : static_cast<int>(palette.size())), 255);
  paint.levels.clear();
  colors = imageplot::CodeColors();
  for (int k = 0; k < n; ++k) {
    paint.levels.push_back(cp.getLevel(k));
    int c = cf.getNum() > 0   ? cf.getColor(k)
            : palette.empty() ? -1
                              : palette[static_cast<size_t>(k) * palette.size() / n];
    if (c < 0) continue;
    RGB& rgb = colors.rgb[k + 1];
    plot.getColorRGB(c, rgb.red, rgb.green, rgb.blue);
    colors.shown[k + 1] = true;
  }
}

int ImagePlot::draw(Plot& plot)
{
  if (!load()) return 0;
  setLevels(plot);
  if (bar) plot.reserveBar();  // under the map, before the picture takes the panel's pixels
  imageplot::Canvas canvas;
  if (canvas.set(plot) && !paint.levels.empty()) {
    imageplot::paintGrid(canvas, grid, paint);
    if (bar) imageplot::setClassBar(plot, paint.levels, colors, grid.getUnits());
    canvas.draw(plot, colors);
  }
  // the picture covers the panel: map lines go over it
  if (map) MapPlot().draw(plot);
  VarPlot::addLabels(plot, grid.getVarSpec(), grid.getInitDate(), zoneText.c_str());
  return 1;
}

void ImagePlot::print()
{
  std::printf("ImagePlot\n");
  file.print();
  std::printf("Grid: %s\nLevels: %zu\nBilinear: %d\n", select.c_str(), paint.levels.size(),
              paint.bilinear ? 1 : 0);
}

}  // namespace KOL
