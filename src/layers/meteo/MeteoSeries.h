// One station's values over time as a meteogram draws them, from surface reports or from MOS
// guidance: temperature and dew point (C), sea-level pressure (hPa), wind (degrees, knots), sky
// cover (fraction) and precipitation (mm, or for MOS the 6- or 12-hour probability in %), and
// MOS maximum and minimum temperatures (C).
#pragma once

#include <string>
#include <vector>

#include "core/Const.h"
#include "obs/text/MosBulletin.h"

namespace KOL {

class SfcData;

struct MeteoSample {
  long time;  // UTC seconds
  float temp, dewp, pres, wdir, wspd, cover, prec;
  float extreme = Const::FMISS;  // MOS maximum or minimum temperature ending here (C)
  bool maximum = false;
};

class MeteoSeries {
 public:
  enum Field : int { TEMP, DEWP, PRES, WIND, COVER, PREC };

  // The station's report; 0 (and nothing kept) for another station's.
  int addReport(const SfcData& s);
  // Every column of a MOS station block.
  int addMos(const MosBulletin::Station& s);
  // Sorted by time, one sample a time (the later report wins).
  void finish();
  bool has(Field f) const;
  static float value(const MeteoSample& s, Field f);
  bool empty() const { return samples.empty(); }
  bool hasExtremes() const;
  // The precipitation summed over the series (mm; missing without any amount).
  float totalPrecipitation() const;

  std::string station;       // the identifier asked for; set to the one found
  std::string source;        // "Surface reports", "GFS MOS"
  bool probability = false;  // precipitation is a probability (MOS)
  int precHours = 1;         // the period a precipitation value covers, up to its time
  std::vector<MeteoSample> samples;

 private:
  void addExtremes(const MosBulletin::Station& s, long run);
};

}  // namespace KOL
