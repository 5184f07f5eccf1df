#include "obs/WindParams.h"

#include <cstdio>

#include "obs/ParcelParams.h"

namespace KOL {

namespace {

constexpr float NONE = Const::FMISS;

VCoord agl(float z) { return VCoord(VCoord::HEIGHT, z); }

void windLine(const char* label, const Wind& w)
{
  if (!w.isValid()) {
    std::printf("%-23s  none\n", label);
    return;
  }
  std::printf("%-23s%8.0f deg %8.2f kt\n", label, w.dir, w.spd);
}

}  // namespace

void WindParams::init()
{
  storm_.init();
  mean_.init();
  shear1_.init();
  shear6_.init();
  srh1_.init();
  srh3_.init();
  ehi_ = NONE;
  brn_.init();
}

int WindParams::calc(const UpaData& s, const ParcelParams* sfc)
{
  init();
  ParcelParams own;
  if (!sfc) {
    own.calc(s);
    sfc = &own;
  }
  const float cape = sfc->getCape();
  UpaCalc::stormMotion(s, storm_);
  mean_ = UpaCalc::meanWind(s, agl(0), agl(6000));
  UpaCalc::shearLayer(s, agl(0), agl(1000), shear1_);
  UpaCalc::shearLayer(s, agl(0), agl(6000), shear6_);
  UpaCalc::helicity(s, agl(0), agl(1000), storm_, srh1_);
  // As energyHelicity and bulkRichardson, with the surface parcel lifted once.
  const float h3 = UpaCalc::helicity(s, agl(0), agl(3000), storm_, srh3_);
  ehi_ = h3 == NONE || cape == NONE ? NONE : h3 * cape;
  brn_.set(cape, UpaCalc::brnShear(s, VCoord()));
  return mean_.isValid() || shear1_.value != NONE || srh1_.total != NONE ? 1 : 0;
}

void WindParams::print() const
{
  windLine("Storm Motion:", storm_);
  windLine("Mean Wind 0-6 km:", mean_);
  windLine("Shear 0-1 km:", shear1_.diff);
  windLine("Shear 0-6 km:", shear6_.diff);
  std::printf("%-23s%8.2f m2/s2\n", "Helicity 0-1 km:", srh1_.total);
  std::printf("%-23s%8.2f m2/s2\n", "Helicity 0-3 km:", srh3_.total);
  std::printf("%-23s%8.0f m2/s2 J/kg\n", "Energy Helicity 0-3:", ehi_);
  std::printf("%-23s%8.2f m2/s2\n", "BRN Shear:", brn_.shear);
  std::printf("%-23s%8.2f\n", "Bulk Richardson Num:", brn_.brn);
}

void WindParams::list(Values& out) const
{
  out.emplace_back("storm_dir_deg", storm_.dir);
  out.emplace_back("storm_spd_kt", storm_.spd);
  out.emplace_back("mean06_dir_deg", mean_.dir);
  out.emplace_back("mean06_spd_kt", mean_.spd);
  out.emplace_back("shear01_kt", shear1_.diff.spd);
  out.emplace_back("shear06_kt", shear6_.diff.spd);
  out.emplace_back("srh01_m2_s2", srh1_.total);
  out.emplace_back("srh03_m2_s2", srh3_.total);
  out.emplace_back("ehi03", ehi_);
  out.emplace_back("brn_shear_m2_s2", brn_.shear);
  out.emplace_back("brn", brn_.brn);
}

}  // namespace KOL
