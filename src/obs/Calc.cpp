#include "obs/Calc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;
constexpr double KAPPA = Calc::KAPPA;
constexpr double EPS = 622.0;         // ratio of molar masses, in g/kg
constexpr double LV_CP = 2.6518986;   // latent heat over cp, per g/kg of vapour
constexpr double C0 = 273.15;         // 0 degrees Celsius in kelvin
constexpr double CHILL_TOP = 306.15;  // skin temperature of the wind chill models
constexpr double SA_T0 = 288.15;      // standard atmosphere: sea-level temperature
constexpr double SA_LAPSE = 0.0065;   // and lapse rate up to 11 km
constexpr double SA_P11 = 226.32;     // pressure at 11 km
constexpr double SA_H11 = 6341.62;    // scale height of the isothermal layer above

// Prints a problem unless the run it belongs to has reported its kind already.
void warnOf(Calc::Warnings* warn, const char* fn, const char* what, const char* fmt, double v)
{
  if (!warn || warn->first(fn, what)) Kol::outWarning(fmt, fn, what, v);
}

// True when v is missing; a NaN or infinite input is reported and counts as missing.
bool missing(Calc::Warnings* warn, const char* fn, float v)
{
  if (v == MISS) return true;
  if (std::isfinite(v)) return false;
  warnOf(warn, fn, "input", "Calc: %s: %s is not a number\n", v);
  return true;
}

template <class... F>
bool missing(Calc::Warnings* warn, const char* fn, float v, F... more)
{
  return missing(warn, fn, v) || missing(warn, fn, more...);
}

// Reports an input that has no meaningful result and returns the fallback.
float reject(Calc::Warnings* warn, const char* fn, const char* what, double v, float result)
{
  warnOf(warn, fn, what, "Calc: %s: %s %g out of range\n", v);
  return result;
}

// Converts a result to float, refusing what overflowed or lost its meaning.
float finish(Calc::Warnings* warn, const char* fn, double r)
{
  if (std::isfinite(r) && std::fabs(r) < 3.0e38) return (float)r;
  return reject(warn, fn, "result", r, MISS);
}

double satVapor(double t)
{
  if (t < 100.0) return 0.0;
  double lg = 23.832241 - 5.02808 * std::log10(t) -
              1.3816e-7 * std::pow(10.0, 11.344 - 0.0303998 * t) +
              8.132801e-3 * std::pow(10.0, 3.49149 - 1302.8844 / t) - 2949.076 / t;
  return std::pow(10.0, lg);
}

double tempOfVapor(double e)
{
  if (e <= 0.0) return 0.0;
  double a = std::pow(e, 0.0915) - 1.2035;
  return 38.9114 * a * a + std::pow(10.0, 0.0498646455 * std::log10(e) + 2.4082965) - 7.08475;
}

// Saturation mixing ratio; where the vapour pressure reaches p there is no saturation, and a
// huge value keeps the moist-adiabat search moving towards colder air.
double mixOfVapor(double e, double p) { return e < p ? EPS * e / (p - e) : 1.0e6; }

double satMix(double t, double p) { return mixOfVapor(satVapor(t), p); }

// The moist-adiabat search: twelve halvings of 120 K from 253.16 K.
constexpr int SAT_AD_STEPS = 12;
constexpr double SAT_AD_START = 253.16, SAT_AD_STEP = 120.0;
using SatAdVapors = std::array<double, (1 << SAT_AD_STEPS) - 1>;

void fillSatAdVapors(SatAdVapors& v, size_t node, double t, double step)
{
  v[node] = satVapor(t);
  if (2 * node + 2 >= v.size()) return;
  step /= 2.0;
  fillSatAdVapors(v, 2 * node + 1, t - step, step);
  fillSatAdVapors(v, 2 * node + 2, t + step, step);
}

// The search tries the same temperatures whatever the input, so their saturation vapour
// pressures, most of its cost, are computed once: a tree in heap order, colder child first.
const SatAdVapors& satAdVapors()
{
  static const SatAdVapors table = [] {
    SatAdVapors v;
    fillSatAdVapors(v, 0, SAT_AD_START, SAT_AD_STEP);
    return v;
  }();
  return table;
}

double dryAd(double theta, double p) { return theta * std::pow(p / 1000.0, KAPPA); }

double thetaOf(double t, double p) { return t * std::pow(1000.0 / p, KAPPA); }

double tempOfMix(double w, double p) { return tempOfVapor(w * p / (w + EPS)); }

// The vapour pressure meant by x: itself when at most 100, else that of the temperature x.
double vaporOf(double x) { return x <= 100.0 ? x : satVapor(x); }

// theta-e of the parcel (T, Td, p) taken dry to its condensation level.
float parcelThetae(Calc::Warnings* warn, const char* fn, float t, float td, float p)
{
  if (missing(warn, fn, t, td, p)) return MISS;
  LclData l;
  if (!Calc::lcl(t, td, p, l, warn)) return MISS;
  return Calc::thetaeOnSatAd(l.temp, l.pres, warn);
}

// Degrees Celsius below or at 100 are taken to kelvin.
double toKelvin(double t) { return t <= 100.0 ? t + C0 : t; }

}  // namespace

void Calc::Warnings::init()
{
  seen.clear();
  count = 0;
}

bool Calc::Warnings::first(const char* fn, const char* what)
{
  count++;
  for (const Kind& k : seen)
    if (std::strcmp(k.fn, fn) == 0 && std::strcmp(k.what, what) == 0) return false;
  seen.push_back({fn, what});
  return true;
}

void Calc::Warnings::print() const
{
  std::printf("Calc warnings: %ld problems of %zu kinds\n", count, seen.size());
  for (const Kind& k : seen) std::printf("  %s: %s\n", k.fn, k.what);
}

void LclData::init()
{
  pres = MISS;
  temp = MISS;
}

void LclData::print() const { std::printf("LCL P:%7.1f T:%7.2f\n", pres, temp); }

float Calc::windSpd(float u, float v, Warnings* warn)
{
  if (missing(warn, "windSpd", u, v)) return MISS;
  return finish(warn, "windSpd", std::hypot((double)u, (double)v));
}

float Calc::windDir(float u, float v, Warnings* warn)
{
  if (missing(warn, "windDir", u, v)) return MISS;
  if (std::fabs(u) + std::fabs(v) < 0.01f) return 0.0f;
  double d = std::atan2(-(double)u, -(double)v) * Const::RDC;
  return (float)(d < 0.0 ? d + 360.0 : d);
}

float Calc::windU(float dir, float spd, Warnings* warn)
{
  if (missing(warn, "windU", dir, spd)) return MISS;
  return (float)(-spd * std::sin(dir * Const::DRC));
}

float Calc::windV(float dir, float spd, Warnings* warn)
{
  if (missing(warn, "windV", dir, spd)) return MISS;
  return (float)(-spd * std::cos(dir * Const::DRC));
}

float Calc::vaporPres(float t, Warnings* warn)
{
  if (missing(warn, "vaporPres", t)) return MISS;
  if (t < 0.0f) return reject(warn, "vaporPres", "temperature", t, MISS);
  return finish(warn, "vaporPres", satVapor(t));
}

float Calc::tempVaporPres(float e, Warnings* warn)
{
  if (missing(warn, "tempVaporPres", e)) return MISS;
  return finish(warn, "tempVaporPres", tempOfVapor(e));
}

float Calc::mixRatio(float x, float p, Warnings* warn)
{
  if (missing(warn, "mixRatio", x, p)) return MISS;
  if (p <= 0.0f) return reject(warn, "mixRatio", "pressure", p, 0.0f);
  if (x < 0.0f) return reject(warn, "mixRatio", "vapour pressure", x, 0.0f);
  if (x == 0.0f) return 0.0f;
  double e = vaporOf(x);
  if (e >= p) return reject(warn, "mixRatio", "vapour pressure at pressure", p, MISS);
  return finish(warn, "mixRatio", EPS * e / (p - e));
}

float Calc::specHum(float x, float p, Warnings* warn)
{
  if (missing(warn, "specHum", x, p)) return MISS;
  if (p <= 0.0f) return reject(warn, "specHum", "pressure", p, 0.0f);
  if (x < 0.0f) return reject(warn, "specHum", "vapour pressure", x, 0.0f);
  return finish(warn, "specHum", EPS * vaporOf(x) / p);
}

float Calc::tempOnMixRat(float w, float p, Warnings* warn)
{
  if (missing(warn, "tempOnMixRat", w, p)) return MISS;
  if (p <= 0.0f) return reject(warn, "tempOnMixRat", "pressure", p, 0.0f);
  if (w < 0.0f) return reject(warn, "tempOnMixRat", "mixing ratio", w, 0.0f);
  if (w == 0.0f) return 0.0f;
  return finish(warn, "tempOnMixRat", tempOfMix(w, p));
}

float Calc::dewTemp(float t, float rh, Warnings* warn)
{
  if (missing(warn, "dewTemp", t, rh)) return MISS;
  if (t < 0.0f) return reject(warn, "dewTemp", "temperature", t, MISS);
  double r = std::clamp((double)rh, 2.0, 100.0);
  return finish(warn, "dewTemp", tempOfVapor(satVapor(t) * r / 100.0));
}

float Calc::relHum(float t, float td, Warnings* warn)
{
  if (missing(warn, "relHum", t, td)) return MISS;
  double tk = toKelvin(t), dk = toKelvin(td);
  if (tk < 100.0) return reject(warn, "relHum", "temperature", t, MISS);
  if (dk < 0.0) return reject(warn, "relHum", "dew point", td, MISS);
  return finish(warn, "relHum", 100.0 * satVapor(dk) / satVapor(tk));
}

float Calc::potTemp(float t, float p, Warnings* warn)
{
  if (missing(warn, "potTemp", t, p)) return MISS;
  if (p <= 0.0f) return reject(warn, "potTemp", "pressure", p, MISS);
  if (t <= 0.0f) return reject(warn, "potTemp", "temperature", t, MISS);
  return finish(warn, "potTemp", thetaOf(t, p));
}

float Calc::tempOnDryAd(float theta, float p, Warnings* warn)
{
  if (missing(warn, "tempOnDryAd", theta, p)) return MISS;
  if (p <= 0.0f) return reject(warn, "tempOnDryAd", "pressure", p, 0.0f);
  if (theta <= 0.0f) return reject(warn, "tempOnDryAd", "potential temperature", theta, 0.0f);
  return finish(warn, "tempOnDryAd", dryAd(theta, p));
}

float Calc::virtTemp(float t, float x, float p, Warnings* warn)
{
  if (missing(warn, "virtTemp", t, x, p)) return MISS;
  if (t <= 0.0f) return reject(warn, "virtTemp", "temperature", t, MISS);
  if (x < 0.0f) return reject(warn, "virtTemp", "moisture", x, MISS);
  if (x == 0.0f) return t;
  float w = x <= 100.0f ? x : mixRatio(x, p, warn);
  if (w == MISS) return MISS;
  return finish(warn, "virtTemp", t * (1.0 + 0.609 * w / 1000.0));
}

float Calc::virtPotTemp(float t, float x, float p, Warnings* warn)
{
  if (missing(warn, "virtPotTemp", t, x, p)) return MISS;
  if (x == 0.0f) return potTemp(t, p, warn);
  if (p <= 0.0f) return reject(warn, "virtPotTemp", "pressure", p, MISS);
  float tv = virtTemp(t, x, p, warn);
  if (tv == MISS) return MISS;
  return finish(warn, "virtPotTemp", thetaOf(tv, p));
}

float Calc::thetaeOnSatAd(float t, float p, Warnings* warn)
{
  if (missing(warn, "thetaeOnSatAd", t, p)) return MISS;
  if (p <= 0.0f) return reject(warn, "thetaeOnSatAd", "pressure", p, MISS);
  if (t <= 0.0f) return reject(warn, "thetaeOnSatAd", "temperature", t, MISS);
  if (satVapor(t) >= p)
    return reject(warn, "thetaeOnSatAd", "vapour pressure at pressure", p, MISS);
  return finish(warn, "thetaeOnSatAd", thetaOf(t, p) * std::exp(LV_CP * satMix(t, p) / t));
}

float Calc::tempOnSatAd(float thetae, float p, Warnings* warn)
{
  if (missing(warn, "tempOnSatAd", thetae, p)) return MISS;
  if (p <= 0.0f || p > 2000.0f) return reject(warn, "tempOnSatAd", "pressure", p, MISS);
  if (thetae <= 0.0f)
    return reject(warn, "tempOnSatAd", "equivalent potential temperature", thetae, MISS);
  // Bisection over 133 .. 373 K; twelve halvings leave a step of 0.03 K.
  // theta is t times this factor, the same at every step (soundings call this once per level).
  const double toTheta = std::pow(1000.0 / p, KAPPA);
  const SatAdVapors& vapor = satAdVapors();
  double t = SAT_AD_START, step = SAT_AD_STEP;
  size_t node = 0;
  for (int i = 0; i < SAT_AD_STEPS; i++) {
    double d = thetae * std::exp(-LV_CP * mixOfVapor(vapor[node], p) / t) - t * toTheta;
    if (d * d < 2e-5) break;
    step /= 2.0;
    t += d > 0.0 ? step : -step;
    node = 2 * node + (d > 0.0 ? 2 : 1);
  }
  return (float)t;
}

int Calc::lcl(float t, float td, float p, LclData& out, Warnings* warn)
{
  out.init();
  if (missing(warn, "lcl", t, td, p)) return 0;
  if (!(t > 100.0f && td > 100.0f))
    return (int)reject(warn, "lcl", "temperature", std::min(t, td), 0);
  if (!(p > 0.0f && p <= 1100.0f)) return (int)reject(warn, "lcl", "pressure", p, 0);
  double e = satVapor(td);
  if (e >= p) return (int)reject(warn, "lcl", "dew point at pressure", p, 0);
  double w = EPS * e / (p - e), theta = thetaOf(t, p), pl = p;
  for (int i = 0; i < 8; i++) {
    double d = tempOfMix(w, pl) - dryAd(theta, pl);
    if (d * d <= 1e-4) break;
    pl *= std::pow(2.0, 0.02 * d);
  }
  out.pres = (float)pl;
  out.temp = (float)dryAd(theta, pl);
  return 1;
}

float Calc::lcl(float t, float td, float p, Warnings* warn)
{
  LclData l;
  lcl(t, td, p, l, warn);
  return l.pres;
}

float Calc::lclPres(float t, float td, float p, Warnings* warn) { return lcl(t, td, p, warn); }

float Calc::lclTemp(float t, float p, float plcl, Warnings* warn)
{
  if (missing(warn, "lclTemp", t, p, plcl)) return MISS;
  float theta = potTemp(t, p, warn);
  return theta == MISS ? MISS : tempOnDryAd(theta, plcl, warn);
}

float Calc::convTemp(float w, float p, float psfc, Warnings* warn)
{
  if (missing(warn, "convTemp", w, p, psfc)) return MISS;
  float t = tempOnMixRat(w, p, warn);
  if (t <= 0.0f) return reject(warn, "convTemp", "mixing ratio", w, MISS);
  float theta = potTemp(t, p, warn);
  return theta == MISS ? MISS : tempOnDryAd(theta, psfc, warn);
}

float Calc::equivPotTemp(float t, float td, float p, Warnings* warn)
{
  if (td == 0.0f) return potTemp(t, p, warn);
  return parcelThetae(warn, "equivPotTemp", t, td, p);
}

float Calc::wetBulb(float t, float td, float p, Warnings* warn)
{
  float thetae = parcelThetae(warn, "wetBulb", t, td, p);
  return thetae == MISS ? MISS : tempOnSatAd(thetae, p, warn);
}

float Calc::wetBulbPotTemp(float t, float td, float p, Warnings* warn)
{
  float thetae = parcelThetae(warn, "wetBulbPotTemp", t, td, p);
  return thetae == MISS ? MISS : tempOnSatAd(thetae, 1000.0f, warn);
}

float Calc::windChillTemp(float t, float v, Warnings* warn)
{
  if (missing(warn, "windChillTemp", t, v)) return MISS;
  if (v < 2.0f || t > CHILL_TOP) return t;
  double s = std::min(v, 26.0f);
  double k = 0.453843 * std::sqrt(s) + 0.474266 - 0.0453843 * s;
  return finish(warn, "windChillTemp", CHILL_TOP - k * (CHILL_TOP - t));
}

float Calc::windChillTemp2(float t, float v, Warnings* warn)
{
  if (missing(warn, "windChillTemp2", t, v)) return MISS;
  if (v < 1.0f || t > CHILL_TOP) return t;
  double wct = (0.4863 * t - 146.774) * std::pow((double)v, 0.16) + 0.6215 * t + 116.514;
  return finish(warn, "windChillTemp2", std::min((double)t, wct));
}

float Calc::windChill(float t, float v, Warnings* warn)
{
  if (missing(warn, "windChill", t, v)) return MISS;
  if (v < 2.0f || t > CHILL_TOP) return t;
  double s = std::min(v, 26.0f);
  return finish(warn, "windChill", (10.0 * std::sqrt(s) + 10.45 - s) * 1.1627 * (CHILL_TOP - t));
}

float Calc::heatIndex(float t, float td, Warnings* warn)
{
  if (missing(warn, "heatIndex", t, td)) return MISS;
  if (td > t) return MISS;
  if (t < 100.0f) return reject(warn, "heatIndex", "temperature", t, MISS);
  double rh = 100.0 * satVapor(td) / satVapor(t);
  double f = (t - C0) * 1.8 + 32.0;
  double hi = 1.2 * (f - 68.0) + 60.8 + 0.0936 * rh;
  if (hi >= 77.0) {
    double f2 = f * f, f3 = f2 * f, r2 = rh * rh, r3 = r2 * rh;
    hi = 16.0 + 0.185212 * f + 5.37941 * rh - 0.100254 * f * rh + 0.00941695 * f2 +
         0.00728898 * r2 + 0.000345372 * f2 * rh - 0.000814971 * f * r2 + 1.02102e-5 * f2 * r2 -
         3.8646e-5 * f3 + 2.91583e-5 * r3 + 1.42721e-6 * f3 * rh + 1.97483e-7 * f * r3 -
         2.18429e-8 * f3 * r2 + 8.43296e-10 * f2 * r3 - 4.81975e-11 * f3 * r3;
  }
  return finish(warn, "heatIndex", (hi - 32.0) / 1.8 + C0);
}

float Calc::humiture(float t, float td, Warnings* warn)
{
  if (missing(warn, "humiture", t, td)) return MISS;
  if (td < 0.0f) return reject(warn, "humiture", "dew point", td, MISS);
  double excess = satVapor(td) - 21.0;
  // The excess is in degrees Fahrenheit; the result stays in kelvin.
  return excess > 0.0 ? finish(warn, "humiture", t + excess / 1.8) : t;
}

float Calc::tempHumIndex(float t, float rh, Warnings* warn)
{
  if (missing(warn, "tempHumIndex", t, rh)) return MISS;
  return finish(warn, "tempHumIndex", 0.55 * t + 0.2 * rh + 17.5);
}

float Calc::sfcPrAlt(float alt, float z, Warnings* warn)
{
  if (missing(warn, "sfcPrAlt", alt, z)) return MISS;
  if (alt <= 0.0f) return reject(warn, "sfcPrAlt", "altimeter setting", alt, MISS);
  double base = (SA_T0 - SA_LAPSE * z) / SA_T0;
  if (base <= 0.0) return reject(warn, "sfcPrAlt", "elevation", z, MISS);
  return finish(warn, "sfcPrAlt", alt * std::pow(base, 5.2558));
}

float Calc::presAlt(float p, Warnings* warn)
{
  if (missing(warn, "presAlt", p)) return MISS;
  if (p <= 0.0f) return reject(warn, "presAlt", "pressure", p, MISS);
  if (p < SA_P11) return finish(warn, "presAlt", 11000.0 + SA_H11 * std::log(SA_P11 / p));
  return finish(warn, "presAlt", (SA_T0 - SA_T0 * std::pow(p / 1013.25, 0.190263)) / SA_LAPSE);
}

float Calc::stdAtmsPres(float z, Warnings* warn)
{
  if (missing(warn, "stdAtmsPres", z)) return MISS;
  if (z > 11000.0f)
    return finish(warn, "stdAtmsPres", SA_P11 * std::pow(2.71828, (11000.0 - z) / SA_H11));
  return finish(warn, "stdAtmsPres", 1013.25 * std::pow((SA_T0 - SA_LAPSE * z) / SA_T0, 5.25588));
}

float Calc::interpLinear(float x, float x1, float x2, float y1, float y2, Warnings* warn)
{
  if (missing(warn, "interpLinear", x, x1, x2) || missing(warn, "interpLinear", y1, y2))
    return MISS;
  if (x1 == x2) return y1 == y2 ? y1 : reject(warn, "interpLinear", "interval", 0.0, MISS);
  return finish(warn, "interpLinear",
                ((double)y2 - y1) * ((double)x - x1) / ((double)x2 - x1) + y1);
}

float Calc::interpTemp(float t1, float t2, float p1, float p2, float p, Warnings* warn)
{
  if (missing(warn, "interpTemp", t1)) return missing(warn, "interpTemp", t2) ? MISS : t2;
  if (missing(warn, "interpTemp", t2)) return t1;
  if (missing(warn, "interpTemp", p1, p2, p)) return MISS;
  if (p1 <= 0.0f || p2 <= 0.0f || p <= 0.0f)
    return reject(warn, "interpTemp", "pressure", std::min({p1, p2, p}), MISS);
  if (p1 == p2) return t1 == t2 ? t1 : reject(warn, "interpTemp", "pressure interval", 0.0, MISS);
  double r = t1 - ((double)t2 - t1) * std::log((double)p / p1) / std::log((double)p1 / p2);
  return finish(warn, "interpTemp", r);
}

float Calc::earthAngle(float lat1, float lon1, float lat2, float lon2, Warnings* warn)
{
  if (missing(warn, "earthAngle", lat1, lon1, lat2, lon2)) return MISS;
  if (std::fabs(lat1) > 90.0f) return reject(warn, "earthAngle", "latitude", lat1, MISS);
  if (std::fabs(lat2) > 90.0f) return reject(warn, "earthAngle", "latitude", lat2, MISS);
  double a1 = lat1 * Const::DRC, a2 = lat2 * Const::DRC, dl = ((double)lon1 - lon2) * Const::DRC;
  double c = std::cos(a1) * std::cos(a2) * std::cos(dl) + std::sin(a1) * std::sin(a2);
  return (float)(std::acos(std::clamp(c, -1.0, 1.0)) * Const::RDC);
}

float Calc::earthDist(float lat1, float lon1, float lat2, float lon2, Warnings* warn)
{
  float a = earthAngle(lat1, lon1, lat2, lon2, warn);
  return a == MISS ? MISS : (float)(a * Const::EARTH_MEAN * 100.0 * Const::PI / 180.0);
}

float Calc::dist(float x1, float y1, float x2, float y2, Warnings* warn)
{
  if (missing(warn, "dist", x1, y1, x2, y2)) return MISS;
  return finish(warn, "dist", std::hypot((double)x2 - x1, (double)y2 - y1));
}

}  // namespace KOL
