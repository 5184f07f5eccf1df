#include "layers/SfcRaw.h"

#include <cstdio>
#include <cstdlib>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "obs/CityHash.h"
#include "obs/CityTool.h"
#include "obs/SfcData.h"

namespace KOL {

namespace {
bool known(float v) { return !Const::isMiss(v); }
}  // namespace

SfcRaw::SfcRaw() { init(); }
SfcRaw::~SfcRaw() = default;

void SfcRaw::init()
{
  var_file_ = DEFAULT_VAR_FILE;
  city_file_.clear();
  table_.reset();
  loaded_ = false;
  priority_ = OWN_POSITION_PRIORITY;
}

void SfcRaw::setVarFile(const char* name) { var_file_ = StrLib::valid(name) ? name : ""; }

void SfcRaw::setCityFile(const char* name)
{
  city_file_ = StrLib::valid(name) ? name : "";
  table_.reset();
  loaded_ = false;
}

int SfcRaw::setup()
{
  if (!loaded_) {
    table_ = std::make_unique<CityHash>();
    // an empty name lets the table helper read the resource "city_file"
    table_->setup(city_file_.c_str());
    patterns_.set(Kol::resrc.get("identifier", ""), ',');
    const char* prior = Kol::resrc.get("stat_prior");
    maxPriority_ = StrLib::valid(prior) ? std::atoi(prior) : -1;
    loaded_ = true;
  }
  return table_->getNum() > 0;
}

int SfcRaw::getInfo(SfcData& s)
{
  setup();
  const CityHashData* c = s.id[0] ? table_->find(s.id) : nullptr;
  if (!c && s.wmo > 0) {
    char wmo[24];
    std::snprintf(wmo, sizeof wmo, "%05ld", s.wmo);
    c = table_->find(CityHash::WMO, wmo);
  }
  const bool own = known(s.lat) && known(s.lon);
  if (!own && (!c || !known(c->lat) || !known(c->lon))) return 0;
  priority_ = c ? c->priority : OWN_POSITION_PRIORITY;
  if (!chosen(s, c)) return 0;
  if (!c) return 1;
  if (!own) {
    s.lat = c->lat;
    s.lon = c->lon;
  }
  if (!known(s.elev) && known(c->elev)) s.elev = c->elev;
  if (!s.name[0]) s.setName(c->name);
  if (s.wmo <= 0 && StrLib::isDigit(c->wmo[0])) s.wmo = std::atol(c->wmo);
  return 1;
}

bool SfcRaw::chosen(const SfcData& s, const CityHashData* c) const
{
  if (maxPriority_ >= 0 && priority_ > maxPriority_) return false;
  if (patterns_.getNum() == 0) return true;
  if (c) return CityTool::compareData(patterns_, *c);
  CityData own;
  StrLib::copy(own.id, CityData::ID_SIZE, s.id);
  return CityTool::compareData(patterns_, own);
}

void SfcRaw::print() const
{
  std::printf("SfcRaw\n");
  std::printf("Variable file: %s\n", var_file_.c_str());
  std::printf("Station table: %s (%d stations)\n",
              city_file_.empty() ? "(default)" : city_file_.c_str(), table_ ? table_->getNum() : 0);
}

}  // namespace KOL
