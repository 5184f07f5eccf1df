// The station models of a run of plain parameters: one pass over a surface file places every
// report (SfcRaw) and computes each parameter of the run from it into a Datum, in the entry's
// units and with its drawing format; then models that would overprint a more important
// station's are dropped.
#pragma once

#include <utility>
#include <functional>
#include <vector>

#include "geo/Point.h"
#include "layers/VarSpec.h"
#include "obs/Datum.h"

namespace KOL {

class Domain;
class SfcData;
class SfcFile;
class SfcRaw;

namespace sfcplot {

struct StationModel {
  Point at;  // plot coordinates of the station
  int priority;
  std::vector<Datum> values;  // one per parameter of the run
};

// A datum's numbers from units to units (a wind's speed only); unknown units leave it alone.
void convertValues(Datum& d, const char* from, const char* to);

class StationModels {
 public:
  // How a parameter is computed from a report; the surface tools by default.
  using Compute = std::function<int(const SfcData& s, const VarSpec& spec, Datum& d)>;
  void setCompute(Compute f) { compute_ = std::move(f); }

  // A parameter of the run; its format's ":" become "," (the attribute notation's separator).
  void add(const VarSpec& spec);
  int getNumParams() const { return static_cast<int>(params_.size()); }

  // Rewinds the file and reads it once; keeps the reports placed inside the domain. The number
  // of reports read.
  int read(SfcFile& file, SfcRaw& raw, const Domain& dom);
  // A model made elsewhere (the soundings of an upper-air file), to be thinned with the others.
  void addModel(StationModel m) { models_.push_back(std::move(m)); }
  // Adds the model of one report at plot point at.
  void place(const SfcData& s, const Point& at, int priority);
  // Drops the models whose box of halfWidth and halfHeight about the station is not wholly
  // inside the domain, so that none is cut by the panel's edge.
  void keepInside(const Domain& dom, float halfWidth, float halfHeight);
  // Keeps a model only when no model of a station of higher priority (or read earlier, at
  // equal priority) lies within width across and height up or down; 0 turns thinning off.
  void thin(float width, float height);

  const std::vector<StationModel>& get() const { return models_; }

 private:
  struct Param {
    VarSpec spec;
    const char* given;  // the units the tool computes in; null for unknown names
  };
  void compute(const SfcData& s, StationModel& m) const;

  std::vector<Param> params_;
  std::vector<StationModel> models_;
  Compute compute_;
};

}  // namespace sfcplot
}  // namespace KOL
