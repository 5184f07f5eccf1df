#include "layers/upaplot/UpaModels.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "geo/Domain.h"
#include "grid/UpaGrid.h"
#include "grid/anal/Places.h"
#include "layers/sfcplot/StationModels.h"
#include "obs/Datum.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaLevel.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/VCoord.h"

namespace KOL::upaplot {

namespace {

// The format of a parameter as the datum plotter reads it.
VarSpec plotted(const VarSpec& spec)
{
  VarSpec s = spec;
  std::string fmt = spec.getFormat();
  std::replace(fmt.begin(), fmt.end(), ':', ',');
  s.setFormat(fmt.c_str());
  return s;
}

// The height as charts write it, three digits: metres at 850 and 700 hPa without the leading
// 1, 2 or 3 (1530 m 530, 3012 m 012), decametres above without the thousands (564, 912,
// 1052 dam 052).
float heightCode(const UpaLevel& l, const VCoord& at)
{
  if (Const::isMiss(l.hght)) return Const::FMISS;
  const bool metres = at.kind == VCoord::PRESSURE && at.value > 600.0f;
  const long h = std::lround(metres ? l.hght : l.hght / 10.0f);
  return static_cast<float>(h % 1000);
}

// The value without its format.
int value(const UpaData& snd, const VarSpec& spec, Datum& d)
{
  const std::string_view name = spec.getName();
  if (name == "id") return d.set(Datum::TEXT, snd.getId()), 1;
  if (name == "stn") return d.set(Datum::MARK, "circle"), 1;
  UpaLevel l;
  VCoord at;
  if (!spec.getLevel().getLower(at) || snd.interp(at, l) != 1) l.init();
  if (name == "hgcode") return d.set(Datum::VALUE, heightCode(l, at)), 1;
  if (name == "wbrb" || name == "wind") {
    d.set(name == "wbrb" ? Datum::WBARB : Datum::VECT, l.dir);
    d.values[1] = l.spd;
    return 1;
  }
  const char* given = UpaGrid::getUnits(spec.getName());
  if (!given) return 0;
  d.set(Datum::VALUE, UpaGrid::levelValue(l, spec.getName()));
  sfcplot::convertValues(d, given, spec.getUnits());
  return 1;
}

}  // namespace

int compute(const UpaData& snd, const VarSpec& spec, Datum& d)
{
  d.init();
  d.setId(snd.getId());
  const int known = value(snd, spec, d);
  d.setFormat(spec.getFormat());
  return known;
}

int readModels(UpaKolFile& file, const std::vector<VarSpec>& params, const Domain& dom,
               sfcplot::StationModels& out)
{
  std::vector<VarSpec> specs;
  for (const VarSpec& p : params) specs.push_back(plotted(p));
  file.rewind();
  anal::Places places;
  int n = 0;
  for (UpaRawinData raw; file.read(raw); raw.init()) {
    ++n;
    UpaData snd;
    EarthPoint e;
    if (!UpaTool::merge(raw, snd) || !places.place(snd.getLat(), snd.getLon(), snd.getId(), e) ||
        !dom.within(e))
      continue;
    sfcplot::StationModel m{Point(), 0, {}};
    if (!dom.tran(e, m.at)) continue;
    m.values.resize(specs.size());
    for (size_t k = 0; k < specs.size(); ++k) {
      compute(snd, specs[k], m.values[k]);
      m.values[k].setLoc(e);
    }
    out.addModel(std::move(m));
  }
  return n;
}

}  // namespace KOL::upaplot
