#include "obs/SynopTool.h"

#include <cstring>

#include "core/Const.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/WxTool.h"
#include "obs/metar/ReportScan.h"
#include "obs/synop/SynopDecoder.h"

namespace KOL {

namespace {

// The report format a leading section word names; SYNOP without one.
int formatOf(const char* text)
{
  static const struct {
    const char* word;
    int format;
  } WORDS[] = {{"AAXX", SfcWmoData::SYNOP},
               {"BBXX", SfcWmoData::SHIP},
               {"ZZYY", SfcWmoData::DRIBU},
               {"OOXX", SfcWmoData::MOBIL},
               {"CMAN", SfcWmoData::CMAN}};
  while (*text == ' ') ++text;
  for (const auto& w : WORDS)
    if (!std::strncmp(text, w.word, 4) && (text[4] == ' ' || !text[4])) return w.format;
  return SfcWmoData::SYNOP;
}

int weatherField(const char* abbreviation, String& text)
{
  if (!abbreviation || abbreviation[0] == ' ' || !abbreviation[0]) {
    text.copy("");
    return 0;
  }
  text.copy("!");
  text.append(abbreviation);
  return 1;
}

}  // namespace

int SynopTool::decode(const SfcWmoData& w, SfcData& out)
{
  out.init();
  ReportScan r(w.data, out, ReportScan::OTHER);
  int format =
      w.format >= SfcWmoData::SYNOP && w.format <= SfcWmoData::CMAN ? w.format : formatOf(w.data);
  return SynopDecoder(r, format).decode(w);
}

int SynopTool::decode(const char* text, SfcData& out)
{
  SfcWmoData w;
  if (text) w.setData(text);
  w.format = formatOf(w.data);
  return decode(w, out);
}

float SynopTool::ceiling(int h) { return WxTool::getWmoCldBase(h); }

float SynopTool::visibility(int vv) { return vv == 90 ? 0.0f : WxTool::getWmoVis(vv); }

int SynopTool::toCeilingCode(float feet)
{
  return feet == Const::FMISS ? Const::MISS : WxTool::getWmoCeilingToCode(feet);
}

int SynopTool::weather(int ww, String& text)
{
  return weatherField(WxTool::getWmoWeather(ww), text);
}

int SynopTool::autoweather(int ww, String& text)
{
  return weatherField(WxTool::getWmoAutoWeather(ww), text);
}

}  // namespace KOL
