#include "obs/SfcData.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "obs/Calc.h"
#include "obs/WxTool.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;
constexpr const char* GROUP_NAMES[] = {"type", "time", "temp", "pres", "wind", "wx",
                                       "cld",  "vis",  "ptnd", "prec", "extt", "snow",
                                       "sol",  "sea",  "ctyp", "com"};
constexpr int PREC_HOURS[SfcData::NUM_PREC] = {1, 3, 6, 12, 24};

bool miss(float v) { return Const::isMiss(v); }

// The value, or missing when it lies outside [lo, hi].
void clamp(float& v, float lo, float hi)
{
  if (!miss(v) && (v < lo || v > hi)) v = MISS;
}

void take(float& v, float newer)
{
  if (!miss(newer)) v = newer;
}

// Appends a fixed-width field, or as many blanks when the value is missing.
void field(String& out, const char* fmt, float v, int width)
{
  if (miss(v))
    out.aprintf("%*s", width + 1, "");
  else
    out.aprintf(fmt, v);
}

const char* coverText(char c)
{
  switch (c) {
    case 'C':
      return " CLR ";
    case 'F':
      return " FEW ";
    case 'S':
      return " SCT ";
    case 'B':
      return " BKN ";
    case 'O':
      return " OVC ";
    case 'X':
      return "  X  ";
    case 's':
      return "-SCT ";
    case 'b':
      return "-BKN ";
    case 'o':
      return "-OVC ";
    case 'x':
      return " -X  ";
    default:
      return nullptr;
  }
}

void printValue(const char* label, const char* fmt, float v)
{
  if (miss(v)) return;
  std::printf(" %-20s", label);
  std::printf(fmt, v);
  std::printf("\n");
}

bool differ(float a, float b) { return a != b; }

}  // namespace

void SfcData::init()
{
  id[0] = name[0] = platform[0] = wx[0] = comment[0] = '\0';
  type = subtype = 0;
  wmo = Const::MISS;
  lat = lon = elev = MISS;
  index = Const::MISS;
  date.init();
  flag = 0;
  temp = dewp = wdir = wspd = gust = slp = alt = vis = MISS;
  for (auto& c : cld) c.init();
  ncld = 0;
  ptend_type = Const::MISS;
  ptend = MISS;
  for (float& p : prec) p = MISS;
  spare = MISS;
  spare_int = Const::MISS;
  low_amount = ' ';
  for (char& c : cld_type) c = ' ';
  maxt = mint = maxt6 = mint6 = MISS;
  snow = sun = sst = wave_per = wave_hgt = MISS;
}

int SfcData::setId(const char* s) { return StrLib::copy(id, ID_SIZE, s); }
int SfcData::setName(const char* s) { return StrLib::copy(name, NAME_SIZE, s); }
int SfcData::setPlatform(const char* s) { return StrLib::copy(platform, PLATFORM_SIZE, s); }
int SfcData::setWeather(const char* s) { return StrLib::copy(wx, WX_SIZE, s); }

int SfcData::getDate(Date& d) const
{
  d = date;
  return date.isSet() ? 1 : 0;
}

int SfcData::getTime() const
{
  if (!date.isSet() || date.getHour() == Const::MISS) return Const::MISS;
  int minute = date.getMinute() == Const::MISS ? 0 : date.getMinute();
  return date.getHour() * 100 + minute;
}

int SfcData::getHour() const
{
  if (!date.isSet() || date.getHour() == Const::MISS) return Const::MISS;
  int hour = date.getHour();
  if (date.getMinute() != Const::MISS && date.getMinute() >= 50) hour++;
  return hour == 24 ? 0 : hour;
}

int SfcData::setCldHeight(int i, float h)
{
  if (i < 0 || i >= MAX_CLD) return 0;
  cld[i].height = h;
  if (ncld < i + 1) ncld = i + 1;
  return 1;
}

float SfcData::getCldHeight(int i) const { return i < 0 || i >= MAX_CLD ? MISS : cld[i].height; }

int SfcData::setCldCover(int i, char c)
{
  if (i < 0 || i >= MAX_CLD) return 0;
  cld[i].cover = c;
  if (ncld < i + 1) ncld = i + 1;
  return 1;
}

char SfcData::getCldCover(int i) const { return i < 0 || i >= MAX_CLD ? ' ' : cld[i].cover; }

float SfcData::getCldHeight() const
{
  if (ncld <= 0) return MISS;
  if (ncld == 1) return cld[0].height;
  float ceiling = MISS;
  bool fixed = false;  // a broken or overcast layer has been met
  for (int i = 0; i < ncld && i < MAX_CLD; i++) {
    switch (CloudLayer::kind(cld[i].cover)) {
      case CloudLayer::FEW:
      case CloudLayer::SCATTERED:
        if (!fixed) ceiling = cld[i].height;
        break;
      case CloudLayer::BROKEN:
      case CloudLayer::OVERCAST:
        if (!fixed) ceiling = cld[i].height;
        fixed = true;
        break;
      case CloudLayer::OBSCURED:
        ceiling = cld[i].height;
        break;
      default:
        ceiling = MISS;
        fixed = false;
    }
  }
  return ceiling;
}

char SfcData::getCldCover() const
{
  if (ncld <= 0) return ' ';
  if (ncld == 1) return cld[0].cover;
  return CloudLayer::letter(cld[(ncld > MAX_CLD ? MAX_CLD : ncld) - 1].cover);
}

int SfcData::setCldType(int i, char c)
{
  if (i < 0 || i >= MAX_CLD_TYPE) return 0;
  cld_type[i] = c;
  return 1;
}

char SfcData::getCldType(int i) const { return i < 0 || i >= MAX_CLD_TYPE ? ' ' : cld_type[i]; }

int SfcData::setComment(const char* s) { return StrLib::copy(comment, COMMENT_SIZE, s); }

int SfcData::addComment(const char* s)
{
  if (!s) return 0;
  StrLib::append(comment, COMMENT_SIZE, s);
  return StrLib::append(comment, COMMENT_SIZE, " ");
}

int SfcData::addComment(const char* s, int n)
{
  if (!s) return 0;
  int added = 0;
  while (added < n) {
    while (StrLib::isSpace(*s)) s++;
    if (!*s) break;
    int len = 0;
    while (s[len] && !StrLib::isSpace(s[len])) len++;
    char word[COMMENT_WORD + 1];
    StrLib::copy(word, sizeof word, s, len < COMMENT_WORD ? len : COMMENT_WORD);
    addComment(word);
    s += len;
    added++;
  }
  return added;
}

int SfcData::weatherText(String& out) const { return WxTool::getTextFromWeather(wx, out); }

int SfcData::compare(const SfcData& a, const SfcData& b)
{
  int mask = 0;
  auto mark = [&mask](int group, bool differs) {
    if (differs) mask |= group;
  };
  mark(TYPE, a.type != b.type);
  mark(TIME, a.date.getSeconds() != b.date.getSeconds());
  mark(TEMP, differ(a.temp, b.temp) || differ(a.dewp, b.dewp));
  mark(PRES, differ(a.slp, b.slp) || differ(a.alt, b.alt));
  mark(WIND, differ(a.wdir, b.wdir) || differ(a.wspd, b.wspd) || differ(a.gust, b.gust));
  mark(WX, std::strcmp(a.wx, b.wx) != 0);
  bool clouds = a.ncld != b.ncld;
  for (int i = 0; i < a.ncld && i < MAX_CLD; i++) clouds = clouds || a.cld[i] != b.cld[i];
  mark(CLD, clouds);
  mark(VIS, differ(a.vis, b.vis));
  mark(PTND, a.ptend_type != b.ptend_type || differ(a.ptend, b.ptend));
  bool precip = false;
  for (int i = 0; i < NUM_PREC; i++) precip = precip || differ(a.prec[i], b.prec[i]);
  mark(PREC, precip);
  mark(EXTT, differ(a.maxt, b.maxt) || differ(a.mint, b.mint) || differ(a.maxt6, b.maxt6) ||
                 differ(a.mint6, b.mint6));
  mark(SNOW, differ(a.snow, b.snow));
  mark(SOL, differ(a.sun, b.sun));
  mark(SEA,
       differ(a.sst, b.sst) || differ(a.wave_per, b.wave_per) || differ(a.wave_hgt, b.wave_hgt));
  mark(CTYP, std::memcmp(a.cld_type, b.cld_type, MAX_CLD_TYPE) != 0);
  mark(COM, std::strcmp(a.comment, b.comment) != 0);
  for (int bit = 0; bit < 16; bit++)
    if (mask & (1 << bit))
      Kol::outDebug(3, "SfcData: %s differs: %s %s\n", GROUP_NAMES[bit], a.id, b.id);
  return mask;
}

void SfcData::printDiff(int mask)
{
  std::printf("0x%X", static_cast<unsigned>(mask));
  for (int bit = 0; bit < 16; bit++)
    if (mask & (1 << bit)) std::printf(" %s", GROUP_NAMES[bit]);
  std::printf("\n");
}

bool SfcData::isFull() const
{
  if (ptend_type != Const::MISS || !miss(ptend)) return true;
  for (int i = PREC3; i < NUM_PREC; i++)
    if (!miss(prec[i])) return true;
  for (float v : {maxt, mint, maxt6, mint6, snow, sun, sst, wave_per, wave_hgt})
    if (!miss(v)) return true;
  for (char c : cld_type)
    if (c != ' ') return true;
  return false;
}

void SfcData::updatePrec(const SfcData& newer, bool full)
{
  for (int i = PREC3; i < NUM_PREC; i++) {
    if (!miss(newer.prec[i])) {
      prec[i] = newer.prec[i];
      Kol::outDebug(3, "Update %d hr precip\n", PREC_HOURS[i]);
    } else if (full && !miss(prec[i])) {
      prec[i] = MISS;
      Kol::outDebug(3, "Deleted %d hr precip\n", PREC_HOURS[i]);
    }
  }
}

void SfcData::update(const SfcData& newer, int mask)
{
  if ((mask & TYPE) && newer.type != 0) type = newer.type;
  if (mask & TEMP) take(temp, newer.temp), take(dewp, newer.dewp);
  if (mask & PRES) take(slp, newer.slp), take(alt, newer.alt);
  if (mask & WIND) take(wdir, newer.wdir), take(wspd, newer.wspd), take(gust, newer.gust);
  if (mask & VIS) take(vis, newer.vis);
  if ((mask & WX) && newer.wx[0] != ' ') StrLib::copy(wx, WX_SIZE, newer.wx);
  if (mask & CLD) {
    for (int i = 0; i < MAX_CLD; i++) {
      bool height = !miss(newer.cld[i].height), cover = newer.cld[i].cover != ' ';
      if (height) cld[i].height = newer.cld[i].height;
      if (cover) cld[i].cover = newer.cld[i].cover;
      if (height || cover) ncld = i + 1;
    }
  }
  bool full = newer.isFull();
  if (mask & PTND) {
    if (newer.ptend_type != Const::MISS) ptend_type = newer.ptend_type;
    take(ptend, newer.ptend);
  }
  if (mask & PREC) updatePrec(newer, full);
  if (mask & EXTT)
    take(maxt, newer.maxt), take(mint, newer.mint), take(maxt6, newer.maxt6),
        take(mint6, newer.mint6);
  if (mask & SNOW) take(snow, newer.snow);
  if (mask & SOL) take(sun, newer.sun);
  if (mask & SEA)
    take(sst, newer.sst), take(wave_per, newer.wave_per), take(wave_hgt, newer.wave_hgt);
  if (mask & CTYP)
    for (int i = 0; i < MAX_CLD_TYPE; i++)
      if (newer.cld_type[i] != ' ') cld_type[i] = newer.cld_type[i];
  if ((mask & COM) && newer.comment[0]) StrLib::copy(comment, COMMENT_SIZE, newer.comment);
}

void SfcData::validate()
{
  clamp(temp, -100, 150);
  clamp(dewp, -100, 150);
  if (!miss(temp) && !miss(dewp) && dewp > temp) dewp = temp;
  clamp(slp, 900, 1150);
  clamp(alt, 26, 33);
  clamp(wdir, 0, 360);
  clamp(wspd, 0, 100);
  clamp(gust, 0, 150);
  for (auto& c : cld) clamp(c.height, 0, 35000);
  clamp(vis, 0, 150);
  if (ptend_type > 9) ptend_type = Const::MISS;
  clamp(ptend, -10, 10);
  clamp(prec[PREC3], 0, 300);
  clamp(prec[PREC6], 0, 400);
  clamp(prec[PREC12], 0, 500);
  clamp(prec[PREC24], 0, 500);
  for (float* v : {&maxt, &mint, &maxt6, &mint6, &snow, &sun, &sst}) clamp(*v, -100, 150);
  clamp(wave_per, 0, 10);
  clamp(wave_hgt, 0, 20);
}

void SfcData::print() const
{
  std::printf("Data for: %s  %s  %s\n", id, name, platform);
  std::printf(" Type: %d  Subtype: %d  Flag: 0x%X\n", type, subtype, static_cast<unsigned>(flag));
  if (wmo != Const::MISS) std::printf(" WMO number: %ld\n", wmo);
  if (!miss(lat)) std::printf(" Location: %.3f %.3f  Elevation: %.0f m\n", lat, lon, elev);
  if (date.isSet()) std::printf(" Date: %s\n", date.format().c_str());
  if (!miss(temp)) std::printf(" Temperature:        %4.1f C = %3.0f F\n", temp, temp * 1.8 + 32);
  if (!miss(dewp)) std::printf(" Dew point:          %4.1f C = %3.0f F\n", dewp, dewp * 1.8 + 32);
  printValue("Wind direction:", "%3.0f deg", wdir);
  printValue("Wind speed:", "%3.0f kt", wspd);
  printValue("Wind gust:", "%3.0f kt", gust);
  printValue("Sea level pressure:", "%6.1f mb", slp);
  printValue("Altimeter:", "%5.2f in", alt);
  printValue("Visibility:", "%5.2f mi", vis);
  for (int i = 0; i < ncld && i < MAX_CLD; i++) {
    std::printf(" Cloud layer %d:      ", i + 1);
    cld[i].print();
  }
  if (wx[0]) std::printf(" Weather:            %s\n", wx);
  if (ptend_type != Const::MISS) std::printf(" Tendency type:      %d\n", ptend_type);
  printValue("Pressure tendency:", "%4.1f mb", ptend);
  for (int i = 0; i < NUM_PREC; i++) {
    if (miss(prec[i])) continue;
    std::printf(" %2d hr precipitation: %5.1f mm = %5.2f in\n", PREC_HOURS[i], prec[i],
                prec[i] * 0.03937);
  }
  printValue("Maximum temperature:", "%4.1f C", maxt);
  printValue("Minimum temperature:", "%4.1f C", mint);
  printValue("6 hr maximum:", "%4.1f C", maxt6);
  printValue("6 hr minimum:", "%4.1f C", mint6);
  if (!miss(snow)) std::printf(" Snow depth:         %4.0f cm = %4.1f in\n", snow, snow * 0.3937);
  printValue("Sunshine:", "%4.0f min", sun);
  printValue("Sea temperature:", "%4.1f C", sst);
  printValue("Wave period:", "%4.1f s", wave_per);
  printValue("Wave height:", "%4.1f m", wave_hgt);
  if (low_amount != ' ') std::printf(" Low cloud amount:   %c\n", low_amount);
  if (cld_type[0] != ' ' || cld_type[1] != ' ' || cld_type[2] != ' ')
    std::printf(" Cloud types:        %c%c%c\n", cld_type[0], cld_type[1], cld_type[2]);
  if (comment[0]) std::printf(" Comment:            %s\n", comment);
}

int SfcData::outString(String& out) const
{
  out.init(200);
  out.aprintf("%-6.6s ", id);
  int time = getTime();
  if (time == Const::MISS)
    out.aprintf("%5s", "");
  else
    out.aprintf("%2.2d%2.2d ", time / 100, time % 100);
  field(out, "%3.0f ", temp, 3);
  field(out, "%3.0f ", dewp, 3);
  float rh = miss(temp) || miss(dewp) ? MISS : Calc::relHum(temp + 273.15f, dewp + 273.15f);
  field(out, "%3.0f ", rh, 3);
  field(out, "%3.0f ", wdir, 3);
  field(out, "%3.0f ", wspd, 3);
  field(out, "%3.0f ", gust, 3);
  if (miss(alt))
    out.aprintf("%4s", "");
  else
    out.aprintf("%03d ", static_cast<int>((alt + 0.002f) * 100) % 1000);
  if (miss(slp))
    out.aprintf("%4s", "");
  else
    out.aprintf("%03d ", static_cast<int>((slp + 0.02f) * 10) % 1000);
  field(out, !miss(vis) && vis < 3 ? "%3.1f " : "%3.0f ", vis, 3);
  float ceiling = getCldHeight();
  field(out, "%3.0f ", miss(ceiling) ? MISS : ceiling / 100, 3);
  char cover = getCldCover();
  if (const char* text = coverText(cover))
    out.append(text);
  else if (StrLib::isDigit(cover))
    out.aprintf("%c/8 ", cover);
  else
    out.append("     ");
  out.aprintf("%-5.5s ", wx[0] == '!' ? wx + 1 : wx);
  field(out, "%3.0f ", miss(maxt) ? maxt6 : maxt, 3);
  field(out, "%3.0f ", miss(mint) ? mint6 : mint, 3);
  field(out, "%4.0f ", prec[PREC6], 4);
  field(out, "%4.0f ", prec[PREC24], 4);
  field(out, "%4.1f ", ptend, 4);
  field(out, "%3.0f ", snow, 3);
  return out.length();
}

void SfcData::printLine() const
{
  String line;
  outString(line);
  std::printf("%s\n", line.get());
}

}  // namespace KOL
