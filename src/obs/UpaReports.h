// Upper-air reports of files gathered into one parts record per station and time: the TEMP and
// PILOT parts of text bulletins and the soundings of BUFR messages (category 2) in the same
// files. Text parts give the launch hour or the nominal hour; a BUFR sounding joins the record
// of either, so that its extra levels fill the text sounding.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "obs/UpaRawinData.h"

namespace KOL {

class BufrMessage;
class Date;
class UpaWmoData;

class UpaReports {
 public:
  // Every part and BUFR sounding of a file; reference dates the parts' days. who, when given,
  // names the program in the one-line warning about a part without station or time. 0 when the
  // file cannot be opened.
  int read(const char* name, const Date& reference, const char* who = nullptr);
  // 0 when the part has no station or time.
  int add(const UpaWmoData& part);
  // 0 when the subset is no sounding with a station and a time.
  int add(const BufrMessage& m, int subset);
  // Places each record with a WMO number by the station table (its identifier, position and
  // elevation); the number of records placed.
  int locate(const char* cityFile);
  // Keeps the records of the date most of them have (a synoptic hour); their number.
  int keepCommonDate();
  // Writes the records, sorted, to an own upper-air file dated by the first; 0 on failure.
  int write(const char* name);
  std::vector<UpaRawinData>& records() { return records_; }
  const std::vector<UpaRawinData>& records() const { return records_; }

 private:
  UpaRawinData& record(const std::string& key);

  std::map<std::string, size_t> index_;
  std::vector<UpaRawinData> records_;
};

}  // namespace KOL
