// Draws station values one at a time, each at its projected station, offset and aligned by its
// attribute text so that the values of one station form a station model: numbers and texts
// around the station, markers, the cloud-cover circle, wind barbs and vectors, storm tracks,
// weather symbols and lines between successive data. Values can be coloured by a colour fill.
#pragma once

#include "geo/Point.h"
#include "graphics/CloudPlot.h"
#include "graphics/ColorFill.h"
#include "graphics/WindPlot.h"
#include "layers/DatumAttr.h"

#include <string>

namespace KOL {

class Datum;
class EarthPoint;
class Plot;

class DatumPlot {
 public:
  static constexpr int FORMAT_SIZE = 10;

  DatumPlot() { init(); }

  // Defaults, then the resources "plot_scale", "plot_type", "color_table", "color_fill",
  // "con_interval", "con_base", "color_data", "format" and "parameter".
  void init();
  // Comma-separated keys: sc= plot scale, ty= type, ct= colour table, cof= colour fill,
  // co= colour, fm= value format.
  int setParam(const char* params);
  // 1 data, 2 value, 3 text, 4 mark ...; the text form takes "text", "mark", "data" and the
  // other type keywords, or a number.
  int setType(int t);
  int setType(const char* name);
  int getType() const { return type; }
  // The default attribute, parsed over the standard one.
  int setAttr(const char* text);
  DatumAttr& getAttr() { return attr; }
  const DatumAttr& getAttr() const { return attr; }
  int setFormat(const char* fmt);
  const char* getFormat() const { return format; }
  int setScale(float s);
  float getScale() const { return plot_scale; }
  int setColor(const char* name);
  int setColorTable(const char* files);
  int setColorFill(const char* text);
  int setInterval(float f);
  int setBase(float f);
  // Forgets the point a "line" datum would continue from.
  void resetLine();
  void print() const;

  // One datum at its station. Returns 1.
  int draw(Plot& plot, Datum& d);
  // A datum built from a location, type, value(s) or text, and attribute text.
  int draw(Plot& plot, const EarthPoint& loc, int type, float value, const char* attr);
  int draw(Plot& plot, const EarthPoint& loc, int type, float v0, float v1, const char* attr);
  int draw(Plot& plot, const EarthPoint& loc, int type, const char* text, const char* attr);
  int draw(Plot& plot, const EarthPoint& loc, int type, float value, const char* text,
           const char* attr);

 private:
  struct Look;
  Look resolve(const DatumAttr& own, const Datum& d, Plot& plot) const;
  void rebuildColors(Plot& plot);
  void applyLook(Plot& plot, const Look& look, const DatumAttr& own, const Datum& d);
  int drawValue(Plot& plot, const Look& look, const Datum& d, const DatumAttr& own);
  int drawText(Plot& plot, const Look& look, const Datum& d);
  int drawWind(Plot& plot, const Look& look, const Datum& d);
  int drawVector(Plot& plot, const Look& look, const Datum& d);
  int drawTrack(Plot& plot, const Look& look, const Datum& d, const DatumAttr& own);
  int drawLine(Plot& plot, const Point& at, const Datum& d);
  const char* valueFormat(const DatumAttr& own) const;
  int colorByValue(Plot& plot, float v) const;

  int type;
  char format[FORMAT_SIZE];
  DatumAttr attr;
  float plot_scale;
  std::string color_table;
  std::string color_fill;
  ColorFill fill;
  bool coloring;
  bool rebuild;
  Point last;
  bool pending_line;
  WindPlot wind;
  CloudPlot cloud;
};

}  // namespace KOL
