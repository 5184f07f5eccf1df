#include "obs/MetarTool.h"

#include <cstring>

#include "core/Const.h"
#include "core/StrLib.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/metar/MetarDecoder.h"
#include "obs/metar/ReportScan.h"

namespace KOL {

namespace {

int countryOf(int location)
{
  if (location == SfcWmoData::USA) return ReportScan::US;
  if (location == SfcWmoData::CANADA) return ReportScan::CANADA;
  return ReportScan::OTHER;
}

// The station of a bare report: its first word after the report kind and a correction.
void stationOf(const char* text, char* id, int size)
{
  static const char* const SKIP[] = {"METAR", "SPECI", "LWIS", "COR", "RTD"};
  id[0] = '\0';
  for (int k = 0; k < 4; ++k) {
    while (*text == ' ' || *text == 30 || *text == '\n' || *text == '\r') ++text;
    int n = 0;
    while (text[n] && !StrLib::isSpace(text[n])) ++n;
    bool skip = false;
    for (const char* s : SKIP)
      skip = skip || (n == (int)std::strlen(s) && !std::strncmp(text, s, n));
    if (!skip) {
      StrLib::copy(id, size, text, n);
      return;
    }
    text += n;
  }
}

}  // namespace

int MetarTool::locationOf(const char* id)
{
  static const char* const US[] = {"K", "PA", "PH", "PG", "PK", "PT", "TJ", "TI"};
  if (!id) return 0;
  for (const char* p : US)
    if (std::strncmp(id, p, std::strlen(p)) == 0) return SfcWmoData::USA;
  return id[0] == 'C' ? SfcWmoData::CANADA : 0;
}

int MetarTool::decode(const SfcWmoData& w, SfcData& out)
{
  out.init();
  out.type = w.format == SfcWmoData::METAR ? 1 : w.format == SfcWmoData::SPECI ? 2 : 0;
  out.setId(w.id);
  ReportScan r(w.data, out, countryOf(w.location));
  return MetarDecoder(r).decode(w);
}

int MetarTool::decode(const char* text, SfcData& out)
{
  SfcWmoData w;
  w.format = SfcWmoData::METAR;
  if (text) {
    w.setData(text);
    stationOf(w.data, w.id, SfcWmoData::ID_SIZE);
    w.location = locationOf(w.id);
  }
  return decode(w, out);
}

}  // namespace KOL
