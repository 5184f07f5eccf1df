#include "obs/SfcDataTool.h"

#include <cmath>

#include "core/StrLib.h"
#include "core/String.h"
#include "layers/VarSpec.h"
#include "obs/Calc.h"
#include "obs/CloudLayer.h"
#include "obs/Datum.h"
#include "obs/SfcData.h"
#include "obs/WxTool.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;
constexpr float C0 = 273.15f;
constexpr float KNOT_MS = 0.514444f;
constexpr float INHG_HPA = 33.8639f;

bool miss(float v) { return Const::isMiss(v); }
float kelvin(float c) { return miss(c) ? MISS : c + C0; }
float fahrenheit(float k) { return miss(k) ? MISS : (k - C0) * 1.8f + 32.0f; }
float firstOf(float a, float b) { return miss(a) ? b : a; }
float scaled(float v, float f) { return miss(v) ? MISS : v * f; }
float difference(float a, float b) { return miss(a) || miss(b) ? MISS : a - b; }

// One value, two values, or a text, with the drawing type.
void value(Datum& d, float v) { d.set(Datum::VALUE, v); }
void pair(Datum& d, int type, float a, float b)
{
  d.set(type, a);
  d.values[1] = b;
}
void text(Datum& d, const char* t) { d.set(Datum::TEXT, t); }

// Peak wind: the gust when reported, else the speed.
float peak(const SfcData& s) { return firstOf(s.gust, s.wspd); }
float windComp(const SfcData& s, float spd, bool u, Calc::Warnings* w)
{
  if (miss(s.wdir) || miss(spd)) return MISS;
  return (u ? Calc::windU(s.wdir, spd, w) : Calc::windV(s.wdir, spd, w)) * KNOT_MS;
}

float moist(const SfcData& s, float (*f)(float, float, float, Calc::Warnings*), Calc::Warnings* w)
{
  return f(kelvin(s.temp), kelvin(s.dewp), SfcDataTool::stationPres(s, w), w);
}

float cloudOktas(int c) { return StrLib::isDigit(c) && c <= '8' ? (c - '0') * 12.5f : MISS; }

void cloudType(Datum& d, char c)
{
  d.set(Datum::TEXT, StrLib::isDigit(c) ? static_cast<float>(c - '0') : MISS);
  if (c != ' ') d.setData(c);
}

void timeText(const SfcData& s, Datum& d, Calc::Warnings*)
{
  int t = s.getTime();
  d.set(Datum::TEXT, t == Const::MISS ? MISS : static_cast<float>(t));
  if (t != Const::MISS) d.formatData("%2.2d%2.2d", t / 100, t % 100);
}

// The weather as words, as a present-weather symbol code, or in the SA form.
void weather(const SfcData& s, Datum& d, int form)
{
  d.set(form == 1 ? Datum::SYMB : Datum::TEXT, MISS);
  if (!s.wx[0] || s.wx[0] == ' ') return;
  String out;
  if (form == 0) {
    s.weatherText(out);
  } else if (form == 1) {
    int code = WxTool::getWmoFromWeather(s.wx);
    if (code <= 0) return;
    d.values[0] = static_cast<float>(code);
    out.printf("%d", code);
  } else {
    WxTool::getSAWeather(s.wx, out);
  }
  d.setData(out.get());
}

// Every computation is handed the caller's Warnings, null for none.
using Warn = Calc::Warnings*;
using Compute = void (*)(const SfcData&, Datum&, Warn);

struct Entry {
  const char* name;
  const char* units;
  Compute compute;
};

// clang-format off
const Entry TABLE[] = {
  {"id", "", [](const SfcData& s, Datum& d, Warn) { text(d, s.id); }},
  {"city", "", [](const SfcData& s, Datum& d, Warn) { text(d, s.name); }},
  {"time", "", timeText},
  {"temp", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.temp); }},
  {"ttd", "C", [](const SfcData& s, Datum& d, Warn) { pair(d, Datum::VALUE, s.temp, s.dewp); }},
  {"dewp", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.dewp); }},
  {"dewd", "dC", [](const SfcData& s, Datum& d, Warn) { value(d, difference(s.temp, s.dewp)); }},
  {"wdir", "deg", [](const SfcData& s, Datum& d, Warn) { value(d, s.wdir); }},
  {"wspd", "knt", [](const SfcData& s, Datum& d, Warn) { value(d, s.wspd); }},
  {"wgst", "knt", [](const SfcData& s, Datum& d, Warn) { value(d, s.gust); }},
  {"wbrbc", "knt", [](const SfcData& s, Datum& d, Warn) {
     pair(d, Datum::CBARB, s.wdir, s.wspd);
     d.values[2] = s.gust;
   }},
  {"wbrb", "knt", [](const SfcData& s, Datum& d, Warn) { pair(d, Datum::WBARB, s.wdir, s.wspd); }},
  {"wind", "knt", [](const SfcData& s, Datum& d, Warn) { pair(d, Datum::VECT, s.wdir, s.wspd); }},
  {"uwnd", "m/s", [](const SfcData& s, Datum& d, Warn w) {
     value(d, windComp(s, s.wspd, true, w));
   }},
  {"vwnd", "m/s", [](const SfcData& s, Datum& d, Warn w) {
     value(d, windComp(s, s.wspd, false, w));
   }},
  {"uwndg", "m/s", [](const SfcData& s, Datum& d, Warn w) {
     value(d, windComp(s, peak(s), true, w));
   }},
  {"vwndg", "m/s", [](const SfcData& s, Datum& d, Warn w) {
     value(d, windComp(s, peak(s), false, w));
   }},
  {"alt", "in_Hg", [](const SfcData& s, Datum& d, Warn) { value(d, s.alt); }},
  {"pralt", "mb", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::sfcPrAlt(scaled(s.alt, INHG_HPA), s.elev, w));
   }},
  {"pres", "mb", [](const SfcData& s, Datum& d, Warn) { value(d, s.slp); }},
  // The sea-level pressure as a station model prints it: tenths of hPa, last three digits.
  {"prcode", "", [](const SfcData& s, Datum& d, Warn) {
     value(d, miss(s.slp) ? MISS : std::fmod(std::round(s.slp * 10.0f), 1000.0f));
   }},
  {"elev", "m", [](const SfcData& s, Datum& d, Warn) { value(d, s.elev); }},
  {"txtwx", "", [](const SfcData& s, Datum& d, Warn) { weather(s, d, 0); }},
  {"wx", "", [](const SfcData& s, Datum& d, Warn) { weather(s, d, 1); }},
  {"sawx", "", [](const SfcData& s, Datum& d, Warn) { weather(s, d, 2); }},
  {"vis", "mi", [](const SfcData& s, Datum& d, Warn) { value(d, s.vis); }},
  {"cldcl", "100 ft", [](const SfcData& s, Datum& d, Warn) {
     value(d, scaled(s.getCldHeight(), 0.01f));
   }},
  {"cldclc", "", [](const SfcData& s, Datum& d, Warn) {
     d.set(Datum::CLOUD, scaled(s.getCldHeight(), 0.01f));
     if (s.getCldCover() != ' ') d.setData(CloudLayer::letter(s.getCldCover()));
   }},
  {"cldcv", "%", [](const SfcData& s, Datum& d, Warn) { value(d, SfcDataTool::totalCover(s)); }},
  {"ptend", "mb/3hr", [](const SfcData& s, Datum& d, Warn) {
     pair(d, Datum::VALUE, s.ptend,
          s.ptend_type == Const::MISS ? MISS : static_cast<float>(s.ptend_type));
   }},
  {"prec1", "mm", [](const SfcData& s, Datum& d, Warn) { value(d, s.prec[SfcData::PREC1]); }},
  {"prec3", "mm", [](const SfcData& s, Datum& d, Warn) { value(d, s.prec[SfcData::PREC3]); }},
  {"prec6", "mm", [](const SfcData& s, Datum& d, Warn) { value(d, s.prec[SfcData::PREC6]); }},
  {"prec12", "mm", [](const SfcData& s, Datum& d, Warn) { value(d, s.prec[SfcData::PREC12]); }},
  {"prec24", "mm", [](const SfcData& s, Datum& d, Warn) { value(d, s.prec[SfcData::PREC24]); }},
  {"prec", "mm", [](const SfcData& s, Datum& d, Warn) {
     float v = MISS;  // the amount over the longest period reported
     for (int i = SfcData::PREC1; i <= SfcData::PREC24; i++) v = firstOf(s.prec[i], v);
     value(d, v);
   }},
  {"extt", "C", [](const SfcData& s, Datum& d, Warn) {
     pair(d, Datum::VALUE, firstOf(s.maxt, s.maxt6), firstOf(s.mint, s.mint6));
   }},
  {"maxt6", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.maxt6); }},
  {"maxt24", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.maxt); }},
  {"maxt", "C", [](const SfcData& s, Datum& d, Warn) { value(d, firstOf(s.maxt, s.maxt6)); }},
  {"mint6", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.mint6); }},
  {"mint24", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.mint); }},
  {"mint", "C", [](const SfcData& s, Datum& d, Warn) { value(d, firstOf(s.mint, s.mint6)); }},
  {"snwdp", "cm", [](const SfcData& s, Datum& d, Warn) { value(d, s.snow); }},
  {"nlcld", "%", [](const SfcData& s, Datum& d, Warn) { value(d, cloudOktas(s.low_amount)); }},
  {"lcld", "", [](const SfcData& s, Datum& d, Warn) { cloudType(d, s.cld_type[0]); }},
  {"mcld", "", [](const SfcData& s, Datum& d, Warn) { cloudType(d, s.cld_type[1]); }},
  {"hcld", "", [](const SfcData& s, Datum& d, Warn) { cloudType(d, s.cld_type[2]); }},
  {"solar", "min", [](const SfcData& s, Datum& d, Warn) { value(d, s.sun); }},
  {"sst", "C", [](const SfcData& s, Datum& d, Warn) { value(d, s.sst); }},
  {"wavper", "sec", [](const SfcData& s, Datum& d, Warn) { value(d, s.wave_per); }},
  {"wavhgt", "m", [](const SfcData& s, Datum& d, Warn) { value(d, s.wave_hgt); }},
  {"vpres", "mb", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::vaporPres(kelvin(s.dewp), w));
   }},
  {"svpres", "mb", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::vaporPres(kelvin(s.temp), w));
   }},
  {"wchilt", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::windChillTemp(kelvin(s.temp), scaled(s.wspd, KNOT_MS), w));
   }},
  {"wchill", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::windChillTemp(kelvin(s.temp), scaled(s.wspd, KNOT_MS), w));
   }},
  {"wchilt2", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::windChillTemp2(kelvin(s.temp), scaled(s.wspd, KNOT_MS), w));
   }},
  {"wchill2", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::windChillTemp2(kelvin(s.temp), scaled(s.wspd, KNOT_MS), w));
   }},
  {"wchilf", "W/m^2", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::windChill(kelvin(s.temp), scaled(s.wspd, KNOT_MS), w));
   }},
  {"heat", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::heatIndex(kelvin(s.temp), kelvin(s.dewp), w));
   }},
  {"humit", "F", [](const SfcData& s, Datum& d, Warn w) {
     value(d, fahrenheit(Calc::humiture(kelvin(s.temp), kelvin(s.dewp), w)));
   }},
  {"mrat", "g/kg", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::mixRatio(kelvin(s.dewp), SfcDataTool::stationPres(s, w), w));
   }},
  {"smrat", "g/kg", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::mixRatio(kelvin(s.temp), SfcDataTool::stationPres(s, w), w));
   }},
  {"shum", "g/kg", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::specHum(kelvin(s.dewp), SfcDataTool::stationPres(s, w), w));
   }},
  {"rhum", "%", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::relHum(kelvin(s.temp), kelvin(s.dewp), w));
   }},
  {"wetblb", "K", [](const SfcData& s, Datum& d, Warn w) { value(d, moist(s, Calc::wetBulb, w)); }},
  {"thetaw", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, moist(s, Calc::wetBulbPotTemp, w));
   }},
  {"thetae", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, moist(s, Calc::equivPotTemp, w));
   }},
  {"thetav", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, moist(s, Calc::virtPotTemp, w));
   }},
  {"theta", "K", [](const SfcData& s, Datum& d, Warn w) {
     value(d, Calc::potTemp(kelvin(s.temp), SfcDataTool::stationPres(s, w), w));
   }},
  {"vtemp", "K", [](const SfcData& s, Datum& d, Warn w) { value(d, moist(s, Calc::virtTemp, w)); }},
  {"fr", "", [](const SfcData& s, Datum& d, Warn) {
     int c = SfcDataTool::flightCategory(s);
     d.set(Datum::TEXT, static_cast<float>(c));
     d.setData(SfcDataTool::flightCategoryName(c));
   }},
};
// clang-format on

const Entry* find(const char* name)
{
  if (!StrLib::valid(name)) return nullptr;
  for (const Entry& e : TABLE)
    if (StrLib::iequal(name, e.name)) return &e;
  return nullptr;
}

}  // namespace

const char* SfcDataTool::getUnits(const char* name)
{
  const Entry* e = find(name);
  return e ? e->units : nullptr;
}

int SfcDataTool::compute(const SfcData& s, const char* name, Datum& d, Calc::Warnings* warn)
{
  d.init();
  d.setId(s.id);
  d.loc.set(s.lat, s.lon, s.elev);
  const Entry* e = find(name);
  if (!e) return 0;
  e->compute(s, d, warn);
  return 1;
}

int SfcDataTool::compute(const SfcData& s, const VarSpec& spec, Datum& d, Calc::Warnings* warn)
{
  int found = compute(s, spec.getName(), d, warn);
  d.setFormat(spec.getFormat());
  return found;
}

float SfcDataTool::stationPres(const SfcData& s, Calc::Warnings* warn)
{
  float setting = miss(s.alt) ? s.slp : s.alt * INHG_HPA;
  return miss(setting) || miss(s.elev) ? MISS : Calc::sfcPrAlt(setting, s.elev, warn);
}

int SfcDataTool::flightCategory(const SfcData& s)
{
  // The ceiling counts when the last layer that is not thin is broken or overcast.
  int last = -1;
  for (int i = 0; i < s.ncld && i < SfcData::MAX_CLD; i++)
    if (!StrLib::isLower(s.cld[i].cover)) last = i;
  float ceiling = MISS;
  if (last >= 0) {
    int kind = CloudLayer::kind(s.cld[last].cover);
    if (kind == CloudLayer::BROKEN || kind == CloudLayer::OVERCAST) ceiling = s.getCldHeight();
  }
  bool c = !miss(ceiling), v = !miss(s.vis);
  if ((c && ceiling < 500) || (v && s.vis < 1)) return 3;
  if ((c && ceiling < 1000) || (v && s.vis < 3)) return 2;
  if ((c && ceiling <= 3000) || (v && s.vis <= 5)) return 1;
  return 0;
}

const char* SfcDataTool::flightCategoryName(int category)
{
  static const char* const names[] = {"VFR", "MVFR", "IFR", "LIFR"};
  return category >= 0 && category <= 3 ? names[category] : "";
}

float SfcDataTool::totalCover(const SfcData& s)
{
  char c = s.getCldCover();
  if (StrLib::isDigit(c)) return cloudOktas(c);
  switch (CloudLayer::kind(c)) {
    case CloudLayer::CLEAR:
      return 0;
    case CloudLayer::FEW:
      return 25;
    case CloudLayer::SCATTERED:
      return 50;
    case CloudLayer::BROKEN:
      return 75;
    case CloudLayer::OVERCAST:
    case CloudLayer::OBSCURED:
      return 100;
    default:
      return MISS;
  }
}

}  // namespace KOL
