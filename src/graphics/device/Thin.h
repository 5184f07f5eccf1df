// Thinning of polylines before a raster device strokes them.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL::Thin {

// The indices of the points of pts that the polyline keeps when every point dropped lies within
// tol of the segment between the kept points around it (the ends always kept), in order, in
// keep. Points a fraction of a pixel apart cost a rasteriser as much as any others.
void polyline(const Points& pts, float tol, std::vector<int>& keep);

}  // namespace KOL::Thin
