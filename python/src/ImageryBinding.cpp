// Radar products and satellite images as arrays: NIDS products and GINI images share the
// decoded arrays (no copy), full-resolution sweeps are turned from codes into values. Where a
// value is not one (no coverage, below threshold, missing) the arrays hold NaN.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <limits>
#include <string>

#include "Bindings.h"
#include "Coordinates.h"
#include "Messages.h"
#include "core/Const.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "imagery/Lev2File.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"

namespace py = pybind11;

namespace kolpy {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

py::object seconds(const KOL::Date& d)
{
  const long s = d.getSeconds();
  return s == KOL::Const::MISS ? py::object(py::none()) : py::object(py::int_(s));
}

py::object orNone(float v)
{
  return KOL::Const::isMiss(v) ? py::object(py::none()) : py::object(py::float_(v));
}

// A 2-D view of memory that self keeps alive.
template <typename T>
py::array view(T* data, int ny, int nx, py::ssize_t stride, py::object self)
{
  return py::array_t<T>({py::ssize_t(ny), py::ssize_t(nx)}, {stride, py::ssize_t(sizeof(T))}, data,
                        self);
}

// One NIDS product; the fills of the value array become NaN once, in place.
struct PyNids {
  KOL::NidsData data;

  explicit PyNids(const std::string& path)
  {
    MessageCapture messages;
    KOL::NidsFile f;
    KOL::NidsInfo info;
    bool ok;
    {
      py::gil_scoped_release unlocked;
      ok = f.open(path.c_str()) && f.readHeader(info) && f.readData(data) && data.getData();
    }
    if (!ok) raise(messages, "cannot read a NIDS product from " + path);
    messages.warnAndClear();
    float* v = data.getData();
    const long n = long(data.getNx()) * data.getNy();
    for (long k = 0; k < n; k++)
      if (!KOL::NidsData::isValid(v[k])) v[k] = kNaN;
  }
};

py::dict nidsAttrs(const KOL::NidsData& d)
{
  py::dict a;
  a["product"] = d.getProduct();
  a["label"] = std::string(d.getLabel());
  a["misc"] = std::string(d.getMisc());
  a["source"] = d.getSource();
  a["mode"] = d.getMode();
  a["vcp"] = d.getVcp();
  a["radar_lat"] = d.getLat();
  a["radar_lon"] = d.getLon();
  a["radar_height"] = d.getHeight();
  a["elevation"] = orNone(d.getElev());
  a["resolution"] = d.getResolution();
  a["max_range"] = d.getRange();
  a["levels"] = d.getNumLevels();
  a["folded_level"] = d.getFoldedLevel();
  a["packet"] = d.getPacket();
  a["seconds"] = seconds(d.getDate());
  a["generated_seconds"] = seconds(d.getGenDate());
  return a;
}

// Gate centres of a polar product: radial j covers [j, j + 1) of 360 / ny degrees, bin i
// [i, i + 1) of the resolution.
py::tuple nidsLatLon(const PyNids& p)
{
  const KOL::NidsData& d = p.data;
  const int ny = d.getNy(), nx = d.getNx();
  if (!d.isRadial()) return latlonOfLattice(d.getDomain(), nx, ny, 0.0);
  py::array_t<double> lat({ny, nx}), lon({ny, nx});
  double* la = lat.mutable_data();
  double* lo = lon.mutable_data();
  const KOL::Domain& dom = d.getDomain();
  {
    py::gil_scoped_release unlocked;
    for (int j = 0; j < ny; j++)
      for (int i = 0; i < nx; i++, la++, lo++) {
        KOL::EarthPoint e;
        if (dom.tran(KOL::GridPoint(j + 0.5f, i + 0.5f), e)) {
          *la = e.lat;
          *lo = e.lon;
        } else {
          *la = *lo = std::numeric_limits<double>::quiet_NaN();
        }
      }
  }
  return py::make_tuple(lat, lon);
}

void bindNids(py::module_& m)
{
  py::class_<PyNids>(m, "Nids", "One NIDS (Level III) radar product; values share its memory.")
      .def(py::init<const std::string&>(), py::arg("path"))
      .def_property_readonly(
          "values",
          [](py::object self) {
            KOL::NidsData& d = self.cast<PyNids&>().data;
            return view(d.getData(), d.getNy(), d.getNx(), d.getNx() * sizeof(float), self);
          },
          "Radials by bins (or rows by columns), float32, NaN where no value.")
      .def_property_readonly(
          "levels",
          [](py::object self) {
            KOL::NidsData& d = self.cast<PyNids&>().data;
            return view(d.getLevelRow(0), d.getNy(), d.getNx(), d.getNx(), self);
          },
          "The product's data level codes, uint8, like values.")
      .def_property_readonly("radial", [](const PyNids& p) { return p.data.isRadial(); })
      .def_property_readonly("attrs", [](const PyNids& p) { return nidsAttrs(p.data); })
      .def("latlon", &nidsLatLon, "Latitude and longitude of every bin or cell centre.")
      .def(
          "plane_axes",
          [](const PyNids& p) {
            return planeAxes(p.data.getDomain(), p.data.getNx(), p.data.getNy());
          },
          "Projection plane coordinates of the columns and rows of a raster product.");
}

// One GINI image: its pixels, its value table and the domain of its projection.
struct PyGini {
  KOL::Image image;

  explicit PyGini(const std::string& path)
  {
    MessageCapture messages;
    bool ok;
    {
      py::gil_scoped_release unlocked;
      KOL::GiniFile f;
      ok = f.open(path.c_str(), KOL::GiniFile::AUTO) && f.read(image) && image.validData() &&
           image.getDepth() == 8;
    }
    if (!ok) raise(messages, "cannot read a GINI image from " + path);
    messages.warnAndClear();
  }

  // Physical value of each pixel value; NaN where the table has none.
  py::array_t<float> table() const
  {
    py::array_t<float> t(256);
    for (int k = 0; k < 256; k++) {
      const float v = image.isValues() ? image.getValue(k) : float(k);
      t.mutable_at(k) = KOL::Const::isMiss(v) || v <= KOL::GiniFile::MISSING_VALUE ? kNaN : v;
    }
    return t;
  }
};

void bindGini(py::module_& m)
{
  py::class_<PyGini>(m, "Gini", "One GINI satellite image; pixels share its memory.")
      .def(py::init<const std::string&>(), py::arg("path"))
      .def_property_readonly(
          "pixels",
          [](py::object self) {
            KOL::Image& im = self.cast<PyGini&>().image;
            return view(im.getData(), im.getHeight(), im.getWidth(), im.getBytesLine(), self);
          },
          "Rows of 8-bit pixels, row 0 first.")
      .def("table", &PyGini::table, "Physical value of each of the 256 pixel values.")
      .def_property_readonly("info", [](const PyGini& g) { return g.image.getInfo(); })
      .def_property_readonly("seconds", [](const PyGini& g) { return seconds(g.image.getDate()); })
      .def_property_readonly("proj", [](const PyGini& g) { return g.image.getDomainProj(); })
      .def(
          "latlon",
          [](const PyGini& g) {
            return latlonOfLattice(g.image.getDomain(), g.image.getWidth(), g.image.getHeight(),
                                   0.0);
          },
          "Latitude and longitude of every pixel.")
      .def(
          "plane_axes",
          [](const PyGini& g) {
            return planeAxes(g.image.getDomain(), g.image.getWidth(), g.image.getHeight());
          },
          "Projection plane coordinates of the columns and rows.");
}

// One moment of one cut of a full-resolution volume.
struct PySweep {
  KOL::Lev2Data cut;
};

py::array_t<float> sweepValues(const PySweep& s)
{
  const KOL::Lev2Data& d = s.cut;
  const int ny = d.getNumRadials(), nx = d.getMoment(0).gates;
  py::array_t<float> out({ny, nx});
  float* v = out.mutable_data();
  {
    py::gil_scoped_release unlocked;
    for (int j = 0; j < ny; j++)
      for (int i = 0; i < nx; i++, v++) {
        const float x = d.getValue(i, j);
        *v = KOL::Lev2Data::isValue(x) ? x : kNaN;
      }
  }
  return out;
}

py::dict sweepAxes(const PySweep& s)
{
  const KOL::Lev2Data& d = s.cut;
  const int ny = d.getNumRadials(), nx = d.getMoment(0).gates;
  py::array_t<float> az(ny), el(ny), range(nx);
  py::array_t<double> time(ny);
  for (int j = 0; j < ny; j++) {
    const KOL::Lev2Radial& r = d.getRadial(j);
    az.mutable_at(j) = r.azimuth;
    el.mutable_at(j) = r.elevation;
    time.mutable_at(j) = r.time;
  }
  for (int i = 0; i < nx; i++) range.mutable_at(i) = d.getRange(0, i);
  py::dict a;
  a["azimuth"] = az;
  a["elevation"] = el;
  a["time"] = time;
  a["range"] = range;
  return a;
}

py::tuple sweepLatLon(const PySweep& s)
{
  const KOL::Lev2Data& d = s.cut;
  const int ny = d.getNumRadials(), nx = d.getMoment(0).gates;
  py::array_t<double> lat({ny, nx}), lon({ny, nx});
  double* la = lat.mutable_data();
  double* lo = lon.mutable_data();
  {
    py::gil_scoped_release unlocked;
    for (int j = 0; j < ny; j++)
      for (int i = 0; i < nx; i++, la++, lo++) {
        KOL::EarthPoint e;
        if (d.getLocation(0, i, j, e)) {
          *la = e.lat;
          *lo = e.lon;
        } else {
          *la = *lo = std::numeric_limits<double>::quiet_NaN();
        }
      }
  }
  return py::make_tuple(lat, lon);
}

py::dict sweepAttrs(const PySweep& s)
{
  const KOL::Lev2Data& d = s.cut;
  const KOL::Lev2Moment& mo = d.getMoment(0);
  py::dict a;
  a["moment"] = mo.name;
  a["cut"] = d.getCut();
  a["elevation_number"] = d.getElevNumber();
  a["elevation"] = d.getElevation();
  a["vcp_elevation"] = orNone(d.getVcpElevation());
  a["radar_lat"] = orNone(d.getLat());
  a["radar_lon"] = orNone(d.getLon());
  a["radar_height"] = d.getHeight();
  a["icao"] = d.getIcao();
  a["vcp"] = d.getVcp();
  a["seconds"] = seconds(d.getDate());
  return a;
}

// A volume read at once; sweeps are taken from it by cut and moment.
class PyVolume {
 public:
  explicit PyVolume(const std::string& path) : path_(path)
  {
    MessageCapture messages;
    bool ok;
    {
      py::gil_scoped_release unlocked;
      ok = file_.open(path.c_str()) && file_.read();
    }
    if (!ok) raise(messages, "cannot read a radar volume from " + path);
    messages.warnAndClear();
  }

  PySweep sweep(int cut, const std::string& moment) const
  {
    PySweep s;
    if (!file_.readSweep(cut, moment.c_str(), s.cut) || s.cut.getNumRadials() == 0)
      throw py::key_error(path_ + " has no cut " + std::to_string(cut) + " with " + moment);
    return s;
  }

  // (cut, moment names) of every cut.
  py::list cuts() const
  {
    py::list out;
    for (int c = 1; c <= file_.getNumCuts(); c++) {
      const KOL::Lev2Data* d = file_.getCut(c);
      py::list names;
      for (int k = 0; k < d->getNumMoments(); k++) names.append(d->getMoment(k).name);
      out.append(py::make_tuple(c, d->getElevation(), names));
    }
    return out;
  }

  const KOL::Lev2File& file() const { return file_; }

 private:
  std::string path_;
  KOL::Lev2File file_;
};

void bindLevel2(py::module_& m)
{
  py::class_<PySweep>(m, "Sweep", "One moment of one elevation cut of a radar volume.")
      .def("values", &sweepValues, "Radials by gates, float32, NaN where no value.")
      .def("axes", &sweepAxes, "Azimuth, elevation and time of each radial, range of each gate.")
      .def("latlon", &sweepLatLon, "Where the beam is at every gate (4/3-earth refraction).")
      .def_property_readonly("attrs", &sweepAttrs);
  py::class_<PyVolume>(m, "Volume", "A full-resolution (Level II) radar volume.")
      .def(py::init<const std::string&>(), py::arg("path"))
      .def("sweep", &PyVolume::sweep, py::arg("cut"), py::arg("moment"))
      .def("cuts", &PyVolume::cuts, "(cut, mean elevation, moment names) of every cut.")
      .def_property_readonly("icao", [](const PyVolume& v) { return v.file().getIcao(); })
      .def_property_readonly("vcp", [](const PyVolume& v) { return v.file().getVcp(); })
      .def_property_readonly("seconds",
                             [](const PyVolume& v) { return seconds(v.file().getDate()); });
}

}  // namespace

void bindImagery(py::module_& m)
{
  bindNids(m);
  bindGini(m);
  bindLevel2(m);
}

}  // namespace kolpy
