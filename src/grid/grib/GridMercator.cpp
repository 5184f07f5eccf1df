// Mercator grids on a sphere (edition 2 template 3.10, edition 1 type 1), true at latitude LaD.
#include <cmath>

#include "grid/grib/GridDefs.h"

namespace KOL::grib {

namespace {

constexpr double RAD = 0.017453292519943295;

class Mercator {
 public:
  explicit Mercator(const GridGeom& g) : lon0_(g.lo1 * RAD), k_(g.radius * std::cos(g.lad * RAD)) {}
  void forward(double lat, double lon, double& x, double& y) const
  {
    x = k_ * (lon - lon0_);
    y = k_ * std::log(std::tan(M_PI / 4 + lat / 2));
  }
  void inverse(double x, double y, double& lat, double& lon) const
  {
    lon = lon0_ + x / k_;
    lat = 2 * std::atan(std::exp(y / k_)) - M_PI / 2;
  }

 private:
  double lon0_, k_;
};

}  // namespace

bool mercatorFromEd2(const Octets& s, GridGeom& g)
{
  g.radius = earthRadiusEd2(s);
  if (!setSize(g, long(s.u4(31)), long(s.u4(35)))) return false;
  g.la1 = microDegrees(s, 39);
  g.lo1 = microDegrees(s, 43);
  g.lad = microDegrees(s, 48);
  g.la2 = microDegrees(s, 52);
  g.lo2 = microDegrees(s, 56);
  g.scan = static_cast<int>(s.u1(60));
  g.di = s.u4(65) * 1e-3;
  g.dj = s.u4(69) * 1e-3;
  return true;
}

bool mercatorFromEd1(const Octets& s, GridGeom& g)
{
  if (!setSizeEd1(g, s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.la2 = milliDegrees(s, 18);
  g.lo2 = milliDegrees(s, 21);
  g.lad = milliDegrees(s, 24);
  g.scan = static_cast<int>(s.u1(28));
  g.di = s.u3(29);
  g.dj = s.u3(32);
  return true;
}

bool mercatorCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon)
{
  return projectedCoords(g, Mercator(g), lat, lon);
}

}  // namespace KOL::grib
