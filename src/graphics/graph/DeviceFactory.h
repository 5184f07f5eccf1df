// The device a type name asks for.
#pragma once

#include <memory>

#include "graphics/Device.h"

namespace KOL::DeviceFactory {

// "postscript", "meta", "hpgl", "image" (raster through Cairo); anything else, null included,
// the X window.
std::unique_ptr<Device> create(const char* type);

}  // namespace KOL::DeviceFactory
