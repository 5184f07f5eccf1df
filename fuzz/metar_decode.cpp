// METAR, SPECI and SA reports from arbitrary bytes: the decoders must read whatever they can
// without reading outside the text or failing, and leave every text field of the record
// terminated within its size.
#include <cstdint>
#include <cstring>
#include <string>

#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/Scanp.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"

namespace {

void checkRecord(const KOL::SfcData& s)
{
  if (std::strlen(s.id) >= sizeof s.id || std::strlen(s.wx) >= sizeof s.wx ||
      std::strlen(s.comment) >= sizeof s.comment || s.ncld < 0 || s.ncld > KOL::SfcData::MAX_CLD)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  KOL::SfcData s;
  KOL::MetarTool::decode(text.c_str(), s);
  checkRecord(s);
  KOL::SaoTool::decode(text.c_str(), s);
  checkRecord(s);

  // The same text under each country's rules and report format.
  KOL::SfcWmoData w;
  w.setData(text.c_str());
  for (int location = 0; location <= KOL::SfcWmoData::MEXICO; ++location) {
    w.location = location;
    w.format = KOL::SfcWmoData::METAR;
    KOL::MetarTool::decode(w, s);
    checkRecord(s);
    w.format = KOL::SfcWmoData::SA;
    KOL::SaoTool::decode(w, s);
    checkRecord(s);
  }

  // The first line as a scanner pattern over the rest.
  size_t nl = text.find('\n');
  if (nl != std::string::npos) {
    std::string pattern = text.substr(0, nl);
    KOL::Scanp scan(text.c_str() + nl + 1);
    // Only skipped fields: arbitrary patterns must not take arguments.
    bool skipOnly = true;
    for (size_t i = 0; i + 1 < pattern.size(); ++i)
      if (pattern[i] == '%' && pattern[i + 1] != '*' && pattern[i + 1] != '%') skipOnly = false;
    if (skipOnly) {
      scan.scan(pattern.c_str());
      scan.inc();
      scan.scan(pattern.c_str());
    }
  }
  return 0;
}
