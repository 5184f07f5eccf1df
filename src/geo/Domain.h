// A plotting or grid area: a projection with its parameters, a centre and a regular lattice of
// nx by ny points, with the transforms between earth, plot and grid coordinates that every map,
// grid and diagram goes through. Map plot coordinates are in units of 100 km; the diagram
// projections map data values (temperature, pressure, direction, speed) instead.
#pragma once

#include "geo/Angle.h"
#include "geo/DomainVal.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "geo/Point.h"
#include "geo/Rect.h"

namespace KOL {

class String;
namespace proj {
struct Entry;
}

class Domain : public DomainVal {
 public:
  // Dateline wrap widths of the latlon and the spherical Mercator world.
  static inline double OFFSET_LL = 360.0;
  static inline double OFFSET_MERC = 400.3156;

  // Constants derived from the parameters by setParam, read by the projection functions.
  struct Constants {
    bool ready;                      // the parameters were usable
    double radius;                   // earth radius
    double lon0;                     // projection longitude (plon)
    double lat0;                     // projection latitude as the projection takes param[0]
    double sign;                     // hemisphere factor of the projection formulas
    double orbit, orbit2, orbit4;    // satellite orbit radius, its square and fourth power
    double orbit_gap;                // orbit radius squared less earth radius squared
    double radius_ratio;             // earth radius / orbit radius
    double axis_ratio, axis_ratio2;  // b/a of the ellipsoid and its square
    float std_lat1, std_lat2;        // standard latitudes of the conic projections
    float origin_x, origin_y;        // radial origin on the plane
    double cache[4];                 // projection-specific constants
    Angle rot1, rot2;                // rotations of the rotated latlon grid
    double scale_x, scale_y;         // the "xp" scale factors
    double view_x1, view_y1;         // lower left of the view
    double limit_x1, limit_y1;       // lower left of the limits
  };

  Domain() { init(); }
  explicit Domain(const DomainVal& v) { set(v); }
  explicit Domain(const char* text) { set(text); }

  void init();

  // Copies a description and derives the constants; 0 when the parameters are unusable.
  int set(const DomainVal& v);
  // Reads the domain text form; 0 (and a reset domain) when the text does not have that form.
  int set(const char* text);
  // A plain "xy" domain of nx by ny points, centre (0, 0), spacing 1.
  int set(int nx, int ny);
  // The lattice spanned by two corner points, with the projection already set.
  int set(EarthPoint& corner1, EarthPoint& corner2, int nx, int ny);
  // Derives the constants and the limits after any change of projection, parameters or centre.
  int setParam();
  void setLimits();
  // Scale factors of the "xp" projection.
  void setScale(double sx, double sy);

  const DomainVal& get() const { return *this; }
  void getLimits(Rect& r) const { r = limits; }
  const Rect& getLimits() const { return limits; }
  void setView(const Rect& r);
  const Rect& getView() const { return view; }
  float getVert() const { return limits.y2 - limits.y1; }
  double getRadius() const { return cst.radius; }
  const Constants& constants() const { return cst; }

  // The projection code of a name (first characters, any case); -1 when unknown.
  static int getProj(const char* name);
  // The printed name of a code; "" when it has none.
  static const char* getProjName(int code);
  static bool compare(const Domain& a, const Domain& b) { return DomainVal::compare(a, b); }
  static bool compareProj(const Domain& a, const Domain& b) { return DomainVal::compareProj(a, b); }
  int toString(String& s) const;
  void print() const { DomainVal::print(); }
  void printLimits() const;

  // Earth to plot. The point's longitude is written back normalised and its latitude clamped
  // where the projection clamps. 1 on success; 0 with a missing result when not projectable.
  int tran(EarthPoint& e, Point& p) const;
  int tran(const Point& p, EarthPoint& e) const;
  int tranCenter(Point& p) const;
  int tran(const GridPoint& g, Point& p) const;
  int tran(const Point& p, GridPoint& g) const;
  int tran(EarthPoint& e, GridPoint& g) const;
  int tran(const GridPoint& g, EarthPoint& e) const;
  int tran(EarthPoints& in, Points& out) const;
  int tran(EarthPoints& in, GridPoints& out) const;
  // Corners: 0 upper left, 1 upper right, 2 lower left, 3 lower right, 4 centre.
  int tran(int corner, Point& p) const;
  int tran(int corner, EarthPoint& e) const;
  int tran(int corner, GridPoint& g) const;
  // Double precision forms for callers that keep doubles (nothing is written back).
  int project(double lat, double lon, double& x, double& y) const;
  int unproject(double x, double y, double& lat, double& lon) const;

  bool within(const Point& p) const;
  bool within(const EarthPoint& e) const;
  bool withinExt(const Point& p, int n) const;
  bool withinExt(const EarthPoint& e, int n) const;
  // Keypad position relative to the limits (1 above left ... 5 inside ... 9 below right).
  int where(const Point& p) const;
  int where(const EarthPoint& e) const;
  static int translate(const Domain& from, const Domain& to, const Point& in, Point& out);
  static int translate(const Domain& from, const Domain& to, const GridPoint& in, GridPoint& out);

  // An earth-relative direction (degrees) at a point turned plot-relative, and back.
  float adjustDir(float dir, const Point& p) const;
  float adjustDir(float dir, const EarthPoint& e) const;
  float unadjustDir(float dir, const Point& p) const;
  float unadjustDir(float dir, const EarthPoint& e) const;
  // Bearing from a to b, turned to true north on the polar stereographic plane.
  float direct(const Point& a, const Point& b) const;
  float getMapFactor(const EarthPoint& e) const;
  // The point dist km from p in direction dir (degrees), on the earth and on the plot.
  static void offsetLatLon(const EarthPoint& p, float dir, float dist, EarthPoint& out);
  int offset(const Point& p, float dir, float dist, Point& out) const;
  // Great-circle distance in km.
  static float calcEarthDist(const EarthPoint& a, const EarthPoint& b);

  int scaleGrid(float f);
  int scaleSize(int nx, int ny);
  int zoom(const Point& c, float f);
  int pan(const Point& c);

  // Dateline handling: points moved by the world width so that a line does not cross the map.
  int adjust(Point& p) const;
  int adjust(Points& pts) const;
  int wrapLine(Point& a, Point& b) const;
  int wrapLine(Points& pts) const;
  int offsetLine(Point& a, Point& b, int side) const;
  int offsetLine(Points& pts, int side) const;

 private:
  int forward(double& lat, double& lon, double& x, double& y) const;
  int inverse(double x, double y, double& lat, double& lon) const;
  bool isEarth() const { return proj >= 1 && proj <= 10; }
  double wrapWidth(const Point& first) const;
  float rotation(const Point& p) const;
  bool gridDefined() const;

  Rect limits;
  Rect view;
  Constants cst;
  const proj::Entry* entry;
};

}  // namespace KOL
