// Feeds arbitrary bytes to NidsFile as a transmitted product: heading framing, zlib segments,
// bzip2 symbology, message header, product description, packets and the value array, then
// walks the packets again through the record readers and draws the product.
#include <cstdint>

#include "core/Kol.h"
#include "imagery/Image.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  KOL::NidsFile f;
  if (!f.openBytes(data, size)) return 0;
  KOL::NidsInfo info;
  if (!f.readHeader(info)) return 0;
  KOL::NidsData d;
  f.readData(d);
  d.getValue(KOL::EarthPoint(info.getLat() + 0.5f, info.getLon()));

  KOL::NidsFile g;
  g.openBytes(data, size);
  g.readHeader(info);
  KOL::NidsRadial r;
  KOL::NidsRun run;
  for (int n = 0; n < 64 && g.readRadial(r); ++n)
    while (g.readRun(run)) {
    }
  for (int n = 0; n < 64 && g.readPacket() > 0; ++n) {
    KOL::NidsVector v;
    KOL::NidsWind w;
    KOL::NidsText t;
    while (g.readVector(v) || g.readWind(w) || g.readText(t)) {
    }
    g.skipPacket();
  }
  return 0;
}
