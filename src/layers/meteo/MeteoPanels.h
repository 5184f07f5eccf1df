// The panels a meteogram's variable list asks for, top to bottom, and how each quantity is drawn:
// its colour (the item's "co=" token) and its units (the item's units, when they convert from
// the series' own). Temperature and dew point share a panel; a list naming only one of them
// draws only that trace.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "layers/meteo/MeteoSeries.h"

namespace KOL {

class VarList;

struct MeteoTrace {
  bool wanted = false;
  std::string color;  // empty: the layer's default
  std::string units;  // empty: the series' own
  float scale = 1;    // from the series' units to these
};

class MeteoPanels {
 public:
  static constexpr int FIELDS = MeteoSeries::PREC + 1;

  MeteoPanels() { all(); }
  // Every panel in the standard order, default colours and units.
  void all();
  // From an expanded list; false (and every panel) when it names nothing a meteogram draws.
  bool choose(const VarList& list);
  // The field a variable name stands for; -1 for none.
  static int fieldOf(const char* name);
  // The series' units of a field ("" where there are none to convert).
  static const char* nativeUnits(MeteoSeries::Field f);

  std::vector<MeteoSeries::Field> order;  // panel fields (the temperature panel as TEMP)
  std::array<MeteoTrace, FIELDS> traces;

 private:
  void add(MeteoSeries::Field f, const char* units, const char* format);
};

}  // namespace KOL
