// A segment read whole from an outline file (KML, shapefile): its header and its points.
#pragma once

#include <vector>

#include "geo/EarthPoint.h"
#include "graphics/MapFileHeader.h"

namespace KOL {

struct MapSegment {
  MapFileHeader header;
  EarthPoints points;

  // Sets the header's count and range from the points.
  void finish(int id, const char* name)
  {
    header.setRange(points);
    header.id = id;
    header.setName(name);
  }
};

using MapSegments = std::vector<MapSegment>;

}  // namespace KOL
