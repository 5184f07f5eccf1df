// Shapefile outlines through shapelib: every part of a line or polygon record becomes one
// segment, every point of a point record a one-point segment; names come from the first text
// field of the companion .dbf file.
#pragma once

#include "graphics/map/MapSegment.h"

namespace KOL {

class MapShapeReader {
 public:
  // 0 with a message when shapelib cannot open the file (or its index).
  static int read(const char* path, MapSegments& out);
};

}  // namespace KOL
