// One upper-air part as a bulletin reader cuts it out: the station it belongs to, the part's text
// from its part word on, the bulletin time and heading, and the kind of part.
#pragma once

#include <string>
#include <string_view>

#include "core/Date.h"

namespace KOL {

class UpaWmoData {
 public:
  static constexpr int ID_SIZE = 11;
  static constexpr int WMO_SIZE = 21;

  // Part kinds: TEMP land, PILOT land, TEMP ship, TEMP mobile, parts A to D each.
  enum Type : int {
    NONE = 0,
    TTAA = 1,
    TTBB = 2,
    TTCC = 3,
    TTDD = 4,
    PPAA = 5,
    PPBB = 6,
    PPCC = 7,
    PPDD = 8,
    UUAA = 9,
    UUBB = 10,
    UUCC = 11,
    UUDD = 12,
    IIAA = 13,
    IIBB = 14,
    IICC = 15,
    IIDD = 16
  };

  char id[ID_SIZE];    // WMO block and station number, or a ship's call sign
  std::string text;    // from the part word, without the closing "="
  Date date;           // the bulletin time
  char wmo[WMO_SIZE];  // the bulletin heading
  int type;

  UpaWmoData() { init(); }
  void init();
  int setId(const char* s);
  int setWmo(const char* s);
  // Takes a part's text and sets its type and station from it.
  int setText(std::string_view part);

  // The type of a part word ("TTAA" ... "IIDD"); NONE for any other word.
  static int typeOf(std::string_view word);
  // Whether a word starts a part: the sixteen part words and EEBB, EEDD.
  static bool isPartWord(std::string_view word);
  // Part A 1, B 2, C 3, D 4 of a type; 0 for NONE.
  static int partOf(int type) { return type > 0 && type <= IIDD ? (type - 1) % 4 + 1 : 0; }
  static bool isPilot(int type) { return type >= PPAA && type <= PPDD; }
  static bool isShip(int type) { return type >= UUAA && type <= UUDD; }
  static bool isMobile(int type) { return type >= IIAA && type <= IIDD; }
  static const char* typeName(int type);

  void print() const;
};

}  // namespace KOL
