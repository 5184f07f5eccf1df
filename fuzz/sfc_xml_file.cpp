// The XML surface file from arbitrary bytes, plain or gzip-compressed.
#include <cstdint>

#include "FuzzFile.h"
#include "obs/SfcXmlFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* name = fuzz::asFile(data, size);
  KOL::SfcXmlFile f;
  if (!name || !f.open(name, KOL::SfcXmlFile::READ, false)) return 0;
  fuzz::readAll(f);
  if (f.rewind()) fuzz::readAll(f);
  return 0;
}
