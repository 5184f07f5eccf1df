// Grids of GRIB and native grid files: values shared with the decoded grid (no copy), missing
// values as NaN, coordinates from the grid's projection, and the description of each field.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "Bindings.h"
#include "Coordinates.h"
#include "Messages.h"
#include "core/Const.h"
#include "core/String.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"

namespace py = pybind11;

namespace kolpy {

namespace {

// One decoded grid, its missing values turned to NaN once, in place.
struct PyGrid {
  KOL::Grid grid;

  explicit PyGrid(KOL::Grid&& g) : grid(std::move(g))
  {
    float* v = grid.getData();
    const size_t n = v ? grid.getCount() : 0;
    for (size_t k = 0; k < n; k++)
      if (v[k] == KOL::Const::FMISS) v[k] = std::numeric_limits<float>::quiet_NaN();
  }
};

py::object seconds(long s)
{
  return s == KOL::Const::MISS ? py::object(py::none()) : py::object(py::int_(s));
}

// The values as a 2-D view into the grid; self keeps the grid alive while the view lives.
py::object values(py::object self)
{
  PyGrid& g = self.cast<PyGrid&>();
  if (!g.grid.isData()) return py::none();
  const py::ssize_t nx = g.grid.getNx(), ny = g.grid.getNy();
  return py::array_t<float>({ny, nx}, {nx * py::ssize_t(sizeof(float)), py::ssize_t(sizeof(float))},
                            g.grid.getData(), self);
}

// Latitude and longitude of every point, row by row as the values.
py::tuple latlon(const PyGrid& g)
{
  return latlonOfLattice(g.grid.getDomain(), g.grid.getNx(), g.grid.getNy(), 0.0);
}

// What places the lattice on the earth, as bytes: grids with equal keys share coordinates.
py::bytes latticeKey(const PyGrid& g)
{
  const KOL::DomainVal& d = g.grid.getDomain().get();
  std::string key;
  auto add = [&key](const auto& v) { key.append(reinterpret_cast<const char*>(&v), sizeof v); };
  add(d.proj), add(d.nx), add(d.ny), add(d.dx), add(d.dy), add(d.param), add(d.clat), add(d.clon);
  add(d.ellipsoid);
  return py::bytes(key);
}

// Latitude of each row and longitude of each column of a latitude-longitude lattice.
py::tuple latlonAxes(const PyGrid& g)
{
  const int nx = g.grid.getNx(), ny = g.grid.getNy();
  py::array_t<double> lat(ny), lon(nx);
  const KOL::Domain& d = g.grid.getDomain();
  auto at = [&](int i, int j, double& la, double& lo) {
    KOL::Point p;
    if (!d.tran(KOL::GridPoint(float(i), float(j)), p) || !d.unproject(p.x, p.y, la, lo))
      la = lo = std::numeric_limits<double>::quiet_NaN();
  };
  double ignored;
  for (int j = 0; j < ny; j++) at(0, j, lat.mutable_at(j), ignored);
  for (int i = 0; i < nx; i++) at(i, 0, ignored, lon.mutable_at(i));
  return py::make_tuple(lat, lon);
}

std::string levelText(const KOL::Level& l)
{
  KOL::String s;
  return l.toString(s) ? std::string(s.get()) : std::string();
}

py::object levelValue(int type, float v)
{
  return type == KOL::Const::MISS || KOL::Const::isMiss(v) ? py::object(py::none())
                                                           : py::object(py::float_(v));
}

// Every grid of a file, one after the other; the file stays open between them.
class GridReader {
 public:
  explicit GridReader(const std::string& path) : path_(path)
  {
    MessageCapture messages;
    if (!file_.open(path.c_str())) raise(messages, "cannot open grid file " + path);
    messages.warnAndClear();
  }
  // The next grid with values; grids the library could not decode are skipped with a warning.
  std::unique_ptr<PyGrid> next()
  {
    MessageCapture messages;
    for (KOL::Grid g; readReleased(g); g.init()) {
      if (g.isData()) {
        messages.warnAndClear();
        count_++;
        return std::make_unique<PyGrid>(std::move(g));
      }
      messages.warnAndClear();
    }
    if (count_ == 0) raise(messages, "no grid found in " + path_);
    messages.warnAndClear();
    throw py::stop_iteration();
  }

 private:
  // Decoding runs with the interpreter released, so that other threads go on meanwhile.
  bool readReleased(KOL::Grid& g)
  {
    py::gil_scoped_release unlocked;
    return file_.read(g);
  }

  std::string path_;
  KOL::GridFile file_;
  int count_ = 0;
};

}  // namespace

void bindGrid(py::module_& m)
{
  py::class_<PyGrid>(m, "Grid", "One decoded grid; values share its memory.")
      .def_property_readonly("values", &values, "2-D float32 values (row 0 north), NaN missing.")
      .def("latlon", &latlon, "Latitude and longitude (degrees) of every point, 2-D float64.")
      .def_property_readonly("lattice_key", &latticeKey,
                             "Bytes equal for grids whose points are at the same places.")
      .def("latlon_axes", &latlonAxes,
           "Latitude of each row and longitude of each column (latitude-longitude grids).")
      .def_property_readonly("nx", [](const PyGrid& g) { return g.grid.getNx(); })
      .def_property_readonly("ny", [](const PyGrid& g) { return g.grid.getNy(); })
      .def_property_readonly("proj", [](const PyGrid& g) { return g.grid.getProj(); })
      .def_property_readonly("dx", [](const PyGrid& g) { return g.grid.getDx(); })
      .def_property_readonly("dy", [](const PyGrid& g) { return g.grid.getDy(); })
      .def_property_readonly("name", [](const PyGrid& g) { return g.grid.getVar().getAbbr(); })
      .def_property_readonly("long_name", [](const PyGrid& g) { return g.grid.getVar().getName(); })
      .def_property_readonly("units", [](const PyGrid& g) { return g.grid.getUnits(); })
      .def_property_readonly("level_type",
                             [](const PyGrid& g) { return g.grid.getLevel().lower_type; })
      .def_property_readonly("level",
                             [](const PyGrid& g) {
                               const KOL::Level& l = g.grid.getLevel();
                               return levelValue(l.lower_type, l.lower_value);
                             })
      .def_property_readonly("level_top",
                             [](const PyGrid& g) {
                               const KOL::Level& l = g.grid.getLevel();
                               return levelValue(l.upper_type, l.upper_value);
                             })
      .def_property_readonly("level_text",
                             [](const PyGrid& g) { return levelText(g.grid.getLevel()); })
      .def_property_readonly("valid_seconds",
                             [](const PyGrid& g) { return seconds(g.grid.getDate().getSeconds()); })
      .def_property_readonly(
          "init_seconds",
          [](const PyGrid& g) { return seconds(g.grid.getInitDate().getSeconds()); })
      .def_property_readonly("step_seconds",
                             [](const PyGrid& g) { return seconds(g.grid.getForeSeconds()); })
      .def_property_readonly("model", [](const PyGrid& g) { return g.grid.getGenName(); })
      .def_property_readonly("grid_number", [](const PyGrid& g) { return g.grid.getGridNum(); })
      .def_property_readonly("info", [](const PyGrid& g) { return g.grid.getInfo(); })
      .def_property_readonly("datim", [](const PyGrid& g) { return g.grid.getDatim(); })
      .def_property_readonly("kind", [](const PyGrid& g) { return g.grid.getVar().getType(); });

  py::class_<GridReader>(m, "GridReader", "Iterates over the grids of a GRIB or native grid file.")
      .def(py::init<const std::string&>(), py::arg("path"))
      .def("__iter__", [](GridReader& r) -> GridReader& { return r; })
      .def("__next__", &GridReader::next);
}

}  // namespace kolpy
