// One segment of a warning, watch notification or follow-up statement (NWS Instruction
// 10-1701): the lines up to "$$" with their UGC group, P-VTEC and H-VTEC lines, the storm-based
// warning polygon "LAT...LON" and the storm's "TIME...MOT...LOC" (NWS Instruction 10-511 and the
// warning directives). Coordinates are hundredths of a degree with west longitudes written
// positive; WFO Guam (PGUM) writes its east longitudes the same way.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "obs/text/HydroVtec.h"
#include "obs/text/Ugc.h"
#include "obs/text/Vtec.h"

namespace KOL {

class JsonText;

class WarnSegment {
 public:
  using Points = std::vector<std::pair<double, double>>;  // latitude, longitude (east positive)

  WarnSegment() { init(); }
  void init();
  // Reads lines[from, to); east: the office writes east longitudes. 1 when the segment has a
  // UGC group, a VTEC line or a polygon.
  int parse(const std::vector<std::string_view>& lines, size_t from, size_t to, bool east);
  void json(JsonText& j) const;
  void print() const;

  bool has_ugc;
  Ugc ugc;
  std::vector<Vtec> vtec;
  std::vector<HydroVtec> hvtec;
  bool has_polygon;
  Points polygon;           // open: the first point is not repeated
  bool odd_count;           // an odd count of numbers: the last was dropped
  bool has_motion;          // TIME...MOT...LOC
  std::string motion_time;  // hhmm UTC
  bool time_without_z;
  int direction;  // degrees the storm moves from
  int speed;      // knots
  Points motion_points;
  bool values_on_next_line;

 private:
  size_t polygonAt(const std::vector<std::string_view>& lines, size_t i, size_t to, bool east);
  size_t motionAt(const std::vector<std::string_view>& lines, size_t i, size_t to,
                  std::string_view rest, bool east);
};

}  // namespace KOL
