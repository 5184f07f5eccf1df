// Coordinates of lattices as numpy arrays: the earth position and projection plane position of
// every point of a domain, computed once per lattice with the interpreter released.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "geo/Domain.h"

namespace kolpy {

// Latitude and longitude (degrees, float64, ny by nx) of grid points (i + offset, j + offset):
// the lattice is regular on the projection plane, so plane positions step by constant amounts
// and only the inverse projection runs per point. NaN where a point does not project.
pybind11::tuple latlonOfLattice(const KOL::Domain& d, int nx, int ny, double offset);

// Plane coordinates of the columns (x) and rows (y) of a lattice whose rows run along the
// plane's x axis, in the projection's units.
pybind11::tuple planeAxes(const KOL::Domain& d, int nx, int ny);

}  // namespace kolpy
