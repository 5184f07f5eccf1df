#include "obs/UpaCalc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/Calc.h"
#include "obs/UpaData.h"
#include "obs/indices/Ascent.h"
#include "obs/indices/Env.h"
#include "obs/indices/Parcel.h"

namespace KOL {

using indices::Env;
using indices::EnvLevel;

namespace {

constexpr float NONE = Const::FMISS;
constexpr float KELVIN = 273.15f;
constexpr float KNOT = 0.5144f;  // m/s
// A day's mixing brings down the air from about this far above the ground (hPa).
constexpr float MIXING_DEPTH = 150;

float kelvin(float c) { return c == NONE ? NONE : c + KELVIN; }

bool levelAt(const Env& env, const UpaData& s, const VCoord& c, EnvLevel& out)
{
  return env.at(env.presOf(s, c), out);
}

// The height above ground of a coordinate.
float aglOf(const Env& env, const UpaData& s, const VCoord& c)
{
  if (env.empty()) return NONE;
  if (c.kind == VCoord::HEIGHT) return c.value;
  const float z = env.hghtAt(env.presOf(s, c));
  return z == NONE ? NONE : z - env.sfc().hght;
}

// The first crossing of zero by f going up, not above pressure top; false when the surface value
// is not positive or nothing crosses.
bool firstZero(const Env& env, const std::function<float(const EnvLevel&)>& f, float top,
               UpaLevel& out)
{
  out.init();
  float below = env.empty() ? NONE : f(env.sfc());
  if (below == NONE || below <= 0) return false;
  int last = 0;  // the last level below with a value
  for (int i = 1; i < env.size() && env[i].pres >= top; ++i) {
    const float v = f(env[i]);
    if (v == NONE) continue;
    if (v <= 0) {
      const EnvLevel& a = env[last];
      const float k = below / (below - v);
      out.pres = std::exp(a.lnp + k * (env[i].lnp - a.lnp));
      out.hght = a.hght + k * (env[i].hght - a.hght);
      out.temp = a.temp + k * (env[i].temp - a.temp);
      return true;
    }
    below = v;
    last = i;
  }
  return false;
}

// Temperature, dew point and the wind at a standard level.
struct StdLevel {
  float t = NONE, td = NONE, z = NONE, dir = NONE, spd = NONE;
};

StdLevel stdLevel(const Env& env, float p)
{
  StdLevel out;
  EnvLevel l;
  if (!env.at(p, l)) return out;
  out.t = l.temp;
  out.td = l.dewp;
  out.z = l.hght;
  float u, v;
  if (env.windAt(l.hght - env.sfc().hght, u, v)) {
    out.dir = Calc::windDir(u, v);
    out.spd = Calc::windSpd(u, v);
  }
  return out;
}

bool all(std::initializer_list<float> v)
{
  return std::none_of(v.begin(), v.end(), [](float x) { return x == NONE; });
}

// Mean wind components between two heights above ground.
bool meanUV(const Env& env, float z1, float z2, float& u, float& v)
{
  const float bot = std::min(z1, z2), top = std::max(z1, z2);
  float ua, va;
  if (bot == NONE || !env.windAt(bot, ua, va) || !env.windAt(top, u, v)) return false;
  if (top - bot < 0.01f) {
    u = ua;
    v = va;
    return true;
  }
  double su = 0, sv = 0;
  float zp = bot, up = ua, vp = va;
  auto add = [&](float z, float uu, float vv) {
    su += (z - zp) * (up + uu) / 2;
    sv += (z - zp) * (vp + vv) / 2;
    zp = z;
    up = uu;
    vp = vv;
  };
  for (const indices::WindLevel& w : env.winds())
    if (w.agl > bot && w.agl < top) add(w.agl, w.u, w.v);
  add(top, u, v);
  u = static_cast<float>(su / (top - bot));
  v = static_cast<float>(sv / (top - bot));
  return true;
}

float wrap180(float d)
{
  while (d > 180) d -= 360;
  while (d < -180) d += 360;
  return d;
}

indices::AscentResult lift(const Env& env, const UpaData& s, const VCoord& c, float depth,
                           float stop = 0)
{
  const float p = c.isSet() ? env.presOf(s, c) : NONE;
  if (c.isSet() && p == NONE) return {};
  return indices::ascend(env, indices::parcelAt(env, p, depth), stop);
}

float capeOf(const indices::AscentResult& r) { return r.area[indices::FIRST_NEGATIVE].cape; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Layers.

float UpaCalc::thickness(const UpaData& s, const VCoord& c1, const VCoord& c2)
{
  Env env(s);
  EnvLevel a, b;
  if (!levelAt(env, s, c1, a) || !levelAt(env, s, c2, b)) return NONE;
  return std::fabs(b.hght - a.hght);
}

float UpaCalc::lapseRate(const UpaData& s, const VCoord& c1, const VCoord& c2)
{
  Env env(s);
  EnvLevel a, b;
  if (!levelAt(env, s, c1, a) || !levelAt(env, s, c2, b) || b.hght == a.hght) return NONE;
  return -(b.temp - a.temp) / (b.hght - a.hght);
}

namespace {
float thetaOf(const EnvLevel& l) { return Calc::potTemp(l.temp + KELVIN, l.pres); }
}  // namespace

float UpaCalc::thetaLapseRate(const UpaData& s, const VCoord& c1, const VCoord& c2)
{
  Env env(s);
  EnvLevel a, b;
  if (!levelAt(env, s, c1, a) || !levelAt(env, s, c2, b) || b.hght == a.hght) return NONE;
  return (thetaOf(b) - thetaOf(a)) / (b.hght - a.hght);
}

float UpaCalc::thetaPresLapseRate(const UpaData& s, const VCoord& c1, const VCoord& c2)
{
  Env env(s);
  EnvLevel a, b;
  if (!levelAt(env, s, c1, a) || !levelAt(env, s, c2, b) || b.pres == a.pres) return NONE;
  return (thetaOf(b) - thetaOf(a)) / (b.pres - a.pres);
}

float UpaCalc::staticStability(const UpaData& s, const VCoord& c, float depth)
{
  Env env(s);
  EnvLevel mid, bot, top;
  if (!levelAt(env, s, c, mid) || !levelAt(env, s, thickBottom(c, depth), bot) ||
      !levelAt(env, s, thickTop(c, depth), top) || top.pres == bot.pres)
    return NONE;
  const float t = mid.temp + KELVIN;
  return -(t / (mid.pres * 10000 * thetaOf(mid))) * (thetaOf(top) - thetaOf(bot)) /
         (top.pres - bot.pres) * Const::R;
}

VCoord UpaCalc::thickTop(const VCoord& c, float depth)
{
  if (c.value == NONE || depth == NONE) return VCoord(c.kind, NONE);
  return VCoord(c.kind, c.kind == VCoord::PRESSURE ? c.value - depth : c.value + depth);
}

VCoord UpaCalc::thickBottom(const VCoord& c, float depth)
{
  if (c.value == NONE || depth == NONE) return VCoord(c.kind, NONE);
  return VCoord(c.kind, c.kind == VCoord::PRESSURE ? c.value + depth : c.value - depth);
}

// ---------------------------------------------------------------------------------------------
// Moisture and temperature levels.

float UpaCalc::precipWater(const UpaData& s)
{
  Env env(s);
  std::vector<const EnvLevel*> moist;
  for (int i = 0; i < env.size(); ++i)
    if (env[i].dewp != NONE) moist.push_back(&env[i]);
  if (moist.size() < 3 || moist.front()->pres < 500) return NONE;
  double sum = 0;
  float qj = Calc::specHum(moist.front()->dewp + KELVIN, moist.front()->pres);
  for (size_t i = 1; i < moist.size(); ++i) {
    const float qi = Calc::specHum(moist[i]->dewp + KELVIN, moist[i]->pres);
    sum += (moist[i - 1]->pres - moist[i]->pres) * ((qi + qj) / 2000) / 2.4892;
    qj = qi;
  }
  return static_cast<float>(sum);
}

int UpaCalc::freezingLevel(const UpaData& s, UpaLevel& out)
{
  Env env(s);
  return firstZero(
             env, [](const EnvLevel& l) { return l.temp; }, 500, out)
             ? 1
             : 0;
}

float UpaCalc::freezingLevel(const UpaData& s)
{
  UpaLevel l;
  return freezingLevel(s, l) ? l.pres : NONE;
}

int UpaCalc::wetBulbZero(const UpaData& s, UpaLevel& out)
{
  Env env(s);
  auto wetBulb = [](const EnvLevel& l) {
    if (l.dewp == NONE) return NONE;
    const float t = Calc::wetBulb(l.temp + KELVIN, l.dewp + KELVIN, l.pres);
    return t == NONE ? NONE : t - KELVIN;
  };
  if (!firstZero(env, wetBulb, 0, out)) return 0;
  out.temp = NONE;  // the air temperature there is interpolated below
  EnvLevel l;
  if (env.at(out.pres, l)) out.temp = l.temp;
  return 1;
}

float UpaCalc::wetBulbZero(const UpaData& s)
{
  UpaLevel l;
  return wetBulbZero(s, l) ? l.pres : NONE;
}

float UpaCalc::maxTemperature(const UpaData& s, const VCoord& c, float p)
{
  Env env(s);
  EnvLevel from;
  if (env.empty()) return NONE;
  const VCoord start = c.isSet() ? c : VCoord(VCoord::PRESSURE, env.sfc().pres - MIXING_DEPTH);
  if (!levelAt(env, s, start, from)) return NONE;
  if (p == NONE) p = env.sfc().pres;
  const float t = Calc::tempOnDryAd(Calc::potTemp(from.temp + KELVIN, from.pres), p);
  return t == NONE || t <= 0 ? NONE : t - KELVIN;
}

// ---------------------------------------------------------------------------------------------
// Parcels.

float UpaCalc::liftedIndex(const UpaData& s, const VCoord& c, float depth, const VCoord& top)
{
  // The surface parcel unless told otherwise, and plain temperature on both sides: the index
  // as commonly published lifts a mixed-layer parcel and compares virtual temperatures.
  Env env(s);
  const float p = c.isSet() ? env.presOf(s, c) : NONE;
  if (c.isSet() && p == NONE) return NONE;
  const indices::Parcel parcel = indices::parcelAt(env, p, depth);
  const float ptop = env.presOf(s, top);
  if (!parcel.isValid() || ptop == NONE || ptop > parcel.pres()) return NONE;
  const float te = env.tempAt(ptop), tp = parcel.tempAt(ptop);
  return te == NONE || tp == NONE ? NONE : te - tp;
}

float UpaCalc::capStrength(const UpaData& s, const VCoord& c, float depth)
{
  return lift(Env(s), s, c, depth, 500).cap;
}

float UpaCalc::energyCalc(const UpaLevel& p1, const UpaLevel& p2, const UpaLevel& e1,
                          const UpaLevel& e2)
{
  if (!all({p1.temp, p2.temp, e1.temp, e2.temp, e1.hght, e2.hght})) return NONE;
  return indices::layerEnergy(p1.temp, p2.temp, e1.temp, e2.temp, e2.hght - e1.hght);
}

int UpaCalc::parcelMean(const UpaData& s, const VCoord& c1, const VCoord& c2, ParcelMeanData& out)
{
  out.init();
  Env env(s);
  return env.layerMean(env.presOf(s, c1), env.presOf(s, c2), out.theta, out.mixr) ? 1 : 0;
}

int UpaCalc::ccl(const UpaData& s, const VCoord& c, float depth, CclData& out)
{
  out.init();
  Env env(s);
  EnvLevel from;
  if (!levelAt(env, s, c, from)) return 0;
  float w = NONE, theta;
  if (depth > 0) {
    if (!env.layerMean(from.pres, from.pres - depth, theta, w)) return 0;
  } else if (from.dewp != NONE) {
    w = Calc::mixRatio(from.dewp + KELVIN, from.pres);
  }
  if (w == NONE || w <= 0) return 0;
  // Where the environment meets the saturation mixing ratio line of w.
  auto excess = [w](const EnvLevel& l) {
    const float tw = Calc::tempOnMixRat(w, l.pres);
    return tw <= 0 ? NONE : l.temp + KELVIN - tw;
  };
  UpaLevel l;
  float below = excess(from);
  if (below == NONE || below <= 0) {
    l.pres = from.pres;
    l.hght = from.hght;
    l.temp = from.temp;
  } else {
    for (int i = 0; i < env.size() && l.pres == NONE; ++i) {
      if (env[i].pres >= from.pres) continue;
      const float v = excess(env[i]);
      if (v == NONE) continue;
      if (v <= 0) {
        EnvLevel a;
        env.at(std::min(from.pres, i > 0 ? env[i - 1].pres : from.pres), a);
        const float k = below / (below - v);
        l.pres = std::exp(a.lnp + k * (env[i].lnp - a.lnp));
        env.at(l.pres, a);
        l.hght = a.hght;
        l.temp = a.temp;
      }
      below = v;
    }
  }
  if (l.pres == NONE) return 0;
  out.pres = l.pres;
  out.temp = l.temp;
  out.hght = l.hght;
  const float ct = Calc::convTemp(w, l.pres, env.sfc().pres);
  out.convTemp = ct == NONE ? NONE : ct - KELVIN;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Indices from the standard levels.

float UpaCalc::totalTotals(const UpaData& s)
{
  Env env(s);
  StdLevel a = stdLevel(env, 850), c = stdLevel(env, 500);
  return all({a.t, a.td, c.t}) ? a.t + a.td - 2 * c.t : NONE;
}

float UpaCalc::verticalTotals(const UpaData& s)
{
  Env env(s);
  StdLevel a = stdLevel(env, 850), c = stdLevel(env, 500);
  return all({a.t, c.t}) ? a.t - c.t : NONE;
}

float UpaCalc::crossTotals(const UpaData& s)
{
  Env env(s);
  StdLevel a = stdLevel(env, 850), c = stdLevel(env, 500);
  return all({a.td, c.t}) ? a.td - c.t : NONE;
}

float UpaCalc::kIndex(const UpaData& s)
{
  Env env(s);
  StdLevel a = stdLevel(env, 850), b = stdLevel(env, 700), c = stdLevel(env, 500);
  return all({a.t, a.td, b.t, b.td, c.t}) ? (a.t - c.t) + a.td - (b.t - b.td) : NONE;
}

float UpaCalc::sweatIndex(const UpaData& s)
{
  Env env(s, true);
  StdLevel a = stdLevel(env, 850), c = stdLevel(env, 500);
  if (!all({a.t, a.td, c.t, a.dir, a.spd, c.dir, c.spd})) return NONE;
  const float tt = a.t + a.td - 2 * c.t;
  float sweat = std::max(12 * a.td, 0.0f) + std::max(20 * (tt - 49), 0.0f) + 2 * a.spd + c.spd;
  if (a.dir >= 135 && a.dir <= 250 && c.dir >= 210 && c.dir <= 310 && c.dir > a.dir &&
      a.spd >= 15 && c.spd >= 15)
    sweat += 125 * (std::sin((c.dir - a.dir) * static_cast<float>(Const::DRC)) + 0.2f);
  return sweat;
}

float UpaCalc::energyIndex(const UpaData& s)
{
  Env env(s);
  auto energy = [&env](float p) {
    StdLevel l = stdLevel(env, p);
    if (!all({l.t, l.td, l.z})) return NONE;
    return l.z * 980 * 100 / 4.2e7f + 0.24f * (l.t + KELVIN) +
           0.6f * Calc::mixRatio(l.td + KELVIN, p);
  };
  const float e500 = energy(500), e850 = energy(850);
  return all({e500, e850}) ? e500 - e850 : NONE;
}

float UpaCalc::thetaEIndex(const UpaData& s)
{
  ThetaEData d;
  return thetaEIndex(s, d);
}

float UpaCalc::thetaEIndex(const UpaData& s, ThetaEData& out)
{
  out.init();
  Env env(s);
  auto thetae = [](const EnvLevel& l) {
    return l.dewp == NONE ? NONE : Calc::equivPotTemp(l.temp + KELVIN, l.dewp + KELVIN, l.pres);
  };
  if (env.empty() || (out.sfcValue = thetae(env.sfc())) == NONE) return NONE;
  // Aloft: the middle troposphere up to 400 hPa, where dry air over a moist surface layer lies.
  for (int i = 1; i < env.size() && env[i].pres >= 400; ++i) {
    const float v = thetae(env[i]);
    if (v == NONE || (out.value != NONE && v >= out.value)) continue;
    out.value = v;
    out.pres = env[i].pres;
    out.temp = env[i].temp;
    out.hght = env[i].hght;
  }
  if (out.value == NONE) return NONE;
  return out.index = out.sfcValue - out.value;
}

// ---------------------------------------------------------------------------------------------
// Winds.

Wind UpaCalc::meanWind(const UpaData& s, const VCoord& c1, const VCoord& c2)
{
  Env env(s, true);
  float u, v;
  if (!meanUV(env, aglOf(env, s, c1), aglOf(env, s, c2), u, v)) return Wind();
  return Wind::fromUV(u, v);
}

int UpaCalc::stormMotion(const UpaData& s, Wind& out)
{
  out.init();
  Env env(s, true);
  float mu, mv, lu, lv, hu, hv;
  if (!meanUV(env, 0, 6000, mu, mv) || !meanUV(env, 0, 500, lu, lv) ||
      !meanUV(env, 5500, 6000, hu, hv))
    return 0;
  const float su = hu - lu, sv = hv - lv, shear = std::hypot(su, sv);
  if (shear < 0.01f) return 0;
  const float dev = 7.5f / KNOT;
  out = Wind::fromUV(mu + dev * sv / shear, mv - dev * su / shear);
  return 1;
}

float UpaCalc::shearLayer(const UpaData& s, const VCoord& c1, const VCoord& c2, ShearData& out)
{
  out.init();
  Env env(s, true);
  out.bottom = aglOf(env, s, c1);
  out.top = aglOf(env, s, c2);
  float u1, v1, u2, v2;
  if (out.bottom == NONE || out.top == NONE || !env.windAt(out.bottom, u1, v1) ||
      !env.windAt(out.top, u2, v2) || out.top == out.bottom)
    return NONE;
  out.diff = Wind::fromUV(u2 - u1, v2 - v1);
  return out.value = out.diff.spd * KNOT / std::fabs(out.top - out.bottom);
}

float UpaCalc::bulkRichardson(const UpaData& s, const VCoord& c, float depth, BrnData& out)
{
  out.init();
  Env env(s, true);
  out.set(capeOf(lift(env, s, c, depth)), brnShear(env, s, c));
  return out.brn;
}

float UpaCalc::brnShear(const UpaData& s, const VCoord& c) { return brnShear(Env(s, true), s, c); }

float UpaCalc::brnShear(const Env& env, const UpaData& s, const VCoord& c)
{
  const float z = c.isSet() ? aglOf(env, s, c) : 0;
  float u6, v6, u5, v5;
  if (z == NONE || !meanUV(env, z, z + 6000, u6, v6) || !meanUV(env, z, z + 500, u5, v5))
    return NONE;
  return 0.5f * (std::pow((u6 - u5) * KNOT, 2.0f) + std::pow((v6 - v5) * KNOT, 2.0f));
}

float UpaCalc::helicity(const UpaData& s, const VCoord& c1, const VCoord& c2, const Wind& storm,
                        HelicityData& out)
{
  out.init();
  Env env(s, true);
  const auto& winds = env.winds();
  if (winds.size() < 2 || winds.front().agl > 5000) return NONE;
  out.storm = storm;
  if (!out.storm.isValid() && !stormMotion(s, out.storm)) return NONE;
  out.bottom = c1.isSet() ? aglOf(env, s, c1) : winds.front().agl;
  // By default the layer ends 10 m inside the highest wind, so that every step has one.
  out.top = c2.isSet() ? aglOf(env, s, c2) : winds.back().agl - 10;
  if (out.bottom == NONE || out.top == NONE || out.top - out.bottom < 100) {
    Kol::outDebug(5, "UpaCalc: helicity layer refused\n");
    out.bottom = out.top = NONE;
    return NONE;
  }
  const float su = out.storm.getU(), sv = out.storm.getV();
  float lu, lv;
  if (!env.windAt(out.bottom, lu, lv)) return NONE;
  lu = (lu - su) * KNOT;
  lv = (lv - sv) * KNOT;
  const Wind first = Wind::fromUV(lu, lv);
  Wind low = first;
  float pos = 0, neg = 0, spd = 0, dir = 0, z = out.bottom;
  int steps = 0;
  while (z < out.top) {
    const float zn = std::min(z + 100, out.top);
    float uu, uv;
    if (!env.windAt(zn, uu, uv)) break;
    uu = (uu - su) * KNOT;
    uv = (uv - sv) * KNOT;
    const float h = uu * lv - lu * uv;
    (h > 0 ? pos : neg) += h;
    const Wind up = Wind::fromUV(uu, uv);
    spd += (up.spd - low.spd) / KNOT;
    dir += wrap180(up.dir - low.dir);
    ++steps;
    Kol::outDebug(5, "UpaCalc: %6.0f-%6.0f m  SRH %8.2f  pos %8.2f  neg %8.2f\n", z, zn, h, pos,
                  neg);
    lu = uu;
    lv = uv;
    low = up;
    z = zn;
  }
  if (steps == 0) return NONE;
  out.top = z;
  out.pos = pos;
  out.neg = neg;
  out.total = pos + neg;
  out.mean = out.total / (out.top - out.bottom);
  out.dirChange = wrap180(low.dir - first.dir);
  out.spdShear = spd / steps;
  out.dirShear = dir / steps;
  return out.total;
}

float UpaCalc::energyHelicity(const UpaData& s, const VCoord& c1, const VCoord& c2,
                              const Wind& storm, HelicityData& out)
{
  const float h = helicity(s, c1, c2, storm, out);
  const float cape = capeOf(lift(Env(s), s, VCoord(), 0));
  // The plain product; the index commonly published divides it by 160000.
  return h == NONE || cape == NONE ? NONE : h * cape;
}

// ---------------------------------------------------------------------------------------------
// Named quantities.

namespace {

struct Quantity {
  const char* name;
  const char* units;
  float (*fn)(const UpaLevel&);
};

float tk(const UpaLevel& l) { return kelvin(l.temp); }
float tdk(const UpaLevel& l) { return kelvin(l.dewp); }
float celsius(float k) { return k == NONE ? NONE : k - KELVIN; }

const Quantity QUANTITIES[] = {
    {"pres", "hPa", [](const UpaLevel& l) { return l.pres; }},
    {"hght", "m", [](const UpaLevel& l) { return l.hght; }},
    {"temp", "C", [](const UpaLevel& l) { return l.temp; }},
    {"dewp", "C", [](const UpaLevel& l) { return l.dewp; }},
    {"dd", "C",
     [](const UpaLevel& l) {
       return all({l.temp, l.dewp}) ? l.temp - l.dewp : NONE;
     }},
    {"theta", "K", [](const UpaLevel& l) { return Calc::potTemp(tk(l), l.pres); }},
    {"thetae", "K", [](const UpaLevel& l) { return Calc::equivPotTemp(tk(l), tdk(l), l.pres); }},
    {"thetaw", "K", [](const UpaLevel& l) { return Calc::wetBulbPotTemp(tk(l), tdk(l), l.pres); }},
    {"wetb", "C", [](const UpaLevel& l) { return celsius(Calc::wetBulb(tk(l), tdk(l), l.pres)); }},
    {"virt", "K", [](const UpaLevel& l) { return Calc::virtTemp(tk(l), tdk(l), l.pres); }},
    {"mixr", "g/kg", [](const UpaLevel& l) { return Calc::mixRatio(tdk(l), l.pres); }},
    {"smixr", "g/kg", [](const UpaLevel& l) { return Calc::mixRatio(tk(l), l.pres); }},
    {"spech", "g/kg", [](const UpaLevel& l) { return Calc::specHum(tdk(l), l.pres); }},
    {"relh", "%", [](const UpaLevel& l) { return Calc::relHum(tk(l), tdk(l)); }},
    {"dir", "deg", [](const UpaLevel& l) { return l.dir; }},
    {"spd", "knots", [](const UpaLevel& l) { return l.spd; }},
    {"u", "knots", [](const UpaLevel& l) { return Calc::windU(l.dir, l.spd); }},
    {"v", "knots", [](const UpaLevel& l) { return Calc::windV(l.dir, l.spd); }},
};

const Quantity* findQuantity(const char* name)
{
  if (!name) return nullptr;
  for (const Quantity& q : QUANTITIES)
    if (!StrLib::icmp(q.name, name)) return &q;
  return nullptr;
}

}  // namespace

float UpaCalc::calc(const UpaLevel& l, const char* name)
{
  const Quantity* q = findQuantity(name);
  if (!q) return NONE;
  // Values that need a pressure or a temperature are missing without them, never computed
  // from the missing value itself.
  const bool thermo = std::strcmp(q->units, "knots") && std::strcmp(q->name, "dir") &&
                      std::strcmp(q->name, "pres") && std::strcmp(q->name, "hght");
  if (thermo && (!l.validPres() || !l.validTemp())) return NONE;
  if ((!std::strcmp(q->units, "knots") || !std::strcmp(q->name, "dir")) && !l.validWind())
    return NONE;
  const float v = q->fn(l);
  return std::isfinite(v) ? v : NONE;
}

const char* UpaCalc::getUnits(const char* name)
{
  const Quantity* q = findQuantity(name);
  return q ? q->units : nullptr;
}

float UpaCalc::meanValue(const UpaData& s, const char* name, const VCoord& c1, const VCoord& c2)
{
  if (!findQuantity(name)) return NONE;
  Env env(s, true);
  const float p1 = env.presOf(s, c1), p2 = env.presOf(s, c2);
  if (p1 == NONE || p2 == NONE) return NONE;
  const float bot = std::max(p1, p2), top = std::min(p1, p2);
  auto value = [&](float p) {
    EnvLevel e;
    if (!env.at(p, e)) return NONE;
    UpaLevel l(e.pres, e.hght, e.temp, e.dewp, NONE, NONE);
    float u, v;
    if (env.windAt(e.hght - env.sfc().hght, u, v)) {
      l.dir = Calc::windDir(u, v);
      l.spd = Calc::windSpd(u, v);
    }
    return calc(l, name);
  };
  float prevP = bot, prevV = value(bot);
  if (bot - top < 0.01f) return prevV;
  double sum = 0, weight = 0;
  auto add = [&](float p) {
    const float v = value(p);
    if (v != NONE && prevV != NONE) {
      sum += (prevP - p) * (v + prevV) / 2;
      weight += prevP - p;
    }
    prevP = p;
    prevV = v;
  };
  for (int i = 0; i < env.size(); ++i)
    if (env[i].pres < bot && env[i].pres > top) add(env[i].pres);
  add(top);
  return weight > 0 ? static_cast<float>(sum / weight) : NONE;
}

// ---------------------------------------------------------------------------------------------
// Result records.

void ParcelMeanData::print() const
{
  std::printf("Mean theta: %7.2f K  mixing ratio: %6.2f g/kg\n", theta, mixr);
}

void CclData::print() const
{
  std::printf("CCL: %7.1f mb %7.0f m %6.1f C  Conv temp: %6.1f C\n", pres, hght, temp, convTemp);
}

void ThetaEData::print() const
{
  std::printf("Theta-e sfc: %7.2f K  min: %7.2f K at %7.1f mb %7.0f m  index: %6.2f\n", sfcValue,
              value, pres, hght, index);
}

void HelicityData::init()
{
  bottom = top = pos = neg = total = mean = dirChange = spdShear = dirShear = NONE;
  storm.init();
}

void HelicityData::print() const
{
  std::printf("Helicity %5.0f-%5.0f m: %8.2f m2/s2 (pos %8.2f neg %8.2f mean %8.4f /m)\n", bottom,
              top, total, pos, neg, mean);
  std::printf("  storm %3.0f/%4.1f kt  dir change %6.1f deg  shear per step %5.2f kt %6.2f deg\n",
              storm.dir, storm.spd, dirChange, spdShear, dirShear);
}

void ShearData::init()
{
  bottom = top = value = NONE;
  diff.init();
}

void ShearData::print() const
{
  std::printf("Shear %5.0f-%5.0f m: %3.0f/%5.1f kt  %8.5f /s\n", bottom, top, diff.dir, diff.spd,
              value);
}

void BrnData::set(float positive, float shearTerm)
{
  cape = positive;
  shear = shearTerm;
  brn = cape != NONE && shear != NONE && cape > 0 && shear > 0 ? cape / shear : NONE;
}

void BrnData::print() const
{
  std::printf("BRN: %8.2f  (CAPE %8.2f J/kg, shear %8.2f m2/s2)\n", brn, cape, shear);
}

}  // namespace KOL
