// Reports cut out of arbitrary bytes taken as a bulletin file or capture: headings, section
// lines, report starts and ends, framing, lines of any length.
#include <cstdint>
#include <cstring>

#include "FuzzFile.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* name = fuzz::asFile(data, size);
  KOL::SfcWmoFile f;
  if (!name || !f.open(name)) return 0;
  KOL::SfcWmoData w;
  while (f.read(w))
    if (strnlen(w.data, sizeof w.data) >= sizeof w.data || !w.format) __builtin_trap();
  return 0;
}
