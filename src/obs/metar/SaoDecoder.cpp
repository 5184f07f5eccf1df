#include "obs/metar/SaoDecoder.h"

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
constexpr int MAX_WX = 3;

// The cover code of an SA sky word, lower case when the layer is thin.
char coverOf(const char* word, bool thin)
{
  char c = ' ';
  if (!std::strcmp(word, "CLR")) return 'C';
  if (!std::strcmp(word, "X")) c = 'X';
  if (!std::strcmp(word, "SCT")) c = 'S';
  if (!std::strcmp(word, "BKN") || !std::strcmp(word, "BRK")) c = 'B';
  if (!std::strcmp(word, "OVC") || !std::strcmp(word, "0VC")) c = 'O';
  return thin ? static_cast<char>(StrLib::toLower(c)) : c;
}

}  // namespace

float SaoDecoder::decodeAlt(int code)
{
  if (code < 0) return FMISS;
  return code > 500 ? code / 100.0f + 20 : code / 100.0f + 30;
}

int SaoDecoder::decode(const SfcWmoData& w)
{
  header(w);
  sky();
  visibility();
  weather();
  slashBlock();
  if (r_.atEnd()) return 1;
  r_.sfc.orFlag(1);
  RemarkDecoder(r_, true).decode();
  return 1;
}

void SaoDecoder::header(const SfcWmoData& w)
{
  SfcData& s = r_.sfc;
  char id[80], kind[8];
  if (r_.full("%<4s %(SA|SP|RS|SM) ", id, kind)) {
    s.setId(id);
    s.type = kind[0] == 'S' && kind[1] == 'P' ? 4 : 3;
    r_.take();
  }
  if (r_.full("%*(COR|RTD) ")) r_.take();
  s.setPlatform("SA");
  r_.setDate(w);
  int h = MISS, m = MISS;
  if (r_.full("%2d%2d ", &h, &m) && m != MISS && r_.setTime(MISS, h, m)) r_.take();
  for (int i = 0; i < 4; ++i) {
    if (!r_.full("%*(AUTO1|AUTO2|AUTO3|AUTO4|AUTO5|AUTO6|AUTO7|AUTO8|AUTOB) ") &&
        !r_.full("%*(UA|FINO|TEST|RTD|SAWR|RADAT|AUTO|DLAD) ") &&
        !r_.full("%*(AMOS|RAMOS|AWOS) ") && !r_.full("%*(A02A|AO2A|A02|AO2) "))
      break;
    r_.take();
  }
}

// Layers: an optional height (hundreds of feet, after an optional ceiling letter), then the
// cover word; "CLR BLO" gives the height below which the sky is clear.
void SaoDecoder::sky()
{
  if (r_.wordIs("M")) {
    r_.skipWord();
    return;
  }
  int n = 0;
  for (int i = 0; i < 8 && n < SfcData::MAX_CLD && layer(n); ++i) ++n;
}

bool SaoDecoder::layer(int i)
{
  int start = r_.scan.getOffset();
  float h = FMISS;
  if (StrLib::isDigit(r_.lead()) || StrLib::isDigit(r_.scan.getChar(1))) {
    if (r_.full("%*!!(B|P|A|W|V|M|E)%<3f ", &h)) r_.take();
  }
  bool thin = r_.lead('-');
  if (thin) r_.scan.inc(1);
  char word[8];
  if (!r_.full("%(X|CLR|SCT|BKN|BRK|OVC|0VC) ", word)) {
    r_.scan.offset(start);
    return false;
  }
  r_.take();
  if (!std::strcmp(word, "CLR") && r_.full("BLO %f ", &h)) r_.take();
  r_.sfc.setCldCover(i, coverOf(word, thin));
  r_.sfc.setCldHeight(i, h == FMISS ? FMISS : h * 100);
  return true;
}

void SaoDecoder::visibility()
{
  SfcData& s = r_.sfc;
  int a = 0, b = 0, c = 1;
  float v = FMISS;
  if (r_.wordIs("M")) {
    r_.skipWord();
  } else if (r_.full("%1d/%<2d ", &b, &c)) {
    s.vis = static_cast<float>(b) / (c ? c : 1);
  } else if (r_.full("%1d%1d/%1d ", &a, &b, &c) || r_.full("%1d %1d/%<2d ", &a, &b, &c)) {
    s.vis = a + static_cast<float>(b) / (c ? c : 1);
  } else if (r_.full("%<3f%*(+) ", &v) || r_.full("%<3f ", &v)) {
    s.vis = v;
  } else {
    return;
  }
  r_.take();
}

void SaoDecoder::weather()
{
  if (r_.wordIs("M")) {
    r_.skipWord();
    return;
  }
  char wx[64] = "";
  char token[16];
  for (int n = 0; n < MAX_WX && r_.full("%<9[/A-+] ", token); ++n) {
    if (n > 0) StrLib::append(wx, sizeof wx, " ");
    StrLib::append(wx, sizeof wx, token);
    r_.take();
  }
  if (wx[0]) r_.sfc.setWeather(wx);
}

void SaoDecoder::skipField()
{
  while (!r_.atEnd() && !r_.lead(' ') && !r_.lead('/')) r_.scan.inc(1);
  if (r_.lead('/')) r_.scan.inc(1);
}

// US reports give temperatures in Fahrenheit, Canadian ones in Celsius.
float SaoDecoder::temperature(float v) const
{
  if (v == FMISS || r_.country != ReportScan::US) return v;
  return (v - 32) * 5 / 9;
}

void SaoDecoder::slashBlock()
{
  SfcData& s = r_.sfc;
  // The block starts with a digit, a minus sign, M or a solidus.
  char c = r_.lead();
  if (!StrLib::isDigit(c) && c != '-' && c != 'M' && c != '/') return;
  int p = MISS;
  float t = FMISS, d = FMISS;
  if (r_.full("%3!M!d/", &p)) {
    if (p != MISS) s.slp = p / 10.0f + (p > 500 ? 900 : 1000);
    r_.take();
  } else if (!r_.lead('/')) {
    return;
  } else {
    r_.scan.inc(1);
  }
  if (r_.full("%<3!M!f/", &t)) {
    s.temp = temperature(t);
    r_.take();
  } else {
    skipField();
  }
  if (r_.full("%<3!M!f/", &d) || r_.full("%<3!M!f ", &d)) {
    s.dewp = temperature(d);
    r_.take();
  } else {
    skipField();
  }
  if (!wind()) skipField();
  int a = MISS;
  if (r_.full("%3!M!d/", &a) || r_.full("%3!M!d ", &a)) {
    if (a != MISS) s.alt = decodeAlt(a);
    r_.take();
  }
  // A field written on after the altimeter is kept as a remark word.
  if (!r_.lead(' ')) r_.comment(1);
  while (r_.lead(' ')) r_.scan.inc(1);
}

// Direction in tens of degrees, speed, and a gust after G or +; M marks what is missing.
bool SaoDecoder::wind()
{
  SfcData& s = r_.sfc;
  int dir = MISS, spd = MISS, gust = MISS;
  if (r_.full("%*(CALM)/")) {
    s.wdir = s.wspd = 0;
    r_.take();
    return true;
  }
  bool ok = r_.full("%*!!(E)%2!MM!d%<3!MM!d%*(G|+)%<3d/", &dir, &spd, &gust) ||
            r_.full("%*!!(E)%2!MM!d%<3!MM!d/", &dir, &spd);
  if (!ok) {
    gust = MISS;
    ok = r_.full("%*!!(E)%2!MM!d%<3!MM!d%*(G|+)%<3d ", &dir, &spd, &gust) ||
         r_.full("%*!!(E)%2!MM!d%<3!MM!d ", &dir, &spd);
  }
  if (!ok) return false;
  s.wdir = dir == MISS || dir > 36 ? FMISS : dir * 10.0f;
  s.wspd = spd == MISS ? FMISS : static_cast<float>(spd);
  s.gust = gust == MISS ? FMISS : static_cast<float>(gust);
  r_.take();
  return true;
}

}  // namespace KOL
