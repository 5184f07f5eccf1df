// The layer of tropical cyclones: an ATCF best track as a line through its fixes, each marked
// in the colour of its intensity (depression, storm, hurricane, major hurricane), or the
// forecast/advisories of a storm: the centres of the advisories read, the latest one's
// forecast points joined by a dashed line and labelled with time and wind, and the wind radii
// (34, 50, 64 kt) drawn quadrant by quadrant about the centre and the forecast points, without
// a cone.
#pragma once

#include <string>
#include <vector>

#include <ctime>

#include "graphics/Drawing.h"
#include "layers/overlay/OverlayKeys.h"
#include "obs/text/BestTrack.h"
#include "obs/text/TropicalProduct.h"

namespace KOL {

class HurPlot : public Drawing {
 public:
  HurPlot() { init(); }
  explicit HurPlot(const char* params) : HurPlot() { setParam(params); }

  // Defaults, then the resources "timezone", "plot_scale", "color_watch" and "parameter".
  void init() override;
  // A best-track deck or a file of forecast/advisories; the storm starts again. 0 when none.
  int setFilename(const char* name) override;
  // More advisories of the storm, after those read.
  int addFile(const char* name);
  // The shared keys (OverlayKeys: vdate= the state of the storm then, the advisories and fixes
  // issued by it; hour=N the forecast points up to N hours; fill the wind radii filled; slabel
  // forecast labels of time only) and noradii.
  int setParam(const char* params) override;
  // The file of the naming convention "trp_dat" at d.
  int setFilename(Date& d) override;
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
  // The advisories issued by the valid time (all without vdate=).
  std::vector<const TropicalProduct*> shown() const;
  // The forecast points of an advisory drawn (within hour=).
  std::vector<const TropicalProduct::Forecast*> ahead(const TropicalProduct& a) const;
  const BestTrack& getTrack() const { return track; }

 private:
  int read(const char* name);
  // The radii of one wind speed ("34") about a point.
  void drawRadii(Plot& plot, double lat, double lon, const TropicalProduct::Radii& radii,
                 const std::string& speed);
  void drawFix(Plot& plot, double lat, double lon, const char* color, float size);
  void drawTrack(Plot& plot, float size);
  void drawAdvisories(Plot& plot, float size);

  BestTrack track;
  std::vector<TropicalProduct> advisories;
  bool radii;
  overlay::OverlayKeys keys;
};

}  // namespace KOL
