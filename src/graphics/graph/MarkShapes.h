// The outlines of the mark types, as polylines about a centre with half-size h.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL::MarkShapes {

// Type 1 point .. 10 lightning; an unknown type gives the point.
std::vector<Points> get(int type, float x, float y, float h);

}  // namespace KOL::MarkShapes
