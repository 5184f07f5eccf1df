// A UGC group (NWS Instruction 10-1702, Universal Geographic Code): "SSFNNN-NNN>NNN-...-DDHHMM-",
// SS a state or marine area, F C (county) or Z (zone); ranges are inclusive, a new SSF prefix
// may come anywhere and is carried to the numbers after it, "000" and "ALL" stand for the whole
// area. The group may wrap over several lines and ends with its expiry, day hour minute UTC.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace KOL {

class Ugc {
 public:
  Ugc() { init(); }
  void init();
  // A line that can start a UGC group.
  static bool isStart(std::string_view line);
  // Reads the group starting at lines[i]; i is left on its last line. 1 when an expiry ended it.
  int parse(const std::vector<std::string_view>& lines, size_t& i);
  bool covers(std::string_view code) const;
  bool empty() const { return codes.empty(); }

  std::vector<std::string> codes;     // "IAC001", ...
  std::string expires;                // DDHHMM
  std::vector<std::string> unparsed;  // tokens that are neither codes nor the expiry

 private:
  void token(std::string_view t, std::string& prefix);
};

}  // namespace KOL
