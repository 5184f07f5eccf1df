// What the station chart programs (surface and upper-air) set up alike before they draw.
#pragma once

#include <initializer_list>

namespace KOL {

class Domain;
class ResrcDBList;
class StationPlot;

namespace stationplot {

// The options such a program takes: those of files, time, domain, map, plot, colours,
// analysis, contours and device, the named ones, the date option (its help dateHelp) and the
// file name as the positional one.
void declareOptions(ResrcDBList& keyed, ResrcDBList& positional,
                    std::initializer_list<const char*> names, const char* dateHelp);
// The plot domain: "plot_domain", else fallback; false when it is no domain with a projection
// (the domain reader names what it does not know).
bool chartDomain(const char* fallback, Domain& d);
// Map lines in mapColor unless "color_map" names one, and the map unless "parameter" says nomap.
void chartDefaults(StationPlot& layer, const char* mapColor);
// True when "object_param", or "parameter" naming a filter or grid, chooses the analysis.
bool analysisChosen();

}  // namespace stationplot
}  // namespace KOL
