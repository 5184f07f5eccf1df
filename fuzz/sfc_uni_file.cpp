// The plain surface table from arbitrary bytes: column names, quoted cells, short rows.
#include <cstdint>

#include "FuzzFile.h"
#include "obs/SfcUniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* name = fuzz::asFile(data, size);
  KOL::SfcUniFile f;
  if (!name || !f.open(name)) return 0;
  fuzz::readAll(f);
  if (f.rewind()) fuzz::readAll(f);
  return 0;
}
