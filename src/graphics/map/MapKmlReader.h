// KML outlines: every "coordinates" element of a Placemark becomes one segment named after the
// Placemark.
#pragma once

#include "graphics/map/MapSegment.h"

namespace KOL {

class MapKmlReader {
 public:
  // 0 with a message when the file is not well-formed XML.
  static int read(const char* path, MapSegments& out);
  static int read(const char* bytes, int n, MapSegments& out);
};

}  // namespace KOL
