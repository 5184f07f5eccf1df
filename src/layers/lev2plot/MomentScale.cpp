#include "layers/lev2plot/MomentScale.h"

#include "layers/nidsplot/ProductScale.h"

namespace KOL::lev2plot {

namespace {

// The products whose scales and colours serve (base reflectivity and velocity, spectrum width,
// differential reflectivity, correlation coefficient: the digital ones of each).
constexpr int REFLECTIVITY = 94, VELOCITY = 99, WIDTH = 30, DIFF_REFL = 159, CORRELATION = 161;
constexpr float KNOTS_PER_MS = 1.944f;

std::vector<float> steps(float from, float step, int n)
{
  std::vector<float> v;
  for (int k = 0; k < n; ++k) v.push_back(from + k * step);
  return v;
}

}  // namespace

MomentScale scaleOf(const std::string& moment)
{
  MomentScale s;
  auto nids = [&s](int product, const char* units, const char* label) {
    s.product = product;
    s.limits = nidsplot::scaleOfCode(product, units).limits;
    s.units = units;
    s.label = label;
  };
  if (moment == "REF") {
    nids(REFLECTIVITY, "dBZ", "Reflectivity [dBZ]");
  } else if (moment == "VEL") {
    nids(VELOCITY, "kt", "Radial velocity [kt]");
    s.factor = KNOTS_PER_MS;
    s.folding = true;
  } else if (moment == "SW") {
    s = {WIDTH, steps(0, 2, 13), "kt", "Spectrum width [kt]", KNOTS_PER_MS, true};
  } else if (moment == "ZDR") {
    nids(DIFF_REFL, "dB", "Differential reflectivity [dB]");
  } else if (moment == "RHO") {
    nids(CORRELATION, "", "Correlation coefficient");
  } else if (moment == "PHI") {
    s = {0, steps(0, 20, 18), "deg", "Differential phase [deg]", 1.0f, false};
  } else if (moment == "CFP") {
    s = {0, steps(0, 5, 13), "dB", "Clutter filter power removed [dB]", 1.0f, false};
  }
  return s;
}

}  // namespace KOL::lev2plot
