// SYNOP-family reports from arbitrary bytes, as every report format: the decoder must read what
// it can without reading outside the text, and keep the record's fields within their sizes.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/SynopTool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  std::string text(reinterpret_cast<const char*>(data), size);
  KOL::SfcData s;
  KOL::SynopTool::decode(text.c_str(), s);
  KOL::SfcWmoData w;
  w.setData(text.c_str());
  for (int format = KOL::SfcWmoData::SYNOP; format <= KOL::SfcWmoData::CMAN; ++format) {
    w.format = format;
    KOL::SynopTool::decode(w, s);
    if (std::strlen(s.id) >= sizeof s.id || std::strlen(s.wx) >= sizeof s.wx || s.ncld < 0 ||
        s.ncld > KOL::SfcData::MAX_CLD)
      __builtin_trap();
  }
  return 0;
}
