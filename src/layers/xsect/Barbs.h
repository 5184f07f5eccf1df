// Wind barbs of a sounding in a column of a vertical section, at the standard levels: north up,
// as on a map, for a section has no map rotation.
#pragma once

namespace KOL {

class Plot;
class UpaData;

namespace xsect {

struct Section;

// Barbs at distance x (the section's unit) from the bottom of the section to its top; the number
// drawn.
int drawBarbs(Plot& plot, const Section& s, const UpaData& snd, float x);

}  // namespace xsect
}  // namespace KOL
