// Decodes one TEMP or PILOT part into a station's record: the standard levels of parts A and C,
// the significant levels (and the 21212 wind section) of parts B and D, the wind levels of PILOT
// parts. What cannot be read ends the part and leaves what was read before it.
#pragma once

#include <string_view>

#include "core/Date.h"
#include "obs/upa/Groups.h"
#include "obs/upa/PartHead.h"

namespace KOL {

class UpaLevel;
class UpaRawinData;

namespace upa {

class PartDecoder {
 public:
  PartDecoder(std::string_view text, UpaRawinData& r) : groups_(text), r_(r) {}
  // Decodes the part with day and hour placed relative to the reference date; 0 when its head
  // cannot be read.
  int decode(const Date& reference);

  void decodeStandard();
  void decodeSignificant();
  void decodePilotStandard();
  void decodePilotHeights();

 private:
  void applyHead(const Date& reference);
  // The next group when it is one; empty otherwise (and then it is not taken).
  std::string_view take(const char* trace);
  // The lowest pressure of part A or C that carries a wind group.
  float lastWindPres() const;
  float standardPres(int pp) const;
  bool isNextLevel(float p) const;
  void readTemp(UpaLevel& l);
  void readWind(UpaLevel& l, float max_speed);
  void readSpecial(int pp, int hhh);
  void readSignificantWinds();
  int addMan(const UpaLevel& l);
  // Significant and wind levels; those the record has no room for are counted.
  void keepSig(const UpaLevel& l);
  void keepWnd(const UpaLevel& l);

  Groups groups_;
  UpaRawinData& r_;
  PartHead head_;
  bool debug_ = false;
  int dropped_ = 0;
};

}  // namespace upa
}  // namespace KOL
