// Static helpers for numbers: recognising number texts, compact texts and codes for values,
// the automatic contour interval, and byte dumps for inspecting received data.
#pragma once

#include "core/Const.h"

namespace KOL {

class String;

class Tools {
 public:
  // A digit first, or '-' and a digit; no '+' and no leading white space.
  static bool isInt(const char* s);
  // A digit first, or '.', '-' or "-." followed by a digit.
  static bool isFloat(const char* s);

  // Shortest fixed-point text with up to about five significant digits; "%e" outside 1e-5..1e5.
  static int toString(float v, String& out);
  // The same with the given number of significant digits.
  static int toString(float v, int digits, String& out);
  // Compact code of a level value: hundreds are the decade, the rest two leading digits.
  static int toInt(float v);
  // A round contour interval giving about n intervals between min and max.
  static float calcInterval(float max, float min, int n);

  // Byte dumps to standard output.
  static void printClean(const void* bytes, int n);
  static void printControl(const void* bytes, int n);
  static void dumpHex(const void* bytes, int n);
};

}  // namespace KOL
