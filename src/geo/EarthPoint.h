// A position on the earth (degrees north, degrees east) with an optional value; for diagram
// projections the two coordinates carry the diagram's data values instead.
#pragma once

#include "core/Const.h"
#include "geo/PointList.h"

namespace KOL {

class EarthPoint {
 public:
  float lat, lon, value;

  EarthPoint() { init(); }
  EarthPoint(float plat, float plon) : lat(plat), lon(plon), value(Const::FMISS) {}
  EarthPoint(float plat, float plon, float pvalue) : lat(plat), lon(plon), value(pvalue) {}

  void init() { lat = lon = value = Const::FMISS; }
  void set(float plat, float plon) { lat = plat, lon = plon; }
  void set(float plat, float plon, float pvalue) { lat = plat, lon = plon, value = pvalue; }
  void offset(float dlat, float dlon) { lat += dlat, lon += dlon; }
  // True when the latitude or the longitude is missing.
  bool isMiss() const { return Const::isMiss(lat) || Const::isMiss(lon); }
  void print() const;
};

using EarthPoints = PointList<EarthPoint>;

}  // namespace KOL
