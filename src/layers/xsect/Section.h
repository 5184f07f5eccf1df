// The lattice of a vertical cross section: distance along the section (km) across, pressure
// (hPa) down, rows equally spaced in log pressure, as a grid on the "xlogp" projection (x the
// distance, y = -ln p) so that the contour layer draws it on a cross-section frame. Columns are
// filled from profiles at known distances (soundings, or grid columns along a great circle) and
// interpolated linearly in distance between them.
#pragma once

#include <vector>

#include "geo/Domain.h"
#include "geo/EarthPoint.h"

namespace KOL {

class Grid;

namespace xsect {

struct Section {
  static constexpr float ASPECT = 1.5f;

  float length = 0;     // km
  float bottom = 1050;  // hPa
  float top = 100;      // hPa
  int rows = 81;
  // Square cells, as the plot's panels expect of a lattice.
  int columns = static_cast<int>(ASPECT * static_cast<float>(rows - 1)) + 1;

  // The xlogp domain of the lattice (row 0 at the top).
  Domain domain() const;
  // The lattice's domain widened at either end by endRoom(): the frame a section of stations is
  // drawn in, so that the barbs of the end stations stay inside it.
  Domain frame() const;
  float endRoom() const;
  // The domain's first value (plot x) of a distance; a point of the section is
  // EarthPoint(x(km), pressure).
  float x(float km) const;
  float pressure(int row) const;
  float distance(int column) const;
};

// A profile: values at the section's rows (missing where it has none), at a distance.
struct Profile {
  float x;
  std::vector<float> values;
};

// The section's grid from profiles sorted by distance: each column linear between the two
// profiles about it, missing where either is missing or outside the first and last.
Grid fill(const Section& s, const std::vector<Profile>& profiles);

// The point a fraction f of the way from a to b along their great circle.
EarthPoint alongGreatCircle(const EarthPoint& a, const EarthPoint& b, float f);

}  // namespace xsect
}  // namespace KOL
