// Level texts and GRIB level codes from arbitrary bytes: decoding, encoding and the codes of
// whatever was decoded must stay within bounds.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/String.h"
#include "grid/Level.h"
#include "obs/VCoord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  KOL::Level level;
  level.decode(text.c_str());
  KOL::String out(4);
  level.toString(out);
  level.toLabel(out);
  KOL::Level again(out.get());
  (void)level.toTypeCode();
  (void)level.toLevelCode();
  KOL::VCoord c;
  level.getLower(c);
  level.getUpper(c);

  if (size >= 8) {
    int32_t type, code;
    std::memcpy(&type, data, 4);
    std::memcpy(&code, data + 4, 4);
    KOL::Level coded;
    coded.decode(type, code);
    coded.toString(out);
    coded.toLabel(out);
    (void)coded.toLevelCode();
  }
  return 0;
}
