// Where the plot layer reaches the map backgrounds: Plot::drawMap asks here for the default map
// (coastlines and borders) of the current panel. The map layer supplies the body; until then
// nothing is drawn.
#pragma once

namespace KOL {

class Plot;

namespace MapHook {

// Draws the default map on the plot's current panel; the number of lines drawn.
int drawDefault(Plot& plot, const char* params);

}  // namespace MapHook
}  // namespace KOL
