// Station table lines, station keys and domain texts from arbitrary bytes: decoding must stay
// within the fixed-size fields whatever the line holds.
#include <cstdint>
#include <string>

#include "core/String.h"
#include "geo/DomainTool.h"
#include "geo/DomainVal.h"
#include "obs/CityData.h"
#include "obs/CityHash.h"
#include "obs/CityTool.h"
#include "obs/SfcData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  KOL::CityData city;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (city.decode(line.c_str())) {
      KOL::String out;
      city.encode(out);
      KOL::CityData back;
      back.decode(out.get());
    }
    char id[KOL::CityData::ID_SIZE], wmo[KOL::CityData::WMO_SIZE];
    KOL::CityTool::toId(line.c_str(), id);
    KOL::CityTool::toWmo(line.c_str(), wmo);
    KOL::CityHash empty;
    (void)empty.find(line.c_str());
    start = end + 1;
  }
  KOL::SfcData sfc;
  sfc.addComment(text.c_str(), 50);
  sfc.setWeather(text.c_str());
  KOL::DomainVal dv;
  KOL::DomainTool::decode(dv, text.c_str());
  return 0;
}
