// The calculations on the levels of a sounding behind UpaData: heights and pressures from the
// hypsometric relation, temperatures and winds between levels, and the sounding at any
// coordinate.
#pragma once

#include <vector>

#include "obs/UpaLevel.h"

namespace KOL {
namespace upa {

// Levels sorted by decreasing pressure. The counts of values filled.
int fillHeights(std::vector<UpaLevel>& levels);
int fillPressures(std::vector<UpaLevel>& levels);
// Not at pressures above sfc_pres (0: no surface).
int fillTemps(std::vector<UpaLevel>& levels, float sfc_pres);
int fillWinds(std::vector<UpaLevel>& levels);
// kind: VCoord::PRESSURE, HEIGHT or THETA. 1 when the value lies within the sounding.
int interpolate(const std::vector<UpaLevel>& levels, int kind, float value, UpaLevel& out);

}  // namespace upa
}  // namespace KOL
