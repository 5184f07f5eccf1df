#include "layers/mosplot/MosReport.h"

#include <strings.h>

#include <cctype>
#include <string>

#include "core/Const.h"
#include "layers/VarSpec.h"
#include "obs/Datum.h"
#include "obs/SfcDataTool.h"

namespace KOL::mosplot {

namespace {

float number(const MosBulletin::Station& s, const char* element, size_t column)
{
  const MosBulletin::Value* v = s.find(element, column);
  return v && v->numeric ? static_cast<float>(v->number) : Const::FMISS;
}

float celsius(float f) { return Const::isMiss(f) ? f : (f - 32.0f) * 5.0f / 9.0f; }

// Midpoints of the ceiling (hundreds of feet) and visibility (miles) categories of the GFS
// MOS bulletin (NWS Technical Procedures Bulletin 408); the last ones are open ended.
float ceilingFeet(float category)
{
  static const float FEET[] = {100, 300, 700, 1500, 2500, 4800, 9300};
  const int c = static_cast<int>(category);
  return c >= 1 && c <= 7 ? FEET[c - 1] : Const::FMISS;
}

float visibilityMiles(float category)
{
  static const float MILES[] = {0.25f, 0.75f, 1.5f, 2.5f, 4.0f, 6.0f, 10.0f};
  const int c = static_cast<int>(category);
  return c >= 1 && c <= 7 ? MILES[c - 1] : Const::FMISS;
}

// CL FW SC BK OV (and the extended bulletin's PC, partly cloudy) as the cover letters of a
// surface report.
char cover(const MosBulletin::Value* v)
{
  if (!v || v->text.size() < 2) return ' ';
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(v->text[0])));
  if (c == 'P') return 'S';
  return c == 'C' || c == 'F' || c == 'S' || c == 'B' || c == 'O' ? c : ' ';
}

}  // namespace

MosReport::MosReport(const MosBulletin::Station& s, size_t col, float lat, float lon)
    : station(&s), column(col)
{
  sfc.init();
  sfc.setId(s.id.c_str());
  sfc.lat = lat;
  sfc.lon = lon;
  sfc.temp = celsius(number(s, "TMP", col));
  sfc.dewp = celsius(number(s, "DPT", col));
  // the wind's direction comes in tens of degrees; the extended bulletin gives only a speed
  const float wdr = number(s, "WDR", col);
  sfc.wdir = Const::isMiss(wdr) ? wdr : wdr * 10.0f;
  sfc.wspd = number(s, "WSP", col);
  if (Const::isMiss(sfc.wspd)) sfc.wspd = number(s, "WND", col);
  if (const char c = cover(s.find("CLD", col)); c != ' ') {
    sfc.setCldCover(0, c);
    sfc.setCldHeight(0, c == 'C' ? Const::FMISS : ceilingFeet(number(s, "CIG", col)));
  }
  sfc.vis = visibilityMiles(number(s, "VIS", col));
  // X/N (N/X) is the daytime maximum in the columns of 00 UTC, the night's minimum otherwise
  float xn = celsius(number(s, "X/N", col));
  if (Const::isMiss(xn)) xn = celsius(number(s, "N/X", col));
  const bool day = col < s.hours.size() && (s.hour + s.hours[col]) % 24 == 0;
  (day ? sfc.maxt : sfc.mint) = xn;
}

int MosReport::compute(const VarSpec& spec, Datum& d) const
{
  if (SfcDataTool::isVariable(spec.getName())) return SfcDataTool::compute(sfc, spec, d);
  std::string element = spec.getName();
  for (char& c : element) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const MosBulletin::Value* v = station->find(element, column);
  d.init();
  d.setId(sfc.id);
  d.setLoc(sfc.lat, sfc.lon);
  if (!v || !v->present) return 0;
  if (v->numeric)
    d.set(Datum::VALUE, static_cast<float>(v->number));
  else
    d.set(Datum::TEXT, v->text.c_str());
  d.setFormat(spec.getFormat());
  return 1;
}

}  // namespace KOL::mosplot
