#include "obs/SoundParams.h"

#include <cstdio>

#include "obs/ParcelParams.h"
#include "obs/UpaData.h"

namespace KOL {

namespace {

constexpr float NONE = Const::FMISS;
constexpr float MM_PER_INCH = 25.4f;

VCoord pres(float p) { return VCoord(VCoord::PRESSURE, p); }

float times(float v, float k) { return v == NONE ? NONE : v * k; }

void line(const char* label, float v, const char* units)
{
  std::printf("%-23s%8.2f %s\n", label, v, units);
}

void levelLine(const char* label, const UpaLevel& l)
{
  if (!l.validPres()) {
    std::printf("%-23s  none\n", label);
    return;
  }
  std::printf("%-23s%8.2f mb = %8.2f m\n", label, l.pres, l.hght);
}

}  // namespace

void SoundParams::init()
{
  lifted_ = cap_ = tt_ = vt_ = ct_ = k_ = sweat_ = energy_ = pw_ = maxt_ = lapse_ = thick_ = NONE;
  thetae_.init();
  freezing_.init();
  wbz_.init();
  ccl_.init();
}

int SoundParams::calc(const UpaData& s, const ParcelParams* sfc)
{
  init();
  lifted_ = sfc ? sfc->getLiftedIndex() : UpaCalc::liftedIndex(s);
  cap_ = sfc ? sfc->getCap() : UpaCalc::capStrength(s);
  tt_ = UpaCalc::totalTotals(s);
  vt_ = UpaCalc::verticalTotals(s);
  ct_ = UpaCalc::crossTotals(s);
  k_ = UpaCalc::kIndex(s);
  sweat_ = UpaCalc::sweatIndex(s);
  energy_ = UpaCalc::energyIndex(s);
  UpaCalc::thetaEIndex(s, thetae_);
  pw_ = UpaCalc::precipWater(s);
  UpaCalc::freezingLevel(s, freezing_);
  UpaCalc::wetBulbZero(s, wbz_);
  UpaCalc::ccl(s, VCoord(VCoord::SURFACE, 0), 0, ccl_);
  // The surface temperature itself when the day's mixing would bring down cooler air.
  const float ground = UpaCalc::maxTemperature(s, VCoord(VCoord::SURFACE, 0));
  const float t = UpaCalc::maxTemperature(s, VCoord());
  maxt_ = t == NONE || (ground != NONE && t < ground) ? ground : t;
  lapse_ = times(UpaCalc::lapseRate(s, pres(700), pres(500)), 1000);
  thick_ = UpaCalc::thickness(s, pres(1000), pres(500));
  return ground != NONE ? 1 : 0;
}

void SoundParams::print() const
{
  line("Lifted index (sfc):", lifted_, "C");
  line("Cap Strength (sfc):", cap_, "C");
  line("Total Totals:", tt_, "");
  line("Vertical Totals:", vt_, "");
  line("Cross Totals:", ct_, "");
  line("K Index:", k_, "");
  line("SWEAT Index:", sweat_, "");
  line("Energy Index:", energy_, "cal/g");
  line("Theta-E Index:", thetae_.index, "K");
  std::printf("%-23s%8.2f in = %8.2f mm\n", "Precipitable Water:", pw_, times(pw_, MM_PER_INCH));
  levelLine("Freezing Level:", freezing_);
  levelLine("Wet Bulb Zero:", wbz_);
  levelLine("Conv Cond Lev (CCL):", UpaLevel(ccl_.pres, ccl_.hght, ccl_.temp, NONE, NONE, NONE));
  line("Conv Temperature:", ccl_.convTemp, "C");
  line("Max Temperature:", maxt_, "C");
  line("Lapse Rate 700-500:", lapse_, "C/km");
  line("Thickness 1000-500:", thick_, "m");
}

void SoundParams::list(Values& out) const
{
  out.emplace_back("li_sfc_C", lifted_);
  out.emplace_back("cap_sfc_C", cap_);
  out.emplace_back("tt", tt_);
  out.emplace_back("vt", vt_);
  out.emplace_back("ct", ct_);
  out.emplace_back("k", k_);
  out.emplace_back("sweat", sweat_);
  out.emplace_back("energy_cal_g", energy_);
  out.emplace_back("thetae_index_K", thetae_.index);
  out.emplace_back("pw_in", pw_);
  out.emplace_back("pw_mm", times(pw_, MM_PER_INCH));
  out.emplace_back("frz_hPa", freezing_.pres);
  out.emplace_back("frz_m", freezing_.hght);
  out.emplace_back("wbz_hPa", wbz_.pres);
  out.emplace_back("wbz_m", wbz_.hght);
  out.emplace_back("ccl_hPa", ccl_.pres);
  out.emplace_back("ccl_m", ccl_.hght);
  out.emplace_back("conv_temp_C", ccl_.convTemp);
  out.emplace_back("max_temp_C", maxt_);
  out.emplace_back("lapse_700_500_C_km", lapse_);
  out.emplace_back("thick_1000_500_m", thick_);
}

}  // namespace KOL
