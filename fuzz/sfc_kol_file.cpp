// The own surface file from arbitrary bytes: header, date label and records, rewound and read
// again.
#include <cstdint>

#include "FuzzFile.h"
#include "obs/SfcKolFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* name = fuzz::asFile(data, size);
  KOL::SfcKolFile f;
  if (!name || !f.open(name, KOL::SfcKolFile::READ)) return 0;
  fuzz::readAll(f);
  if (f.rewind()) fuzz::readAll(f);
  return 0;
}
