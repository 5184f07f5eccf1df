// The vector layer of two grids: the wind (or any vector field) given by its u and v grids drawn
// as arrows or as wind barbs ("vbar") on the plot's current panel, each turned from the grid's
// orientation to the map's and thinned so that neighbours do not overlap, with the field's
// information label at the upper left and its date label at the upper right.
#pragma once

#include <string>

#include "graphics/Drawing.h"

namespace KOL {

class Grid;
class Plot;
class Point;

class GridVect : public Drawing {
 public:
  // Room of one symbol as a share of the plot's height, before scaling.
  static constexpr float SPACING = 0.04f;

  GridVect() { init(); }
  explicit GridVect(const char* params) : GridVect() { setParam(params); }

  // Defaults, then the resource "parameter".
  void init() override;
  // Keys: vbar (barbs), vect (arrows), nolabel, co= colour, sc= size factor, sk= grid points
  // skipped between symbols (0 automatic).
  int setParam(const char* params) override;
  // Needs its two grids: nothing to draw alone.
  int draw(Plot&) override { return 0; }
  // Draws u and v (same domain) on the plot's current panel; 0 when nothing was drawn.
  int draw(Plot& plot, const Grid& u, const Grid& v);
  void print() override;

  bool getBarbs() const { return barbs; }
  bool getLabel() const { return label; }
  float getScale() const { return scale; }
  int getSkip() const { return skip; }
  const char* getColor() const { return color.c_str(); }

  // Grid points between two symbols along rows (di) and columns (dj) so that symbols lie at
  // least spacing apart in the plot's coordinates; at least 1.
  static void stride(const Grid& g, const Plot& plot, float spacing, int& di, int& dj);
  // The direction the vector (u, v), given in the grid's orientation at grid point (i, j),
  // points to on the map at plot position p, in degrees clockwise from the map's up; missing when
  // it cannot be placed.
  static float mapDirection(const Grid& g, int i, int j, float u, float v, const Plot& plot,
                            const Point& p);

 private:
  void drawArrow(Plot& plot, const Point& p, float dir, float length) const;
  void drawBarb(Plot& plot, const Point& p, float dir, float speed, float size) const;
  void addLabels(Plot& plot, const Grid& u) const;

  bool barbs;
  bool label;
  float scale;
  int skip;
  std::string color;
};

}  // namespace KOL
