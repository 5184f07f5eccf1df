// The classes a radar product is drawn in and the units of its values: the product's own data
// levels for a product of 16 levels; for the digital products (up to 256 levels) a scale that
// suits what they measure (reflectivity, velocity, precipitation, dual-polarisation moments).
#pragma once

#include <string>
#include <vector>

namespace KOL {

class NidsFile;
class NidsInfo;

namespace nidsplot {

struct Scale {
  std::vector<float> limits;        // lower limits of the classes, rising
  std::string units;                // for the colour bar; empty when the values have none
  std::vector<std::string> labels;  // names of the classes; empty: their lower limits
};

// For a product whose header has been read into info; no limits for a product of unknown
// kind whose levels carry no values.
Scale scaleOf(const NidsFile& f, const NidsInfo& info);
// The classes of the digital products of a code, with units (for data of the same quantity
// that come from elsewhere).
Scale scaleOfCode(int code, const char* units);
// The units in a product label's brackets ("Base velocity [knt]" gives "kt").
std::string unitsOf(const char* label);

}  // namespace nidsplot
}  // namespace KOL
