// PROJ's command-line tools (proj, cs2cs) as the oracle for where the library puts places.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "geo/EarthPoint.h"
#include "geo/Point.h"

namespace KOL {
class Domain;
class Plot;
}  // namespace KOL

namespace KOLTest {

using XY = std::pair<double, double>;

// True when PROJ's proj and cs2cs are installed.
bool haveProj();
// Runs a PROJ tool with its arguments (e.g. "proj -f %.7f +proj=stere ...") over "a b" lines:
// one pair per input line, NaN for a point the tool cannot place.
std::vector<XY> projRun(const std::string& tool, const std::vector<XY>& in);
// Device pixels where PROJ puts the points on a plot: the map window is the domain's limits
// filling the clip box of the map panel.
std::vector<KOL::Point> projPixels(KOL::Plot& plot, const std::vector<KOL::EarthPoint>& pts);

}  // namespace KOLTest

#define KOL_REQUIRE_PROJ()                                                           \
  do {                                                                               \
    if (!KOLTest::haveProj()) GTEST_SKIP() << "PROJ's proj and cs2cs not installed"; \
  } while (0)
