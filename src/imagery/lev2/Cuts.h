// Radials of a volume grouped into elevation cuts: a cut starts at a radial whose status marks
// the start of an elevation or of the volume, or where the elevation number changes, so the
// two halves of a split cut are two cuts.
#pragma once

#include <vector>

#include "imagery/Lev2Data.h"
#include "imagery/lev2/Messages.h"

namespace KOL::lev2 {

struct CutBuilder {
  // The cuts of the decoded records, in order; each gets the site, VCP angles and date.
  static void build(const std::vector<Decoded>& records, const Site& site,
                    const std::vector<float>& vcpAngles, const Date& date,
                    std::vector<Lev2Data>& cuts);
};

}  // namespace KOL::lev2
