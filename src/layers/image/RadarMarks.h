// What radar pictures draw about their radar: range rings at given distances and the site's
// mark with its name.
#pragma once

#include <string>
#include <vector>

namespace KOL {

class Plot;

namespace imageplot {

// Rings of the radii (km) about the site, in colour.
void drawRings(Plot& plot, double lat, double lon, const std::vector<float>& km, const char* color);
// A plus at the site and, when name is not empty, the name beside it (over a dark copy a pixel
// off when shadow is set, to stand out on any echo).
void drawSite(Plot& plot, double lat, double lon, const std::string& name, const char* color,
              bool shadow = false);

}  // namespace imageplot
}  // namespace KOL
