// The balloon's track in the own upper-air file: each level's time after launch and displacement
// from the launch site, as a section after the winds. The section starts with the word "TRK" and
// holds one "P:SECONDS:DLAT:DLON" word per pressure (an empty field is missing). Readers that do
// not know it take its words as wind groups they cannot read and drop them, so files with the
// section stay readable by them.
#pragma once

#include <string>

#include "obs/UpaRawinData.h"
#include "obs/upa/Groups.h"

namespace KOL {
namespace upa {

constexpr const char* TRACK_WORD = "TRK";

// Appends " TRK" and the words of the record's levels that have a track; nothing without one.
void appendTrack(std::string& out, const UpaRawinData& r);
// Reads the words after "TRK" up to the record's end into the levels at their pressures.
void readTrack(Groups& groups, UpaRawinData& r);

}  // namespace upa
}  // namespace KOL
