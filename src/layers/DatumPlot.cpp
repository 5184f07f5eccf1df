#include "layers/DatumPlot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "geo/EarthPoint.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorMap.h"
#include "graphics/Plot.h"
#include "graphics/PlotAttr.h"
#include "layers/datum/ValueFormat.h"
#include "obs/Datum.h"

namespace KOL {

namespace {

// Sizes as fractions of the datum size s.
constexpr float TEXT_SIZE = 0.018f;
constexpr float CLOUD_SIZE = 0.01f;
constexpr float BARB_LENGTH = 0.05f;
constexpr float CALM_SIZE = 0.003f;
constexpr float CLOUD_CALM_SIZE = 0.013f;
constexpr float STATION_SIZE = 0.003f;
constexpr float STATION_CALM_SIZE = 0.006f;
constexpr float SYMBOL_SIZE = 0.03f;
constexpr float TRACK_HEAD = 0.1f;
constexpr float KM_PER_KNOT = 1.852f;
constexpr const char* DEFAULT_FORMAT = "%1.0f";
// Storm tracks longer than two days are forecasts nobody draws as one arrow.
constexpr float MAX_TRACK_HOURS = 48.0f;

bool set(float v) { return DatumAttr::isSet(v); }
bool set(int v) { return DatumAttr::isSet(v); }
float pick(float own, float def) { return set(own) ? own : def; }
int pick(int own, int def) { return set(own) ? own : def; }
const char* pick(const char* own, const char* def) { return own && *own ? own : def; }

// A resource's value; null when it is missing or empty.
const char* resource(const char* name)
{
  const char* v = Kol::resrc.get(name);
  return v && *v ? v : nullptr;
}

}  // namespace

// Every setting of one datum: its own attribute laid over the plotter's default.
struct DatumPlot::Look {
  int type;
  int mark;
  float size;    // s: the datum's size in plot units
  float height;  // text height and marker size
  float expansion;
  EarthPoint loc;
  Point station;  // projected
  Point at;       // offset by the attribute's position
  const char* color;
};

void DatumPlot::init()
{
  type = DatumAttr::DATA;
  format[0] = '\0';
  attr.init();
  attr.scale = 1.0f;
  attr.dx = attr.dy = 0.0f;
  attr.halign = 2;
  attr.valign = 3;
  attr.weight = attr.height = attr.expansion = 1.0f;
  attr.width = 0.0f;
  attr.shadow = attr.skip = 0;
  attr.setColor("green");
  attr.setFont("modern.fnt");
  attr.setSymbol("wx.smb");
  plot_scale = 1.0f;
  color_table.clear();
  color_fill.clear();
  fill.init();
  coloring = false;
  rebuild = true;
  resetLine();

  if (const char* t = resource("plot_scale")) setScale(static_cast<float>(std::atof(t)));
  if (const char* t = resource("plot_type")) setType(t);
  if (const char* t = resource("color_table")) setColorTable(t);
  if (const char* t = resource("color_fill")) setColorFill(t);
  if (const char* t = resource("con_interval")) setInterval(static_cast<float>(std::atof(t)));
  if (const char* t = resource("con_base")) setBase(static_cast<float>(std::atof(t)));
  if (const char* t = resource("color_data")) setAttr(t);
  if (const char* t = resource("format")) setFormat(t);
  if (const char* t = resource("parameter")) setParam(t);
}

int DatumPlot::setParam(const char* params)
{
  if (!params) return 0;
  const std::string s(params);
  for (size_t start = 0; start <= s.size();) {
    size_t end = s.find(',', start);
    if (end == std::string::npos) end = s.size();
    const std::string token = s.substr(start, end - start);
    const char* t = token.c_str();
    if (StrLib::iequal(t, "sc", 2))
      setScale(static_cast<float>(std::atof(StrLib::valueOf(t, 2))));
    else if (StrLib::iequal(t, "ty", 2))
      setType(StrLib::valueOf(t, 2));
    else if (StrLib::iequal(t, "ct", 2))
      setColorTable(StrLib::valueOf(t, 2));
    else if (StrLib::iequal(t, "cof", 3))
      setColorFill(StrLib::valueOf(t, 3));
    else if (StrLib::iequal(t, "co=", 3))
      setColor(t + 3);
    else if (StrLib::iequal(t, "fm", 2))
      setFormat(StrLib::valueOf(t, 2));
    start = end + 1;
  }
  return 1;
}

int DatumPlot::setType(int t) { return type = t, 1; }

int DatumPlot::setType(const char* name)
{
  if (!name || !*name) return 0;
  if (const int t = DatumAttr::typeCode(name)) return setType(t);
  char* end = nullptr;
  const long t = std::strtol(name, &end, 10);
  return end != name ? setType(static_cast<int>(t)) : 0;
}

int DatumPlot::setAttr(const char* text)
{
  rebuild = true;
  return attr.parse(text);
}

int DatumPlot::setFormat(const char* fmt) { return StrLib::copy(format, FORMAT_SIZE, fmt), 1; }

int DatumPlot::setScale(float s)
{
  if (!(s > 0)) return 0;
  plot_scale = s;
  return 1;
}

int DatumPlot::setColor(const char* name)
{
  rebuild = true;
  return attr.setColor(name);
}

int DatumPlot::setColorTable(const char* files)
{
  color_table = files ? files : "";
  rebuild = true;
  return 1;
}

int DatumPlot::setColorFill(const char* text)
{
  color_fill = text ? text : "";
  rebuild = true;
  return 1;
}

int DatumPlot::setInterval(float f)
{
  fill.setInterval(f);
  rebuild = true;
  return 1;
}

int DatumPlot::setBase(float f)
{
  fill.setBase(f);
  rebuild = true;
  return 1;
}

void DatumPlot::resetLine()
{
  last.init();
  pending_line = false;
}

void DatumPlot::print() const
{
  std::printf("DatumPlot type: %d format: %s scale: %f\n", type, format, plot_scale);
  std::printf("Color table: %s fill: %s interval: %f base: %f coloring: %d\n", color_table.c_str(),
              color_fill.c_str(), fill.getInterval(), fill.getBase(), coloring ? 1 : 0);
  attr.print();
}

// ---- drawing ----

void DatumPlot::rebuildColors(Plot& plot)
{
  rebuild = false;
  if (!color_table.empty()) {
    ColorMap map;
    if (ColorFile::read(color_table.c_str(), map))
      plot.setColorMap(map);
    else
      Kol::outWarning("DatumPlot: unable to read colour table %s\n", color_table.c_str());
  }
  const float interval = fill.getInterval(), base = fill.getBase();
  fill.init();
  fill.setInterval(interval);
  fill.setBase(base);
  fill.set(plot.getColorMap(), color_fill.c_str());
  const bool regular = set(interval) && interval > 0 && set(base);
  coloring = fill.getNum() > 0 && (regular || fill.isValues());
}

DatumPlot::Look DatumPlot::resolve(const DatumAttr& own, const Datum& d, Plot& plot) const
{
  Look look;
  look.type = set(own.type) ? own.type : d.type > 0 && set(d.type) ? d.type : type;
  look.mark = pick(own.mark, attr.mark);
  look.size = pick(own.scale, attr.scale) * plot_scale * plot.getVert();
  look.height = look.size * pick(own.height, attr.height) * TEXT_SIZE;
  look.expansion = pick(own.expansion, attr.expansion);
  look.loc = d.loc;
  look.station.init();
  if (!look.loc.isMiss()) plot.getDomain().tran(look.loc, look.station);
  look.at = look.station;
  if (!look.at.isMiss())
    look.at.offset(look.size * pick(own.dx, attr.dx), look.size * pick(own.dy, attr.dy));
  look.color = pick(own.color, attr.color);
  return look;
}

void DatumPlot::applyLook(Plot& plot, const Look& look, const DatumAttr& own, const Datum& d)
{
  if (rebuild) rebuildColors(plot);
  plot.setTextAlign(pick(own.halign, attr.halign), pick(own.valign, attr.valign));
  plot.setTextHeight(look.height);
  plot.setTextExpansion(look.expansion);
  const float weight = pick(own.weight, attr.weight);
  plot.setTextWeight(weight);
  plot.setMarkWeight(weight);
  plot.setMarkSize(look.height);
  const float width = pick(own.width, attr.width);
  if (set(width)) plot.setLineWidth(width);
  plot.setFont(pick(own.font, attr.font));
  plot.getGraph().setDropShadow(pick(own.shadow, attr.shadow));
  // one look-up of the name for all four (station plots have thousands of values)
  const int color = plot.getColorValue(look.color);
  plot.setLineColor(color);
  plot.setTextColor(color);
  plot.setMarkColor(color);
  plot.setFillColor(color);
  // numbers and texts take their colour from their value when a colour fill says so
  const bool byValue =
      look.type == DatumAttr::DATA || look.type == DatumAttr::VALUE || look.type == DatumAttr::TEXT;
  if (coloring && byValue && !own.color[0] && !Const::isMiss(d.getValue(0))) {
    const int c = colorByValue(plot, d.getValue(0));
    plot.setTextColor(c);
    plot.setMarkColor(c);
  }
  if (const char* sym = pick(own.symbol, attr.symbol)) plot.getGraph().setSymbol(sym);
}

int DatumPlot::colorByValue(Plot& plot, float v) const
{
  const int c = fill.getColor(v);
  return c >= 0 ? c : plot.getTextColor();
}

int DatumPlot::draw(Plot& plot, Datum& d)
{
  EarthPoint e = d.loc;
  Point p;
  if (!e.isMiss()) plot.getDomain().tran(e, p);
  if (pending_line) {
    if (!last.isMiss() && !p.isMiss()) plot.drawLine(last, p);
    pending_line = false;
  }
  const DatumAttr own(d.format);
  const Look look = resolve(own, d, plot);
  applyLook(plot, look, own, d);

  switch (look.type) {
    case DatumAttr::DATA:
    case DatumAttr::VALUE:
      drawValue(plot, look, d, own);
      break;
    case DatumAttr::TEXT:
      if (d.getData()[0]) plot.drawText(look.at, d.getData());
      break;
    case DatumAttr::MARK:
      plot.setMarkType(PlotAttr::parseMarker(d.getData()));
      plot.drawMark(look.at);
      break;
    case DatumAttr::CLOUD:
      cloud.draw(plot, look.at, StrLib::equal(d.getData(), "OBX") ? 'X' : d.getData()[0],
                 look.size * CLOUD_SIZE);
      break;
    case DatumAttr::WBARB:
    case DatumAttr::CBARB:
    case DatumAttr::DBARB:
      drawWind(plot, look, d);
      break;
    case DatumAttr::VECT:
    case DatumAttr::AVECT:
      drawVector(plot, look, d);
      break;
    case DatumAttr::TRACK:
      drawTrack(plot, look, d, own);
      break;
    case DatumAttr::SYMB:
      if (d.getData()[0]) plot.drawSymbol(look.at, d.getData(), look.size * SYMBOL_SIZE);
      break;
    case DatumAttr::LINE:
      drawLine(plot, look.at, d);
      break;
    default:
      break;
  }
  last = look.at;
  return 1;
}

const char* DatumPlot::valueFormat(const DatumAttr& own) const
{
  return pick(format, pick(own.format, pick(attr.format, DEFAULT_FORMAT)));
}

int DatumPlot::drawValue(Plot& plot, const Look& look, const Datum& d, const DatumAttr& own)
{
  const float v = d.getValue(0);
  const bool marker = set(look.mark);
  if (Const::isMiss(v)) {
    const bool formatted = format[0] || own.format[0] || attr.format[0];
    if (look.type != DatumAttr::DATA || formatted || marker || !d.getData()[0]) return 0;
    return plot.drawText(look.at, d.getData());
  }
  if (look.type == DatumAttr::DATA && marker) {
    plot.setMarkType(look.mark);
    return plot.drawMark(look.at);
  }
  return plot.drawText(look.at, datum::formatValue(valueFormat(own), v).c_str());
}

int DatumPlot::drawWind(Plot& plot, const Look& look, const Datum& d)
{
  const float s = look.size;
  if (look.type == DatumAttr::DBARB) wind.drawCalm(plot, look.at, s * STATION_SIZE);
  float dir = d.getValue(0), speed = d.getValue(1);
  if (Const::isMiss(speed) || Const::isMiss(dir)) return 0;
  if (speed == 0) {
    const float calm = look.type == DatumAttr::WBARB   ? CALM_SIZE
                       : look.type == DatumAttr::CBARB ? CLOUD_CALM_SIZE
                                                       : STATION_CALM_SIZE;
    return wind.drawCalm(plot, look.at, s * calm);
  }
  if (dir < 0) return 0;
  dir = plot.getDomain().adjustDir(dir, look.loc);
  if (look.loc.lat < 0) speed = -speed;
  const float offset = look.type == DatumAttr::WBARB   ? 0.0f
                       : look.type == DatumAttr::CBARB ? s * CLOUD_SIZE
                                                       : s * STATION_SIZE;
  return wind.drawBarb(plot, look.at, dir, speed, s * BARB_LENGTH, offset);
}

int DatumPlot::drawVector(Plot& plot, const Look& look, const Datum& d)
{
  const float s = look.size;
  const float speed = d.getValue(1);
  float dir = d.getValue(0);
  if (Const::isMiss(speed) || Const::isMiss(dir)) return 0;
  if (look.type == DatumAttr::AVECT && speed == 0)
    return wind.drawCalm(plot, look.at, s * STATION_CALM_SIZE);
  if (!(speed > 0) || dir < 0) return 0;
  dir = plot.getDomain().adjustDir(dir, look.loc);
  if (look.type == DatumAttr::VECT)
    return wind.drawVector(plot, look.at, dir, speed * KM_PER_KNOT / 100.0f, s * BARB_LENGTH,
                           look.expansion);
  return wind.drawVector(plot, look.at, dir, speed, s * KM_PER_KNOT * BARB_LENGTH, -look.expansion);
}

int DatumPlot::drawTrack(Plot& plot, const Look& look, const Datum& d, const DatumAttr& own)
{
  const float speed = d.getValue(1);
  float dir = d.getValue(0);
  if (Const::isMiss(speed) || Const::isMiss(dir) || !(speed > 0) || dir < 0) return 0;
  const Domain& dom = plot.getDomain();
  dir = dom.adjustDir(dir, look.loc);
  const float factor = dom.getMapFactor(look.loc);
  if (Const::isMiss(dir) || Const::isMiss(factor)) return 0;
  // the distance covered in the hours given as the maximum (two without one), in map units
  float hours = pick(own.max, attr.max);
  const float distance = speed * KM_PER_KNOT * factor;
  const bool timed = set(hours) && hours > 0;
  if (timed) hours = std::min(hours, MAX_TRACK_HOURS);
  const float length = timed ? distance * hours / 100.0f : 2.0f * distance / 100.0f;
  const int marks = timed ? static_cast<int>(hours) : 0;
  return wind.drawTrack(plot, look.at, dir, length, marks, look.size * TRACK_HEAD);
}

int DatumPlot::drawLine(Plot& plot, const Point& at, const Datum& d)
{
  if (StrLib::iequal(d.getData(), "pre")) {
    if (last.isMiss() || at.isMiss()) return 0;
    return plot.drawLine(last, at);
  }
  if (StrLib::iequal(d.getData(), "post")) {
    pending_line = true;
    return 0;
  }
  if (Const::isMiss(d.getValue(0)) || Const::isMiss(d.getValue(1)) || at.isMiss()) return 0;
  EarthPoint to(d.getValue(0), d.getValue(1));
  Point end;
  if (!plot.getDomain().tran(to, end) || end.isMiss()) return 0;
  return plot.drawLine(at, end);
}

int DatumPlot::draw(Plot& plot, const EarthPoint& loc, int t, float value, const char* a)
{
  Datum d;
  d.set(loc, t, value);
  d.setFormat(a);
  return draw(plot, d);
}

int DatumPlot::draw(Plot& plot, const EarthPoint& loc, int t, float v0, float v1, const char* a)
{
  Datum d;
  d.set(loc, t, v0, v1);
  d.setFormat(a);
  return draw(plot, d);
}

int DatumPlot::draw(Plot& plot, const EarthPoint& loc, int t, const char* text, const char* a)
{
  Datum d;
  d.set(loc, t, text, a);
  return draw(plot, d);
}

int DatumPlot::draw(Plot& plot, const EarthPoint& loc, int t, float value, const char* text,
                    const char* a)
{
  Datum d;
  d.set(loc, t, text, a);
  d.setValue(0, value);
  return draw(plot, d);
}

}  // namespace KOL
