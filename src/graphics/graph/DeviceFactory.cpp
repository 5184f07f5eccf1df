#include "graphics/graph/DeviceFactory.h"

#include "core/StrLib.h"
#include "graphics/Hpgl.h"
#include "graphics/ImageDevice.h"
#include "graphics/MetaFile.h"
#include "graphics/Postscript.h"
#include "graphics/XWindow.h"

namespace KOL::DeviceFactory {

std::unique_ptr<Device> create(const char* type)
{
  if (StrLib::equal(type, "postscript")) return std::make_unique<Postscript>();
  if (StrLib::equal(type, "meta")) return std::make_unique<MetaFile>();
  if (StrLib::equal(type, "image")) return std::make_unique<ImageDevice>();
  if (StrLib::equal(type, "hpgl")) return std::make_unique<Hpgl>();
  return std::make_unique<XWindow>();
}

}  // namespace KOL::DeviceFactory
