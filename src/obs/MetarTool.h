// Decodes METAR and SPECI reports into surface records. Decoding is tolerant: groups that are
// not recognised are skipped or kept as words of the record's comment, and only a NIL report
// fails. Flag bits set in the record: 1 the report has remarks, 2 temperature and dew point
// come from the precise remark group.
#pragma once

namespace KOL {

class SfcData;
class SfcWmoData;

class MetarTool {
 public:
  static constexpr int FLAG_REMARKS = 1;
  static constexpr int FLAG_PRECISE_TEMP = 2;

  // One report cut from a bulletin; 0 for a NIL report (type 0), else 1.
  static int decode(const SfcWmoData& report, SfcData& out);
  // Bare report text (at most 400 characters). The bulletin time is now and the country rules
  // follow the station: US for K, PA, PH, PG, PK, PT, TJ and TI stations, Canada for C.
  static int decode(const char* text, SfcData& out);

  // The country code (SfcWmoData::USA, CANADA, or 0) of a station identifier.
  static int locationOf(const char* station);
};

}  // namespace KOL
