// Conversions between satellite pixel counts and physical values.
#pragma once

namespace KOL {

class SatTool {
 public:
  // Brightness temperature (deg C) of an infrared count of the GOES-7 style scale: half-degree
  // steps down to -30 C (count 175), whole degrees below.
  static float toIRG7Temp(int k) { return k <= 175 ? (114 - k) / 2.0f : 145.0f - k; }
  // The count of a temperature (deg C), truncated.
  static int toIRG7Ind(float t)
  {
    return static_cast<int>(t < -30.0f ? 145.0f - t : 114.0f - 2.0f * t);
  }
};

}  // namespace KOL
