// Data level tables of NIDS products: the physical value of each data level code, decoded from
// the sixteen threshold halfwords of the product description.
#pragma once

#include <cstdint>

namespace KOL::nids {

// The code of a flagged legacy threshold that marks range-folded bins ("RF").
constexpr int FOLDED_CODE = 3;

// The half-precision float of the digital VIL thresholds.
float float16(unsigned hw);
// An IEEE float from its high and low halfwords.
float float32(unsigned hi, unsigned lo);
// One legacy threshold halfword: a level with its scale, sign and flag bits.
float legacyLevel(unsigned hw);

struct LevelTable {
  float value[256];  // by data level code; Const::FMISS where the code is missing or reserved
  int count;         // codes that carry data
};

// The sixteen legacy thresholds (run-length and raster packets).
void legacyTable(const uint16_t hw[16], LevelTable& t);
// The table of one-byte digital codes of the product; 0 when the product has none.
int digitalTable(int code, const uint16_t hw[16], LevelTable& t);

}  // namespace KOL::nids
