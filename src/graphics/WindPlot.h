// Wind and motion shapes drawn around a point of a plot: wind barbs, calm circles, wind vectors
// and storm-track arrows. Directions are meteorological (where the wind or the storm comes
// from), in degrees clockwise from the plot's up; callers turn earth directions to the plot with
// Domain::adjustDir. Lengths and sizes are in the plot's x units and keep their shape on the
// page even where the plot's x and y units differ (diagram panels).
#pragma once

#include "geo/Point.h"

namespace KOL {

class Plot;

class WindPlot {
 public:
  WindPlot() { init(); }

  // The standard proportions, as fractions of the shaft length.
  void init();
  // Feather length, spacing of feathers along the shaft and width of a pennant's base.
  void setFeather(float length, float spacing, float pennant);
  float getFeatherLength() const { return feather; }
  float getFeatherSpacing() const { return spacing; }
  float getPennantWidth() const { return pennant; }
  void print() const;

  // How a speed in knots is drawn: rounded to the nearest 5 kt, 50 kt pennants, then 10 kt
  // barbs, then one 5 kt half barb.
  struct Feathers {
    int pennants, barbs, halves;
  };
  static Feathers countFeathers(float speed);

  // A barb whose shaft starts offset from p and runs length further toward dir; the feathers sit
  // at the outer end, on the clockwise side of the shaft (northern hemisphere: a west wind's
  // feathers point north), on the other side when speed is negative (southern hemisphere).
  // Pennants are filled with the line colour. 0 when nothing is drawn (a missing or negative
  // direction, a missing speed, a missing point).
  int drawBarb(Plot& plot, const Point& p, float dir, float speed, float length,
               float offset = 0.0f) const;
  // A circle of radius size around p.
  int drawCalm(Plot& plot, const Point& p, float size) const;
  // An arrow from p pointing downwind, magnitude x length long. expansion scales the arrow; a
  // negative expansion reads the magnitude in hundredths (a speed against a length factor per
  // hundred). 0 for a direction or magnitude that is missing, or a length that is not positive.
  int drawVector(Plot& plot, const Point& p, float dir, float magnitude, float length,
                 float expansion = 1.0f) const;
  // A vector as drawVector, or the calm circle of radius calm when the magnitude is 0.
  int drawArrow(Plot& plot, const Point& p, float dir, float magnitude, float length,
                float expansion, float calm) const;
  // A storm track: an arrow from p toward where the storm moves (dir is where it comes from),
  // length long, divided by cross ticks into marks equal parts (hours; none for marks below 2),
  // with a head of size head (at most a third of the length).
  int drawTrack(Plot& plot, const Point& p, float dir, float length, int marks, float head) const;

 private:
  float feather, spacing, pennant;
};

}  // namespace KOL
