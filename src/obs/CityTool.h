// Station table helpers: finding the table file, scanning it for one station, and the identifier
// conversions and pattern tests that the station hash uses.
#pragma once

#include "obs/CityData.h"

namespace KOL {

class EarthPoint;
class String;
class Strings;

class CityTool {
 public:
  static constexpr const char* DEFAULT_FILE = "sao.cty";

  // The table file: name, or the resource "city_file" (default "sao.cty") when name is null or
  // empty, resolved under the database path. 0 for "none" or a file that does not exist.
  static int getFilename(const char* name, String& out);
  // The first station whose identifier, name or WMO number equals key, ignoring case.
  static int search(const char* file, const char* key, CityData& data);
  static int locate(const char* file, const char* key, EarthPoint& loc);
  static int locate(const char* file, const char* key, float& lat, float& lon);

  // An identifier key: upper case, at most 9 characters. 0 when empty.
  static int toId(const char* text, char* id);
  // A WMO key: five digits, or a letter, a letter or digit and three digits, in upper case.
  // 0 (and an empty key) for anything else, and for "99999".
  static int toWmo(const char* text, char* wmo);
  // Whether a station passes a list of patterns: "st=XX" (state), "co=XX" (country),
  // "wmo=NNNNN" (WMO number prefix), "!pattern" (excluded) or an identifier pattern
  // (StrLib::match). An empty list accepts every station.
  static bool compareData(const Strings& patterns, const CityData& data);
};

}  // namespace KOL
