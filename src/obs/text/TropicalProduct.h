// The tropical cyclone forecast/advisory (TCM) of the National Hurricane Center and the Central
// Pacific Hurricane Center (NWS Instruction 10-604 product): storm, advisory, centre with its
// motion, pressure, winds and wind radii (34, 50 and 64 kt, nautical miles by quadrant), the
// 12-ft seas radii, the previous position, and the forecast and outlook points.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "obs/text/TextProduct.h"

namespace KOL {

class JsonText;

class TropicalProduct {
 public:
  // Largest radius per quadrant NE, SE, SW, NW, by wind speed ("34", "50", "64"), in order read.
  using Radii = std::vector<std::pair<std::string, std::vector<int>>>;
  struct Fix {
    bool set = false;
    double lat = 0, lon = 0;  // east positive; unset for a dissipated point
    bool located = false;
    int day = 0;
    std::string hhmm;
    std::string valid;  // ISO UTC
  };
  struct Forecast {
    std::string kind;  // FORECAST or OUTLOOK
    Fix fix;
    std::string remark;
    int max_wind_kt, gust_kt;
    Radii radii;
  };

  TropicalProduct() { init(); }
  void init();
  // TCM by the AWIPS identifier, ZCZC id or headline.
  static bool isTropical(const TextProduct& p);
  // 1 when the headline and the centre were read.
  int parse(const TextProduct& p);
  void jsonFields(JsonText& j) const;
  void print() const;

  TextProduct::Heading head;
  int advisory_number;
  bool special, corrected;
  std::string storm_name, storm_type, atcf_id;
  std::string issued_hhmm;
  int issued_month, issued_day, issued_year;
  Fix center, previous;
  int accuracy_nm;
  bool stationary, has_movement;
  int toward_deg, speed_kt;
  int pressure_mb, eye_nm, max_wind_kt, gust_kt;
  Radii radii;
  int seas_ft;
  std::vector<int> seas;
  std::vector<Forecast> forecasts;

 private:
  void headline(std::string_view line);
  bool issuance(std::string_view line);
  bool fix(std::string_view text, Fix& f) const;
  void line(std::string_view l);
};

}  // namespace KOL
