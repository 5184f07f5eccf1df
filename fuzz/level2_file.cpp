// Feeds arbitrary bytes to Lev2File as a radar volume: gzip or bzip2 wrapping, volume header,
// LDM records and their bzip2 streams, the message frames, Message 31 blocks and Message 1
// radials; then reads every gate of every cut and places some of them.
#include <cstdint>

#include "core/Kol.h"
#include "imagery/Lev2Data.h"
#include "imagery/Lev2File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  KOL::Lev2File f;
  f.setThreads(1);
  if (!f.openBytes(data, size) || !f.read()) return 0;
  for (int c = 1; c <= f.getNumCuts(); ++c) {
    const KOL::Lev2Data& d = *f.getCut(c);
    for (int k = 0; k < d.getNumMoments(); ++k) {
      const KOL::Lev2Moment& m = d.getMoment(k);
      float sum = 0;
      for (int j = 0; j < d.getNumRadials(); ++j)
        for (int i = 0; i <= m.gates; ++i) sum += d.getValue(k, i, j);
      d.getStats(k);
      KOL::EarthPoint e;
      d.getLocation(k, m.gates / 2, d.getNumRadials() / 2, e);
      if (sum == 1.0f) return 1;
    }
  }
  return 0;
}
