// The frame of a vertical cross section: distance along the section across (km), pressure down on
// a log scale, with the isobars of the standard levels drawn faintly and labelled at the left
// ("mb"), the stations (or points) of the section named under the frame at their distances,
// otherwise distances every round number of km, and the frame itself. The section's domain is
// the "xlogp" projection: a point is (distance, pressure).
#pragma once

#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "layers/xsect/Section.h"

namespace KOL {

class XSectionPlot : public Drawing {
 public:
  XSectionPlot() { init(); }

  void init() override;
  // The length and pressures of the section.
  void setSection(const xsect::Section& s) { section = s; }
  const xsect::Section& getSection() const { return section; }
  // A place named under the frame at a distance (km).
  void addPlace(const char* name, float x);
  void clearPlaces() { places.clear(); }
  // The section's domain.
  int getDomain(Domain& d) override;
  int getNumFrames() override { return 0; }
  // Room for a colour bar at the right of the frame (under it are the places), before anything
  // is drawn.
  static void reserveBar(Plot& plot);
  int draw(Plot& plot) override;
  void print() override;

 private:
  void drawIsobars(Plot& plot) const;
  void drawLabels(Plot& plot) const;

  struct Place {
    std::string name;
    float x;
  };
  xsect::Section section;
  std::vector<Place> places;
};

}  // namespace KOL
