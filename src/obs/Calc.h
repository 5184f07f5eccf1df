// Moist thermodynamics, wind components, the standard atmosphere and distances on the earth:
// stateless functions shared by soundings, surface variables, grid calculations and diagrams.
// Temperatures are in kelvin, pressures in hPa, mixing ratios and specific humidities in g/kg,
// vapour pressures in hPa and heights in metres unless a function says otherwise. Missing
// inputs (Const::MISS) give the missing value; invalid inputs (a pressure at or below zero, a
// latitude beyond the poles, a NaN) are reported as a warning and give the missing value, or 0
// from mixRatio, specHum, tempOnMixRat and tempOnDryAd; never NaN. A caller that runs many
// calls (a grid, a station list) passes one Warnings to all of them so that each kind of problem
// is printed once, not once per point.
#pragma once

#include <vector>

namespace KOL {

// Pressure (hPa) and temperature (K) of the lifting condensation level.
struct LclData {
  float pres;
  float temp;

  LclData() { init(); }
  void init();
  void print() const;
};

class Calc {
 public:
  // The problems met by a run of calls: each kind (a function and what was wrong) is printed
  // the first time and only counted afterwards. A call without one prints every problem.
  class Warnings {
   public:
    Warnings() { init(); }
    void init();
    // Counts a problem; true when its kind is new to this run, and so to be printed. Both texts
    // are kept, not copied: they must live as long as the Warnings (literals do).
    bool first(const char* fn, const char* what);
    // Problems met, printed or not.
    long getCount() const { return count; }
    void print() const;

   private:
    struct Kind {
      const char* fn;
      const char* what;
    };
    std::vector<Kind> seen;
    long count;
  };

  // The exponent R/cp of every dry adiabat here; diagrams invert potTemp with 1/KAPPA.
  static constexpr double KAPPA = 0.286;

  // Wind speed and the direction the wind blows from (degrees, 0 for calm).
  static float windSpd(float u, float v, Warnings* warn = nullptr);
  static float windDir(float u, float v, Warnings* warn = nullptr);
  // Components from direction (degrees) and speed, in the unit of the speed.
  static float windU(float dir, float spd, Warnings* warn = nullptr);
  static float windV(float dir, float spd, Warnings* warn = nullptr);

  // Saturation vapour pressure over water at T; 0 below 100 K.
  static float vaporPres(float t, Warnings* warn = nullptr);
  // The temperature whose saturation vapour pressure is e; 0 for e <= 0.
  static float tempVaporPres(float e, Warnings* warn = nullptr);
  // x is a vapour pressure when at most 100, else a temperature (K).
  static float mixRatio(float x, float p, Warnings* warn = nullptr);
  static float specHum(float x, float p, Warnings* warn = nullptr);
  // The temperature whose saturation mixing ratio at p is w.
  static float tempOnMixRat(float w, float p, Warnings* warn = nullptr);
  // Dew point from temperature and relative humidity (%).
  static float dewTemp(float t, float rh, Warnings* warn = nullptr);
  // Relative humidity (%); values of 100 or below are taken as degrees Celsius.
  static float relHum(float t, float td, Warnings* warn = nullptr);

  static float potTemp(float t, float p, Warnings* warn = nullptr);
  static float tempOnDryAd(float theta, float p, Warnings* warn = nullptr);
  // x is a mixing ratio when at most 100, else a dew point (K).
  static float virtTemp(float t, float x, float p, Warnings* warn = nullptr);
  static float virtPotTemp(float t, float x, float p, Warnings* warn = nullptr);
  // Equivalent potential temperature of saturated air at T and p, and its inverse at p.
  static float thetaeOnSatAd(float t, float p, Warnings* warn = nullptr);
  static float tempOnSatAd(float thetae, float p, Warnings* warn = nullptr);

  // Lifting condensation level; 1 when it could be computed, else 0 with both values missing.
  static int lcl(float t, float td, float p, LclData& out, Warnings* warn = nullptr);
  static float lcl(float t, float td, float p, Warnings* warn = nullptr);
  static float lclPres(float t, float td, float p, Warnings* warn = nullptr);
  static float lclTemp(float t, float p, float plcl, Warnings* warn = nullptr);
  // Convective temperature at the surface pressure psfc for the mixing ratio w at p.
  static float convTemp(float w, float p, float psfc, Warnings* warn = nullptr);
  static float equivPotTemp(float t, float td, float p, Warnings* warn = nullptr);
  static float wetBulb(float t, float td, float p, Warnings* warn = nullptr);
  static float wetBulbPotTemp(float t, float td, float p, Warnings* warn = nullptr);

  // Wind chill temperatures (K; v in m/s) and the wind chill index (W/m2).
  static float windChillTemp(float t, float v, Warnings* warn = nullptr);
  static float windChillTemp2(float t, float v, Warnings* warn = nullptr);
  static float windChill(float t, float v, Warnings* warn = nullptr);
  // Heat index (K) and humiture (K) from temperature and dew point (K).
  static float heatIndex(float t, float td, Warnings* warn = nullptr);
  static float humiture(float t, float td, Warnings* warn = nullptr);
  static float tempHumIndex(float t, float rh, Warnings* warn = nullptr);

  // Station pressure from an altimeter setting (hPa) and an elevation (m).
  static float sfcPrAlt(float alt, float z, Warnings* warn = nullptr);
  // Standard-atmosphere height of a pressure, and pressure of a height.
  static float presAlt(float p, Warnings* warn = nullptr);
  static float stdAtmsPres(float z, Warnings* warn = nullptr);

  static float interpLinear(float x, float x1, float x2, float y1, float y2,
                            Warnings* warn = nullptr);
  // Interpolation linear in the logarithm of pressure.
  static float interpTemp(float t1, float t2, float p1, float p2, float p,
                          Warnings* warn = nullptr);

  // Great-circle angle (degrees) and distance (km) between two points given in degrees.
  static float earthAngle(float lat1, float lon1, float lat2, float lon2, Warnings* warn = nullptr);
  static float earthDist(float lat1, float lon1, float lat2, float lon2, Warnings* warn = nullptr);
  static float dist(float x1, float y1, float x2, float y2, Warnings* warn = nullptr);
};

}  // namespace KOL
