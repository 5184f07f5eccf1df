#include "imagery/ImageryKind.h"

#include <cstdint>

#include "core/Kol.h"
#include "imagery/GiniFile.h"
#include "imagery/Image.h"
#include "imagery/Lev2File.h"
#include "imagery/NidsFile.h"
#include "imagery/NidsInfo.h"

namespace KOL {

namespace {

// The readers' own complaints are the question asked here, not news for the user.
class Hush {
 public:
  Hush() : mask(Kol::getMessageMask()) { Kol::setMessageMask(0); }
  ~Hush() { Kol::setMessageMask(mask); }
  Hush(const Hush&) = delete;
  Hush& operator=(const Hush&) = delete;

 private:
  uint32_t mask;
};

}  // namespace

ImageryKind::Kind ImageryKind::of(const char* name, int* product)
{
  Hush quiet;
  if (Lev2File::isVolume(name)) return LEV2;
  {
    NidsFile f(name);
    NidsInfo info;
    if (f.isOpen() && f.readHeader(info)) {
      if (product) *product = info.getProduct();
      return f.isPacketRadial() || f.isPacketRastor() || f.isPacketDpa() ? NIDS_DATA : NIDS_GRAPHIC;
    }
  }
  GiniFile g(name, GiniFile::AUTO);
  Image im;
  return g.isOpen() && g.readHeader(im) ? GINI : OTHER;
}

}  // namespace KOL
