#include "graphics/graph/DeviceFactory.h"

#include "core/Kol.h"
#include "core/StrLib.h"
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
  if (StrLib::equal(type, "hpgl")) {
    Kol::outWarning("Graph: no device of type %s\n", type);
    return nullptr;
  }
  return std::make_unique<XWindow>();
}

}  // namespace KOL::DeviceFactory
