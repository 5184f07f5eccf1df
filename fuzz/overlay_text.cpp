// The text files of the overlay layers from arbitrary bytes: the overlay file of lines, areas,
// points and texts (MiscPlot) and the delimited station file (RawPlot), and the MOS bulletins
// a meteogram reads; whatever they hold, the readers keep within their records.
#include <cstdint>

#include "FuzzFile.h"
#include "layers/MeteoPlot.h"
#include "layers/MiscPlot.h"
#include "layers/RawPlot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const char* name = fuzz::asFile(data, size);
  if (!name) return 0;
  KOL::MiscPlot misc;
  if (misc.setFilename(name)) misc.load();
  KOL::RawPlot raw;
  if (raw.setFilename(name)) raw.load();
  KOL::MeteoPlot meteo;
  if (meteo.setFilename(name)) meteo.load();
  return 0;
}
