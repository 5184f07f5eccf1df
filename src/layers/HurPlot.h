// The layer of tropical cyclones: an ATCF best track as a line through its fixes, each marked
// in the colour of its intensity (depression, storm, hurricane, major hurricane), or the
// forecast/advisories of a storm: the centres of the advisories read, the latest one's
// forecast points joined by a dashed line and labelled with time and wind, and the wind radii
// (34, 50, 64 kt) drawn quadrant by quadrant about the centre and the forecast points, without
// a cone.
#pragma once

#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "obs/text/BestTrack.h"
#include "obs/text/TropicalProduct.h"

namespace KOL {

class HurPlot : public Drawing {
 public:
  HurPlot() { init(); }
  explicit HurPlot(const char* params) : HurPlot() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // A best-track deck or a file of forecast/advisories; the storm starts again. 0 when none.
  int setFilename(const char* name) override;
  // More advisories of the storm, after those read.
  int addFile(const char* name);
  // Keys nolabel, noradii, map, nomap, sc=scale.
  int setParam(const char* params) override;
  // A map about the track, the forecast points and their radii; 0 when there is nothing.
  int getDomain(Domain& d) override;
  int draw(Plot& plot) override;
  void print() override;

  // The colour of a fix of this maximum wind (kt).
  static const char* intensityColor(int kt);
  // The colour the radii of a wind speed ("34", "50", "64") are drawn in.
  static const char* radiiColor(const std::string& kt);
  // The point at a distance (nautical miles) along a bearing (degrees from north).
  static std::pair<double, double> offset(double lat, double lon, double nm, double bearing);

  const std::vector<TropicalProduct>& getAdvisories() const { return advisories; }
  const BestTrack& getTrack() const { return track; }

 private:
  int read(const char* name);
  void drawRadii(Plot& plot, double lat, double lon, const TropicalProduct::Radii& radii);
  void drawFix(Plot& plot, double lat, double lon, const char* color, float size);

  BestTrack track;
  std::vector<TropicalProduct> advisories;
  bool labels, radii, map;
  float scale;
};

}  // namespace KOL
