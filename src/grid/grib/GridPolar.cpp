// Polar stereographic grids on a sphere (edition 2 template 3.20, edition 1 type 5), true at the
// latitude LaD (60 degrees in edition 1).
#include <cmath>

#include "grid/grib/GridDefs.h"

namespace KOL::grib {

namespace {

constexpr double RAD = 0.017453292519943295;

class Polar {
 public:
  explicit Polar(const GridGeom& g)
      : south_(g.projCentre & 0x80),
        lon0_(g.lov * RAD),
        k_(g.radius * (1 + std::sin(std::fabs(g.lad) * RAD)))
  {
  }
  void forward(double lat, double lon, double& x, double& y) const
  {
    double rho = k_ * std::tan(M_PI / 4 - (south_ ? -lat : lat) / 2);
    x = rho * std::sin(lon - lon0_);
    y = (south_ ? 1 : -1) * rho * std::cos(lon - lon0_);
  }
  void inverse(double x, double y, double& lat, double& lon) const
  {
    double rho = std::sqrt(x * x + y * y);
    double phi = M_PI / 2 - 2 * std::atan(rho / k_);
    lat = south_ ? -phi : phi;
    lon = lon0_ + std::atan2(x, south_ ? y : -y);
  }

 private:
  bool south_;
  double lon0_, k_;
};

}  // namespace

bool polarFromEd2(const Octets& s, GridGeom& g)
{
  g.radius = earthRadiusEd2(s);
  if (!setSize(g, long(s.u4(31)), long(s.u4(35)))) return false;
  g.la1 = microDegrees(s, 39);
  g.lo1 = microDegrees(s, 43);
  g.lad = microDegrees(s, 48);
  g.lov = microDegrees(s, 52);
  g.di = s.u4(56) * 1e-3;
  g.dj = s.u4(60) * 1e-3;
  g.projCentre = static_cast<int>(s.u1(64));
  g.scan = static_cast<int>(s.u1(65));
  return true;
}

bool polarFromEd1(const Octets& s, GridGeom& g)
{
  if (!setSizeEd1(g, s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.lov = milliDegrees(s, 18);
  g.di = s.u3(21);
  g.dj = s.u3(24);
  g.projCentre = static_cast<int>(s.u1(27));
  g.scan = static_cast<int>(s.u1(28));
  g.lad = (g.projCentre & 0x80) ? -60 : 60;
  return true;
}

bool polarCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon)
{
  return projectedCoords(g, Polar(g), lat, lon);
}

}  // namespace KOL::grib
