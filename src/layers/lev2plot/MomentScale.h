// How a moment of a radar volume is drawn: the NIDS product whose colours it borrows, its
// classes in the units drawn, the factor from the volume's units to them, and its label.
#pragma once

#include <string>
#include <vector>

namespace KOL::lev2plot {

struct MomentScale {
  int product = 0;            // NIDS product code of the same quantity; 0 for none
  std::vector<float> limits;  // lower limits of the classes, rising, in the units drawn
  std::string units, label;
  float factor = 1.0f;   // volume units to the units drawn (m/s to knots for velocities)
  bool folding = false;  // range-folded gates get a class of their own
};

// For "REF", "VEL", "SW", "ZDR", "PHI", "RHO" and "CFP"; no limits for other names.
MomentScale scaleOf(const std::string& moment);

}  // namespace KOL::lev2plot
