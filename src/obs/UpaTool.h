// Upper-air operations on records: decoding TEMP and PILOT parts into a station's record,
// merging the record into one ordered sounding, station locations from the station table, and
// the printed forms of soundings.
#pragma once

#include <string>
#include <string_view>

namespace KOL {

class UpaData;
class UpaLevel;
class UpaRawinData;
class UpaWmoData;

class UpaTool {
 public:
  // Adds one part to the record of its station; 0 when the part's head cannot be read (what was
  // decoded before stays). Day and hour are placed relative to the bulletin date.
  static int decode(const UpaWmoData& part, UpaRawinData& r);
  // The same for a text beginning with the part word; the reference date is the record's date,
  // or now when it has none.
  static int decode(std::string_view text, UpaRawinData& r);
  static int decodeTTAA(std::string_view text, UpaRawinData& r);
  static int decodeTTBB(std::string_view text, UpaRawinData& r);
  static int decodePPAA(std::string_view text, UpaRawinData& r);
  static int decodePPBB(std::string_view text, UpaRawinData& r);
  // The station and observation day and hour of a part ("72403 0612"): parts with the same key
  // belong to one sounding. Empty when the part's head cannot be read.
  static std::string partKey(std::string_view text);

  // The record's levels as one sounding ordered by pressure, with heights computed; 0 when the
  // record has no level with a pressure or a height.
  static int merge(const UpaRawinData& r, UpaData& out);

  // Location and identifier from the station table (see CityTool::getFilename for file), by
  // key or, when key is empty, by the record's WMO number; 0 when the station is not found.
  static int getStation(const char* file, const char* key, UpaRawinData& r);
  static int getStation(const char* file, const char* key, UpaData& d);

  static void printLocate(const UpaData& d);
  static void printLevel(const UpaLevel& l);
  static void printTable(const UpaData& d);
  static void printWind(const UpaData& d);
  static void printWindLevel(const UpaLevel& l);
};

}  // namespace KOL
