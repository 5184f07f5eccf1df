#include "grid/math/Thermo.h"

#include "grid/math/Pointwise.h"
#include "obs/Calc.h"

namespace KOL::gridmath {

namespace {

bool temperature(float t) { return t > 100 && t < 400; }
bool humidity(float rh) { return rh >= 0 && rh <= 150; }
bool speed(float v) { return v >= 0 && v <= 200; }
bool pressure(float p) { return p > 0 && p <= 1100; }

// The dew point of a temperature and a relative humidity, missing outside the ranges.
float dew(float t, float rh, Calc::Warnings* warn)
{
  return temperature(t) && humidity(rh) ? Calc::dewTemp(t, rh, warn) : MISS;
}

// f(a, b) where both inputs pass their range checks.
template <class F>
auto guarded(bool (*okA)(float), bool (*okB)(float), F f)
{
  return [=](float a, float b) { return okA(a) && okB(b) ? f(a, b) : MISS; };
}

template <class F>
void run(const float* a, std::size_t na, const float* b, std::size_t nb, float* out, std::size_t n,
         bool (*okB)(float), F f)
{
  binary(a, na, b, nb, out, n, guarded(temperature, okB, f));
}

// p of a whole grid: fields that need it are missing without a usable pressure.
bool needs(float p, float* out, std::size_t n)
{
  if (pressure(p)) return true;
  for (std::size_t k = 0; k < n; ++k) out[k] = MISS;
  return false;
}

}  // namespace

void thermo(Thermo f, const float* a, std::size_t na, const float* b, std::size_t nb, float p,
            float* out, std::size_t n)
{
  // One report per kind of problem for the whole grid.
  Calc::Warnings warn;
  Calc::Warnings* w = &warn;
  switch (f) {
    case Thermo::DEWPOINT:
      return run(a, na, b, nb, out, n, humidity, [w](float t, float rh) { return dew(t, rh, w); });
    case Thermo::REL_HUM:
      return run(a, na, b, nb, out, n, temperature,
                 [w](float t, float td) { return Calc::relHum(t, td, w); });
    case Thermo::HEAT_INDEX:
      return run(a, na, b, nb, out, n, humidity,
                 [w](float t, float rh) { return Calc::heatIndex(t, dew(t, rh, w), w); });
    case Thermo::WIND_CHILL:
      return run(a, na, b, nb, out, n, speed,
                 [w](float t, float v) { return Calc::windChillTemp(t, v, w); });
    case Thermo::WIND_CHILL2:
      return run(a, na, b, nb, out, n, speed,
                 [w](float t, float v) { return Calc::windChillTemp2(t, v, w); });
    default:
      break;
  }
  if (!needs(p, out, n)) return;
  switch (f) {
    case Thermo::SPEC_HUM:
      return run(a, na, b, nb, out, n, humidity,
                 [p, w](float t, float rh) { return Calc::specHum(dew(t, rh, w), p, w); });
    case Thermo::MIX_RATIO:
      return run(a, na, b, nb, out, n, humidity,
                 [p, w](float t, float rh) { return Calc::mixRatio(dew(t, rh, w), p, w); });
    case Thermo::WET_BULB:
      return run(a, na, b, nb, out, n, humidity,
                 [p, w](float t, float rh) { return Calc::wetBulb(t, dew(t, rh, w), p, w); });
    case Thermo::POT_TEMP:
      return unary(a, out, n,
                   [p, w](float t) { return temperature(t) ? Calc::potTemp(t, p, w) : MISS; });
    case Thermo::VIRT_TEMP:
      return run(a, na, b, nb, out, n, humidity,
                 [p, w](float t, float rh) { return Calc::virtTemp(t, dew(t, rh, w), p, w); });
    case Thermo::VIRT_POT_TEMP:
      return run(a, na, b, nb, out, n, humidity,
                 [p, w](float t, float rh) { return Calc::virtPotTemp(t, dew(t, rh, w), p, w); });
    case Thermo::EQUIV_POT_TEMP:
      return run(a, na, b, nb, out, n, humidity,
                 [p, w](float t, float rh) { return Calc::equivPotTemp(t, dew(t, rh, w), p, w); });
    default:
      return;
  }
}

void showalter(const float* t, std::size_t nt, const float* rh, std::size_t nrh, float p,
               const float* tu, std::size_t ntu, float pu, float* out, std::size_t n)
{
  if (!needs(p, out, n) || !needs(pu, out, n)) return;
  Calc::Warnings warn;
  Calc::Warnings* w = &warn;
  // The parcel temperature at pu first, then the difference with the upper temperature.
  run(t, nt, rh, nrh, out, n, humidity, [p, pu, w](float tl, float h) {
    LclData lcl;
    if (!Calc::lcl(tl, dew(tl, h, w), p, lcl, w)) return MISS;
    if (lcl.pres <= pu) return Calc::tempOnDryAd(Calc::potTemp(tl, p, w), pu, w);
    return Calc::tempOnSatAd(Calc::thetaeOnSatAd(lcl.temp, lcl.pres, w), pu, w);
  });
  binary(tu, ntu, out, n, out, n, [](float upper, float parcel) { return upper - parcel; });
}

}  // namespace KOL::gridmath
