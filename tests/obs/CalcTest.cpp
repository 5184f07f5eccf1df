#include "obs/Calc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"

using KOL::Calc;
using KOL::LclData;

namespace {

constexpr float MISS = KOL::Const::FMISS;
constexpr double C0 = 273.15;

double fToK(double f) { return (f - 32.0) / 1.8 + C0; }
double kToF(double k) { return (k - C0) * 1.8 + 32.0; }
double mphToMs(double v) { return v * 1609.344 / 3600.0; }

// Bolton (1980), Mon. Wea. Rev. 108, 1046-1053: eq. 10 (vapour pressure), eq. 15 (temperature
// at the LCL from T and Td), Poisson's equation for its pressure, eq. 43 (theta-e). All
// temperatures in kelvin.
double boltonVapor(double tk) { return 6.112 * std::exp(17.67 * (tk - C0) / (tk - C0 + 243.5)); }
double boltonTlcl(double t, double td)
{
  return 1.0 / (1.0 / (td - 56.0) + std::log(t / td) / 800.0) + 56.0;
}
double boltonThetae(double t, double td, double p)
{
  double e = boltonVapor(td), r = 622.0 * e / (p - e), tl = boltonTlcl(t, td);
  return t * std::pow(1000.0 / p, 0.2854 * (1.0 - 0.28e-3 * r)) *
         std::exp((3.376 / tl - 0.00254) * r * (1.0 + 0.81e-3 * r));
}
// Dew point (K) of air at t (K) with relative humidity rh, by inverting Bolton's eq. 10.
double boltonDew(double t, double rh)
{
  double l = std::log(rh / 100.0 * boltonVapor(t) / 6.112);
  return 243.5 * l / (17.67 - l) + C0;
}

// Captures what the library writes to standard error while f runs.
template <class F>
std::string stderrOf(F f)
{
  testing::internal::CaptureStderr();
  f();
  return testing::internal::GetCapturedStderr();
}

TEST(CalcTest, SaturationVapourPressureAgreesWithSmithsonianTable)
{
  // Saturation vapour pressure over water (hPa), Smithsonian Meteorological Tables, 6th ed.
  // (List 1951), Table 94, from the Goff-Gratch formulation; the tables take 0 C as 273.16 K,
  // hence the 0.15 % tolerance.
  const struct {
    double c, e;
  } table[] = {{-40, 0.1891}, {-30, 0.5088}, {-20, 1.2540}, {-10, 2.8627}, {0, 6.1078},
               {5, 8.7192},   {10, 12.272},  {15, 17.044},  {20, 23.373},  {25, 31.671},
               {30, 42.430},  {35, 56.236},  {40, 73.777},  {50, 123.40}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.c);
    float tk = (float)(row.c + C0);
    EXPECT_NEAR(Calc::vaporPres(tk), row.e, row.e * 0.0015);
    // The inverse is an independent fit: it must come back within 0.1 K.
    EXPECT_NEAR(Calc::tempVaporPres(Calc::vaporPres(tk)), tk, 0.1);
  }
  EXPECT_EQ(Calc::vaporPres(99.0f), 0.0f);
  EXPECT_EQ(Calc::tempVaporPres(0.0f), 0.0f);
}

TEST(CalcTest, MixingRatioSpecificHumidityAndTheirInverse)
{
  // A first argument of at most 100 is a vapour pressure: 622 e / (p - e), with the
  // Smithsonian 20 C value.
  EXPECT_NEAR(Calc::mixRatio(23.373f, 1000.0f), 622.0 * 23.373 / 976.627, 1e-3);
  EXPECT_NEAR(Calc::specHum(23.373f, 1000.0f), 622.0 * 23.373 / 1000.0, 1e-3);
  EXPECT_NEAR(Calc::mixRatio(293.15f, 1000.0f), Calc::mixRatio(Calc::vaporPres(293.15f), 1000.0f),
              1e-3);
  for (float t : {233.15f, 253.15f, 273.15f, 293.15f, 313.15f})
    for (float p : {1050.0f, 850.0f, 500.0f, 300.0f}) {
      SCOPED_TRACE(testing::Message() << t << " K " << p << " hPa");
      EXPECT_NEAR(Calc::tempOnMixRat(Calc::mixRatio(t, p), p), t, 0.1);
    }
  EXPECT_EQ(Calc::tempOnMixRat(0.0f, 1000.0f), 0.0f);
  EXPECT_EQ(Calc::specHum(MISS, 1000.0f), MISS);
}

TEST(CalcTest, RelativeHumidityAndDewPoint)
{
  // Both Celsius and kelvin give the Smithsonian ratio e(10 C) / e(20 C).
  EXPECT_NEAR(Calc::relHum(20.0f, 10.0f), 100.0 * 12.272 / 23.373, 0.1);
  EXPECT_NEAR(Calc::relHum(293.15f, 283.15f), 100.0 * 12.272 / 23.373, 0.1);

  for (double t : {253.15, 273.15, 293.15, 308.15})
    for (double rh : {10.0, 40.0, 75.0, 100.0}) {
      SCOPED_TRACE(testing::Message() << t << " K " << rh << " %");
      EXPECT_NEAR(Calc::dewTemp((float)t, (float)rh), boltonDew(t, rh), 0.3);
      EXPECT_NEAR(Calc::relHum((float)t, Calc::dewTemp((float)t, (float)rh)), rh, 0.5);
    }
  // The humidity is clamped to 2 .. 100 %.
  EXPECT_FLOAT_EQ(Calc::dewTemp(290.0f, 0.0f), Calc::dewTemp(290.0f, 2.0f));
  EXPECT_FLOAT_EQ(Calc::dewTemp(290.0f, 150.0f), Calc::dewTemp(290.0f, 100.0f));
}

TEST(CalcTest, DryAdiabatsAndVirtualTemperature)
{
  EXPECT_NEAR(Calc::potTemp(273.15f, 500.0f), 273.15 * std::pow(2.0, 0.286), 0.01);
  EXPECT_NEAR(Calc::tempOnDryAd(Calc::potTemp(250.0f, 300.0f), 300.0f), 250.0, 1e-3);
  EXPECT_NEAR(Calc::lclTemp(300.0f, 1000.0f, 800.0f), 300.0 * std::pow(0.8, 0.286), 1e-3);

  // Tv = T (1 + 0.609 w) with w in kg/kg.
  EXPECT_NEAR(Calc::virtTemp(300.0f, 10.0f, 1000.0f), 300.0 * 1.00609, 1e-3);
  EXPECT_NEAR(Calc::virtTemp(300.0f, 290.0f, 900.0f),
              Calc::virtTemp(300.0f, Calc::mixRatio(290.0f, 900.0f), 900.0f), 1e-3);
  EXPECT_EQ(Calc::virtTemp(300.0f, 0.0f, 900.0f), 300.0f);
  EXPECT_NEAR(Calc::virtPotTemp(300.0f, 10.0f, 500.0f), 300.0 * 1.00609 * std::pow(2.0, 0.286),
              1e-2);
  EXPECT_FLOAT_EQ(Calc::virtPotTemp(300.0f, 0.0f, 500.0f), Calc::potTemp(300.0f, 500.0f));
}

TEST(CalcTest, LclAndEquivalentPotentialTemperatureAgreeWithBolton)
{
  const struct {
    float t, td, p;
  } cases[] = {{303.15f, 293.15f, 1000.0f}, {293.15f, 283.15f, 1000.0f}, {283.15f, 273.15f, 850.0f},
               {273.15f, 263.15f, 700.0f},  {298.15f, 296.15f, 1000.0f}, {313.15f, 283.15f, 950.0f},
               {263.15f, 253.15f, 500.0f},  {288.15f, 288.15f, 1013.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.t << " " << c.td << " " << c.p);
    LclData l;
    ASSERT_EQ(Calc::lcl(c.t, c.td, c.p, l), 1);
    double tl = boltonTlcl(c.t, c.td);
    EXPECT_NEAR(l.temp, tl, 0.3);
    EXPECT_NEAR(l.pres, c.p * std::pow(tl / c.t, 1.0 / 0.286), 1.5);
    EXPECT_FLOAT_EQ(Calc::lclPres(c.t, c.td, c.p), l.pres);
    EXPECT_NEAR(Calc::equivPotTemp(c.t, c.td, c.p), boltonThetae(c.t, c.td, c.p), 0.6);
  }
  EXPECT_FLOAT_EQ(Calc::equivPotTemp(300.0f, 0.0f, 850.0f), Calc::potTemp(300.0f, 850.0f));
}

TEST(CalcTest, SaturatedAdiabatSearchInvertsThetae)
{
  for (float t : {233.15f, 253.15f, 273.15f, 293.15f, 303.15f})
    for (float p : {1000.0f, 850.0f, 500.0f, 250.0f}) {
      SCOPED_TRACE(testing::Message() << t << " K " << p << " hPa");
      EXPECT_NEAR(Calc::tempOnSatAd(Calc::thetaeOnSatAd(t, p), p), t, 0.06);
    }
  // Saturated air: wet-bulb equals the temperature, and at 1000 hPa so does its potential form.
  EXPECT_NEAR(Calc::wetBulb(290.0f, 290.0f, 850.0f), 290.0, 0.1);
  EXPECT_NEAR(Calc::wetBulbPotTemp(293.15f, 293.15f, 1000.0f), 293.15, 0.1);
  EXPECT_EQ(Calc::tempOnSatAd(330.0f, 2001.0f), MISS);
}

TEST(CalcTest, WetBulbAgreesWithStull)
{
  // Stull (2011), J. Appl. Meteor. Climatol. 50, 2267-2269: 20 C at 50 % gives 13.7 C, and
  // his fit holds to within 1 K at 1013.25 hPa for humidities of 5-99 %.
  auto stull = [](double t, double rh) {
    return t * std::atan(0.151977 * std::sqrt(rh + 8.313659)) + std::atan(t + rh) -
           std::atan(rh - 1.676331) + 0.00391838 * std::pow(rh, 1.5) * std::atan(0.023101 * rh) -
           4.686035;
  };
  EXPECT_NEAR(stull(20, 50), 13.7, 0.05);
  float wb = Calc::wetBulb(293.15f, (float)boltonDew(293.15, 50), 1013.25f);
  EXPECT_NEAR(wb - C0, 13.7, 0.1);
  for (double t : {0.0, 10.0, 20.0, 30.0, 40.0})
    for (double rh : {20.0, 50.0, 80.0}) {
      SCOPED_TRACE(testing::Message() << t << " C " << rh << " %");
      float w = Calc::wetBulb((float)(t + C0), (float)boltonDew(t + C0, rh), 1013.25f);
      EXPECT_NEAR(w - C0, stull(t, rh), 1.0);
    }
}

TEST(CalcTest, WindComponentsAndDirection)
{
  const struct {
    float u, v, dir, spd;
  } table[] = {{0, -10, 0, 10},  {-10, 0, 90, 10},      {0, 10, 180, 10},
               {10, 0, 270, 10}, {-3, -4, 36.8699f, 5}, {5, 5, 225, 7.0710678f}};
  for (const auto& w : table) {
    SCOPED_TRACE(w.dir);
    EXPECT_NEAR(Calc::windDir(w.u, w.v), w.dir, 1e-3);
    EXPECT_NEAR(Calc::windSpd(w.u, w.v), w.spd, 1e-4);
    EXPECT_NEAR(Calc::windU(w.dir, w.spd), w.u, 1e-4);
    EXPECT_NEAR(Calc::windV(w.dir, w.spd), w.v, 1e-4);
  }
  EXPECT_EQ(Calc::windDir(0.004f, -0.004f), 0.0f);
  EXPECT_EQ(Calc::windDir(MISS, 3.0f), MISS);
  EXPECT_EQ(Calc::windU(90.0f, MISS), MISS);
}

TEST(CalcTest, WindChillAgreesWithPublishedCharts)
{
  // National Weather Service wind chill chart (2001 index): air temperature and wind in F
  // and mph, wind chill in F, rounded.
  const struct {
    double f, mph, chill;
  } chart[] = {{40, 5, 36},  {40, 15, 32},  {40, 30, 28},   {20, 5, 13},
               {20, 10, 9},  {20, 25, 3},   {0, 5, -11},    {0, 15, -19},
               {0, 30, -26}, {-20, 5, -34}, {-20, 20, -48}, {-20, 30, -53}};
  for (const auto& c : chart) {
    SCOPED_TRACE(testing::Message() << c.f << " F " << c.mph << " mph");
    EXPECT_NEAR(kToF(Calc::windChillTemp2((float)fToK(c.f), (float)mphToMs(c.mph))), c.chill, 0.7);
  }
  // The older index (Siple and Passel 1945), as published in its Fahrenheit form
  // 91.4 - (0.474677 - 0.020425 V + 0.303107 sqrt V)(91.4 - T), V in mph.
  for (double f : {30.0, 0.0, -30.0})
    for (double mph : {10.0, 25.0, 40.0}) {
      SCOPED_TRACE(testing::Message() << f << " F " << mph << " mph");
      double ref = 91.4 - (0.474677 - 0.020425 * mph + 0.303107 * std::sqrt(mph)) * (91.4 - f);
      EXPECT_NEAR(kToF(Calc::windChillTemp((float)fToK(f), (float)mphToMs(mph))), ref, 1.0);
    }
  // Its heat loss form in kcal/(m2 h), (10.45 + 10 sqrt v - v)(33 - T), in W/m2.
  EXPECT_NEAR(Calc::windChill(263.15f, 5.0f), (10.45 + 10 * std::sqrt(5.0) - 5) * 43 * 1.163, 2.0);
  // Thresholds and caps.
  EXPECT_EQ(Calc::windChillTemp(263.15f, 1.0f), 263.15f);
  EXPECT_EQ(Calc::windChillTemp(310.0f, 10.0f), 310.0f);
  EXPECT_EQ(Calc::windChillTemp2(263.15f, 0.5f), 263.15f);
  EXPECT_FLOAT_EQ(Calc::windChill(250.0f, 40.0f), Calc::windChill(250.0f, 26.0f));
}

TEST(CalcTest, HeatIndexAgreesWithPublishedChart)
{
  // National Weather Service heat index chart (Rothfusz 1990 regression of Steadman 1979):
  // air temperature (F), relative humidity (%), heat index (F). The library's fit is a
  // different regression of the same data, hence 2 F.
  const struct {
    double f, rh, hi;
  } chart[] = {{90, 40, 91},  {90, 50, 95},   {90, 60, 100},
               {90, 70, 106}, {100, 40, 109}, {100, 50, 118}};
  for (const auto& c : chart) {
    SCOPED_TRACE(testing::Message() << c.f << " F " << c.rh << " %");
    double t = fToK(c.f);
    EXPECT_NEAR(kToF(Calc::heatIndex((float)t, (float)boltonDew(t, c.rh))), c.hi, 2.0);
  }
  // Cool air uses the simple index: 1.2 (F - 68) + 60.8 + 0.0936 RH.
  float t = 290.0f, td = 280.0f;
  double rh = Calc::relHum(t, td);
  EXPECT_NEAR(kToF(Calc::heatIndex(t, td)), 1.2 * (kToF(t) - 68) + 60.8 + 0.0936 * rh, 0.01);
  EXPECT_EQ(Calc::heatIndex(290.0f, 291.0f), MISS);

  // Humiture adds the vapour pressure excess over 21 hPa, in F.
  EXPECT_EQ(Calc::humiture(300.0f, 280.0f), 300.0f);
  EXPECT_NEAR(Calc::humiture(305.0f, 298.15f), 305.0 + (31.671 - 21.0) / 1.8, 0.05);
  EXPECT_FLOAT_EQ(Calc::tempHumIndex(80.0f, 50.0f), 0.55f * 80 + 0.2f * 50 + 17.5f);
}

TEST(CalcTest, StandardAtmosphereAgreesWithIcaoTable)
{
  // ICAO Standard Atmosphere (Doc 7488): pressure (hPa) at geopotential altitude (m).
  const struct {
    double h, p;
  } table[] = {{-500, 1074.78}, {0, 1013.25},    {500, 954.61},  {1000, 898.75},  {2000, 794.95},
               {3000, 701.09},  {5000, 540.20},  {8000, 356.00}, {10000, 264.36}, {11000, 226.32},
               {13000, 165.10}, {15000, 120.45}, {20000, 54.75}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.h);
    EXPECT_NEAR(Calc::stdAtmsPres((float)row.h), row.p, 0.02 + row.p * 2e-5);
    EXPECT_NEAR(Calc::presAlt((float)row.p), row.h, 1.0);
    // An altimeter setting of 1013.25 hPa gives the standard pressure at the elevation.
    if (row.h <= 11000) {
      EXPECT_NEAR(Calc::sfcPrAlt(1013.25f, (float)row.h), row.p, 0.05);
    }
  }
}

TEST(CalcTest, Interpolation)
{
  EXPECT_FLOAT_EQ(Calc::interpLinear(15, 0, 10, 100, 200), 250);
  EXPECT_EQ(Calc::interpLinear(5, 3, 3, 1, 2), MISS);
  EXPECT_FLOAT_EQ(Calc::interpLinear(5, 3, 3, 1, 1), 1);

  // Half way in ln p between 1000 and 500 hPa is sqrt(1000 * 500).
  EXPECT_NEAR(Calc::interpTemp(280, 260, 1000, 500, std::sqrt(500000.0f)), 270, 1e-3);
  EXPECT_EQ(Calc::interpTemp(MISS, 260, 1000, 500, 700), 260);
  EXPECT_EQ(Calc::interpTemp(280, MISS, 1000, 500, 700), 280);
}

TEST(CalcTest, GreatCircleDistanceAgreesWithGeod)
{
  EXPECT_NEAR(Calc::earthAngle(90, 0, -90, 45), 180, 1e-3);
  EXPECT_NEAR(Calc::earthAngle(10, 179.5f, 10, -179.5f), 0.9848, 1e-3);
  EXPECT_EQ(Calc::earthAngle(45, 7, 45, 7), 0);
  EXPECT_FLOAT_EQ(Calc::dist(1, 1, 4, 5), 5);

  const float pairs[][4] = {{40.6413f, -73.7781f, 51.47f, -0.4543f},
                            {-33.9461f, 151.1772f, 33.9416f, -118.4085f},
                            {64.1f, -21.9f, 64.2f, -21.7f},
                            {0, 0, 0.5f, 179.9f}};
  std::ostringstream in;
  for (const auto& p : pairs) in << p[0] << ' ' << p[1] << ' ' << p[2] << ' ' << p[3] << '\n';
  int status = 0;
  std::string out = KOLTest::run(
      "printf '" + in.str() + "' | geod +R=6371220 -I +units=km -f %.4f 2>/dev/null", &status);
  if (status != 0 || out.empty()) GTEST_SKIP() << "geod not available";
  std::istringstream lines(out);
  for (const auto& p : pairs) {
    double az1, az2, km;
    ASSERT_TRUE(lines >> az1 >> az2 >> km);
    SCOPED_TRACE(km);
    EXPECT_NEAR(Calc::earthDist(p[0], p[1], p[2], p[3]), km, 1e-5 * km + 0.05);
  }
}

TEST(CalcTest, BadInputGivesMissingOrZeroWithAWarning)
{
  // Each call, its result, and the warning expected (empty: none).
  const struct {
    const char* what;
    float (*call)();
    float result;
    const char* warning;
  } table[] = {
      {"potTemp p=0", [] { return Calc::potTemp(280, 0); }, MISS, "Calc: potTemp: pressure"},
      {"potTemp missing", [] { return Calc::potTemp(MISS, 500); }, MISS, ""},
      {"tempOnDryAd p=0", [] { return Calc::tempOnDryAd(300, 0); }, 0,
       "Calc: tempOnDryAd: pressure"},
      {"mixRatio p=0", [] { return Calc::mixRatio(280, 0); }, 0, "Calc: mixRatio: pressure"},
      {"mixRatio e>=p", [] { return Calc::mixRatio(320, 50); }, MISS, "Calc: mixRatio:"},
      {"vaporPres T<0", [] { return Calc::vaporPres(-1); }, MISS, "Calc: vaporPres: temperature"},
      {"thetae T hot", [] { return Calc::thetaeOnSatAd(380, 1000); }, MISS, "Calc: thetaeOnSatAd:"},
      {"tempOnSatAd p=0", [] { return Calc::tempOnSatAd(330, 0); }, MISS, "Calc: tempOnSatAd:"},
      {"lcl p=1200", [] { return Calc::lcl(300, 290, 1200); }, MISS, "Calc: lcl: pressure"},
      {"lcl Td=50", [] { return Calc::lcl(300, 50, 1000); }, MISS, "Calc: lcl: temperature"},
      {"relHum T<0 K", [] { return Calc::relHum(-300, 10); }, MISS, "Calc: relHum: temperature"},
      {"relHum NaN", [] { return Calc::relHum(std::nanf(""), 280); }, MISS, "not a number"},
      {"presAlt p=0", [] { return Calc::presAlt(0); }, MISS, "Calc: presAlt: pressure"},
      {"sfcPrAlt z huge", [] { return Calc::sfcPrAlt(1013, 50000); }, MISS, "Calc: sfcPrAlt:"},
      {"earthAngle lat 91", [] { return Calc::earthAngle(91, 0, 0, 0); }, MISS, "latitude 91"},
      {"earthDist missing", [] { return Calc::earthDist(0, 0, MISS, 0); }, MISS, ""},
      {"interpTemp p=0", [] { return Calc::interpTemp(280, 270, 0, 500, 700); }, MISS, "pressure"},
      {"convTemp w=0", [] { return Calc::convTemp(0, 900, 1000); }, MISS, "Calc: convTemp:"},
      {"windSpd inf", [] { return Calc::windSpd(INFINITY, 1); }, MISS, "not a number"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    float r = 0;
    std::string err = stderrOf([&] { r = row.call(); });
    EXPECT_EQ(r, row.result);
    if (row.warning[0])
      EXPECT_NE(err.find(row.warning), std::string::npos) << err;
    else
      EXPECT_EQ(err, "");
  }
  LclData l;
  l.pres = 1;
  stderrOf([&] { EXPECT_EQ(Calc::lcl(300, 290, 1200, l), 0); });
  EXPECT_EQ(l.pres, MISS);
}

// A run of calls sharing one Warnings reports each kind of problem once, however often it
// recurs; calls without one report every problem.
TEST(CalcTest, WarningsOfARunArePrintedOncePerKind)
{
  Calc::Warnings w;
  std::string err = stderrOf([&] {
    for (int i = 0; i < 10000; i++) EXPECT_EQ(Calc::potTemp(280, -5.0f - i % 7, &w), MISS);
  });
  EXPECT_EQ(err, "Calc: potTemp: pressure -5 out of range\n");
  EXPECT_EQ(w.getCount(), 10000);

  // New kinds: another problem, another function, a problem met inside a nested call.
  err = stderrOf([&] {
    for (int i = 0; i < 3; i++) {
      Calc::potTemp(-1, 500, &w);
      Calc::presAlt(0, &w);
      Calc::wetBulb(300, 290, -1, &w);
      Calc::relHum(std::nanf(""), 280, &w);
    }
  });
  EXPECT_EQ(err,
            "Calc: potTemp: temperature -1 out of range\n"
            "Calc: presAlt: pressure 0 out of range\n"
            "Calc: lcl: pressure -1 out of range\n"
            "Calc: relHum: input is not a number\n");
  EXPECT_EQ(w.getCount(), 10012);

  err = stderrOf([] {
    for (int i = 0; i < 2; i++) Calc::potTemp(280, -5);
  });
  EXPECT_EQ(err,
            "Calc: potTemp: pressure -5 out of range\n"
            "Calc: potTemp: pressure -5 out of range\n");
}

}  // namespace
