// The parts of the module, one function per area.
#pragma once

#include <pybind11/pybind11.h>

namespace kolpy {

void bindMessages(pybind11::module_& m);
void bindDatabase(pybind11::module_& m);
void bindGrid(pybind11::module_& m);
void bindObs(pybind11::module_& m);
void bindImagery(pybind11::module_& m);

}  // namespace kolpy
