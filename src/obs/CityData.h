// One line of a station table: the station's name, state and country, identifier, plotting
// priority (0 most important to 9), position, elevation and WMO block/station number.
#pragma once

#include "core/Const.h"

namespace KOL {

class String;

class CityData {
 public:
  static constexpr int NAME_SIZE = 21;
  static constexpr int STATE_SIZE = 3;
  static constexpr int COUNTRY_SIZE = 3;
  static constexpr int ID_SIZE = 10;
  static constexpr int WMO_SIZE = 6;
  static constexpr int DEFAULT_PRIORITY = 9;

  char name[NAME_SIZE];
  char state[STATE_SIZE];
  char country[COUNTRY_SIZE];
  char id[ID_SIZE];
  int priority;
  float lat, lon;  // degrees
  float elev;      // metres
  char wmo[WMO_SIZE];
  int seq;

  CityData() { init(); }

  void init();
  // Reads one table line; 0 for a comment, a blank line or a line without a position.
  int decode(const char* line);
  // The table line (without line break).
  int encode(String& out) const;
  void print() const;
};

}  // namespace KOL
