#include "obs/synop/SynopDecoder.h"

#include <cstdarg>
#include <cstring>

#include "core/Const.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "obs/Calc.h"
#include "obs/SfcWmoData.h"
#include "obs/SynopTool.h"
#include "obs/metar/ReportScan.h"

namespace KOL {

namespace {

constexpr float FMISS = Const::FMISS;
constexpr int MISS = Const::MISS;
constexpr float MPS_TO_KNOTS = 1.944f;
constexpr int MIN_GROUP = 6;  // five figures and a blank
constexpr int MAX_FIVE_GROUPS = 20;

// A group's field that holds neither a number nor its missing text is passed over unassigned:
// every value read starts missing.
bool known(int v) { return v != MISS; }

// Whole degrees and tenths with a sign digit (1 negative); only 0 and 1 are signs.
float signedTenths(int sign, int whole, int tenth)
{
  if ((sign != 0 && sign != 1) || !known(whole)) return FMISS;
  float v = whole + (known(tenth) ? tenth / 10.0f : 0.0f);
  return sign == 1 ? -v : v;
}

// Latitude and longitude signs from the quadrant of the globe Qc.
void applyQuadrant(int qc, float& lat, float& lon)
{
  if (qc == 3 || qc == 5) lat = -lat;
  if (qc == 5 || qc == 7) lon = -lon;
}

const char* const SECTION_3_ON[] = {"333", "444", "555", nullptr};

}  // namespace

int SynopDecoder::decode(const SfcWmoData& w)
{
  SfcData& s = r_.sfc;
  s.type = format_;
  sectionWord();
  if (!station()) return 0;
  r_.setDate(w);
  if (format_ == SfcWmoData::DRIBU) {
    buoy();
  } else {
    if (format_ == SfcWmoData::SHIP || format_ == SfcWmoData::BUOY ||
        format_ == SfcWmoData::MOBIL || format_ == SfcWmoData::CMAN)
      position();
    indicators();
    wind();
  }
  section1();
  section2();
  if (skipTo(SECTION_3_ON) && r_.wordIs("333")) {
    r_.skipWord();
    section3();
  }
  applyTime();
  // A first layer without a cover says nothing a plot or a file can show.
  if (s.ncld > 0 && s.cld[0].cover == ' ') s.ncld = 0;
  return 1;
}

// One group: the pattern must take the whole group and its blank.
bool SynopDecoder::group(const char* name, const char* pattern, ...)
{
  va_list ap;
  va_start(ap, pattern);
  r_.scan.vscan(pattern, ap);
  va_end(ap);
  if (!r_.scan.isComplete() || r_.scan.getCount() < MIN_GROUP) return false;
  r_.note(2, "%s: %5.5s\n", name, r_.scan.string());
  r_.take();
  return true;
}

void SynopDecoder::sectionWord()
{
  char word[8] = "";
  if (r_.part("%(AAXX|BBXX|CMAN|ZZYY|OOXX) ", word) != 1 || !r_.scan.isComplete()) return;
  r_.take();
  if (!std::strcmp(word, "AAXX") || !std::strcmp(word, "CMAN")) dayHour();
}

// YYGGiw: day, hour and the wind unit.
void SynopDecoder::dayHour()
{
  int yy = MISS, gg = MISS, iw = MISS;
  if (!group("YYGGI", "%2!//!d%2!//!d%1!/!d ", &yy, &gg, &iw)) return;
  if (known(yy) && yy >= 1 && yy <= 31) day_ = yy;
  if (known(yy) && yy > 50 && yy - 50 <= 31) {
    // Days above 50 flag wind speeds in knots (an old usage); the day is YY - 50.
    day_ = yy - 50;
    iw = 4;
  }
  if (known(gg) && gg < 24) hour_ = gg;
  knots_ = iw == 3 || iw == 4;
}

bool SynopDecoder::station()
{
  SfcData& s = r_.sfc;
  char word[41] = "";
  if (r_.part("%<40s ", word) != 1 || std::strlen(word) < 4) {
    r_.note(1, "Invalid ident: %s\n", word);
    return false;
  }
  r_.take();
  const char prefix = format_ == SfcWmoData::BUOY    ? 'b'
                      : format_ == SfcWmoData::DRIBU ? 'd'
                      : format_ == SfcWmoData::SHIP  ? 's'
                      : format_ == SfcWmoData::MOBIL ? 'm'
                                                     : '\0';
  if (prefix) {
    char id[SfcData::ID_SIZE];
    id[0] = prefix;
    StrLib::copy(id + 1, sizeof id - 1, word);
    s.setId(id);
    s.wmo = 99999;
  } else {
    s.setId(word);
    s.wmo = StrLib::isNum(word) ? std::strtol(word, nullptr, 10) : MISS;
  }
  r_.note(1, "ID/Abnnn: %s\n", s.id);
  // Some bulletins repeat the station number; the groups start after the repeat.
  if (r_.part("%<40s ", word) == 1 && !std::strcmp(word, s.id) && r_.scan.isComplete()) r_.take();
  return true;
}

// Drifting buoy: date, time, position and the wind of section 1.
void SynopDecoder::buoy()
{
  SfcData& s = r_.sfc;
  int v1 = MISS, v2 = MISS, v3 = MISS;
  group("YYMMJ", "%5!/////!d ", &v1);
  if (group("GGggi", "%2!//!d%2!//!d%1!/!d ", &v1, &v2, &v3)) {
    if (known(v1) && v1 < 24) hour_ = v1;
    if (known(v2) && v2 < 60) minute_ = v2;
    knots_ = v3 == 3 || v3 == 4;
  }
  int qc = MISS, la = MISS, la3 = MISS, lo = MISS, lo3 = MISS;
  if (group("QLLLL", "%1!/!d%4!////!d%1!/!d ", &qc, &la, &la3) &&
      group("LLLLL", "%5!/////!d%1!/!d ", &lo, &lo3) && known(la) && known(lo)) {
    s.lat = la / 100.0f + (known(la3) ? la3 / 1000.0f : 0.0f);
    s.lon = lo / 100.0f + (known(lo3) ? lo3 / 1000.0f : 0.0f);
    applyQuadrant(qc, s.lat, s.lon);
  }
  // 6QlQtQA/: the quality of the position and time.
  skip("6");
  group("111QQ", "111%2!//!d ", &v1);
  int dd = MISS, ff = MISS;
  if (group("0ddff", "0%2!//!d%2!//!d ", &dd, &ff) && known(dd) && known(ff) && dd <= 36) {
    s.wdir = dd * 10.0f;
    s.wspd = knots_ ? ff : ff * MPS_TO_KNOTS;
  }
}

// Ships, mobile stations and C-MAN: YYGGiw when not read yet, then the position.
void SynopDecoder::position()
{
  SfcData& s = r_.sfc;
  if (hour_ < 0) dayHour();
  int la = MISS, qc = MISS, lo = MISS;
  if (r_.part("99%3!///!d %1!/!d%4!////!d ", &la, &qc, &lo) == 3 && r_.scan.isComplete()) {
    r_.note(2, "99LLL: %11.11s\n", r_.scan.string());
    r_.take();
    if (known(la) && known(lo) && la <= 900 && lo <= 1800) {
      s.lat = la / 10.0f;
      s.lon = lo / 10.0f;
      applyQuadrant(qc, s.lat, s.lon);
    }
  }
  if (format_ != SfcWmoData::MOBIL) return;
  r_.skipWord();
  int h = MISS, im = MISS;
  if (r_.part("%4d%1d ", &h, &im) == 2 && r_.scan.isComplete()) {
    r_.take();
    s.elev = im >= 5 && im <= 8 ? h * 0.3048f : static_cast<float>(h);
  }
}

// iRixhVV: the automatic-station flag, the first cloud base and the visibility.
void SynopDecoder::indicators()
{
  SfcData& s = r_.sfc;
  int ir = MISS, ix = MISS, h = MISS, vv = MISS;
  bool ship = format_ == SfcWmoData::SHIP || format_ == SfcWmoData::BUOY;
  bool ok = ship && group("iRixhVV", "%1d%1d%1!/!d9%1!/!d ", &ir, &ix, &h, &vv);
  if (ok) vv = known(vv) ? 90 + vv : MISS;
  if (!ok) ok = group("iRixhVV", "%1d%1d%1!/!d%2!//!d ", &ir, &ix, &h, &vv);
  if (!ok) return;
  // ix 4 to 7 are automatic stations; only those of ix 7 code their weather by the automatic
  // stations' table.
  if (ix >= 4 && ix <= 7) s.orFlag(SynopTool::FLAG_AUTOMATIC);
  automatic_ = ix == 7;
  if (known(h)) s.setCldHeight(0, SynopTool::ceiling(h));
  if (known(vv)) s.vis = SynopTool::visibility(vv);
}

// Nddff and the 00fff group of speeds of 99 units or more.
void SynopDecoder::wind()
{
  SfcData& s = r_.sfc;
  char n = 0;
  int dd = MISS, ff = MISS;
  if (!group("Nddff", "%1c%2!//!d%2!//!d ", &n, &dd, &ff)) return;
  if (n == '/') {
    s.setCldCover(0, ' ');
    s.setCldHeight(0, FMISS);
  } else if (StrLib::isDigit(n)) {
    s.setCldCover(0, n);
    if (n == '0' || n == '1') s.setCldHeight(0, FMISS);
  }
  int fff = MISS;
  if (ff == 99 && group("00fff", "00%3!///!d ", &fff) && known(fff)) ff = fff;
  if (!known(dd) || !known(ff) || dd * 10 > 360) return;
  s.wdir = dd * 10.0f;
  s.wspd = knots_ ? ff : ff * MPS_TO_KNOTS;
}

void SynopDecoder::section1()
{
  SfcData& s = r_.sfc;
  temperature("1%1!/!d%2!//!d%1!/!d ", "1sTTT", s.temp);
  dewPoint();
  int v1 = MISS, v2 = MISS;
  group("3PPPP", "3%3!///!d%1!/!d ", &v1, &v2);
  pressure();
  tendency();
  int rrr = MISS, tr = MISS;
  if (group("6RRRt", "6%3!///!d%1!/!d ", &rrr, &tr)) precipitation(rrr, tr);
  presentWeather();
  cloudTypes();
  obsTime();
}

void SynopDecoder::temperature(const char* pattern, const char* name, float& out)
{
  int sign = MISS, whole = MISS, tenth = MISS;
  if (!group(name, pattern, &sign, &whole, &tenth)) return;
  float t = signedTenths(sign, whole, tenth);
  if (t != FMISS) out = t;
}

// 2sTTT, or 29UUU (relative humidity) turned into a dew point.
void SynopDecoder::dewPoint()
{
  SfcData& s = r_.sfc;
  int sign = MISS, whole = MISS, tenth = MISS;
  if (r_.part("2%1!/!d%2!//!d%1!/!d ", &sign, &whole, &tenth) == 3 && sign != 9) {
    temperature("2%1!/!d%2!//!d%1!/!d ", "2sTTT", s.dewp);
    return;
  }
  int rh = MISS;
  if (!group("29UUU", "29%3!///!d ", &rh) || !known(rh) || rh > 100 || s.temp == FMISS) return;
  float td = Calc::dewTemp(s.temp + 273.15f, static_cast<float>(rh));
  if (td != FMISS && td > 0) s.dewp = td - 273.15f;
}

void SynopDecoder::pressure()
{
  SfcData& s = r_.sfc;
  int ppp = MISS, tenth = MISS;
  if (!group("4PPPP", "4%3!///!d%1!/!d ", &ppp, &tenth) || !known(ppp)) return;
  float p = (ppp < 91 ? 1000 + ppp : ppp) + (known(tenth) ? tenth / 10.0f : 0.0f);
  if (p >= 900 && p <= 1090) s.slp = p;
}

void SynopDecoder::tendency()
{
  SfcData& s = r_.sfc;
  int a = MISS, pp = MISS, p = MISS;
  if (!group("5appp", "5%1!/!d%2!//!d%1!/!d ", &a, &pp, &p) || !known(a) || !known(pp)) return;
  float amount = (pp * 10 + (known(p) ? p : 0)) / 10.0f;
  s.ptend_type = a;
  s.ptend = a >= 5 && a <= 8 ? -amount : amount;
}

// 6RRRtR: 990 is a trace, 991 to 999 tenths of a millimetre; tR picks the period.
void SynopDecoder::precipitation(int rrr, int tr)
{
  if (!known(rrr)) return;
  float mm = rrr == 990 ? 0.0f : rrr > 990 ? (rrr - 990) / 10.0f : static_cast<float>(rrr);
  int slot = tr == 1                 ? SfcData::PREC6
             : tr == 0 || tr == 2    ? SfcData::PREC12
             : tr == 4 || !known(tr) ? SfcData::PREC24
             : tr == 7               ? SfcData::PREC3
                                     : -1;
  if (slot >= 0) r_.sfc.prec[slot] = mm;
}

void SynopDecoder::presentWeather()
{
  int ww = MISS, w12 = MISS;
  if (!group("7wwWW", "7%2!//!d%2!//!d ", &ww, &w12) || !known(ww)) return;
  String text;
  if (automatic_)
    SynopTool::autoweather(ww, text);
  else
    SynopTool::weather(ww, text);
  r_.sfc.setWeather(text.get());
}

void SynopDecoder::cloudTypes()
{
  SfcData& s = r_.sfc;
  char c[4] = "";
  if (!group("8NCCC", "8%1c%1c%1c%1c ", c, c + 1, c + 2, c + 3)) return;
  for (char& k : c)
    if (k == '/') k = '-';
  s.low_amount = c[0];
  for (int i = 0; i < SfcData::MAX_CLD_TYPE; ++i) s.setCldType(i, c[i + 1]);
}

void SynopDecoder::obsTime()
{
  int gg = MISS, mm = MISS;
  if (!r_.lead('9') || !group("9GGgg", "9%2!//!d%2!//!d ", &gg, &mm)) return;
  if (known(gg) && gg < 24) hour_ = gg;
  if (known(mm) && mm < 60) minute_ = mm;
}

// Section 2 of ships and coastal stations: sea temperature and waves.
void SynopDecoder::section2()
{
  SfcData& s = r_.sfc;
  if (!group("222Dv", "%*(222)%*2!//!d ")) return;
  seaTemperature();
  int v1 = MISS, v2 = MISS;
  skip("1");
  if (group("2PPHH", "2%2!//!d%2!//!d ", &v1, &v2)) {
    if (known(v1)) s.wave_per = static_cast<float>(v1);
    if (known(v2)) s.wave_hgt = v2 * 0.5f;
  }
  for (int i = 0; i < 4 && skip("3456"); ++i) {
  }
  if (group("70HHH", "70%3!///!d ", &v1) && known(v1)) s.wave_hgt = v1 / 10.0f;
}

// 0ssTTT: ss tells the sign (odd negative) and how the water was measured (intake, bucket,
// hull sensor, other).
void SynopDecoder::seaTemperature()
{
  int ss = MISS, whole = MISS, tenth = MISS;
  if (!group("0sTTT", "0%1!/!d%2!//!d%1!/!d ", &ss, &whole, &tenth) || !known(ss) || ss > 7) return;
  float t = signedTenths(ss % 2, whole, tenth);
  if (t != FMISS) r_.sfc.sst = t;
}

// Skips a five-figure group (figures or slashes) that begins with one of the characters.
bool SynopDecoder::skip(const char* leads)
{
  if (r_.wordLength() != 5 || !r_.leadIn(leads)) return false;
  for (int i = 1; i < 5; ++i) {
    char c = r_.scan.getChar(i);
    if (!StrLib::isDigit(c) && c != '/') return false;
  }
  r_.note(2, "skip: %5.5s\n", r_.scan.string());
  r_.skipWord();
  return true;
}

// Skips words up to one of the section words; true when one was found.
bool SynopDecoder::skipTo(const char* const* words)
{
  while (!r_.atEnd()) {
    for (const char* const* w = words; *w; ++w)
      if (r_.wordIs(*w)) return true;
    r_.note(2, ">>>333: %5.5s\n", r_.scan.string());
    r_.skipWord();
  }
  return false;
}

void SynopDecoder::section3()
{
  SfcData& s = r_.sfc;
  int v1 = MISS, v2 = MISS;
  skip("0");
  // Stations of block 17 report another temperature in this group at 00 and 12 UTC.
  bool noMax = !std::strncmp(s.id, "17", 2) && (hour_ == 0 || hour_ == 12);
  float max = FMISS;
  temperature("1%1!/!d%2!//!d%1!/!d ", "1sTTT", max);
  int sign = MISS, whole = MISS, tenth = MISS;
  if (r_.part("2%1!/!d%2!//!d%1!/!d ", &sign, &whole, &tenth) == 3 && sign != 9)
    temperature("2%1!/!d%2!//!d%1!/!d ", "2sTTT", s.mint);
  if (max == FMISS) temperature("1%1!/!d%2!//!d%1!/!d ", "1sTTT", max);
  if (!noMax && max != FMISS) s.maxt = max;
  skip("3");
  int snow = MISS;
  if (group("4Esss", "4%1!/!d%3!///!d ", &v1, &snow) && known(snow) && snow < 997)
    s.snow = static_cast<float>(snow);
  skipFiveGroups();
  int rrr = MISS, tr = MISS;
  if (group("6RRRt", "6%3!///!d%1!/!d ", &rrr, &tr)) precipitation(rrr, tr);
  if (group("7RRRR", "7%4!////!d ", &v2) && known(v2))
    s.prec[SfcData::PREC24] = v2 == 9999 ? 0.0f : v2 / 10.0f;
  gusts();
}

// The 9-groups that end section 3: the highest gust of the 10 minutes before the observation
// (910ff) is the report's gust; the highest of the past period (911ff) stands in for it when
// the station sends only that. Either is followed by 00fff for 99 units or more.
void SynopDecoder::gusts()
{
  float last10 = FMISS, period = FMISS;
  while (!r_.atEnd() && !r_.wordIs("444") && !r_.wordIs("555")) {
    char kind = r_.scan.getChar(2);
    int ff = MISS, fff = MISS;
    bool gust = r_.lead('9') && r_.scan.getChar(1) == '1' && (kind == '0' || kind == '1');
    if (!gust || !group("91Xff", "91%*1d%2!//!d ", &ff)) {
      r_.skipWord();
      continue;
    }
    if (ff == 99 && group("00fff", "00%3!///!d ", &fff)) ff = fff;
    if (known(ff)) (kind == '0' ? last10 : period) = knots_ ? ff : ff * MPS_TO_KNOTS;
  }
  r_.sfc.gust = last10 != FMISS ? last10 : period;
}

// The 5-groups of section 3 (evaporation, temperature change, sunshine, cloud drift, pressure
// change), in any number: each sunshine group (55SSS of the day, 553SS of the hour) may be
// followed by its radiation groups 0FFFF to 4FFFF, or groups of solidi in their place.
void SynopDecoder::skipFiveGroups()
{
  bool sunshine = false;
  for (int i = 0; i < MAX_FIVE_GROUPS; ++i) {
    bool sun = r_.wordLength() == 5 && r_.scan.getChar(0) == '5' && r_.scan.getChar(1) == '5';
    if (skip("5")) {
      sunshine = sun;
    } else if (!sunshine || !(skip("01234") || skip("/"))) {
      return;
    }
  }
}

// The hour from YYGG, GGgg or 9GGgg on the bulletin date, then the minute.
void SynopDecoder::applyTime()
{
  if (hour_ >= 0) {
    r_.setTime(day_ >= 1 ? day_ : MISS, hour_, minute_ >= 0 ? minute_ : MISS);
  } else if (minute_ >= 0) {
    r_.sfc.date.setMinute(minute_);
  }
}

}  // namespace KOL
