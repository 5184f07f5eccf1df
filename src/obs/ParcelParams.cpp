#include "obs/ParcelParams.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/StrLib.h"
#include "obs/UpaCalc.h"
#include "obs/UpaData.h"
#include "obs/indices/Ascent.h"
#include "obs/indices/Env.h"
#include "obs/indices/Parcel.h"

namespace KOL {

namespace {

constexpr float NONE = Const::FMISS;
constexpr float FOOT = 0.3048f;

ParcelParams::Level levelOf(const indices::Env& env, float p)
{
  ParcelParams::Level l;
  if (p == NONE) return l;
  l.pres = p;
  l.hght = env.hghtAt(p);
  return l;
}

void printLevel(const char* label, const ParcelParams::Level& l)
{
  if (l.pres == NONE) {
    std::printf("%-23s  none\n", label);
    return;
  }
  std::printf("%-23s%8.2f mb = %8.2f m = %8.2f ft\n", label, l.pres, l.hght,
              l.hght == NONE ? NONE : l.hght / FOOT);
}

}  // namespace

void ParcelParams::init()
{
  kind_ = SURFACE;
  depth_ = 100;
  given_[0] = given_[1] = given_[2] = NONE;
  highest_el_ = false;
  clearResults();
}

void ParcelParams::clearResults()
{
  lifted_ = cap_ = NONE;
  lcl_ = Level();
  for (Area& a : areas_) a = Area{NONE, NONE, NONE, NONE, Level(), Level(), Level()};
}

int ParcelParams::setType(const char* text)
{
  if (!text) return 0;
  if (!StrLib::icmp(text, "sfc")) {
    kind_ = SURFACE;
    return 1;
  }
  if (!StrLib::icmp(text, "maxt")) {
    kind_ = MAX_TEMP;
    return 1;
  }
  float depth;
  char end;
  if (!StrLib::icmp(text, "layer")) {
    kind_ = LAYER;
    depth_ = 100;
    return 1;
  }
  if (!StrLib::icmp(text, "layer:", 6)) {
    if (std::sscanf(text + 6, "%f%c", &depth, &end) != 1 || !(depth > 0) || depth > 1000) return 0;
    kind_ = LAYER;
    depth_ = depth;
    return 1;
  }
  float p, t, td;
  if (std::sscanf(text, "%f:%f:%f%c", &p, &t, &td, &end) != 3 || !(p > 0) || p > 1100 ||
      !(t > -150 && t < 80) || !(td > -150 && td <= t))
    return 0;
  kind_ = GIVEN;
  given_[0] = p;
  given_[1] = t;
  given_[2] = td;
  return 1;
}

int ParcelParams::calc(const UpaData& s)
{
  UpaLevel parcel;
  return calc(s, parcel);
}

int ParcelParams::calc(const UpaData& s, UpaLevel& parcel)
{
  clearResults();
  parcel.init();
  indices::Env env(s);
  if (env.empty()) return 0;
  indices::Parcel start(NONE, NONE, NONE);
  switch (kind_) {
    case LAYER:
      start = indices::parcelAt(env, NONE, depth_);
      break;
    case MAX_TEMP: {
      const float p = env.sfc().pres;
      float t = UpaCalc::maxTemperature(s, VCoord(), p);
      if (t == NONE || t < env.sfc().temp) t = env.sfc().temp;
      start = indices::Parcel(p, t, env.sfc().dewp);
      break;
    }
    case GIVEN:
      start = indices::Parcel(given_[0], given_[1], given_[2]);
      break;
    default:
      start = indices::parcelAt(env, NONE, 0);
  }
  parcel.pres = start.pres();
  parcel.temp = start.temp();
  parcel.dewp = start.dewp();
  if (!start.isValid()) return 0;
  const indices::AscentResult r = indices::ascend(env, start);
  lifted_ = r.lifted;
  cap_ = r.cap;
  if (env.contains(start.lclPres())) lcl_ = levelOf(env, start.lclPres());
  for (int i = 0; i < 2; ++i) {
    const indices::PositiveArea& from = r.area[i];
    Area& a = areas_[i];
    a.cape = from.cape;
    a.cin = from.cin;
    a.bel = from.bel;
    if (a.cape != NONE && a.cape > 0) a.max_vv = std::sqrt(2 * a.cape);
    a.lfc = levelOf(env, from.lfc);
    a.el = levelOf(env, from.el);
    a.mpl = levelOf(env, from.mpl);
  }
  return area().cape != NONE ? 1 : 0;
}

void ParcelParams::print() const
{
  switch (kind_) {
    case LAYER:
      std::printf("Parcel: using %1.0f mb layer\n", depth_);
      break;
    case MAX_TEMP:
      std::printf("Parcel: using max temp\n");
      break;
    case GIVEN:
      std::printf("Parcel: using P: %1.0f T: %2.1f TD: %2.1f\n", given_[0], given_[1], given_[2]);
      break;
    default:
      std::printf("Parcel: using surface\n");
  }
  const Area& a = area();
  std::printf("Lifted index:          %8.2f C\n", lifted_);
  std::printf("CAPE (B+):             %8.2f J/kg\n", a.cape);
  std::printf("Max Up Vert Vel:       %8.2f m/s\n", a.max_vv);
  std::printf("Conv Inhibition (B-):  %8.2f J/kg\n", a.cin);
  std::printf("Cap Strength:          %8.2f C\n", cap_);
  printLevel("Lift Cond Lev (LCL):", lcl_);
  printLevel("Lev Free Conv (LFC):", a.lfc);
  printLevel("Equ Level (EL):", a.el);
  std::printf("B at Equ Level:        %8.2f J/kg\n", a.bel);
  printLevel("Max Parcel Lev (MPL):", a.mpl);
}

void ParcelParams::list(Values& out, const std::string& prefix) const
{
  const Area& a = area();
  out.emplace_back(prefix + "li_C", lifted_);
  out.emplace_back(prefix + "cape_J_kg", a.cape);
  out.emplace_back(prefix + "cin_J_kg", a.cin);
  out.emplace_back(prefix + "maxvv_m_s", a.max_vv);
  out.emplace_back(prefix + "cap_C", cap_);
  out.emplace_back(prefix + "lcl_hPa", lcl_.pres);
  out.emplace_back(prefix + "lcl_m", lcl_.hght);
  out.emplace_back(prefix + "lfc_hPa", a.lfc.pres);
  out.emplace_back(prefix + "lfc_m", a.lfc.hght);
  out.emplace_back(prefix + "el_hPa", a.el.pres);
  out.emplace_back(prefix + "el_m", a.el.hght);
  out.emplace_back(prefix + "bel_J_kg", a.bel);
  out.emplace_back(prefix + "mpl_hPa", a.mpl.pres);
  out.emplace_back(prefix + "mpl_m", a.mpl.hght);
}

}  // namespace KOL
