// What the layers of a forecast office's products (warnings, watches, storms, fronts,
// lightning) share: the parameter keys common to their rows, read in one place, and the few
// drawing habits that follow from them (one colour for all, a colour table, labels over a
// shadow, times in the local zone, a map about what is drawn).
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/Timezone.h"
#include "geo/EarthPoint.h"
#include "geo/Point.h"

namespace KOL {

class Date;
class Domain;
class Plot;

namespace overlay {

// YYYYMMDDHH[MM] in UTC; -1 when it is not one.
std::time_t parseDate(const char* text);
// A colon-separated list ("TO:SV") into its words.
std::vector<std::string> words(const char* list);

// The latitudes and longitudes a layer draws, and a map about them.
class Bounds {
 public:
  void add(double lat, double lon, double radiusDeg = 0);
  bool empty() const { return s > n; }
  // A Lambert conformal map (Mercator when merc) widened by widen, at least minKm across a
  // grid step; 0 when nothing was added.
  int domain(Domain& d, double widen, double minKm, bool merc = false) const;

 private:
  double s = 90, n = -90, w = 360, e = -360;
};

class OverlayKeys {
 public:
  // Defaults, then the resources "timezone", "plot_scale" and colorResource ("color_warn"...).
  void init(const char* colorResource);
  // Reads token when it is a shared key: map nomap sc= fill nolabel slabel shadow vdate= tz=
  // min= hour= ct= co= in= if=. False for the layer's own keys.
  bool read(const char* token);

  // co= when given, else the product's own colour.
  const char* color(const char* own) const { return color_.empty() ? own : color_.c_str(); }
  // Before drawing: the colour table asked for, then the map unless nomap.
  void begin(Plot& plot) const;
  // A text height of share of the domain's height, times the scale.
  float textHeight(const Plot& plot, float share) const;
  // A label at p in color, over a white shadow when asked.
  void label(Plot& plot, const Point& p, const char* text, const char* color) const;
  void label(Plot& plot, const EarthPoint& e, const char* text, const char* color) const;
  // "HHMMZ", or the local "HHMM CDT" with tz=; with day, "DD/" before it.
  std::string clock(std::time_t t, bool day = false) const;
  // "Valid YYYY-MM-DD HH:MMZ", or local time with tz=.
  std::string validLabel(std::time_t t) const;
  // The file of the layer's naming convention (if=, else conv) at date d; empty when none.
  std::string fileAt(const Date& d, const char* conv) const;

  bool map = true;
  float scale = 1.0f;
  bool fill = false, labels = true, shortLabels = false, shadow = false;
  std::time_t valid = -1;  // vdate=; -1: the layer's latest
  int minutes = 0;         // min=; 0: no limit
  int hours = -1;          // hour=; -1: no limit
  std::string input;       // in=: a file to read
  std::string convention;  // if=: the naming convention of the layer's files

 private:
  std::string color_, colorTable_;
  Timezone tz_;
};

}  // namespace overlay
}  // namespace KOL
