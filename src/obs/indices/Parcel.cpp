#include "obs/indices/Parcel.h"

#include <algorithm>

#include "obs/Calc.h"
#include "obs/indices/Env.h"

namespace KOL {
namespace indices {

namespace {
constexpr float KELVIN = 273.15f;
}

Parcel::Parcel(float p, float t, float td) : pres_(p), temp_(t), dewp_(td)
{
  if (p == Const::FMISS || t == Const::FMISS || td == Const::FMISS) return;
  LclData lcl;
  if (!Calc::lcl(t + KELVIN, td + KELVIN, p, lcl) || lcl.pres <= 0) return;
  theta_ = Calc::potTemp(t + KELVIN, p);
  thetae_ = Calc::thetaeOnSatAd(lcl.temp, lcl.pres);
  if (theta_ == Const::FMISS || thetae_ == Const::FMISS) return;
  // A parcel already saturated (or supersaturated) starts on its saturated adiabat.
  lcl_pres_ = lcl.pres > p ? p : lcl.pres;
  lcl_temp_ = lcl.temp - KELVIN;
  valid_ = true;
}

float Parcel::tempAt(float p) const
{
  if (!valid_ || !(p > 0) || p > pres_ + 0.01f) return Const::FMISS;
  float t = p > lcl_pres_ ? Calc::tempOnDryAd(theta_, p) : Calc::tempOnSatAd(thetae_, p);
  return t == Const::FMISS || t <= 0 ? Const::FMISS : t - KELVIN;
}

Parcel parcelAt(const Env& env, float p, float depth)
{
  const Parcel none(Const::FMISS, Const::FMISS, Const::FMISS);
  if (env.empty()) return none;
  if (p == Const::FMISS) p = env.sfc().pres;
  if (depth <= 0) {
    EnvLevel l;
    return env.at(p, l) ? Parcel(p, l.temp, l.dewp) : none;
  }
  // A mixed layer: the pressure-weighted means of potential temperature and mixing ratio over
  // the layer, the parcel starting at the layer's bottom (the surface pressure as a rule), not
  // at its mean pressure.
  float theta, mixr;
  if (!env.layerMean(p, p - depth, theta, mixr)) return none;
  const float t = Calc::tempOnDryAd(theta, p);
  const float td = Calc::tempOnMixRat(mixr, p);
  if (t == Const::FMISS || t <= 0 || td == Const::FMISS || td <= 0) return none;
  return Parcel(p, t - KELVIN, std::min(td, t) - KELVIN);
}

}  // namespace indices
}  // namespace KOL
