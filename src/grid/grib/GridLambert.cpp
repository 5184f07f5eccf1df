// Lambert conformal conic grids on a sphere (edition 2 template 3.30, edition 1 type 3).
#include <cmath>

#include "grid/grib/GridDefs.h"

namespace KOL::grib {

namespace {

constexpr double RAD = 0.017453292519943295;

class Lambert {
 public:
  explicit Lambert(const GridGeom& g) : r_(g.radius), lon0_(g.lov * RAD)
  {
    double p1 = g.latin1 * RAD, p2 = g.latin2 * RAD;
    if (std::fabs(p1 - p2) < 1e-10)
      n_ = std::sin(p1);
    else
      n_ = std::log(std::cos(p1) / std::cos(p2)) /
           std::log(std::tan(M_PI / 4 + p2 / 2) / std::tan(M_PI / 4 + p1 / 2));
    f_ = std::cos(p1) * std::pow(std::tan(M_PI / 4 + p1 / 2), n_) / n_;
  }
  void forward(double lat, double lon, double& x, double& y) const
  {
    double rho = r_ * f_ / std::pow(std::tan(M_PI / 4 + lat / 2), n_);
    double theta = n_ * wrap(lon - lon0_);
    x = rho * std::sin(theta);
    y = -rho * std::cos(theta);
  }
  void inverse(double x, double y, double& lat, double& lon) const
  {
    double s = n_ < 0 ? -1.0 : 1.0;
    double rho = s * std::sqrt(x * x + y * y);
    double theta = std::atan2(s * x, -s * y);
    lat = rho == 0 ? s * M_PI / 2 : 2 * std::atan(std::pow(r_ * f_ / rho, 1 / n_)) - M_PI / 2;
    lon = lon0_ + theta / n_;
  }

 private:
  static double wrap(double a)
  {
    while (a > M_PI) a -= 2 * M_PI;
    while (a < -M_PI) a += 2 * M_PI;
    return a;
  }
  double r_, lon0_, n_ = 0, f_ = 0;
};

}  // namespace

bool lambertFromEd2(const Octets& s, GridGeom& g)
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
  g.latin1 = microDegrees(s, 66);
  g.latin2 = microDegrees(s, 70);
  g.spLat = microDegrees(s, 74);
  g.spLon = microDegrees(s, 78);
  return g.latin1 != 0 || g.latin2 != 0;
}

bool lambertFromEd1(const Octets& s, GridGeom& g)
{
  if (!setSizeEd1(g, s.u2(7), s.u2(9))) return false;
  g.la1 = milliDegrees(s, 11);
  g.lo1 = milliDegrees(s, 14);
  g.lov = milliDegrees(s, 18);
  g.di = s.u3(21);
  g.dj = s.u3(24);
  g.projCentre = static_cast<int>(s.u1(27));
  g.scan = static_cast<int>(s.u1(28));
  g.latin1 = milliDegrees(s, 29);
  g.latin2 = milliDegrees(s, 32);
  g.lad = g.latin1;
  g.spLat = milliDegrees(s, 35);
  g.spLon = milliDegrees(s, 38);
  return g.latin1 != 0 || g.latin2 != 0;
}

bool lambertCoords(const GridGeom& g, std::vector<double>& lat, std::vector<double>& lon)
{
  return projectedCoords(g, Lambert(g), lat, lon);
}

}  // namespace KOL::grib
