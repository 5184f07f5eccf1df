#include "obs/SaoTool.h"

#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/metar/ReportScan.h"
#include "obs/metar/SaoDecoder.h"

namespace KOL {

int SaoTool::decode(const SfcWmoData& w, SfcData& out)
{
  out.init();
  out.type = w.format == SfcWmoData::SP ? 4 : 3;
  out.setId(w.id);
  int country = w.location == SfcWmoData::USA      ? ReportScan::US
                : w.location == SfcWmoData::CANADA ? ReportScan::CANADA
                                                   : ReportScan::OTHER;
  ReportScan r(w.data, out, country);
  return SaoDecoder(r).decode(w);
}

int SaoTool::decode(const char* text, SfcData& out)
{
  SfcWmoData w;
  w.format = SfcWmoData::SA;
  if (text) w.setData(text);
  return decode(w, out);
}

float SaoTool::decodeAlt(int code) { return SaoDecoder::decodeAlt(code); }

}  // namespace KOL
