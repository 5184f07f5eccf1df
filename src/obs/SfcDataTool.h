// Station values by name: turns a surface report into one Datum for a variable such as "temp",
// "wbrb", "thetae" or "fr", copying the reported fields or deriving the quantity with the
// thermodynamic functions, always in the units getUnits names.
#pragma once

#include "obs/Calc.h"

namespace KOL {

class Datum;
class SfcData;
class VarSpec;

class SfcDataTool {
 public:
  // The units of a variable name (any case); "" for codes and texts, null for unknown names.
  static const char* getUnits(const char* name);
  static bool isVariable(const char* name) { return getUnits(name) != nullptr; }

  // Fills d with the station, its location and the value(s) or text of the variable
  // a VarSpec names, and its format. 1 when the name was recognised. A caller computing many
  // stations passes one Warnings to all calls, so that each kind of bad value is printed once.
  static int compute(const SfcData& s, const VarSpec& spec, Datum& d,
                     Calc::Warnings* warn = nullptr);
  static int compute(const SfcData& s, const char* name, Datum& d, Calc::Warnings* warn = nullptr);

  // Station pressure (hPa) from the altimeter setting, or from the sea-level pressure when
  // there is no altimeter setting, and the elevation.
  static float stationPres(const SfcData& s, Calc::Warnings* warn = nullptr);
  // Flight category 0 VFR, 1 MVFR, 2 IFR, 3 LIFR, and its name.
  static int flightCategory(const SfcData& s);
  static const char* flightCategoryName(int category);
  // The total cloud cover in percent from the summary cover.
  static float totalCover(const SfcData& s);
};

}  // namespace KOL
