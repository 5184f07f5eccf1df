// The netCDF surface file from arbitrary bytes: dimensions, variables of any shape, missing ones.
#include <cstdint>

#include "FuzzFile.h"
#include "obs/SfcCdfFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* name = fuzz::asFile(data, size);
  KOL::SfcCdfFile f;
  if (!name || !f.open(name, KOL::SfcCdfFile::READ)) return 0;
  fuzz::readAll(f);
  if (f.rewind()) fuzz::readAll(f);
  return 0;
}
