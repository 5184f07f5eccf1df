// One surface report as a bulletin reader cuts it out: the station, the report text, the
// bulletin time and the report format and country that the bulletin heading implies. The METAR,
// SAO and SYNOP decoders read it.
#pragma once

#include "core/Date.h"

namespace KOL {

class SfcWmoData {
 public:
  static constexpr int ID_SIZE = 11;
  static constexpr int DATA_SIZE = 401;
  static constexpr int WMO_SIZE = 21;

  enum Format : int {
    METAR = 1,
    SPECI = 2,
    SA = 3,
    SP = 4,
    SYNOP = 5,
    SHIP = 6,
    BUOY = 7,
    DRIBU = 8,
    MOBIL = 9,
    CMAN = 10
  };
  enum Location : int { USA = 1, CANADA = 2, MEXICO = 3 };

  char id[ID_SIZE];
  char data[DATA_SIZE];
  Date date;              // the bulletin time
  int day, hour, minute;  // from the bulletin heading
  int format;
  int location;
  char wmo[WMO_SIZE];  // the bulletin heading, or a WMO block and station number

  SfcWmoData() { init(); }

  void init();
  int setId(const char* s);
  int setData(const char* s);
  int setWmo(const char* s);
  // The bulletin date and the day, hour and minute of its heading.
  void setDate(const Date& d);

  void print() const;
  void printData() const;
};

}  // namespace KOL
