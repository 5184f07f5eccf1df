// MOS text bulletins of the Meteorological Development Laboratory (the bulletin formats of the
// NWS Technical Procedures Bulletins for GFS MOS (MAV), NAM MOS (MET), extended GFS MOS (MEX)
// and ECMWF MOS (ECS), and the LAMP bulletins of the same cards): one block per station,
// headed "SSSS MODEL MOS GUIDANCE M/DD/YYYY HHMM UTC", an HR line of valid hours (MEX: an FHR
// line of forecast hours), then one line per element whose values end under their column. NOAAPort
// copies start each station line with a record separator (0x1E).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "obs/text/TextProduct.h"

namespace KOL {

class JsonText;

class MosBulletin {
 public:
  struct Value {
    bool present = false;
    bool numeric = false;
    int number = 0;
    std::string text;  // as written: "OV", "2/ 0", "RS"
  };
  struct Row {
    std::string element;  // TMP, DPT, X/N, CLD, T06, ...
    std::vector<Value> values;
    std::vector<int> after;  // MEX: the climate normals after the last column
  };
  struct Station {
    std::string id, raw_id, model;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;  // the model run
    std::vector<int> hours;                                  // forecast hours of the columns
    std::vector<size_t> ends;                                // where each column ends in its lines
    std::vector<Row> rows;
    // The value of an element at a column; null when absent.
    const Value* find(std::string_view element, size_t column) const;
    std::string validIso(size_t column) const;
  };

  MosBulletin() { init(); }
  void init();
  static bool isMos(const TextProduct& p);
  // 1 when at least one station block was read.
  int parse(const TextProduct& p);
  void jsonFields(JsonText& j) const;
  void print() const;

  TextProduct::Heading head;
  std::vector<Station> stations;

 private:
  bool header(std::string_view line);
  void columns(std::string_view line, bool forecast_hours);
  void row(std::string_view line);
};

}  // namespace KOL
