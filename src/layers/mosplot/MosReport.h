// One station's MOS guidance at one forecast hour seen as a surface report, so that station
// models and analyses are drawn from it as from observations: temperatures, wind, sky cover
// with the ceiling and visibility categories, and the extreme temperature. An element the
// surface tools do not know (p12, t06, cig, typ...) is plotted as the guidance writes it.
#pragma once

#include "obs/SfcData.h"
#include "obs/text/MosBulletin.h"

namespace KOL {

class Datum;
class VarSpec;

namespace mosplot {

struct MosReport {
  const MosBulletin::Station* station = nullptr;
  size_t column = 0;
  SfcData sfc;

  // The report of a station's column placed at lat, lon.
  MosReport(const MosBulletin::Station& s, size_t column, float lat, float lon);
  // The value of a variable: a surface quantity when the surface tools know its name, else the
  // MOS element of that name (case ignored). 0 when the report has none.
  int compute(const VarSpec& spec, Datum& d) const;
};

}  // namespace mosplot
}  // namespace KOL
