// Feeds arbitrary bytes to the BUFR file scanner and decoder with the repository's tables: every
// message found is decoded and every row of every subset read back.
#include <cstddef>
#include <cstdint>

#include "core/Kol.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"
#include "obs/BufrTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  static KOL::BufrTable table;
  if (!table.isLoaded() && !table.load(KOL_SOURCE_DIR "/data")) __builtin_trap();
  KOL::BufrFile file;
  file.setTable(&table);
  file.open(data, size);
  KOL::BufrMessage m;
  size_t chars = 0;
  for (int n = 0; n < 256 && file.read(m); n++)
    for (int s = 0; s < m.decodedSubsets(); s++)
      for (const KOL::BufrMessage::Item& it : m.items(s)) {
        chars += m.text(it).size();
        if (it.parent >= static_cast<int>(m.items(s).size())) __builtin_trap();
      }
  return chars > size * 64 + (size_t(1) << 26) ? 1 : 0;
}
