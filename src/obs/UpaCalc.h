// Sounding quantities and stability indices: layer thickness, lapse rates and stability, moisture
// (precipitable water, freezing and wet-bulb zero levels), the classic indices from the mandatory
// levels, parcel lifting (lifted index, cap), convective condensation level, and the wind
// quantities (mean wind, shear, storm-relative helicity, bulk Richardson number, storm motion).
// Every function takes the sounding as it is, in any level order, and gives Const::FMISS (or 0)
// when the sounding does not hold what it needs. Temperatures are in C, pressures in hPa, heights
// in m (above sea level unless said), winds in knots. Parcels use plain temperature, not virtual
// temperature.
#pragma once

#include "core/Const.h"
#include "obs/VCoord.h"
#include "obs/Wind.h"

namespace KOL {

class UpaData;
class UpaLevel;
namespace indices {
class Env;
}

// Mean potential temperature (K) and mixing ratio (g/kg) of a layer.
struct ParcelMeanData {
  float theta, mixr;
  ParcelMeanData() { init(); }
  void init() { theta = mixr = Const::FMISS; }
  void print() const;
};

// Convective condensation level, and the surface temperature that reaches it dry-adiabatically.
struct CclData {
  float pres, temp, hght, convTemp;
  CclData() { init(); }
  void init() { pres = temp = hght = convTemp = Const::FMISS; }
  void print() const;
};

// Equivalent potential temperature (K) at the surface and at its minimum aloft (the level's
// pressure, temperature and height), and their difference.
struct ThetaEData {
  float sfcValue, pres, temp, hght, value, index;
  ThetaEData() { init(); }
  void init() { sfcValue = pres = temp = hght = value = index = Const::FMISS; }
  void print() const;
};

// Storm-relative helicity (m2/s2) of a layer (heights above ground).
struct HelicityData {
  float bottom, top;            // m above ground
  float pos, neg, total, mean;  // m2/s2; mean per metre
  float dirChange;              // of the storm-relative wind, bottom to top, -180 to 180 degrees
  float spdShear, dirShear;     // mean per 100 m step: knots, degrees
  Wind storm;
  HelicityData() { init(); }
  void init();
  void print() const;
};

// Bulk shear of a layer: the wind difference top minus bottom (knots) and its magnitude per
// unit height (1/s).
struct ShearData {
  float bottom, top;  // m above ground
  Wind diff;
  float value;
  ShearData() { init(); }
  void init();
  void print() const;
};

// Bulk Richardson number: the positive energy (J/kg), the shear term (m2/s2) and their ratio.
struct BrnData {
  float cape, shear, brn;
  BrnData() { init(); }
  void init() { cape = shear = brn = Const::FMISS; }
  // The number from its two terms: missing unless both are positive.
  void set(float cape, float shear);
  void print() const;
};

class UpaCalc {
 public:
  static float thickness(const UpaData& s, const VCoord& c1, const VCoord& c2);
  // -(T2 - T1) / (z2 - z1), C per metre.
  static float lapseRate(const UpaData& s, const VCoord& c1, const VCoord& c2);
  // (theta2 - theta1) / (z2 - z1) in K/m, and / (p2 - p1) in K/hPa.
  static float thetaLapseRate(const UpaData& s, const VCoord& c1, const VCoord& c2);
  static float thetaPresLapseRate(const UpaData& s, const VCoord& c1, const VCoord& c2);
  // Static stability of the layer depth hPa (or m) around c.
  static float staticStability(const UpaData& s, const VCoord& c, float depth = 50);
  // Precipitable water in inches.
  static float precipWater(const UpaData& s);
  // The first crossing of 0 C going up (the level's pressure, height and temperature); 0 when
  // the surface is at or below freezing or nothing crosses below 500 hPa.
  static int freezingLevel(const UpaData& s, UpaLevel& out);
  static float freezingLevel(const UpaData& s);
  // The first crossing of 0 C wet-bulb temperature going up.
  static int wetBulbZero(const UpaData& s, UpaLevel& out);
  static float wetBulbZero(const UpaData& s);
  // The temperature reached at pressure p (the surface when missing) by dry-adiabatic descent
  // from c (unset: 150 hPa above the surface, the depth a day's mixing reaches).
  static float maxTemperature(const UpaData& s, const VCoord& c, float p = Const::FMISS);
  // Environment minus parcel at top for the parcel from c (the surface when unset; the mean of
  // the lowest depth hPa when depth > 0).
  static float liftedIndex(const UpaData& s, const VCoord& c = VCoord(), float depth = 0,
                           const VCoord& top = VCoord(VCoord::PRESSURE, 500));
  static float capStrength(const UpaData& s, const VCoord& c = VCoord(), float depth = 0);
  static float totalTotals(const UpaData& s);
  static float verticalTotals(const UpaData& s);
  static float crossTotals(const UpaData& s);
  static float kIndex(const UpaData& s);
  static float sweatIndex(const UpaData& s);
  static float energyIndex(const UpaData& s);
  static float thetaEIndex(const UpaData& s);
  static float thetaEIndex(const UpaData& s, ThetaEData& out);
  static float bulkRichardson(const UpaData& s, const VCoord& c, float depth, BrnData& out);
  // The shear term alone (m2/s2), for a positive energy known already.
  static float brnShear(const UpaData& s, const VCoord& c);
  // c1, c2 heights above ground or pressures; c2 unset: 10 m above the highest wind.
  static float helicity(const UpaData& s, const VCoord& c1, const VCoord& c2, const Wind& storm,
                        HelicityData& out);
  static float energyHelicity(const UpaData& s, const VCoord& c1, const VCoord& c2,
                              const Wind& storm, HelicityData& out);
  static float shearLayer(const UpaData& s, const VCoord& c1, const VCoord& c2, ShearData& out);
  // Means over the layer, weighted by height (winds) or pressure (the others).
  static Wind meanWind(const UpaData& s, const VCoord& c1, const VCoord& c2);
  static float meanValue(const UpaData& s, const char* name, const VCoord& c1, const VCoord& c2);
  static int parcelMean(const UpaData& s, const VCoord& c1, const VCoord& c2, ParcelMeanData& out);
  // From the mean mixing ratio of the lowest depth hPa above c (the surface value when 0).
  static int ccl(const UpaData& s, const VCoord& c, float depth, CclData& out);
  // Storm motion of a right-moving supercell: the 0 to 6 km mean wind deviated 7.5 m/s to the
  // right of the 0-0.5 to 5.5-6 km shear; 0 when the winds do not reach 6 km.
  static int stormMotion(const UpaData& s, Wind& out);
  static VCoord thickTop(const VCoord& c, float depth);
  static VCoord thickBottom(const VCoord& c, float depth);
  // Buoyant energy (J/kg) of a layer: parcel levels p1, p2 and environment levels e1, e2
  // (temperatures, and heights of the environment).
  static float energyCalc(const UpaLevel& p1, const UpaLevel& p2, const UpaLevel& e1,
                          const UpaLevel& e2);
  // A named quantity of one level (see getUnits for the names); missing for an unknown name.
  static float calc(const UpaLevel& l, const char* name);
  static const char* getUnits(const char* name);

 private:
  static float brnShear(const indices::Env& env, const UpaData& s, const VCoord& c);
};

}  // namespace KOL
