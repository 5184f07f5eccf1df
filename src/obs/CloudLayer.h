// One reported cloud layer: its cover code and its base height in feet above ground. Cover codes
// are the WMO okta digits or the letters C (clear), F (few), S (scattered), B (broken),
// O (overcast) and X (obscured); lower-case s, b, o and x mark thin or partial layers.
#pragma once

#include "core/Const.h"

namespace KOL {

class CloudLayer {
 public:
  // What a cover code says about the sky, for ceilings and summaries.
  enum Kind : int {
    OTHER = 0,
    CLEAR = 1,
    FEW = 2,
    SCATTERED = 3,
    BROKEN = 4,
    OVERCAST = 5,
    OBSCURED = 6
  };

  char cover;
  float height;

  CloudLayer() { init(); }
  CloudLayer(char c, float h) : cover(c), height(h) {}

  void init()
  {
    cover = ' ';
    height = Const::FMISS;
  }
  void set(char c, float h)
  {
    cover = c;
    height = h;
  }
  bool operator==(const CloudLayer& o) const { return cover == o.cover && height == o.height; }
  bool operator!=(const CloudLayer& o) const { return !(*this == o); }

  // The kind of an upper-case or digit code; lower-case (thin) codes are OTHER.
  static int kind(char cover);
  // The summary letter of a code: C, F, S, B, O or X; the code itself when it has none.
  static char letter(char cover);
  void print() const;
};

}  // namespace KOL
