// Surface reports decoded from filed bulletins or a feed capture (METAR, SPECI, SA and SYNOP, and
// the surface messages of BUFR bulletins),
// gathered into one record per station and observation hour. A station's reports of one hour
// make one record: a correction ("CCx" bulletin or "COR" report) replaces the record of the
// same observation time; any other repeat of that time only fills values the record lacks;
// a later observation in the hour brings its values in over the earlier ones.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/Date.h"
#include "obs/SfcData.h"

namespace KOL {

class SfcWmoData;

class SfcReports {
 public:
  static constexpr long HOUR = 3600;

  // Decodes every report of a bulletin file or capture; reference dates the reports' days.
  // 0 when the file cannot be opened.
  int read(const char* name, const Date& reference);
  // The BUFR surface messages of a file.
  void readBufr(const char* name);
  void add(const SfcData& s, bool correction);
  // One report by its format; false for NIL reports and reports without a station.
  static bool decode(const SfcWmoData& w, SfcData& s);

  // Records by observation hour (seconds since 1970 of the hour).
  const std::map<long, std::vector<SfcData>>& byHour() const { return hours_; }
  int count() const { return count_; }
  // The hour that holds most records; 0 when there is none.
  long busiestHour() const;

 private:
  std::map<long, std::vector<SfcData>> hours_;
  std::map<std::pair<long, std::string>, size_t> index_;
  int count_ = 0;
};

}  // namespace KOL
