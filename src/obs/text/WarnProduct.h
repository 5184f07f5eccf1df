// A warning, advisory or statement product with VTEC (NWS Instructions 10-1701, 10-1702,
// 10-1703): its heading and its segments. Zone products (NPW, WSW, FFA, TCV), storm-based
// warnings (TOR, SVR, FFW, SMW, EWW, SQW, DSW), their follow-ups (SVS, FFS, FLS, MWS) and the
// watch county notifications (WCN) all have this shape; products from before VTEC keep their
// UGC and polygon.
#pragma once

#include <string>
#include <vector>

#include "obs/text/TextProduct.h"
#include "obs/text/WarnSegment.h"

namespace KOL {

class JsonText;

class WarnProduct {
 public:
  // The note the listing carries for an office that writes east longitudes.
  static constexpr const char* EAST_NOTE =
      "office PGUM: LAT...LON longitudes are taken as EAST (the text carries no hemisphere; "
      "west-positive would put Guam at 145W)";

  WarnProduct() { init(); }
  void init();
  // 1 when the product has at least one segment.
  int parse(const TextProduct& p);
  // The office writes east longitudes (WFO Guam).
  bool eastLongitudes() const { return east_; }
  // The heading and the segments as the listing's fields (into an open object).
  void jsonFields(JsonText& j) const;
  void print() const;

  TextProduct::Heading head;
  std::vector<WarnSegment> segments;

 private:
  bool east_ = false;
};

}  // namespace KOL
