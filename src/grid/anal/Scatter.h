// The weighted sums of successive correction, gathered station by station: each station visits
// only the grid points within the radius of influence (its bounding box on the lattice), so the
// cost grows with stations times points per radius rather than stations times grid points.
#pragma once

#include <cstddef>
#include <vector>

namespace KOL::anal {

// The lattice in the units distances are measured in.
struct Lattice {
  int nx = 0, ny = 0;
  double dx = 1, dy = 1;
  double radius2 = 0;  // squared radius of influence
  size_t points() const { return size_t(nx) * size_t(ny); }
};

// One station at its fractional grid position.
struct Site {
  double x = 0, y = 0;
};

// Sums of one field over the lattice.
struct Sums {
  std::vector<double> s, w;
  std::vector<int> n;
  void reset(size_t points, double s0, double w0, int n0);
};

// exp(-r2 / kappa); a filter that is not positive keeps only a station standing on the point.
double weight(double r2, double kappa);

// Adds value v of every station with weight into sums[k] for field k; values[station][k], a
// missing value being skipped.
void scatter(const Lattice& lat, const std::vector<Site>& sites,
             const std::vector<std::vector<float>>& values, double kappa, std::vector<Sums>& sums);

}  // namespace KOL::anal
