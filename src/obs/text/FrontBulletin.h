// WPC's coded surface bulletin (CODSUS, "Reading the Coded Surface Bulletin" and its
// high-resolution form): the pressure centres and fronts of a surface analysis (or of a
// forecast, CODSRP). Records start with HIGHS, LOWS, COLD, WARM, OCFNT, STNRY, TROF, DRYLN or
// SQLN and go on over lines that start with a digit. Positions are LLNN[N] (whole degrees) in
// the 1-degree form and LLLNNNN (tenths) in the high-resolution form, longitudes west.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "obs/text/TextProduct.h"

namespace KOL {

class JsonText;

class FrontBulletin {
 public:
  struct Feature {
    std::string type;      // HIGH, LOW, COLD, WARM, OCFNT, STNRY, TROF, DRYLN, SQLN
    int pressure_mb;       // centres; Const::MISS when not given
    std::string strength;  // fronts: WK, MDT, STG or ""
    std::vector<std::pair<double, double>> points;  // latitude, longitude (east positive)
    bool isCentre() const { return type == "HIGH" || type == "LOW"; }
  };

  FrontBulletin() { init(); }
  void init();
  static bool isFronts(const TextProduct& p);
  // 1 when a valid time or any feature was read.
  int parse(const TextProduct& p);
  void jsonFields(JsonText& j) const;
  void print() const;

  TextProduct::Heading head;
  std::string valid;      // MMDDHHZ, or YYYYMMDDHHZ of a forecast
  double resolution_deg;  // 0.1 or 1
  std::vector<Feature> features;

 private:
  void record(const std::vector<std::string_view>& words);
  bool position(std::string_view t, std::pair<double, double>& p) const;
};

}  // namespace KOL
