// An H-VTEC string of the flood products (NWS Instruction 10-1703):
// "/nwsli.s.ic.yymmddThhnnZ.yymmddThhnnZ.yymmddThhnnZ.fr/" - location id, flood severity,
// immediate cause, flood begin, crest and end, flood record status.
#pragma once

#include <string>
#include <string_view>

namespace KOL {

class HydroVtec {
 public:
  HydroVtec() { init(); }
  void init();
  // 1 when the text (leading blanks allowed) starts with an H-VTEC string.
  int parse(std::string_view text);
  void print() const;

  std::string raw, nwsli, severity, cause, begin, crest, end, record;
};

}  // namespace KOL
