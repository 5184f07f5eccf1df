#include "obs/upa/Profile.h"

#include <cmath>

#include "obs/Calc.h"
#include "obs/VCoord.h"

namespace KOL {
namespace upa {

namespace {

constexpr float KELVIN = 273.15f;
constexpr float NONE = Const::FMISS;

float kelvin(float c) { return c == NONE ? NONE : c + KELVIN; }

// Mean temperature (K) of the layer between two levels.
float layerTemp(const UpaLevel& a, const UpaLevel& b)
{
  float ta = kelvin(a.temp), tb = kelvin(b.temp);
  if (ta != NONE && tb != NONE) return (ta + tb) / 2;
  if (ta != NONE) return ta;
  if (tb != NONE) return tb;
  float p = (a.pres + b.pres) / 2;
  return 288.15f * std::pow(p / 1013.25f, 0.190263f);
}

// Height of b above a.
float thickness(const UpaLevel& a, const UpaLevel& b)
{
  return Const::R * layerTemp(a, b) / Const::G * std::log(a.pres / b.pres);
}

bool usable(const UpaLevel& l) { return l.validPres() && l.pres > 0; }

void spread(std::vector<UpaLevel>& levels, int from, int to, float misfit)
{
  float span = levels[from].pres - levels[to].pres;
  if (span <= 0) return;
  for (int j = from + 1; j < to; ++j)
    levels[j].hght += misfit * (levels[from].pres - levels[j].pres) / span;
}

float lnInterp(float p, const UpaLevel& a, const UpaLevel& b, float va, float vb)
{
  float x = std::log(p), xa = std::log(a.pres), xb = std::log(b.pres);
  return xa == xb ? va : va + (vb - va) * (x - xa) / (xb - xa);
}

}  // namespace

int fillHeights(std::vector<UpaLevel>& levels)
{
  const int n = static_cast<int>(levels.size());
  int first = -1;
  for (int i = 0; i < n && first < 0; ++i)
    if (usable(levels[i]) && levels[i].validHght()) first = i;
  if (first < 0) return 0;
  int filled = 0;
  // Below the first reported height, downward.
  int above = first;
  for (int i = first - 1; i >= 0; --i) {
    if (!usable(levels[i])) continue;
    if (!levels[i].validHght()) {
      levels[i].hght = levels[above].hght - thickness(levels[i], levels[above]);
      ++filled;
    }
    above = i;
  }
  // Upward, each computed run fitted to the reported height that ends it.
  int last = first, prev = first;
  for (int i = first + 1; i < n; ++i) {
    if (!usable(levels[i])) continue;
    float computed = levels[prev].hght + thickness(levels[prev], levels[i]);
    if (levels[i].validHght()) {
      if (prev != last) spread(levels, last, i, levels[i].hght - computed);
      last = i;
    } else {
      levels[i].hght = computed;
      ++filled;
    }
    prev = i;
  }
  return filled;
}

int fillPressures(std::vector<UpaLevel>& levels)
{
  int filled = 0;
  for (UpaLevel& l : levels) {
    if (l.validPres() || !l.validHght()) continue;
    // The nearest level below with a pressure and a height, else the nearest above.
    const UpaLevel* ref = nullptr;
    for (const UpaLevel& r : levels) {
      if (!usable(r) || !r.validHght()) continue;
      bool below = r.hght <= l.hght;
      bool refBelow = ref && ref->hght <= l.hght;
      if (!ref || (below && (!refBelow || r.hght > ref->hght)) ||
          (!below && !refBelow && r.hght < ref->hght))
        ref = &r;
    }
    if (!ref) continue;
    float t = kelvin(ref->temp);
    if (t == NONE) t = 288.15f - 0.0065f * (ref->hght + l.hght) / 2;
    l.pres = ref->pres * std::exp(Const::G * (ref->hght - l.hght) / (Const::R * t));
    ++filled;
  }
  return filled;
}

namespace {

// Fills one value of the levels between the nearest ones below and above that hold it.
int fillBetween(std::vector<UpaLevel>& levels, float UpaLevel::*field, float sfc_pres)
{
  const int n = static_cast<int>(levels.size());
  int filled = 0, below = -1;
  for (int i = 0; i < n; ++i) {
    UpaLevel& l = levels[i];
    if (!usable(l)) continue;
    if (l.*field != NONE) {
      below = i;
      continue;
    }
    if (below < 0 || (sfc_pres > 0 && l.pres > sfc_pres + 0.05f)) continue;
    int above = i + 1;
    while (above < n && (!usable(levels[above]) || levels[above].*field == NONE)) ++above;
    if (above >= n) break;
    const UpaLevel& a = levels[below];
    const UpaLevel& b = levels[above];
    l.*field = lnInterp(l.pres, a, b, a.*field, b.*field);
    ++filled;
  }
  return filled;
}

}  // namespace

int fillTemps(std::vector<UpaLevel>& levels, float sfc_pres)
{
  return fillBetween(levels, &UpaLevel::temp, sfc_pres) +
         fillBetween(levels, &UpaLevel::dewp, sfc_pres);
}

int fillWinds(std::vector<UpaLevel>& levels)
{
  // Through components, so that a turn through north goes the short way.
  std::vector<UpaLevel> comps = levels;
  for (UpaLevel& l : comps) {
    if (!l.validWind()) {
      l.dir = l.spd = NONE;
      continue;
    }
    float u = Calc::windU(l.dir, l.spd), v = Calc::windV(l.dir, l.spd);
    l.dir = u;
    l.spd = v;
  }
  int filled = fillBetween(comps, &UpaLevel::dir, 0);
  fillBetween(comps, &UpaLevel::spd, 0);
  for (size_t i = 0; i < levels.size(); ++i) {
    if (levels[i].validWind() || comps[i].dir == NONE || comps[i].spd == NONE) continue;
    levels[i].dir = Calc::windDir(comps[i].dir, comps[i].spd);
    levels[i].spd = Calc::windSpd(comps[i].dir, comps[i].spd);
  }
  return filled;
}

namespace {

struct Axis {
  int kind;
  float coord(const UpaLevel& l) const
  {
    switch (kind) {
      case VCoord::PRESSURE:
        return usable(l) ? -std::log(l.pres) : NAN;
      case VCoord::HEIGHT:
        return l.validHght() ? l.hght : NAN;
      default:
        return usable(l) && l.validTemp() ? Calc::potTemp(l.temp + KELVIN, l.pres) : NAN;
    }
  }
  float tolerance() const
  {
    return kind == VCoord::PRESSURE ? 0.01f : kind == VCoord::HEIGHT ? 3.0f : 1.0f;
  }
};

// The value of one quantity at x from the first pair of levels holding it that brackets x.
template <typename Get>
bool along(const std::vector<UpaLevel>& levels, const Axis& axis, float x, Get get, float& out)
{
  const UpaLevel* prev = nullptr;
  float xp = 0, vp = 0;
  for (const UpaLevel& l : levels) {
    float xl = axis.coord(l), vl = get(l);
    if (std::isnan(xl) || std::isnan(vl)) continue;
    if (std::fabs(xl - x) < axis.tolerance()) {
      out = vl;
      return true;
    }
    if (prev && (x - xp) * (x - xl) < 0) {
      out = vp + (vl - vp) * (x - xp) / (xl - xp);
      return true;
    }
    prev = &l;
    xp = xl;
    vp = vl;
  }
  return false;
}

float orNan(float v) { return v == NONE ? NAN : v; }

}  // namespace

int interpolate(const std::vector<UpaLevel>& levels, int kind, float value, UpaLevel& out)
{
  out.init();
  Axis axis{kind};
  float x = kind == VCoord::PRESSURE ? (value > 0 ? -std::log(value) : NAN) : value;
  if (std::isnan(x)) return 0;
  float v;
  bool found = false;
  if (along(
          levels, axis, x, [](const UpaLevel& l) { return usable(l) ? std::log(l.pres) : NAN; },
          v)) {
    out.pres = std::exp(v);
    found = true;
  }
  if (along(
          levels, axis, x, [](const UpaLevel& l) { return orNan(l.hght); }, v)) {
    out.hght = v;
    found = true;
  }
  if (along(
          levels, axis, x, [](const UpaLevel& l) { return orNan(l.temp); }, v))
    out.temp = v;
  if (along(
          levels, axis, x, [](const UpaLevel& l) { return orNan(l.dewp); }, v))
    out.dewp = v;
  float u, w;
  auto uOf = [](const UpaLevel& l) { return l.validWind() ? Calc::windU(l.dir, l.spd) : NAN; };
  auto vOf = [](const UpaLevel& l) { return l.validWind() ? Calc::windV(l.dir, l.spd) : NAN; };
  if (along(levels, axis, x, uOf, u) && along(levels, axis, x, vOf, w)) {
    out.dir = Calc::windDir(u, w);
    out.spd = Calc::windSpd(u, w);
  }
  if (kind == VCoord::PRESSURE) out.pres = value;
  if (kind == VCoord::HEIGHT) out.hght = value;
  return found ? 1 : 0;
}

}  // namespace upa
}  // namespace KOL
