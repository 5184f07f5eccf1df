// The plain description of a domain: projection code and parameters, centre and lattice. This is
// the value that is decoded from text, compared and copied; Domain adds the derived state.
#pragma once

#include "core/Const.h"

namespace KOL {

class DomainVal {
 public:
  static constexpr int NPARAM = 7;

  int proj;             // projection code, Const::MISS when unset
  float param[NPARAM];  // projection parameters: [0] plat, [1] plon, [4] earth radius
  float clat, clon;     // centre (for diagrams: the centre data values)
  float dx, dy;         // lattice spacing in projection units
  int nx, ny;           // lattice size
  bool ellipsoid;       // use the ellipsoidal earth where the projection supports it

  DomainVal() { init(); }

  void init();
  // (nx - 1) / (ny - 1); missing when ny is 1 or either size is missing.
  float getAspect() const;
  // Every field equal.
  static bool compare(const DomainVal& a, const DomainVal& b);
  // Projection and parameters equal; centre and lattice ignored.
  static bool compareProj(const DomainVal& a, const DomainVal& b);
  // Writes the domain text form and a line break to standard output.
  void print() const;
  // The domain text form into buf (at most size - 1 characters); returns its length.
  int format(char* buf, int size) const;
};

}  // namespace KOL
