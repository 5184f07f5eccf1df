// The compiled part of the kol package.
#include <pybind11/pybind11.h>

#include <string>

#include "Bindings.h"
#include "core/Kol.h"
#include "core/Resrc.h"

namespace py = pybind11;

namespace kolpy {

void bindDatabase(py::module_& m)
{
  m.def(
      "set_database", [](const std::string& path) { KOL::Kol::setDatabasePath(path.c_str()); },
      py::arg("path"), "Sets the database directory (tables, conventions, maps).");
  m.def(
      "database", [] { return std::string(KOL::Kol::getDatabasePath()); },
      "The database directory in force.");
  m.def(
      "set_threads",
      [](int n) { KOL::Kol::resrc.set("num_threads", std::to_string(n > 0 ? n : 0).c_str()); },
      py::arg("n"),
      "Threads a codec may decode one field on (0: every core). Dask workers, which are the "
      "parallelism themselves, are best given 1.");
  m.def(
      "version", [] { return std::string(KOL::Kol::getVersion()); }, "The library's version.");
}

}  // namespace kolpy

PYBIND11_MODULE(_kol, m)
{
  m.doc() = "libkol bindings; use the kol package.";
  kolpy::bindMessages(m);
  kolpy::bindDatabase(m);
  kolpy::bindGrid(m);
  kolpy::bindObs(m);
  kolpy::bindImagery(m);
}
