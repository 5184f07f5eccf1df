// What the station analysers share: the domain to analyse onto (the resource "plot_domain"
// unless one is given), its refinement factor (the parameter "grid" with a separator and an
// integer), and putting that domain on the output grid list.
#pragma once

#include <string>

#include "geo/Domain.h"

namespace KOL {
class Data;
class Grids;
class ObjectAnal;
}  // namespace KOL

namespace KOL::anal {

struct Target {
  Domain domain;
  bool set = false;
  int factor = 1;

  // The resource "plot_domain", when there is one.
  void init();
  // A domain text; 0 (and no domain) when it does not decode.
  int setDomain(const char* text);
  // A domain with a projection and a lattice; 0 (and no domain) otherwise.
  int setDomain(const Domain& d);
  // Takes the word "grid" out of a comma-separated parameter list; the rest for the analysis.
  std::string takeParam(const char* text);
  // The refined domain as grid 0 of the list; 0 when no domain is set and the list has none.
  int apply(Grids& grids) const;
  // The analysis onto the target; who names the analyser in the message when there is none.
  int analyse(ObjectAnal& oa, const Data& data, Grids& grids, const char* who) const;
};

}  // namespace KOL::anal
