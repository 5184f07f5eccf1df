#include "obs/CityTool.h"

#include <cstring>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"
#include "geo/EarthPoint.h"
#include "obs/CityFile.h"

namespace KOL {

namespace {

bool matchOne(const char* pattern, const CityData& data)
{
  if (StrLib::iequal(pattern, "st=", 3)) return StrLib::iequal(data.state, pattern + 3);
  if (StrLib::iequal(pattern, "co=", 3)) return StrLib::iequal(data.country, pattern + 3);
  if (StrLib::iequal(pattern, "wmo=", 4))
    return data.wmo[0] && std::strncmp(data.wmo, pattern + 4, std::strlen(pattern + 4)) == 0;
  return StrLib::match(data.id, pattern);
}

}  // namespace

int CityTool::getFilename(const char* name, String& out)
{
  out.clear();
  if (!StrLib::valid(name)) name = Kol::resrc.get("city_file", DEFAULT_FILE);
  if (!StrLib::valid(name) || StrLib::iequal(name, "none")) return 0;
  return FileTool::addPath(Kol::getDatabasePath(), name, out) ? 1 : 0;
}

int CityTool::search(const char* file, const char* key, CityData& data)
{
  data.init();
  if (!StrLib::valid(key)) return 0;
  String path;
  if (!getFilename(file, path)) return 0;
  Kol::outMessage(Kol::OUT8, "Searching the city database file for: %s ...\n", key);
  CityFile table(path.get(), 0);
  if (!table.isOpen()) return 0;
  while (table.read(data)) {
    if (StrLib::iequal(data.id, key) || StrLib::iequal(data.name, key) ||
        (data.wmo[0] && StrLib::iequal(data.wmo, key)))
      return 1;
  }
  data.init();
  return 0;
}

int CityTool::locate(const char* file, const char* key, float& lat, float& lon)
{
  CityData data;
  if (!search(file, key, data)) return 0;
  lat = data.lat;
  lon = data.lon;
  return 1;
}

int CityTool::locate(const char* file, const char* key, EarthPoint& loc)
{
  float lat = Const::FMISS, lon = Const::FMISS;
  int found = locate(file, key, lat, lon);
  loc.set(lat, lon);
  return found;
}

int CityTool::toId(const char* text, char* id)
{
  if (!id) return 0;
  id[0] = '\0';
  if (!text) return 0;
  int n = 0;
  while (text[n] && !StrLib::isSpace(text[n]) && n < CityData::ID_SIZE - 1) {
    id[n] = static_cast<char>(StrLib::toUpper(text[n]));
    n++;
  }
  id[n] = '\0';
  return n > 0 ? 1 : 0;
}

int CityTool::toWmo(const char* text, char* wmo)
{
  if (!wmo) return 0;
  wmo[0] = '\0';
  if (!text || StrLib::length(text) != CityData::WMO_SIZE - 1) return 0;
  bool digits = StrLib::isNum(text, CityData::WMO_SIZE - 1);
  bool coded = StrLib::isAlpha(text[0]) && StrLib::isAlnum(text[1]) && StrLib::isDigit(text[2]) &&
               StrLib::isDigit(text[3]) && StrLib::isDigit(text[4]);
  if ((!digits && !coded) || StrLib::equal(text, "99999")) return 0;
  for (int i = 0; i < CityData::WMO_SIZE; i++) wmo[i] = static_cast<char>(StrLib::toUpper(text[i]));
  return 1;
}

bool CityTool::compareData(const Strings& patterns, const CityData& data)
{
  bool anyPositive = false, accepted = false;
  for (int i = 0; i < patterns.getNum(); i++) {
    const char* p = patterns.getString(i);
    if (!StrLib::valid(p)) continue;
    if (p[0] == '!') {
      if (p[1] && matchOne(p + 1, data)) return false;
      continue;
    }
    anyPositive = true;
    accepted = accepted || matchOne(p, data);
  }
  return accepted || !anyPositive;
}

}  // namespace KOL
