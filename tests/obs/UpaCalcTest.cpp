// Sounding indices on soundings built level by level whose answers are known in closed form, and
// on soundings no index can use.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/Calc.h"
#include "obs/ParcelParams.h"
#include "obs/UpaCalc.h"
#include "obs/UpaData.h"
#include "obs/UpaTool.h"

namespace {

using KOL::Calc;
using KOL::Const;
using KOL::UpaCalc;
using KOL::UpaData;
using KOL::VCoord;

constexpr float NONE = Const::FMISS;
constexpr float KNOT = 0.5144f;

VCoord pres(float p) { return VCoord(VCoord::PRESSURE, p); }
VCoord agl(float z) { return VCoord(VCoord::HEIGHT, z); }

// Levels every step hPa from bottom to top with temperature and dew point from functions of p;
// heights from the sounding's own hypsometric fill.
UpaData column(float bottom, float top, float step, const std::function<float(float)>& temp,
               const std::function<float(float)>& dewp)
{
  UpaData s;
  const int n = static_cast<int>(std::lround((bottom - top) / step)) + 1;
  EXPECT_EQ(s.setNum(n), 1);
  for (int i = 0; i < n; ++i) {
    const float p = bottom - i * step;
    s.setPres(i, p);
    s.setTemp(i, temp(p));
    s.setDewp(i, dewp(p));
  }
  s.setType(0, KOL::UpaLevel::SURFACE);
  s.setHght(0, 0);
  s.calcHeight();
  return s;
}

// Dry adiabat of 300 K with a dew point 40 C below the temperature (an LCL near 545 hPa).
UpaData dryAdiabatic(float top = 100)
{
  auto t = [](float p) { return Calc::tempOnDryAd(300, p) - 273.15f; };
  return column(1000, top, 10, t, [t](float p) { return t(p) - 40; });
}

TEST(UpaCalcIdeal, DryAdiabat)
{
  UpaData s = dryAdiabatic();
  // dT/dz = g kappa / R for T = theta (p/1000)^kappa with the hypsometric heights.
  const float gamma = Const::G * Calc::KAPPA / Const::R;
  EXPECT_NEAR(UpaCalc::lapseRate(s, pres(850), pres(500)), gamma, 2e-6);
  EXPECT_NEAR(UpaCalc::thetaLapseRate(s, pres(850), pres(500)), 0, 1e-6);
  // Thickness 1000-500: R / (g kappa) times the temperature difference.
  const float t1 = Calc::tempOnDryAd(300, 1000), t5 = Calc::tempOnDryAd(300, 500);
  EXPECT_NEAR(UpaCalc::thickness(s, pres(1000), pres(500)), (t1 - t5) / gamma, 1.0);
  // Mixing brings the 850 hPa air down to the surface temperature itself.
  EXPECT_NEAR(UpaCalc::maxTemperature(s, pres(850)), 300 - 273.15f, 0.01);
}

TEST(UpaCalcIdeal, Isothermal)
{
  UpaData s = column(
      1000, 100, 25, [](float) { return -10.0f; }, [](float) { return -60.0f; });
  const float t = 263.15f;
  EXPECT_NEAR(UpaCalc::thickness(s, pres(1000), pres(500)), Const::R * t / Const::G * std::log(2),
              0.5);
  EXPECT_NEAR(UpaCalc::lapseRate(s, pres(900), pres(300)), 0, 1e-7);
  // d theta / dp = -kappa theta / p, mean over 700-500 by the exact difference.
  EXPECT_NEAR(UpaCalc::thetaPresLapseRate(s, pres(700), pres(500)),
              (Calc::potTemp(t, 500) - Calc::potTemp(t, 700)) / -200, 1e-4);
  EXPECT_EQ(UpaCalc::freezingLevel(s), NONE);  // a surface below freezing has none
}

TEST(UpaCalcIdeal, SaturatedMoistAdiabat)
{
  // Saturated everywhere along the moist adiabat of 330 K: the surface parcel is the environment.
  auto t = [](float p) { return Calc::tempOnSatAd(330, p) - 273.15f; };
  UpaData s = column(1000, 150, 10, t, t);
  // Wet-bulb and air temperature agree, so both zero crossings coincide.
  const float frz = UpaCalc::freezingLevel(s), wbz = UpaCalc::wetBulbZero(s);
  ASSERT_NE(frz, NONE);
  EXPECT_NEAR(wbz, frz, 1.0);
  EXPECT_NEAR(t(frz), 0, 0.05);
  // The 100 hPa mixed layer of a saturated adiabat is saturated: CCL at the surface.
  KOL::CclData ccl;
  ASSERT_EQ(UpaCalc::ccl(s, VCoord(VCoord::SURFACE, 0), 0, ccl), 1);
  EXPECT_NEAR(ccl.pres, 1000, 10);
}

TEST(UpaCalcIdeal, PrecipitableWaterOfConstantHumidity)
{
  // Specific humidity 10 g/kg at every level from 1000 to 500 hPa: 500 hPa of air holding 1%
  // water is 500 * 100 * 0.01 / 9.8 = 51.0 kg/m2, 2.0087 inches.
  auto td = [](float p) { return Calc::tempVaporPres(10 * p / 622) - 273.15f; };
  UpaData s = column(
      1000, 500, 50, [td](float p) { return td(p) + 5; }, td);
  EXPECT_NEAR(UpaCalc::precipWater(s), 500 * 100 * 0.01 / 9.8 / 25.4, 0.01);
  // Dew points only up to 850 hPa: the column above holds nothing.
  UpaData low = s;
  for (int i = 0; i < low.getNum(); ++i)
    if (low.getPres(i) < 850) low.setDewp(i, NONE);
  EXPECT_NEAR(UpaCalc::precipWater(low), 150 * 100 * 0.01 / 9.8 / 25.4, 0.01);
  // A lowest level above 500 hPa: none, nor a lifted index or total totals.
  UpaData high = column(
      450, 200, 50, [](float) { return -20.0f; }, [](float) { return -25.0f; });
  EXPECT_EQ(UpaCalc::precipWater(high), NONE);
  EXPECT_EQ(UpaCalc::liftedIndex(high), NONE);
  EXPECT_EQ(UpaCalc::totalTotals(high), NONE);
}

// Standard levels only, with winds.
UpaData standard(float t850, float td850, float t700, float td700, float t500, float d850,
                 float f850, float d500, float f500)
{
  UpaData s;
  s.setNum(4);
  const float p[] = {1000, 850, 700, 500};
  const float t[] = {25, t850, t700, t500}, td[] = {15, td850, td700, t500 - 10};
  const float d[] = {d850, d850, (d850 + d500) / 2, d500}, f[] = {f850, f850, f850, f500};
  for (int i = 0; i < 4; ++i) {
    s.setPres(i, p[i]);
    s.setTemp(i, t[i]);
    s.setDewp(i, td[i]);
    s.setDir(i, d[i]);
    s.setSpd(i, f[i]);
  }
  s.setHght(0, 100);
  s.calcHeight();
  return s;
}

TEST(UpaCalcIndices, StandardLevelIndices)
{
  UpaData s = standard(20, 10, 8, 0, -10, 100, 20, 250, 30);
  EXPECT_FLOAT_EQ(UpaCalc::totalTotals(s), 50);
  EXPECT_FLOAT_EQ(UpaCalc::kIndex(s), 32);
  // SWEAT: 12 Td850 + 20 (TT - 49) + 2 f850 + f500, no shear term with d850 outside 135-250.
  EXPECT_NEAR(UpaCalc::sweatIndex(s), 120 + 20 + 40 + 30, 0.01);
  // Only the wind terms (Td850 -5, TT 45), with veering from 200 to 260 degrees and both speeds at
  // least 15 kt: 125 (sin 60 + 0.2).
  UpaData v = standard(20, -5, 8, 0, -15, 200, 20, 260, 30);
  EXPECT_NEAR(UpaCalc::sweatIndex(v), 70 + 125 * (std::sin(60 * Const::DRC) + 0.2), 0.01);
  // Energy index: differences of z g / J, cp T and L w between 500 and 850 hPa.
  const float z850 = UpaCalc::thickness(s, VCoord(VCoord::SURFACE, 0), pres(850)) + 100;
  const float z500 = UpaCalc::thickness(s, VCoord(VCoord::SURFACE, 0), pres(500)) + 100;
  const float e850 =
      z850 * 980 * 100 / 4.2e7f + 0.24f * 293.15f + 0.6f * Calc::mixRatio(283.15f, 850);
  const float e500 =
      z500 * 980 * 100 / 4.2e7f + 0.24f * 263.15f + 0.6f * Calc::mixRatio(253.15f, 500);
  EXPECT_NEAR(UpaCalc::energyIndex(s), e500 - e850, 0.01);
}

TEST(UpaCalcIndices, ParcelTypes)
{
  KOL::ParcelParams pp;
  struct Row {
    const char* text;
    int ok, kind;
  };
  const Row rows[] = {
      {"sfc", 1, KOL::ParcelParams::SURFACE},
      {"layer:50", 1, KOL::ParcelParams::LAYER},
      {"maxt", 1, KOL::ParcelParams::MAX_TEMP},
      {"850:15:10", 1, KOL::ParcelParams::GIVEN},
      {"layer:-5", 0, KOL::ParcelParams::GIVEN},
      {"850:15:20", 0, KOL::ParcelParams::GIVEN},  // dew point above temperature
      {"surface", 0, KOL::ParcelParams::GIVEN},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(pp.setType(r.text), r.ok) << r.text;
    EXPECT_EQ(pp.getType(), r.kind) << r.text;
  }
}

// A circle of radius 10 m/s around a calm storm, turning 3 degrees clockwise every 100 m.
UpaData circularHodograph(float turn_per_step)
{
  UpaData s;
  const int n = 61;
  s.setNum(n);
  for (int i = 0; i < n; ++i) {
    s.setHght(i, 200 + i * 100.0f);
    s.setDir(i, std::fmod(180 + i * turn_per_step + 360, 360));
    s.setSpd(i, 10 / KNOT);
  }
  s.setType(0, KOL::UpaLevel::SURFACE);
  s.setPres(0, 1000);
  s.setTemp(0, 20);
  for (int i = 1; i < n; ++i) s.setTemp(i, 20 - 0.0065f * 100 * i);
  s.calcPres();
  return s;
}

TEST(UpaCalcWinds, HelicityOfACircularHodograph)
{
  UpaData s = circularHodograph(3);
  KOL::HelicityData h;
  // Each step crosses two 10 m/s vectors 3 degrees apart: 100 sin 3 m2/s2, thirty steps.
  const float h3 = UpaCalc::helicity(s, agl(0), agl(3000), KOL::Wind(0, 0), h);
  EXPECT_NEAR(h3, 30 * 100 * std::sin(3 * Const::DRC), 0.5);
  EXPECT_EQ(h.neg, 0);
  EXPECT_NEAR(h.mean, h3 / 3000, 1e-4);
  EXPECT_NEAR(h.dirChange, 90, 0.5);
  EXPECT_NEAR(h.dirShear, 3, 0.05);
  EXPECT_NEAR(h.spdShear, 0, 0.05);
  // Backing winds give the same amount, negative.
  UpaData b = circularHodograph(-3);
  EXPECT_NEAR(UpaCalc::helicity(b, agl(0), agl(3000), KOL::Wind(0, 0), h), -h3, 0.5);
  EXPECT_NEAR(h.neg, -h3, 0.5);
  // The default top is the highest wind (less 10 m).
  EXPECT_NEAR(UpaCalc::helicity(s, agl(0), VCoord(), KOL::Wind(0, 0), h),
              5990 / 100.0 * 100 * std::sin(3 * Const::DRC), 2);
  // Refused: a layer under 100 m, a sounding whose winds start above 5000 m.
  EXPECT_EQ(UpaCalc::helicity(s, agl(0), agl(99), KOL::Wind(0, 0), h), NONE);
  UpaData high = s;
  for (int i = 0; i < 50; ++i) high.delLevel(1);
  ASSERT_GT(high.getHght(1), 5000 + 200);
  high.setDir(0, NONE);
  EXPECT_EQ(UpaCalc::helicity(high, agl(5000), agl(5800), KOL::Wind(0, 0), h), NONE);
}

TEST(UpaCalcWinds, ShearMeanWindAndStormMotion)
{
  // Westerly wind growing 5 kt per km from calm at the ground.
  UpaData s = circularHodograph(0);
  for (int i = 0; i < s.getNum(); ++i) {
    s.setDir(i, 270);
    s.setSpd(i, 5 * (s.getHght(i) - 200) / 1000);
  }
  KOL::ShearData sh;
  EXPECT_NEAR(UpaCalc::shearLayer(s, agl(0), agl(6000), sh), 30 * KNOT / 6000, 1e-6);
  EXPECT_NEAR(sh.diff.spd, 30, 0.01);
  EXPECT_NEAR(sh.diff.dir, 270, 0.01);
  KOL::Wind mean = UpaCalc::meanWind(s, agl(0), agl(6000));
  EXPECT_NEAR(mean.spd, 15, 0.01);
  EXPECT_NEAR(mean.dir, 270, 0.01);
  // Right mover: the mean wind plus 7.5 m/s to the right of the westerly shear (southward).
  KOL::Wind storm;
  ASSERT_EQ(UpaCalc::stormMotion(s, storm), 1);
  EXPECT_NEAR(storm.getU(), 15, 0.01);
  EXPECT_NEAR(storm.getV(), -7.5 / KNOT, 0.01);
  testing::internal::CaptureStdout();
  KOL::UpaTool::printStormTable(s);
  const std::string table = testing::internal::GetCapturedStdout();
  // At 1200 m (1000 m above the ground): 5 kt from the west against a storm moving 15 kt east
  // and 14.6 kt south.
  EXPECT_NE(table.find("Storm motion: 314 deg  20.9 kt\n"), std::string::npos) << table;
  EXPECT_NE(table.find("H:   1200 Dir:   270 Spd:     5  Rel Dir:   146 Spd:    18\n"),
            std::string::npos)
      << table;
  // A straight hodograph has no helicity relative to a storm on it.
  KOL::HelicityData h;
  EXPECT_NEAR(UpaCalc::helicity(s, agl(0), agl(3000), mean, h), 0, 1e-3);
  // Bulk Richardson shear term: half the squared difference of the 0-6 km and 0-500 m means.
  KOL::BrnData brn;
  UpaCalc::bulkRichardson(s, VCoord(), 0, brn);
  EXPECT_NEAR(brn.shear, 0.5 * std::pow((15 - 1.25) * KNOT, 2), 0.01);
  EXPECT_EQ(brn.brn, NONE);  // a stable lapse rate has no positive energy
}

TEST(UpaCalcIndices, NamedQuantities)
{
  KOL::UpaLevel l(850, 1500, 10, 5, 270, 20);
  struct Row {
    const char* name;
    float value;
    const char* units;
  };
  const Row rows[] = {{"temp", 10, "C"},
                      {"dd", 5, "C"},
                      {"theta", Calc::potTemp(283.15f, 850), "K"},
                      {"mixr", Calc::mixRatio(278.15f, 850), "g/kg"},
                      {"relh", Calc::relHum(283.15f, 278.15f), "%"},
                      {"u", 20, "knots"},
                      {"v", 0, "knots"}};
  for (const Row& r : rows) {
    EXPECT_NEAR(UpaCalc::calc(l, r.name), r.value, 1e-3) << r.name;
    EXPECT_STREQ(UpaCalc::getUnits(r.name), r.units) << r.name;
  }
  EXPECT_EQ(UpaCalc::calc(l, "nonsense"), NONE);
  EXPECT_EQ(UpaCalc::calc(KOL::UpaLevel(), "theta"), NONE);
  // Layer means: a constant is itself; the mean temperature of a linear-in-ln-p profile lies
  // between its ends.
  UpaData s = dryAdiabatic();
  EXPECT_NEAR(UpaCalc::meanValue(s, "theta", pres(1000), pres(500)), 300, 0.01);
  KOL::ParcelMeanData m;
  ASSERT_EQ(UpaCalc::parcelMean(s, pres(1000), pres(900), m), 1);
  EXPECT_NEAR(m.theta, 300, 0.01);
}

class UpaCalcBadInput : public KOLTest::QuietTest {};

TEST_F(UpaCalcBadInput, MissingOrInOrder)
{
  // Nothing usable: no parcel, and no index from levels that are not numbers.
  UpaData empty, missing, nan = dryAdiabatic();
  missing.setNum(20);
  KOL::ParcelParams pp;
  EXPECT_EQ(pp.calc(empty), 0);
  EXPECT_EQ(pp.calc(missing), 0);
  for (int i = 0; i < nan.getNum(); i++) nan.setTemp(i, NAN);
  EXPECT_EQ(UpaCalc::liftedIndex(nan), NONE);

  // Levels in reverse order: the same answers as in order.
  UpaData sorted = standard(20, 10, 8, 0, -10, 100, 20, 250, 30), reversed;
  for (int i = sorted.getNum() - 1; i >= 0; --i) reversed.addLevel(*sorted.getLevel(i));
  EXPECT_FLOAT_EQ(UpaCalc::kIndex(reversed), 32);
  EXPECT_FLOAT_EQ(UpaCalc::liftedIndex(reversed), UpaCalc::liftedIndex(sorted));

  // No moisture above 500 hPa: what needs it is missing, the rest is computed.
  auto t = [](float p) { return Calc::tempOnDryAd(300, p) - 273.15f - (1000 - p) / 50; };
  UpaData dry = column(1000, 100, 25, t, [t](float p) { return p >= 500 ? t(p) - 5 : NONE; });
  EXPECT_NE(UpaCalc::precipWater(dry), NONE);
  dry.setDewp(dry.findPres(500), NONE);
  EXPECT_EQ(UpaCalc::energyIndex(dry), NONE);
}

}  // namespace
