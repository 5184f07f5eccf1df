// The Storm Prediction Center's watch products and the offices' watch notifications: the SAW
// aviation watch (watch box of four corners, "WW nnn TYPE AREAS DDHHMMZ - DDHHMMZ"), the SEL
// public watch (state zones, local valid period, axis), the WWP watch probabilities and the
// WCN watch county notification (UGC and VTEC segments, NWS Instructions 10-1702/10-1703).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "obs/text/TextProduct.h"
#include "obs/text/Ugc.h"
#include "obs/text/WarnSegment.h"

namespace KOL {

class JsonText;

class WatchProduct {
 public:
  WatchProduct() { init(); }
  void init();
  // SAW, SEL, WWP or WCN by the AWIPS identifier, or by the product's first lines when it has
  // none; empty for any other product.
  static std::string kindOf(const TextProduct& p);
  static bool isWatch(const TextProduct& p);
  // 1 when the product's kind and its watch number were read.
  int parse(const TextProduct& p);
  void jsonFields(JsonText& j) const;
  void print() const;

  TextProduct::Heading head;
  std::string product;  // SAW, SEL, WWP, WCN
  int watch_number;
  std::string watch_type;  // "TORNADO", "SEVERE TSTM", "SEVERE THUNDERSTORM"
  bool cancelled;
  // SAW
  std::vector<std::string> areas;
  std::string valid_begin, valid_end;  // DDHHMM
  int half_width_sm;
  std::string orientation;
  std::string axis_from, axis_to;  // SAW end points; SEL line ends
  double hail_in;
  int wind_gust_kt, max_tops_hft, motion_dir, motion_kt;
  std::vector<int> replaces;
  WarnSegment::Points box;
  // SEL
  Ugc ugc;
  int cancels_watch_number;
  bool pds, test, corrected;
  std::string local_from, local_until, local_zone;
  // WWP: label and value as written ("<05" stays text)
  std::vector<std::pair<std::string, std::string>> probabilities, attributes;
  // WCN
  std::vector<WarnSegment> segments;

 private:
  void parseSaw(const std::vector<std::string>& lines);
  void parseSel(const TextProduct& p, const std::vector<std::string>& lines);
  void parseWwp(const std::vector<std::string>& lines);
  void jsonSaw(JsonText& j) const;
  void jsonSel(JsonText& j) const;
  void jsonWwp(JsonText& j) const;
};

}  // namespace KOL
