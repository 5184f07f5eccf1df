#include "grid/anal/Scatter.h"

#include <algorithm>
#include <cmath>

#include "core/Const.h"

namespace KOL::anal {

namespace {

// The index range [lo, hi] of lattice lines within reach of a coordinate; empty when lo > hi.
void reach(double at, double half, int n, int& lo, int& hi)
{
  // One line more on each side than the box needs; the distance test decides.
  double a = std::floor(at - half), b = std::ceil(at + half);
  lo = a < 0 ? 0 : a > n ? n : int(a);
  hi = b > n - 1 ? n - 1 : b < -1 ? -1 : int(b);
}

}  // namespace

void Sums::reset(size_t points, double s0, double w0, int n0)
{
  s.assign(points, s0);
  w.assign(points, w0);
  n.assign(points, n0);
}

double weight(double r2, double kappa)
{
  if (kappa > 0) return std::exp(-r2 / kappa);
  return r2 == 0 ? 1.0 : 0.0;
}

void scatter(const Lattice& lat, const std::vector<Site>& sites,
             const std::vector<std::vector<float>>& values, double kappa, std::vector<Sums>& sums)
{
  const double radius = std::sqrt(lat.radius2);
  const size_t fields = sums.size();
  for (size_t st = 0; st < sites.size(); st++) {
    const Site& s = sites[st];
    const std::vector<float>& v = values[st];
    if (std::none_of(v.begin(), v.end(), [](float x) { return x != Const::FMISS; })) continue;
    int i0, i1, j0, j1;
    reach(s.x, radius / lat.dx, lat.nx, i0, i1);
    reach(s.y, radius / lat.dy, lat.ny, j0, j1);
    for (int j = j0; j <= j1; j++) {
      const double ry = (s.y - j) * lat.dy;
      const size_t row = size_t(j) * lat.nx;
      for (int i = i0; i <= i1; i++) {
        const double rx = (s.x - i) * lat.dx;
        const double r2 = rx * rx + ry * ry;
        if (r2 > lat.radius2) continue;
        const double w = weight(r2, kappa);
        for (size_t k = 0; k < fields; k++) {
          if (v[k] == Const::FMISS) continue;
          Sums& sk = sums[k];
          sk.s[row + i] += w * v[k];
          sk.w[row + i] += w;
          sk.n[row + i]++;
        }
      }
    }
  }
}

}  // namespace KOL::anal
