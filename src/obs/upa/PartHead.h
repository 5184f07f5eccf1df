// The identification groups at the start of an upper-air part: part word, call sign of a ship or
// mobile station, day and hour with the wind-unit flag and indicator, and the station number or
// the position.
#pragma once

#include <string>
#include <string_view>

#include "obs/upa/Groups.h"

namespace KOL {
namespace upa {

class PartHead {
 public:
  int type = 0;             // UpaWmoData type
  int part = 0;             // 1 to 4 for A to D
  bool knots = false;       // speeds in knots, else metres per second
  bool ship = false;        // a UU part or an hour marked as a ship's
  int day = -1, hour = -1;  // from YYGG
  int indicator = SLASH;    // Id of parts A and C, a4 of parts B and D
  std::string station;      // WMO number, or the call sign
  std::string wmo;          // WMO number, "99999" for ships and mobile stations
  float lat, lon;           // the position of ships and mobile stations

  PartHead();
  // Reads the head from the groups; true when it was complete. The groups are left after it.
  bool read(Groups& g);
  bool read(std::string_view text)
  {
    Groups g(text);
    return read(g);
  }
  // The station and time of the head, as a key that parts of one sounding share.
  std::string key() const;

 private:
  bool readPosition(Groups& g);
};

}  // namespace upa
}  // namespace KOL
