#include "obs/metar/MetarDecoder.h"

#include <cstring>

#include "core/Const.h"
#include "core/StrLib.h"
#include "obs/SfcWmoData.h"
#include "obs/metar/RemarkDecoder.h"
#include "obs/metar/ReportScan.h"

namespace KOL {

namespace {

constexpr int MISS = Const::MISS;
constexpr float FMISS = Const::FMISS;
constexpr int MAX_WX = 5;

// Two-letter descriptors and phenomena of a weather group.
constexpr const char* WX_CODES = "MIPRBCDRBLSHTSFZDZRASNSGICPLGRGSUPBRFGFUVADUSAHZPYPOSQFCSSDS";

// The wind group forms, by the fields they carry.
enum WindKind : int { VRB_GUST, VRB, DIR_GUST, DIR, TENS_GUST, TENS, SPEED };

float value(int v) { return v == MISS ? FMISS : static_cast<float>(v); }

}  // namespace

float MetarDecoder::speedFactor(const char* unit)
{
  if (std::strcmp(unit, "KT") == 0 || std::strcmp(unit, "KTS") == 0) return 1.0f;
  if (std::strcmp(unit, "MPS") == 0) return 1.944f;
  return 0.53996f;
}

float MetarDecoder::visFactor(const char* unit)
{
  if (std::strcmp(unit, "NM") == 0) return 1.1508f;
  if (std::strcmp(unit, "KM") == 0) return 0.62137f;
  return 1.0f;
}

float MetarDecoder::metres(int m) { return m == MISS || m == 9999 ? FMISS : m * 0.00062136f; }

bool MetarDecoder::isWeather(const char* g)
{
  if (*g == '+' || *g == '-') ++g;
  if (g[0] == 'V' && g[1] == 'C') g += 2;
  if (!*g) return false;
  for (; *g; g += 2) {
    if (!g[1]) return false;
    bool known = false;
    for (const char* c = WX_CODES; *c && !known; c += 2) known = c[0] == g[0] && c[1] == g[1];
    if (!known) return false;
  }
  return true;
}

int MetarDecoder::decode(const SfcWmoData& w)
{
  header(w);
  if (r_.lead('N') && r_.full("%*(NIL) ")) {
    r_.sfc.type = 0;
    return 0;
  }
  char word[8];
  if (r_.lead('A') && r_.full("%(AUTO) ", word)) r_.take();
  if (r_.lead('C') && r_.full("%(CCA|CCB|CCC|CCD) ", word)) r_.take();
  wind();
  // The variable direction group, and a wind group left empty (a lone M or unit).
  if (r_.scan.getChar(3) == 'V' && r_.full("%*3d%*(V)%*3d ")) {
    r_.note(4, "METAR Wind Var\n");
    r_.take();
  } else if (r_.wordIs("M") || (r_.leadIn("KM") && r_.full("%*(KT|MPS|KMH) "))) {
    r_.skipWord();
  }
  if (r_.lead('C') && r_.full("%*(CAVOK) ")) {
    r_.take();
    cavok_ = true;
    r_.sfc.setCldCover(0, 'C');
    r_.sfc.vis = 10;
  } else {
    r_.note(4, "METAR Cloud/Vis\n");
    visibility();
  }
  rvr();
  if (!cavok_) weather();
  rvr();
  clouds();
  temperature();
  pressure();
  remarks();
  return 1;
}

void MetarDecoder::header(const SfcWmoData& w)
{
  SfcData& s = r_.sfc;
  char word[80];
  if (r_.leadIn("MSL") && r_.full("%(METAR|SPECI|LWIS) ", word)) {
    s.type = word[0] == 'S' ? 2 : 1;
    r_.take();
  }
  skipCorrection();
  if (r_.full("%4s ", word)) {
    s.setId(word);
    r_.take();
  }
  if (r_.country == ReportScan::US && s.id[0] == 'C') r_.country = ReportScan::CANADA;
  if (r_.leadIn("MS") && r_.full("%(METAR|SPECI) ", word)) {
    s.type = word[0] == 'S' ? 2 : 1;
    r_.take();
  }
  s.setPlatform("ME");
  r_.setDate(w);

  skipCorrection();
  time();
  skipCorrection();
  if (r_.lead('R') && r_.full("%*(RMK) ")) r_.take();
  if (r_.leadDigit() && !r_.digitsWord(5) && r_.full("%*4d%*(Z|UTC) ")) r_.take();
}

void MetarDecoder::skipCorrection()
{
  if (r_.leadIn("RC") && r_.full("%*(RTD|COR) ")) r_.take();
}

void MetarDecoder::time()
{
  r_.note(4, "METAR Time\n");
  int d = MISS, h = MISS, m = MISS;
  if (!r_.leadDigit()) return;
  bool five = r_.digitsWord(5);
  bool zulu = r_.full("%2d%2d%2d%*(Z|UTC) ", &d, &h, &m);
  if (!zulu && !five) {
    d = MISS;
    zulu = r_.full("%2d%2d%*(Z|UTC) ", &h, &m);
  }
  // A group marked Z is the time even when its values are not, and is passed over then.
  if (zulu) {
    if (!applyTime(d, h, m)) r_.take();
    return;
  }
  if (r_.full("%2d%2d%2d ", &d, &h, &m) && applyTime(d, h, m)) return;
  d = MISS;
  if (!five && r_.full("%2d%2d ", &h, &m)) applyTime(d, h, m);
}

// A time group is taken only when its values are a time of day.
bool MetarDecoder::applyTime(int day, int hour, int minute)
{
  if (minute == MISS || !r_.setTime(day, hour, minute)) return false;
  r_.take();
  return true;
}

void MetarDecoder::wind()
{
  r_.note(4, "METAR Wind\n");
  SfcData& s = r_.sfc;
  if (r_.lead('C') && r_.full("%*(CALM) ")) {
    s.wdir = s.wspd = 0;
    r_.take();
    return;
  }
  char c = r_.lead();
  if (c == 'V' || c == 'E') {
    if (windGroup(VRB_GUST, "%*!!(E)%*(VRB)%2d%*(/|G)%<3d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(VRB, "%*(VRB)%3d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(VRB, "%*(VRB)%2d%!!(KTS|KT|MPS|KMH) "))
      return;
  }
  if (StrLib::isDigit(c) || c == 'E') {
    if (windGroup(DIR_GUST, "%*!!(E)%3d%3d%*(/|G)%<3d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(DIR_GUST, "%*!!(E)%3d%2!//!d%*(/|G)%<3d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(DIR, "%*!!(E)%3d%3d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(DIR, "%*!!(E)%3d%2!//!d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(TENS_GUST, "%*!!(E)%2d%2d%*(/|G)%<3d%!!(KTS|KT|MPS|KMH) ") ||
        windGroup(TENS, "%*!!(E)%2d%2d%!!(KTS|KT|MPS|KMH) "))
      return;
  }
  if (c != '/') return;
  if (windGroup(SPEED, "%*(///)%2d%!!(KTS|KT|MPS|KMH) ")) return;
  if (r_.full("%*(/////)%*(KTS|KT|MPS|KMH) ") || r_.full("%*(/////) ")) r_.take();
}

// Scans one wind form and stores it when it fits: a complete group with a direction of at most
// 360 degrees. The two-digit direction forms need their unit, or any four digits would do.
bool MetarDecoder::windGroup(int kind, const char* pattern)
{
  bool gusty = kind == VRB_GUST || kind == DIR_GUST || kind == TENS_GUST;
  if (gusty && !r_.wordHas('G') && !r_.wordHas('/')) return false;
  int dir = MISS, spd = MISS, gust = MISS;
  char unit[8] = "";
  bool ok = false;
  switch (kind) {
    case VRB_GUST:
      ok = r_.full(pattern, &spd, &gust, unit);
      break;
    case VRB:
    case SPEED:
      ok = r_.full(pattern, &spd, unit);
      break;
    case DIR_GUST:
    case TENS_GUST:
      ok = r_.full(pattern, &dir, &spd, &gust, unit);
      break;
    default:
      ok = r_.full(pattern, &dir, &spd, unit);
      break;
  }
  if (!ok) return false;
  if (kind == TENS || kind == TENS_GUST) {
    if (!unit[0]) return false;
    dir *= 10;
  }
  if (kind == VRB || kind == VRB_GUST) dir = 0;
  if (dir != MISS && (dir < 0 || dir > 360)) return false;
  float f = speedFactor(unit);
  SfcData& s = r_.sfc;
  s.wdir = value(dir);
  s.wspd = spd == MISS ? FMISS : spd * f;
  s.gust = gust == MISS ? FMISS : gust * f;
  r_.take();
  return true;
}

void MetarDecoder::visibility()
{
  SfcData& s = r_.sfc;
  r_.note(4, "METAR Visibility\n");
  int v = MISS;
  char unit[8];
  if (r_.lead('/') && r_.full("%*(////) ")) {
    r_.take();
    return;
  }
  if ((r_.lead('P') && r_.full("%*(P)%<4d%(SM|NM|KM) ", &v, unit)) ||
      r_.full("%*(M|)%<3d%(SM|NM|KM) ", &v, unit)) {
    s.vis = v * visFactor(unit);
    r_.take();
    return;
  }
  // Fractions: a solidus in this group or, after a whole number, in the next.
  if ((r_.wordHas('/') || r_.wordLength() == 1) && fraction()) return;
  if (!r_.leadDigit()) return;
  if (r_.full("%4d%*[/A] ", &v)) {
    r_.note(2, "Vis ####AA group\n");
    s.vis = metres(v);
    r_.take();
    if (r_.full("%*4d%*[/A] ")) {
      r_.note(2, "Additional Vis group\n");
      r_.take();
    }
    return;
  }
  if (r_.full("%4d ", &v)) {
    s.vis = metres(v);
    r_.take();
    if (r_.full("%*4d%*[/A] ") || r_.full("%*4d ")) r_.take();
    return;
  }
  if (r_.full("%<3d ", &v)) {
    s.vis = static_cast<float>(v);
    r_.take();
  }
}

// The fraction forms, with a unit, then without one (statute miles); a temperature group ends
// the search.
bool MetarDecoder::fraction()
{
  static const char* const WITH_UNIT[] = {"%*(M|)%1d/%<2d%(SM|NM) ", "%*(M|)%1d%1d/%1d%(SM|NM) ",
                                          "%*(M|)%1d %1d/%<2d%(SM|NM) "};
  static const char* const BARE[] = {"%*(M|)%1d/%<2d ", "%*(M|)%1d%1d/%1d ", "%*(M|)%1d %1d/%<2d "};
  char unit[8] = "SM";
  for (int pass = 0; pass < 2; ++pass) {
    const char* const* forms = pass == 0 ? WITH_UNIT : BARE;
    for (int k = 0; k < 3; ++k) {
      int whole = 0, num = 0, den = 1;
      bool ok = k == 0 ? r_.full(forms[k], &num, &den, unit)
                       : r_.full(forms[k], &whole, &num, &den, unit);
      if (!ok) continue;
      if (den == 0) den = 1;
      r_.sfc.vis = (whole + static_cast<float>(num) / den) * visFactor(unit);
      r_.take();
      return true;
    }
    if (pass == 0 && r_.full("%*(M|)%*2d/%*(M|)%*2d ")) return true;
    std::strcpy(unit, "SM");
  }
  return false;
}

void MetarDecoder::rvr()
{
  for (int i = 0; i < 20 && r_.lead('R'); ++i) {
    bool ok = r_.full("RVRNO ") ||
              (r_.wordLength() < 20 &&
               (r_.full("RVR%*d/%*s ") || r_.full("R%*d/%*s ") || r_.full("R%*d%*c/%*s ")));
    if (!ok) return;
    r_.note(4, "METAR RVR\n");
    r_.comment(1);
  }
}

bool MetarDecoder::weatherEnds() const
{
  static const char* const STOPS[] = {"RMK", "SKC",  "CLR", "FEW",  "SCT", "-SCT", "BKN", "-BKN",
                                      "OVC", "-OVC", "0VC", "-0VC", "VV",  "NSC",  "NCD"};
  for (const char* stop : STOPS)
    if (r_.wordStarts(stop)) return true;
  return false;
}

void MetarDecoder::weather()
{
  r_.note(4, "METAR Weather\n");
  if (r_.lead('/') && r_.full("%*(//) ")) {
    r_.take();
    return;
  }
  char wx[64] = "!";
  char group[80];
  int n = 0;
  while (n < MAX_WX && r_.leadIn("+-ABDFGHIMPRSTUV") && !weatherEnds() &&
         !(r_.lead('M') && r_.full("%*(M)%*d ")) && !(r_.lead('R') && r_.full("%*(R)%*d ")) &&
         r_.wordLength() < 20 && r_.full("%[/A-+] ", group) && isWeather(group)) {
    if (n > 0) StrLib::append(wx, sizeof wx, "_");
    StrLib::append(wx, sizeof wx, group);
    r_.take();
    ++n;
  }
  if (n > 0) r_.sfc.setWeather(wx);
}

void MetarDecoder::clouds()
{
  r_.note(4, "METAR Cloud\n");
  SfcData& s = r_.sfc;
  if ((r_.lead('N') && (r_.full("%*(NCD) ") || r_.full("%*(NSC) "))) ||
      (r_.leadIn("SC") && r_.full("%*(SKC|CLR) "))) {
    s.setCldCover(0, 'C');
    r_.take();
    return;
  }
  int n = 0;
  for (int i = 0; i < 10 && n < SfcData::MAX_CLD && !r_.atEnd(); ++i) {
    // Groups of solidi stand for layers (or a temperature) an automatic station could not see.
    if (r_.wordStarts("///")) {
      r_.skipWord();
      continue;
    }
    if (r_.lead('(') && r_.full("(%*3[/A]) ")) {
      r_.comment(1);
      continue;
    }
    if (!layer(n)) break;
    ++n;
  }
}

// One layer group into layer i; heights are in hundreds of feet.
bool MetarDecoder::layer(int i)
{
  SfcData& s = r_.sfc;
  int okta = MISS, h = MISS;
  char cover = ' ';
  char word[80];
  bool digit = r_.leadDigit();
  if (r_.lead('0') && r_.full("0VC%3!///!d ", &h)) {
    cover = 'O';
  } else if (digit && (r_.full("%1d%2[/A]%3d ", &okta, word, &h) ||
                       r_.full("%1d%4[/A]%3d ", &okta, word, &h))) {
    cover = okta == 9 ? 'X' : static_cast<char>('0' + okta);
  } else if (digit && r_.full("%1d%2[/A]%*(///) ", &okta, word)) {
    cover = okta == 9 ? 'X' : static_cast<char>('0' + okta);
    h = 0;
  } else if (r_.lead('V') && r_.full("VV%3!///!d ", &h)) {
    cover = 'X';
  } else if (!r_.leadIn("FSBO")) {
    return false;
  } else if (layerWord(word, h)) {
    bool known = std::strcmp(word, "FEW") == 0 || std::strcmp(word, "SCT") == 0 ||
                 std::strcmp(word, "BKN") == 0 || std::strcmp(word, "OVC") == 0;
    if (!known) return false;
    cover = word[0];
  } else {
    return false;
  }
  s.setCldCover(i, cover);
  s.setCldHeight(i, h == MISS ? FMISS : h * 100.0f);
  r_.take();
  return true;
}

// The cover word forms: with "///" for an unseen cloud type, with a cloud type, or plain. The
// character after the height tells which can fit.
bool MetarDecoder::layerWord(char* word, int& h)
{
  char next = r_.scan.getChar(6);
  if (next == '/' && r_.full("%3[/A]%3!///!d%*(///) ", word, &h)) return true;
  if (next != '/' && next != ' ' && r_.full("%3[/A]%3!///!d%*[/A] ", word, &h)) return true;
  return r_.full("%3[/A]%3!///!d ", word, &h);
}

void MetarDecoder::temperature()
{
  r_.note(4, "METAR Temp/Dewpt\n");
  if (temperatureGroup()) return;
  // A group out of place: look for the temperature up to the remarks, and stay when none is
  // found so that the pressure can still be read.
  int start = r_.scan.getOffset();
  while (!r_.atEnd() && !r_.wordIs("RMK")) {
    if (r_.tracing(2)) {
      char word[80];
      if (r_.full("%s", word)) r_.note(2, "Unaccounted data: %s\n", word);
    }
    r_.skipWord();
    if (temperatureGroup()) return;
  }
  r_.scan.offset(start);
}

bool MetarDecoder::temperatureGroup()
{
  // The temperature itself must be there, as a number or as XX.
  char c = r_.lead() == 'M' ? r_.scan.getChar(1) : r_.lead();
  if (!StrLib::isDigit(c) && c != 'X' && c != '-') return false;
  char m1[4] = "", m2[4] = "";
  float t = FMISS, d = FMISS;
  bool ok = r_.full("%!!(M)%<3!XX!f/%!!(M)%<3!XX!f ", m1, &t, m2, &d);
  if (!ok) {
    d = FMISS;
    ok = r_.full("%!!(M)%<3!XX!f/// ", m1, &t) || r_.full("%!!(M)%<3!XX!f%*(/) ", m1, &t);
  }
  // Three digits are no temperature: the group is corrupt.
  auto corrupt = [](float v) { return v != FMISS && (v >= 100 || v <= -100); };
  if (!ok || corrupt(t) || corrupt(d)) return false;
  // A leading M negates; M00 is zero.
  if (m1[0] == 'M' && t != FMISS && t != 0) t = -t;
  if (m2[0] == 'M' && d != FMISS && d != 0) d = -d;
  r_.sfc.temp = t;
  r_.sfc.dewp = d;
  r_.take();
  return true;
}

void MetarDecoder::pressure()
{
  r_.note(4, "METAR Pressure\n");
  if (r_.lead('/') && r_.full("/ ")) r_.take();
  if (altimeter()) return;
  // Groups out of place: an altimeter further on, up to the remarks.
  int start = r_.scan.getOffset();
  while (!r_.atEnd() && !r_.wordIs("RMK")) {
    r_.skipWord();
    if ((r_.lead('A') || r_.lead('Q')) && altimeter()) return;
  }
  r_.scan.offset(start);
}

bool MetarDecoder::altimeter()
{
  float v = FMISS;
  char kind[4] = "";
  float& alt = r_.sfc.alt;
  if (r_.leadDigit() && r_.full("%4f%*(INS) ", &v)) {
    alt = v / 100;
  } else if (r_.leadIn("AQ") && r_.full("%(A|Q)%4f ", kind, &v)) {
    alt = kind[0] == 'A' ? v / 100 : v * 0.0295386f;
  } else if (r_.leadDigit() && r_.full("%4f ", &v)) {
    alt = v < 2000 ? v * 0.0295386f : v / 100;
  } else {
    return false;
  }
  r_.take();
  return true;
}

void MetarDecoder::remarks()
{
  // Trend and runway groups between the pressure and the remarks are passed over.
  if (!r_.wordIs("RMK")) {
    if (!r_.scan.search(" RMK ")) return;
    r_.take();
    r_.scan.inc(1);
  }
  r_.note(4, "METAR Remarks\n");
  r_.sfc.orFlag(1);
  r_.skipWord();
  RemarkDecoder(r_, false).decode();
}

}  // namespace KOL
