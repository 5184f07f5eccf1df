// The cross section of a model field along the great circle between two points: every grid of
// the field on pressure levels is read from a grid file (GRIB editions 1 and 2 or the native
// file, told apart by content), sampled bilinearly at points spaced evenly along the great
// circle, and the columns interpolated linearly in log pressure to the rows of the section,
// which is contoured (UpaXSectCont's look for the quantity) on the cross-section frame. "theta"
// is computed from the temperatures, "wspd" from the wind components.
//   keys: va= the field (a grid variable name: temp, hght, rhum, vvel, uwnd ...; theta; wspd),
//   from=LAT:LON and to=LAT:LON the ends, pl= the contour type, top= and bot= pressures; the other
//   keys go to the contours (int=, cb=, co= ...).
#pragma once

#include <string>
#include <vector>

#include "geo/EarthPoint.h"
#include "graphics/Drawing.h"
#include "grid/Grid.h"
#include "layers/xsect/Section.h"

namespace KOL {

class GridXSectPlot : public Drawing {
 public:
  GridXSectPlot() { init(); }

  // Defaults, then the resources "variable", "plot_type" and "parameter".
  void init() override;
  int setFilename(const char* name) override;
  int setParam(const char* text) override;
  int setEnds(const EarthPoint& a, const EarthPoint& b);
  // Reads the field's levels and builds the section; 0 after one message when the file cannot
  // be read or holds the field on fewer than two pressure levels.
  int read();
  int getDomain(Domain& d) override;
  int getDate(Date& d) override;
  int getNumFrames() override { return 0; }
  int draw(Plot& plot) override;
  void print() override;

  const xsect::Section& getSection() const { return section; }
  const Grid& getGrid() const { return grid; }
  // The points of the section's columns.
  const std::vector<EarthPoint>& getPoints() const { return points; }
  // The surface pressure (hPa) at the points; empty when the file has none. Values below the
  // ground are left out of the section and the ground is drawn.
  const std::vector<float>& getSurface() const { return surface; }

 private:
  struct Level {
    float pres;
    std::vector<float> values;  // at the points
  };
  // The field's levels sampled at the points: name read directly.
  int sample(const char* name, std::vector<Level>& out, Date& when) const;
  int derive(std::vector<Level>& out, Date& when) const;
  std::vector<float> readSurface() const;
  void drawGround(Plot& plot) const;

  std::string fileName;
  std::string variable;
  std::string plotType;
  std::string contour;  // the other parameters, for the contours
  EarthPoint from, to;
  xsect::Section section;
  std::vector<EarthPoint> points;
  std::vector<float> surface;
  Grid grid;
  Date fieldDate;
};

}  // namespace KOL
