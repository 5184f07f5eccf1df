// The keys the image layers (satellite images and radar products) take alike: bar, nobar, map,
// nomap, ct=FILE (colour table), cof=C1;C2;... (colours), ho=N (hours back for the latest
// file) and tz=ZONE (the date label's zone).
#pragma once

#include <string>

namespace KOL::imageplot {

struct ImageKeys {
  bool bar = true;
  bool map = true;
  int hoursBack = 0;
  std::string colorTable, colorFill, zone;

  void init() { *this = ImageKeys(); }
  // True when field (a key of a parameter text) was one of them.
  bool take(const std::string& field);
  // The selector of the latest file, hoursBack before it when set ("la", "la-3").
  std::string latest() const;
};

}  // namespace KOL::imageplot
