#include "obs/indices/Env.h"

#include <algorithm>
#include <cmath>

#include "obs/Calc.h"
#include "obs/VCoord.h"
#include "obs/upa/Profile.h"

namespace KOL {
namespace indices {

namespace {

constexpr float NONE = Const::FMISS;

bool finite(float v) { return v != NONE && std::isfinite(v); }

// The levels usable for the indices, sorted, without repeats and without levels below the
// surface.
std::vector<UpaLevel> usableLevels(const UpaData& s)
{
  std::vector<UpaLevel> out;
  out.reserve(s.getNum());
  for (int i = 0; i < s.getNum(); ++i) {
    const UpaLevel& l = *s.getLevel(i);
    if (finite(l.pres) && l.pres > 0 && l.pres < 1100 && finite(l.temp) && l.temp > -150 &&
        l.temp < 80)
      out.push_back(l);
  }
  auto higher = [](const UpaLevel& a, const UpaLevel& b) { return a.pres > b.pres; };
  if (!std::is_sorted(out.begin(), out.end(), higher))
    std::stable_sort(out.begin(), out.end(), higher);
  out.erase(std::unique(out.begin(), out.end(),
                        [](const UpaLevel& a, const UpaLevel& b) {
                          return std::fabs(a.pres - b.pres) < 0.01f;
                        }),
            out.end());
  float sfc = s.getSfcPres();
  if (finite(sfc))
    out.erase(std::remove_if(out.begin(), out.end(),
                             [sfc](const UpaLevel& l) { return l.pres > sfc + 0.01f; }),
              out.end());
  return out;
}

}  // namespace

Env::Env(const UpaData& s, bool with_winds)
{
  std::vector<UpaLevel> lv = usableLevels(s);
  if (lv.empty()) return;
  bool any = false, all = true;
  for (UpaLevel& l : lv) {
    if (!finite(l.hght)) l.hght = NONE;
    any = any || l.hght != NONE;
    all = all && l.hght != NONE;
  }
  // A sounding without heights starts at the station elevation, or at sea level.
  if (!any) lv.front().hght = finite(s.getElev()) ? s.getElev() : 0;
  if (!all) upa::fillHeights(lv);
  levels_.reserve(lv.size());
  for (const UpaLevel& l : lv) {
    float td = finite(l.dewp) && l.dewp <= l.temp + 0.5f && l.dewp > -150 ? l.dewp : NONE;
    levels_.push_back({l.pres, std::log(l.pres), l.hght, l.temp, td});
  }
  if (with_winds) buildWinds(s);
}

void Env::buildWinds(const UpaData& s)
{
  const float z0 = sfc().hght;
  for (int i = 0; i < s.getNum(); ++i) {
    const UpaLevel& l = *s.getLevel(i);
    if (!finite(l.dir) || !finite(l.spd) || l.spd < 0 || l.spd > 500) continue;
    float z = finite(l.hght) ? l.hght : NONE;
    if (z == NONE && finite(l.pres) && l.pres > 0) z = hghtAt(l.pres);
    if (z == NONE || z < z0 - 1) continue;
    winds_.push_back(
        {std::max(z - z0, 0.0f), Calc::windU(l.dir, l.spd), Calc::windV(l.dir, l.spd)});
  }
  std::stable_sort(winds_.begin(), winds_.end(),
                   [](const WindLevel& a, const WindLevel& b) { return a.agl < b.agl; });
  winds_.erase(std::unique(winds_.begin(), winds_.end(),
                           [](const WindLevel& a, const WindLevel& b) {
                             return std::fabs(a.agl - b.agl) < 0.5f;
                           }),
               winds_.end());
}

bool Env::at(float p, EnvLevel& out) const
{
  if (!(p > 0) || !contains(p)) return false;
  // Levels run from high to low pressure: the first level at or above p (in height).
  auto hi = std::lower_bound(levels_.begin(), levels_.end(), p,
                             [](const EnvLevel& l, float v) { return l.pres > v; });
  if (hi == levels_.end()) hi = levels_.end() - 1;
  if (hi == levels_.begin() || hi->pres == p) {
    out = *hi;
    return true;
  }
  const EnvLevel& a = *(hi - 1);
  const EnvLevel& b = *hi;
  const float x = std::log(p);
  const float f = (x - a.lnp) / (b.lnp - a.lnp);
  out.pres = p;
  out.lnp = x;
  out.hght = a.hght + f * (b.hght - a.hght);
  out.temp = a.temp + f * (b.temp - a.temp);
  out.dewp = a.dewp != NONE && b.dewp != NONE ? a.dewp + f * (b.dewp - a.dewp) : NONE;
  return true;
}

float Env::tempAt(float p) const
{
  EnvLevel l;
  return at(p, l) ? l.temp : NONE;
}

float Env::hghtAt(float p) const
{
  EnvLevel l;
  return at(p, l) ? l.hght : NONE;
}

float Env::presAtHght(float z) const
{
  if (empty() || !finite(z) || z < sfc().hght - 0.01f || z > top().hght + 0.01f) return NONE;
  for (int i = 1; i < size(); ++i) {
    const EnvLevel& a = levels_[i - 1];
    const EnvLevel& b = levels_[i];
    if (z > b.hght) continue;
    if (b.hght == a.hght) return a.pres;
    return std::exp(a.lnp + (z - a.hght) / (b.hght - a.hght) * (b.lnp - a.lnp));
  }
  return top().pres;
}

float Env::presOf(const UpaData& s, const VCoord& c) const
{
  if (empty()) return NONE;
  float p = NONE;
  switch (c.kind) {
    case VCoord::SURFACE:
      p = sfc().pres;
      break;
    case VCoord::PRESSURE:
      p = c.value;
      break;
    case VCoord::HEIGHT:
      return finite(c.value) ? presAtHght(sfc().hght + c.value) : NONE;
    case VCoord::TROPOPAUSE:
      p = s.getTropPres();
      break;
    case VCoord::MAX_WIND:
      p = s.getMaxWndPres();
      break;
    case VCoord::THETA: {
      UpaLevel l;
      p = s.interp(c, l) == 1 ? l.pres : NONE;
      break;
    }
    default:
      return NONE;
  }
  return finite(p) && contains(p) ? p : NONE;
}

bool Env::layerMean(float p1, float p2, float& theta, float& mixr) const
{
  const float bot = std::max(p1, p2), top = std::min(p1, p2);
  EnvLevel a, b;
  if (!at(bot, a) || !at(top, b) || bot - top < 0.01f) return false;
  // Trapezoids over the levels inside the layer and its two ends.
  std::vector<EnvLevel> pts{a};
  for (const EnvLevel& l : levels_)
    if (l.pres < bot && l.pres > top) pts.push_back(l);
  pts.push_back(b);
  double th = 0, w = 0, wth = 0, ww = 0;
  for (size_t i = 1; i < pts.size(); ++i) {
    const EnvLevel& lo = pts[i - 1];
    const EnvLevel& hi = pts[i];
    const double dp = lo.pres - hi.pres;
    th += dp *
          (Calc::potTemp(lo.temp + 273.15f, lo.pres) + Calc::potTemp(hi.temp + 273.15f, hi.pres)) /
          2;
    wth += dp;
    if (lo.dewp == NONE || hi.dewp == NONE) continue;
    w += dp *
         (Calc::mixRatio(lo.dewp + 273.15f, lo.pres) + Calc::mixRatio(hi.dewp + 273.15f, hi.pres)) /
         2;
    ww += dp;
  }
  if (wth <= 0 || ww <= 0) return false;
  theta = static_cast<float>(th / wth);
  mixr = static_cast<float>(w / ww);
  return true;
}

bool Env::windAt(float agl, float& u, float& v) const
{
  if (winds_.empty() || agl < winds_.front().agl - 0.01f || agl > winds_.back().agl + 0.01f)
    return false;
  auto hi = std::lower_bound(winds_.begin(), winds_.end(), agl,
                             [](const WindLevel& w, float z) { return w.agl < z; });
  if (hi == winds_.end()) hi = winds_.end() - 1;
  if (hi == winds_.begin() || hi->agl == agl) {
    u = hi->u;
    v = hi->v;
    return true;
  }
  const WindLevel& a = *(hi - 1);
  const float f = (agl - a.agl) / (hi->agl - a.agl);
  u = a.u + f * (hi->u - a.u);
  v = a.v + f * (hi->v - a.v);
  return true;
}

}  // namespace indices
}  // namespace KOL
