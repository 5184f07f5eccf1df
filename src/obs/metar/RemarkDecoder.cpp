#include "obs/metar/RemarkDecoder.h"

#include <cstring>

#include "core/Const.h"
#include "core/StrLib.h"
#include "obs/metar/ReportScan.h"

namespace KOL {

namespace {

constexpr float FMISS = Const::FMISS;
constexpr int MISS = Const::MISS;
constexpr float MM_PER_HUNDREDTH = 0.254f;  // hundredths of an inch
constexpr float CM_PER_INCH = 2.54f;

bool missing(float v) { return v == FMISS; }

}  // namespace

float RemarkDecoder::tenths(float v)
{
  if (missing(v)) return FMISS;
  return (v >= 1000 ? 1000 - v : v) / 10;
}

void RemarkDecoder::decode()
{
  // Every round either takes a group or moves one word on, so the loop ends.
  while (!r_.atEnd()) {
    if (round()) continue;
    if (!r_.wordIs("$")) {
      char word[48];
      if (r_.full("%<40s ", word) || r_.part("%<40s", word) == 1) r_.sfc.addComment(word);
    }
    r_.skipWord();
  }
}

bool RemarkDecoder::round()
{
  bool any = common();
  if (r_.country == ReportScan::OTHER) return older() || any;
  any = national() || any;
  if (r_.country == ReportScan::US) {
    any = supplementary() || any;
    any = precipitation() || any;
    any = plainWords() || any;
    any = extremes() || any;
  }
  return older() || any;
}

bool RemarkDecoder::fits(int n)
{
  if (r_.scan.getMatched() < n || !r_.boundary()) return false;
  r_.take();
  return true;
}

bool RemarkDecoder::words(char lead, const char* pattern, int n, const char* trace)
{
  if (lead && !r_.lead(lead)) return false;
  if (!r_.full(pattern)) return false;
  r_.note(2, "%s", trace);
  r_.comment(n);
  return true;
}

// Observation minute, sea-level pressure and plain weather: read in every country.
bool RemarkDecoder::common()
{
  bool any = false;
  int v = MISS;
  if (r_.lead('O') && r_.full("OBS TAKEN +%d ", &v)) {
    if (v >= 0 && v < 60) r_.sfc.date.setMinute(v);
    r_.take();
    any = true;
  }
  any = seaLevel() || any;
  return weatherText() || any;
}

bool RemarkDecoder::seaLevel()
{
  int v = MISS;
  if (!r_.lead('S') || !r_.full("SLP%d ", &v)) return false;
  if (v >= 0 && v < 1100 && missing(r_.sfc.slp)) {
    float p = v / 10.0f;
    r_.sfc.slp = p + (p > 50 ? 900 : 1000);
    r_.note(2, "Sea level Pressure\n");
  }
  r_.take();
  return true;
}

bool RemarkDecoder::weatherText()
{
  char text[32];
  if (!r_.lead('W') || !(r_.full("WEA: %<20s ", text) || r_.full("WEA:%<20s ", text))) return false;
  r_.take();
  if (std::strcmp(text, "NONE") != 0) {
    char wx[40] = "";
    if (!sao_) StrLib::copy(wx, sizeof wx, "!");
    StrLib::append(wx, sizeof wx, text);
    r_.sfc.setWeather(wx);
  }
  if (r_.wordIs("SLP")) r_.skipWord();
  return true;
}

// Station type and the precise temperature group: US and Canada.
bool RemarkDecoder::national()
{
  bool any = false;
  char word[8];
  if (r_.lead('A') && ((r_.scan.getChar(1) == '0' && r_.full("%(A0A) ", word)) ||
                       r_.full("%(AO1|AO2A|AO2) ", word))) {
    r_.comment(1);
    any = true;
  }
  any = temperature() || any;
  return any;
}

bool RemarkDecoder::temperature()
{
  int t = MISS, d = MISS;
  if (!r_.lead('T') || r_.part("T%4d%4d ", &t, &d) < 2 || r_.scan.getCount() < 8) return false;
  SfcData& s = r_.sfc;
  s.temp = (t > 999 ? -(t % 1000) : t) / 10.0f;
  s.dewp = (d > 999 ? -(d % 1000) : d) / 10.0f;
  s.orFlag(2);
  r_.note(2, "New Temperature %.2f %.2f %X\n", s.temp, s.dewp, static_cast<unsigned>(s.flag));
  r_.take();
  return true;
}

bool RemarkDecoder::cloudTypes(const char* pattern, int min_count)
{
  char types[4] = "";
  if (r_.part(pattern, types) < 1 || r_.scan.getCount() < min_count) return false;
  for (int i = 0; i < 3; ++i) r_.sfc.setCldType(i, types[i] == '/' ? '-' : types[i]);
  r_.note(2, "New Cloud type\n");
  r_.take();
  return true;
}

// Cloud types, snow, hourly precipitation, pressure change and tendency, sunshine: US only.
bool RemarkDecoder::supplementary()
{
  SfcData& s = r_.sfc;
  bool any = r_.lead('8') && cloudTypes("8/%3c%*(/| ) ", 6);
  float v = FMISS;
  if (r_.lead('4') && r_.part("4/%3f%*(/| ) ", &v) >= 2 && fits(2)) {
    s.snow = v * CM_PER_INCH;
    r_.note(2, "New Snow cover\n");
    any = true;
  }
  if (r_.lead('9') && r_.part("933%3f%*(/| ) ", &v) >= 2 && fits(2)) {
    if (missing(s.snow)) s.snow = v * CM_PER_INCH;
    r_.note(2, "New Liquid eq Snow cover\n");
    any = true;
  }
  any = words('9', "931%*3f ", 1, "931 Group\n") || any;
  if (r_.lead('P') && r_.part("P%4f %*(/| ) ", &v) >= 1 && fits(1)) {
    s.prec[SfcData::PREC1] = v * MM_PER_HUNDREDTH;
    r_.note(2, "1 hr precip\n");
    any = true;
  }
  any = words('P', "PRESFR ", 1, "Old PresFR\n") || any;
  any = words('P', "PRESRR ", 1, "Old PresRR\n") || any;
  any = tendency() || any;
  if (r_.lead('9') && r_.full("98%3f ", &v)) {
    s.sun = v;
    r_.note(2, "Old/New Sunshine\n");
    r_.take();
    any = true;
  }
  return any;
}

bool RemarkDecoder::tendency()
{
  int type = MISS;
  float v = FMISS;
  if (!r_.lead('5') || r_.part("5%1d%3f%*(/| ) ", &type, &v) < 3 || !fits(3)) return false;
  r_.sfc.ptend_type = type;
  r_.sfc.ptend = (type >= 5 && type <= 8 ? -v : v) / 10;
  r_.note(2, "New Ptend\n");
  return true;
}

bool RemarkDecoder::precip(char lead, const char* pattern, int slot, const char* trace)
{
  float v = FMISS;
  if (!r_.lead(lead) || r_.part(pattern, &v) < 1 || !r_.boundary()) return false;
  float& amount = r_.sfc.prec[slot];
  if (missing(amount) && !missing(v)) amount = v * MM_PER_HUNDREDTH;
  r_.note(2, trace, v, amount);
  r_.take();
  return true;
}

// 3-, 6- and 24-hour amounts: the 6-group holds 3 hours in the reports between the main hours.
bool RemarkDecoder::precipitation()
{
  int hour = r_.sfc.getHour();
  bool three = hour != MISS && (hour % 6 == 2 || hour % 6 == 3);
  bool any = three ? precip('6', "6%4!////!f ", SfcData::PREC3, "New 3 Prec\n")
                   : precip('6', "6%4!////!f ", SfcData::PREC6, "New 6 Prec %.0f %.0f\n");
  any = precip('7', "7%4!////!f%*( |/) ", SfcData::PREC24, "New 24 Prec\n") || any;
  return any;
}

// Groups kept as words of comment.
bool RemarkDecoder::plainWords()
{
  bool any =
      StrLib::isDigit(r_.lead()) &&
      words(0, "%*2d %*(X|CLR|SCT|BKN|BRK|OVC|0VC) V %*3[/A]%*( |/) ", 4, "Variable Ceiling\n");
  any = words('R', "R%*dVR%*d%*[/A/N]%*( |/) ", 1, "Runway Visual Range\n") || any;
  any = words('P', "PK WND %*s ", 3, "Peak Wind\n") || any;
  any = words('S', "SNOINCR %*s ", 2, "Snow Increasing Rapidly\n") || any;
  any = words('P', "PCPN %*d ", 2, "Hourly Precipitation\n") || any;
  any = words('W', "WSHFT %*d ", 2, "Wind Shift\n") || any;
  any = (r_.leadIn("/C") && words(0, "%*<(/)CITY %*d ", 2, "City Temp\n")) || any;
  any = words('T', "TWR ALSTG %*d ", 3, "Tower Altimeter setting\n") || any;
  any = words('T', "TWR VIS %*d/%*d ", 3, "Tower Visibility\n") || any;
  any = words('T', "TWR VIS %*d ", 3, "Tower Visibility\n") || any;
  any = words('S', "SFC VIS %*d/%*d ", 3, "Surface Visibility\n") || any;
  any = words('S', "SFC VIS %*d ", 3, "Surface Visibility\n") || any;
  any = words('R', "%*(RNO|RM) %*d ", 2, "AMOS Status\n") || any;
  return any;
}

bool RemarkDecoder::extremes()
{
  SfcData& s = r_.sfc;
  bool any = false;
  float a = FMISS, b = FMISS;
  if (r_.lead('4') && missing(s.maxt) && r_.full("4%4f%4f ", &a, &b)) {
    s.maxt = tenths(a);
    s.mint = tenths(b);
    r_.note(2, "New Max/min temp 9 digit\n");
    r_.take();
    any = true;
  }
  if (r_.lead('1') && r_.part("1%4f%*(/| ) ", &a) >= 2 && fits(2)) {
    s.maxt6 = tenths(a);
    r_.note(2, "New Max temp\n");
    any = true;
  }
  if (r_.lead('2') && r_.part("2%4f%*(/| ) ", &a) >= 2 && fits(2)) {
    s.mint6 = tenths(a);
    r_.note(2, "New Min temp\n");
    any = true;
  }
  return any;
}

// The older SAO remark forms: tendency, snow, 24-hour precipitation, cloud types, pressure.
bool RemarkDecoder::older()
{
  if (!sao_) return false;
  SfcData& s = r_.sfc;
  bool any = false;
  int type = MISS;
  float v = FMISS, w = FMISS;
  any = words('P', "PK WND %*4d %*4dZ ", 4, "Peak Wind\n") || any;
  any = words('9', "902%*2f ", 1, "Snow\n") || any;
  if (r_.lead('9') && r_.full("904%2f ", &v)) {
    if (missing(s.snow)) s.snow = v * CM_PER_INCH;
    r_.take();
    any = true;
  }
  if (r_.lead('S') && r_.full("SOG %f ", &v)) {
    if (missing(s.snow)) s.snow = v;
    r_.take();
    any = true;
  }
  if (r_.lead('2') && r_.full("20%3f%*( |/)", &v)) {
    if (missing(s.prec[SfcData::PREC24])) s.prec[SfcData::PREC24] = v * MM_PER_HUNDREDTH;
    r_.take();
    any = true;
  }
  // The tendency, written appp or in the older shorter forms, before the cloud types that
  // also begin with 1.
  if (r_.full("%1d%2f ", &type, &v) || r_.full("%1!/!d%2!//!f%*2f ", &type, &v) ||
      r_.full("%1d%3f ", &type, &v)) {
    s.ptend_type = type;
    s.ptend = missing(v) ? FMISS : (type >= 5 && type <= 8 ? -v : v) / 10;
    r_.take();
    any = true;
  }
  any = (r_.lead('1') && cloudTypes("1%3s ", 5)) || any;
  if (r_.lead('S') && r_.full("SLP %f ", &w)) {
    if (missing(s.slp)) s.slp = w;
    r_.take();
    any = true;
  }
  return any;
}

}  // namespace KOL
