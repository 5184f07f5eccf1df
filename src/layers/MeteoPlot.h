// The meteogram of one station: its values over time in stacked panels under one time axis in
// the layer's time zone: temperature and dew point, sea-level pressure, wind barbs, sky cover and
// precipitation. The values come from the last num_hour surface files ("sfc_cvt") or, as a
// forecast, from the station's MOS bulletin ("mos_dat"; the precipitation panel then shows the
// 6-hour probability, the temperature panel the forecast maxima and minima). Temperatures are
// in F for MOS guidance and in C for reports unless a key says. Panels without any value are
// left out. The variable list (resource "variable", key va; macros of "meteoplot.var" or the
// resource "var_file") chooses the panels, their order, and each quantity's colour and units.
#pragma once

#include <string>
#include <vector>

#include "core/Filename.h"
#include "core/StrLib.h"
#include "core/Timezone.h"
#include "geo/Rect.h"
#include "graphics/Drawing.h"
#include "layers/meteo/MeteoPanels.h"
#include "layers/meteo/MeteoSeries.h"

namespace KOL {

class MeteoPlot : public Drawing {
 public:
  static constexpr const char* CONVENTION = "sfc_cvt";
  static constexpr const char* MOS_CONVENTION = "mos_dat";
  static constexpr int DEFAULT_HOURS = 24;
  static constexpr const char* DEFAULT_VAR_FILE = "meteoplot.var";
  static constexpr const char* DEFAULT_VARIABLE = "meteo";
  // The diagram's plot units.
  static constexpr float WIDTH = 1000.0f, HEIGHT = 750.0f;

  MeteoPlot() { init(); }

  // Defaults, then the resources model, identifier, num_hour, timezone, color_data, color_grid,
  // color_label, variable, "in_file" (the convention) and parameter.
  void init() override;
  int setFile() override;
  int setNameConv(const char* conv) override;
  int setFilename() override;
  int setFilename(const char* name) override;
  int setFilename(Date& d) override;
  int getDate(Date& d) override;
  int getInitDate(Date& d) override { return getDate(d); }
  // tz=ZONE, cog=grid colour, col=label colour, co=data colours (one, or one a trace separated
  // by ':': temperature, dew point, pressure, wind, sky cover, precipitation), tu=F, tu=C (the
  // temperature units; by default F for MOS guidance, C for reports), va=list or macro name.
  int setParam(const char* params) override;
  void setIdentifier(const char* id) { identifier = id ? id : ""; }
  void setModel(const char* m) { model = m ? m : ""; }
  void setNumHours(int n) { hours = n > 0 ? n : DEFAULT_HOURS; }
  void setVariable(const char* v) { variable = StrLib::valid(v, DEFAULT_VARIABLE); }
  // The diagram domain (plot units WIDTH x HEIGHT).
  int getDomain(Domain& d) override;
  // Reads the station's values from the file found; 0 when no file can be read or the station
  // has no value there.
  int load();
  // 1 when drawn; 0 (one level-3 message) when load fails.
  int draw(Plot& plot) override;
  void print() override;

  const char* getFilename() const { return file.getName(); }
  // What the last read found.
  const MeteoSeries& getSeries() const { return series; }
  // Where a value of a field (in the series' units: C, hPa, kt, fraction, mm or %) at a time
  // goes in the last drawing (missing when the panel is not drawn).
  Point where(MeteoSeries::Field f, long time, float value) const;

  struct Panel {
    MeteoSeries::Field field;
    Rect box;
    float lo, hi, step;
  };
  const std::vector<Panel>& getPanels() const { return panels; }

 private:
  bool mosSource() const;
  int readSurface();
  int readMos(const char* name);
  void choosePanels();
  void layout();
  float xOf(long time) const;
  const char* color(int trace) const;
  bool fahrenheit() const;
  float shown(MeteoSeries::Field f, float value) const;
  std::string title(const Panel& p) const;
  void drawExtremes(Plot& plot) const;
  void drawTotal(Plot& plot, const char* c) const;
  void drawAxes(Plot& plot, const Panel& p) const;
  void drawTimeAxis(Plot& plot) const;
  void drawPanel(Plot& plot, const Panel& p) const;
  void drawLine(Plot& plot, MeteoSeries::Field f, const char* c) const;
  void drawBars(Plot& plot, const Panel& p, MeteoSeries::Field f, const char* c) const;
  void drawWinds(Plot& plot, const Panel& p) const;

  Filename file;
  std::string conv;
  Timezone timezone;
  std::string zoneText;
  std::string identifier, model;
  std::string gridColor, labelColor;
  std::vector<std::string> dataColors;
  std::string tempUnits;  // "F", "C"; empty: by the list, else by the source
  std::string variable;
  MeteoPanels choice;
  int hours;
  MeteoSeries series;
  Date fileDate;
  long t0, t1;
  std::vector<Panel> panels;
};

}  // namespace KOL
