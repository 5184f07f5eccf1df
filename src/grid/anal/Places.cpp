#include "grid/anal/Places.h"

#include "core/Const.h"
#include "obs/CityHash.h"

namespace KOL::anal {

namespace {
constexpr const char* STATIONS = "sao.cty";
}

Places::Places() = default;
Places::~Places() = default;

int Places::place(float lat, float lon, const char* id, EarthPoint& loc)
{
  if (lat != Const::FMISS && lon != Const::FMISS) {
    loc.set(lat, lon);
    return 1;
  }
  if (!id || !*id) return 0;
  if (!table_) table_ = std::make_unique<CityHash>(STATIONS);
  const CityHashData* c = table_->find(id);
  if (!c || c->lat == Const::FMISS || c->lon == Const::FMISS) return 0;
  loc.set(c->lat, c->lon);
  return 1;
}

}  // namespace KOL::anal
