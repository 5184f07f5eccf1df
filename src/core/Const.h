// Constants shared by the whole library: the missing value, physical constants and earth radii.
#pragma once

namespace KOL {

class Const {
 public:
  // The missing value of every numeric field; used as -9999.0 for floats.
  static constexpr int MISS = -9999;
  static constexpr float FMISS = -9999.0f;

  static constexpr float CP = 1004.0f;  // specific heat of dry air at constant pressure, J/(kg K)
  static constexpr float CV = 717.0f;   // specific heat of dry air at constant volume, J/(kg K)
  static constexpr float G = 9.8f;      // gravity, m/s2
  static constexpr float R = 287.05f;   // gas constant of dry air, J/(kg K)

  static constexpr double RDC = 57.29577951;  // degrees per radian
  static constexpr double DRC = 0.017453293;  // radians per degree
  static constexpr double PI = 3.1415926535898;
  static constexpr double TWO_PI = 6.283185307;

  // Earth radii in units of 100 km.
  static constexpr double EARTH_MAJ = 63.78137;
  static constexpr double EARTH_MIN = 63.56752;
  static constexpr double EARTH_MEAN = 63.7122;

  // True when v holds the missing value (exactly, as stored).
  static constexpr bool isMiss(float v) { return v == FMISS; }
  static constexpr bool isMiss(int v) { return v == MISS; }
};

}  // namespace KOL
