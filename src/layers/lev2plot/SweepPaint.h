// A sweep (or the lowest sweeps) of a radar volume painted onto an image lattice: each point
// takes the class of the gate the beam crosses above it, found through the point's azimuth and
// ground distance from the radar and the 4/3-earth beam of each cut.
#pragma once

#include <functional>
#include <vector>

#include "imagery/Lev2Data.h"

namespace KOL {

class Image;

namespace lev2plot {

struct SweepSource {
  const Lev2Data* cut;
  int moment;       // index in the cut
  int correlation;  // index of the cut's RHO; -1 without
};

struct PaintOptions {
  float maxRangeM = 0;       // 0: as far as the gates go
  float minCorrelation = 0;  // gates whose correlation coefficient is below are left out
  bool lowestFirst = false;  // take the lowest cut with a value, not the largest value
};

// classOf gives a value's class (0 none); folded the class of range folding (0 none). The
// image's pixels take the classes. 0 when no cut could be painted.
int paint(Image& im, double siteLat, double siteLon, const std::vector<SweepSource>& cuts,
          const std::function<int(float)>& classOf, int folded, const PaintOptions& o);

}  // namespace lev2plot
}  // namespace KOL
