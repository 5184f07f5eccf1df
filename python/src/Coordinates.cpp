#include "Coordinates.h"

#include <algorithm>
#include <limits>

namespace py = pybind11;

namespace kolpy {

py::tuple latlonOfLattice(const KOL::Domain& d, int nx, int ny, double offset)
{
  py::array_t<double> lat({ny, nx}), lon({ny, nx});
  double* la = lat.mutable_data();
  double* lo = lon.mutable_data();
  // The steps come from the far corners: plot positions are floats.
  const int ei = std::max(nx - 1, 1), ej = std::max(ny - 1, 1);
  const float o = static_cast<float>(offset);
  KOL::Point p0, pi, pj;
  const bool ok = d.tran(KOL::GridPoint(o, o), p0) && d.tran(KOL::GridPoint(ei + o, o), pi) &&
                  d.tran(KOL::GridPoint(o, ej + o), pj);
  const double ix = (double(pi.x) - p0.x) / ei, iy = (double(pi.y) - p0.y) / ei;
  const double jx = (double(pj.x) - p0.x) / ej, jy = (double(pj.y) - p0.y) / ej;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  {
    py::gil_scoped_release unlocked;
    for (int j = 0; j < ny; j++) {
      const double rx = p0.x + j * jx, ry = p0.y + j * jy;
      for (int i = 0; i < nx; i++, la++, lo++)
        if (!ok || !d.unproject(rx + i * ix, ry + i * iy, *la, *lo)) *la = *lo = nan;
    }
  }
  return py::make_tuple(lat, lon);
}

py::tuple planeAxes(const KOL::Domain& d, int nx, int ny)
{
  py::array_t<double> x(nx), y(ny);
  // From the far corners, as the plane positions of single points are floats.
  const int ei = std::max(nx - 1, 1), ej = std::max(ny - 1, 1);
  KOL::Point p0, pi, pj;
  const bool ok = d.tran(KOL::GridPoint(0, 0), p0) && d.tran(KOL::GridPoint(float(ei), 0), pi) &&
                  d.tran(KOL::GridPoint(0, float(ej)), pj);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double sx = (double(pi.x) - p0.x) / ei, sy = (double(pj.y) - p0.y) / ej;
  for (int i = 0; i < nx; i++) x.mutable_at(i) = ok ? p0.x + i * sx : nan;
  for (int j = 0; j < ny; j++) y.mutable_at(j) = ok ? p0.y + j * sy : nan;
  return py::make_tuple(x, y);
}

}  // namespace kolpy
