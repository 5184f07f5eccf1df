// The device a type name asks for.
#pragma once

#include <memory>

#include "graphics/Device.h"

namespace KOL::DeviceFactory {

// "postscript", "meta", "image" (raster through Cairo); "hpgl" is not built here (null with a
// warning); anything else, null included, the X window.
std::unique_ptr<Device> create(const char* type);

}  // namespace KOL::DeviceFactory
