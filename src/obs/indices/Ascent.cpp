#include "obs/indices/Ascent.h"

#include <algorithm>

#include "core/Kol.h"
#include "obs/indices/Env.h"
#include "obs/indices/Parcel.h"

namespace KOL {
namespace indices {

namespace {

constexpr float NONE = Const::FMISS;
constexpr float STEP = 10;  // hPa, above the LCL

struct Layer {
  float p1, p2, energy;
};

// One point of the ascent: pressure, parcel and environment temperature, height.
struct Point {
  float p, tp, te, z;
};

struct Budget {
  float bplus = 0, bminus = 0, cap = NONE;
  std::vector<Layer> moist;
};

void keepCap(Budget& b, const Point& pt)
{
  if (pt.p > 500 && (b.cap == NONE || pt.te - pt.tp > b.cap)) b.cap = pt.te - pt.tp;
}

float energyOf(const Point& a, const Point& b)
{
  return layerEnergy(a.tp, b.tp, a.te, b.te, b.z - a.z);
}

bool point(const Env& env, const Parcel& parcel, float p, Point& out)
{
  EnvLevel e;
  out.tp = parcel.tempAt(p);
  if (!env.at(p, e) || out.tp == NONE) return false;
  out.p = p;
  out.te = e.temp;
  out.z = e.hght;
  return true;
}

// From the parcel to its LCL along the sounding's own levels.
bool dryPart(const Env& env, const Parcel& parcel, Budget& b)
{
  const float top = std::max(parcel.lclPres(), env.top().pres);
  Point prev;
  if (!point(env, parcel, parcel.pres(), prev)) return false;
  keepCap(b, prev);
  auto add = [&](float p) {
    Point pt;
    if (!point(env, parcel, p, pt)) return;
    float e = energyOf(prev, pt);
    (e > 0 ? b.bplus : b.bminus) += e;
    keepCap(b, pt);
    prev = pt;
  };
  for (int i = 0; i < env.size(); ++i)
    if (env[i].pres < parcel.pres() && env[i].pres > top) add(env[i].pres);
  if (top < parcel.pres()) add(top);
  return true;
}

// From the LCL to the top in steps of 10 hPa, each layer's energy kept for the rules.
void moistPart(const Env& env, const Parcel& parcel, float stop, Budget& b)
{
  const float top = std::max(env.top().pres, stop);
  Point prev;
  if (parcel.lclPres() <= top || !point(env, parcel, parcel.lclPres(), prev)) return;
  b.moist.reserve(static_cast<size_t>((prev.p - top) / STEP) + 2);
  for (float p = prev.p - STEP;; p -= STEP) {
    Point pt;
    if (!point(env, parcel, std::max(p, top), pt)) break;
    const float e = energyOf(prev, pt);
    b.moist.push_back({prev.p, pt.p, e});
    Kol::outDebug(6, "UpaCalc: %7.1f-%7.1f Tp %6.1f Te %6.1f E %8.2f\n", prev.p, pt.p, pt.tp, pt.te,
                  e);
    keepCap(b, pt);
    prev = pt;
    if (pt.p <= top) break;
  }
}

// The end of the positive area that starts at layer lfc: the index of the first layer above it.
size_t positiveEnd(const std::vector<Layer>& layers, size_t lfc, ElRule rule)
{
  size_t end = lfc + 1;
  for (size_t i = lfc + 1; i < layers.size(); ++i) {
    if (layers[i].energy > 0) {
      end = i + 1;
    } else if (layers[i].energy < 0 && rule == FIRST_NEGATIVE) {
      break;
    }
  }
  return end;
}

void evaluate(const Budget& b, ElRule rule, PositiveArea& r)
{
  const std::vector<Layer>& L = b.moist;
  size_t lfc = 0;
  while (lfc < L.size() && !(L[lfc].energy > 0)) ++lfc;
  float bminus = b.bminus;
  for (size_t i = 0; i < lfc; ++i) bminus += std::min(L[i].energy, 0.0f);
  r.cape = b.bplus;
  if (lfc == L.size()) return;  // never buoyant above its LCL: no LFC, no inhibition to speak of
  r.cin = bminus;
  r.lfc = (L[lfc].p1 + L[lfc].p2) / 2;
  const size_t end = positiveEnd(L, lfc, rule);
  for (size_t i = lfc; i < end; ++i) r.cape += std::max(L[i].energy, 0.0f);
  // The area does not end below the top of the sounding.
  size_t neg = end;
  while (neg < L.size() && !(L[neg].energy < 0)) ++neg;
  if (neg == L.size()) return;
  r.el = rule == FIRST_NEGATIVE ? (L[neg].p1 + L[neg].p2) / 2 : L[end - 1].p2;
  r.bel = r.cape + L[neg].energy;
  float above = 0;
  for (size_t i = neg; i < L.size(); ++i) {
    above += std::min(L[i].energy, 0.0f);
    if (-above >= r.cape) {
      r.mpl = L[i].p2;
      break;
    }
  }
}

}  // namespace

AscentResult ascend(const Env& env, const Parcel& parcel, float stop)
{
  AscentResult r;
  if (env.empty() || !parcel.isValid() || !env.contains(parcel.pres())) return r;
  Budget b;
  if (!dryPart(env, parcel, b)) return r;
  moistPart(env, parcel, stop, b);
  evaluate(b, FIRST_NEGATIVE, r.area[FIRST_NEGATIVE]);
  evaluate(b, HIGHEST_POSITIVE, r.area[HIGHEST_POSITIVE]);
  r.cap = b.cap;
  if (parcel.pres() >= 500) {
    const float te = env.tempAt(500), tp = parcel.tempAt(500);
    if (te != NONE && tp != NONE) r.lifted = te - tp;
  }
  return r;
}

}  // namespace indices
}  // namespace KOL
