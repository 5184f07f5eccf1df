// One segment of a map file: its point count, latitude and longitude range, id and name.
#pragma once

#include "geo/EarthPoint.h"

namespace KOL {

class MapFileHeader {
 public:
  static constexpr int NAME_SIZE = 50;

  int count;
  float lat1, lat2;  // southern, northern limit
  float lon1, lon2;  // western, eastern limit
  int id;
  char name[NAME_SIZE];

  MapFileHeader() { init(); }
  void init();
  void setName(const char* text);
  // The range and count of a list of points.
  void setRange(const EarthPoints& pts);
  // True when the range is a single point.
  bool isPoint() const { return lat1 == lat2 && lon1 == lon2; }
  void print() const;
};

}  // namespace KOL
