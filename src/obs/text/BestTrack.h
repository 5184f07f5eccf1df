// An ATCF a- or b-deck (the Automated Tropical Cyclone Forecast system's comma-separated
// records, NHC's "ATCF data format" description): one record per line and wind threshold -
// basin, cyclone number, YYYYMMDDHH, minutes, technique, tau, position in tenths of a degree,
// intensity, type, wind radii by quadrant and the outer isobar, radius of maximum wind, gusts,
// eye, name. The track is the first record of each time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace KOL {

class JsonText;

class BestTrack {
 public:
  struct Record {
    int line;
    std::string basin;
    int cyclone;
    std::string time;     // YYYYMMDDHH
    std::string minutes;  // the technique-number/minutes field, "" when empty
    std::string tech;
    int tau;
    double lat, lon;  // east positive
    int vmax_kt, mslp_mb;
    std::string type;
    int rad_kt;
    std::string windcode;
    int radii[4];  // NE SE SW NW, nautical miles
    int pouter_mb, router_nm, rmw_nm, gusts_kt, eye_nm;
    std::string name;
    int fields;
  };

  BestTrack() { init(); }
  void init();
  // The whole deck; 1 when it looks like one (its first record reads) and was read.
  int parse(std::string_view text);
  // Indexes into records of the first record of each time (with its minutes).
  std::vector<size_t> track() const;
  void jsonFields(JsonText& j) const;
  void print() const;

  std::vector<Record> records;
  std::vector<int> unparsed;  // line numbers of lines that are no record

 private:
  static bool record(std::string_view line, Record& r);
};

}  // namespace KOL
