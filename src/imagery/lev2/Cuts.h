// Radials of a volume grouped into elevation cuts: a cut starts at a radial whose status marks
// the start of an elevation or of the volume, or where the elevation number changes, so the
// two halves of a split cut are two cuts.
#pragma once

#include <memory>
#include <vector>

#include "imagery/Lev2Data.h"
#include "imagery/lev2/Messages.h"

namespace KOL::lev2 {

// What keeps each record's messages alive (its decompressed bytes, or the file's).
using Keep = std::vector<std::shared_ptr<const void>>;

struct CutBuilder {
  // The cuts of the decoded records, in order; each gets the site, VCP angles and date, and
  // shares the messages its rows point into.
  static void build(const std::vector<Decoded>& records, const Keep& keep, const Site& site,
                    const std::vector<float>& vcpAngles, const Date& date,
                    std::vector<Lev2Data>& cuts);
};

}  // namespace KOL::lev2
