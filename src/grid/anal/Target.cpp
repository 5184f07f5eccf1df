#include "grid/anal/Target.h"

#include <cstdlib>
#include <string_view>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "geo/DomainTool.h"
#include "grid/Grids.h"
#include "grid/ObjectAnal.h"

namespace KOL::anal {

void Target::init()
{
  domain.init();
  factor = 1;
  set = false;
  const char* text = Kol::resrc.get("plot_domain");
  if (text && *text) setDomain(text);
}

int Target::setDomain(const char* text)
{
  Domain d;
  if (!text || !DomainTool::decode(d, text)) d.init();
  return setDomain(d);
}

int Target::setDomain(const Domain& d)
{
  set = d.proj != Const::MISS && d.nx >= 1 && d.ny >= 1;
  domain = set ? d : Domain();
  return set;
}

std::string Target::takeParam(const char* text)
{
  std::string rest;
  std::string_view list(text ? text : "");
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view word = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (word.size() > 5 && word.substr(0, 4) == "grid") {
      factor = std::atoi(std::string(word.substr(5)).c_str());
      if (factor < 1) factor = 1;
    } else if (!word.empty()) {
      rest += (rest.empty() ? "" : ",") + std::string(word);
    }
  }
  return rest;
}

int Target::apply(Grids& grids) const
{
  if (!set) return grids.getNum() >= 1;
  Domain d = domain;
  if (factor != 1 && !d.scaleGrid(float(factor))) return 0;
  if (grids.getNum() < 1) {
    if (grids.getSize() < 1) grids.resize(1);
    grids.setNum(1);
  }
  grids.getGrid(0).setDomain(d);
  return 1;
}

int Target::analyse(ObjectAnal& oa, const Data& data, Grids& grids, const char* who) const
{
  if (!apply(grids)) {
    Kol::outWarning("%s: no domain to analyse onto\n", who);
    return 0;
  }
  return oa.compute(data, grids);
}

}  // namespace KOL::anal
