#include "layers/sfcplot/StationModels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "core/Unit.h"
#include "geo/Domain.h"
#include "layers/SfcRaw.h"
#include "obs/Calc.h"
#include "obs/SfcData.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcFile.h"

namespace KOL::sfcplot {

namespace {

// Which of a datum's values carry the units: both numbers of a scalar pair (temperature and
// dew point), only the speed of a wind.
bool windType(int t) { return t >= Datum::WBARB && t <= Datum::AVECT; }

}  // namespace

void convertValues(Datum& d, const char* from, const char* to)
{
  if (!from || !*from || !to || !*to || Unit::equal(from, to)) return;
  Unit unit;
  if (!unit.valid(from, to)) return;
  for (int i = windType(d.type) ? 1 : 0; i < 2; ++i)
    if (!Const::isMiss(d.values[i])) d.values[i] = unit.convert(d.values[i], from, to);
}

void StationModels::add(const VarSpec& spec)
{
  Param p{spec, SfcDataTool::getUnits(spec.getName())};
  std::string fmt = spec.getFormat();
  std::replace(fmt.begin(), fmt.end(), ':', ',');
  p.spec.setFormat(fmt.c_str());
  params_.push_back(p);
}

void StationModels::compute(const SfcData& s, StationModel& m) const
{
  Calc::Warnings warn;
  m.values.resize(params_.size());
  for (size_t k = 0; k < params_.size(); ++k) {
    Datum& d = m.values[k];
    const int done = compute_ ? compute_(s, params_[k].spec, d)
                              : SfcDataTool::compute(s, params_[k].spec, d, &warn);
    if (!done) continue;
    convertValues(d, params_[k].given, params_[k].spec.getUnits());
  }
}

int StationModels::read(SfcFile& file, SfcRaw& raw, const Domain& dom)
{
  models_.clear();
  file.rewind();
  int n = 0;
  for (SfcData s; file.read(s); s.init()) {
    ++n;
    if (!raw.getInfo(s)) continue;
    EarthPoint e(s.lat, s.lon);
    if (!dom.within(e)) continue;
    Point at;
    if (dom.tran(e, at)) place(s, at, raw.getPriority());
  }
  return n;
}

void StationModels::place(const SfcData& s, const Point& at, int priority)
{
  StationModel m{at, priority, {}};
  compute(s, m);
  models_.push_back(std::move(m));
}

void StationModels::keepInside(const Domain& dom, float halfWidth, float halfHeight)
{
  auto outside = [&](const StationModel& m) {
    for (float sx : {-1.0f, 1.0f})
      for (float sy : {-1.0f, 1.0f})
        if (!dom.within(Point(m.at.x + sx * halfWidth, m.at.y + sy * halfHeight))) return true;
    return false;
  };
  models_.erase(std::remove_if(models_.begin(), models_.end(), outside), models_.end());
}

void StationModels::thin(float width, float height)
{
  if (width <= 0 || height <= 0 || models_.size() < 2) return;
  std::stable_sort(
      models_.begin(), models_.end(),
      [](const StationModel& a, const StationModel& b) { return a.priority < b.priority; });
  // Kept models by cell of a width x height lattice: a conflict can only be in the 3 x 3 cells
  // around a station.
  auto cellOf = [&](const Point& p) {
    return std::make_pair(static_cast<long>(std::floor(p.x / width)),
                          static_cast<long>(std::floor(p.y / height)));
  };
  auto key = [](long i, long j) {
    return (static_cast<uint64_t>(i) << 32) ^ (static_cast<uint64_t>(j) & 0xFFFFFFFFu);
  };
  std::unordered_map<uint64_t, std::vector<Point>> kept;
  std::vector<StationModel> out;
  for (StationModel& m : models_) {
    const auto [ci, cj] = cellOf(m.at);
    bool clear = true;
    for (long i = ci - 1; i <= ci + 1 && clear; ++i)
      for (long j = cj - 1; j <= cj + 1 && clear; ++j) {
        auto it = kept.find(key(i, j));
        if (it == kept.end()) continue;
        for (const Point& p : it->second)
          if (std::fabs(p.x - m.at.x) < width && std::fabs(p.y - m.at.y) < height) clear = false;
      }
    if (!clear) continue;
    kept[key(ci, cj)].push_back(m.at);
    out.push_back(std::move(m));
  }
  models_ = std::move(out);
}

}  // namespace KOL::sfcplot
