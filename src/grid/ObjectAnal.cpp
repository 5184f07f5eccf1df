#include "grid/ObjectAnal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/String.h"
#include "core/Timezone.h"
#include "geo/Domain.h"
#include "grid/Grid.h"
#include "grid/Grids.h"
#include "grid/anal/Scatter.h"
#include "obs/Data.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;

using Table = std::vector<std::vector<float>>;  // [station][field]

bool valid(float v) { return v != MISS && std::isfinite(v); }

// The value of one word "key=value" (any one separator character), or null.
const char* valueOf(std::string_view word, std::string_view key)
{
  if (word.size() <= key.size() + 1 || word.substr(0, key.size()) != key) return nullptr;
  return word.data() + key.size() + 1;
}

void report(const Data& data, const ObjectAnal& oa)
{
  Kol::outMessage(Kol::OUT8, "Objective analysis\n");
  for (int k = 0; k < data.getNumFields(); k++)
    Kol::outMessage(Kol::OUT8, "Data field: %s\n", data.getInfo(k));
  Kol::outMessage(Kol::OUT8, "Number of stations: %d\n", data.getCount());
  Kol::outMessage(Kol::OUT8, "Filter parameter: %.3f\n", oa.getFilter());
  Kol::outMessage(Kol::OUT8, "Radius of influence: %.3f\n", oa.getRadInf());
  Kol::outMessage(Kol::OUT8, "Number of passes: %d\n", oa.getNumPass());
  Kol::outMessage(Kol::OUT8, "Convergence factor: %.3f\n", oa.getConverg());
  Kol::outMessage(Kol::OUT8, "Min stations per gridpoint: %d\n", oa.getMinSta());
}

// Station grid positions; a station the domain cannot place gets no values at all.
std::vector<anal::Site> placeStations(const Data& data, const Domain& dom, Table& obs)
{
  std::vector<anal::Site> sites(data.getCount());
  for (int st = 0; st < data.getCount(); st++) {
    EarthPoint e = data.getLoc(st);
    GridPoint g;
    if (dom.tran(e, g) && std::isfinite(g.x) && std::isfinite(g.y))
      sites[st] = {g.x, g.y};
    else
      std::fill(obs[st].begin(), obs[st].end(), MISS);
  }
  return sites;
}

// Observations per station and field, a missing one replaced by the background when set.
Table observations(const Data& data, float background)
{
  Table obs(data.getCount(), std::vector<float>(data.getNumFields(), MISS));
  for (int st = 0; st < data.getCount(); st++)
    for (int k = 0; k < data.getNumFields(); k++) {
      float v = data.getType(k) == Data::NUMERIC ? data.getValue(st, k) : MISS;
      obs[st][k] = valid(v) ? v : background;
    }
  return obs;
}

// One empty grid per field on the domain, described as its field.
void prepareGrids(const Data& data, const Domain& dom, Grids& grids)
{
  const int nf = data.getNumFields();
  if (grids.getSize() < nf) grids.resize(nf);
  if (grids.getNum() < nf) grids.setNum(nf);
  String label;
  DateTool::createLabel(data.getSource()[0] ? data.getSource() : "KOL", data.getDate(), Timezone(),
                        0, label);
  for (int k = 0; k < nf; k++) {
    Grid g;
    g.setDomain(dom);
    g.allocData();
    if (const VarSpec* spec = data.getVarSpec(k)) g.setVarSpec(*spec);
    g.setInfo(data.getInfo(k));
    g.setDate(data.getDate());
    g.setDatim(label.get());
    grids.setGrid(k, g);
  }
}

// Observation minus analysis at every station, missing where either is.
Table residuals(const Data& data, const std::vector<anal::Site>& sites, const Grids& grids)
{
  Table res(sites.size(), std::vector<float>(data.getNumFields(), MISS));
  for (size_t st = 0; st < sites.size(); st++)
    for (int k = 0; k < data.getNumFields(); k++) {
      const float o = data.getType(k) == Data::NUMERIC ? data.getValue(int(st), k) : MISS;
      const float a = grids.getValue(k, GridPoint(float(sites[st].x), float(sites[st].y)));
      if (valid(o) && valid(a)) res[st][k] = o - a;
    }
  return res;
}

void reportRms(const Table& res, int fields, bool withCount)
{
  for (int k = 0; k < fields; k++) {
    double sum = 0;
    int n = 0;
    for (const auto& r : res)
      if (r[k] != MISS) {
        sum += double(r[k]) * r[k];
        n++;
      }
    if (n == 0)
      Kol::outMessage(Kol::OUT8, "RMS Error for field %d: no stations\n", k);
    else if (withCount)
      Kol::outMessage(Kol::OUT8, "RMS Error for field %d: %f %d\n", k, std::sqrt(sum / n), n);
    else
      Kol::outMessage(Kol::OUT8, "RMS Error for field %d: %f\n", k, std::sqrt(sum / n));
  }
}

// Grid values from the sums: the weighted mean, or the correction added in later passes.
void store(const std::vector<anal::Sums>& sums, int minSta, bool correct, Grids& grids)
{
  for (size_t k = 0; k < sums.size(); k++) {
    float* v = grids.getGrid(int(k)).getData();
    const anal::Sums& s = sums[k];
    for (size_t p = 0; p < s.s.size(); p++) {
      const bool enough = s.w[p] != 0 && s.n[p] >= minSta;
      if (!correct)
        v[p] = enough ? float(s.s[p] / s.w[p]) : MISS;
      else
        v[p] = enough && v[p] != MISS ? float(v[p] + s.s[p] / s.w[p]) : MISS;
    }
  }
}

}  // namespace

ObjectAnal::ObjectAnal(const char* text)
{
  init();
  set(text);
}

void ObjectAnal::init()
{
  filter_ = FILTER;
  radInf_ = RAD_INF;
  passes_ = PASSES;
  converg_ = CONVERG;
  minSta_ = MIN_STA;
  background_ = MISS;
  const char* resource = Kol::resrc.get("object_param");
  if (resource && *resource) set(resource);
}

void ObjectAnal::set(float filter, float radInf, int passes, float converg)
{
  setFilter(filter);
  setRadInf(radInf);
  setNumPass(passes);
  setConverg(converg);
}

int ObjectAnal::set(const char* text)
{
  if (!text) return 0;
  float filter, radInf, converg;
  int passes, minSta;
  int n = std::sscanf(text, "%f,%f,%d,%f,%d", &filter, &radInf, &passes, &converg, &minSta);
  if (n >= 1) setFilter(filter);
  if (n >= 2) setRadInf(radInf);
  if (n >= 3) setNumPass(passes);
  if (n >= 4) setConverg(converg);
  if (n >= 5) setMinSta(minSta);
  return n >= 1;
}

int ObjectAnal::setParam(const char* text)
{
  if (!text) return 0;
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t comma = rest.find(',');
    std::string word(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (const char* v = valueOf(word, "filter"))
      filter_ = std::strtof(v, nullptr);
    else if ((v = valueOf(word, "rad_inf")))
      radInf_ = std::strtof(v, nullptr);
    else if ((v = valueOf(word, "pass")))
      passes_ = std::atoi(v);
    else if ((v = valueOf(word, "conv")))
      converg_ = std::strtof(v, nullptr);
    else if ((v = valueOf(word, "min_sta")))
      minSta_ = std::atoi(v);
    else if ((v = valueOf(word, "miss")))
      background_ = std::strtof(v, nullptr);
    else if ((v = valueOf(word, "oa"))) {
      // The five values separated by ':', or by commas running on into the following words.
      std::string values(v);
      if (values.find(':') == std::string::npos && !rest.empty()) {
        values += "," + std::string(rest);
        rest = {};
      }
      for (char& c : values)
        if (c == ':') c = ',';
      set(values.c_str());
    }
  }
  return 1;
}

int ObjectAnal::compute(const Data& data, Grids& grids)
{
  report(data, *this);
  const Domain dom = grids.getDomain(0);
  if (grids.getNum() < 1 || dom.proj == Const::MISS || dom.nx < 1 || dom.ny < 1) {
    Kol::outWarning("ObjectAnal: no domain to analyse onto\n");
    return 0;
  }
  Table obs = observations(data, background_);
  const std::vector<anal::Site> sites = placeStations(data, dom, obs);
  anal::Lattice lat;
  lat.nx = dom.nx;
  lat.ny = dom.ny;
  lat.dx = std::fabs(dom.dx);
  lat.dy = std::fabs(dom.dy);
  lat.radius2 = double(radInf_) * lat.dx * (double(radInf_) * lat.dx);
  prepareGrids(data, dom, grids);
  const int nf = data.getNumFields();
  std::vector<anal::Sums> sums(nf);
  const bool bg = background_ != MISS;
  for (auto& s : sums) s.reset(lat.points(), bg ? background_ : 0, bg ? 1 : 0, bg ? 1 : 0);
  anal::scatter(lat, sites, obs, filter_, sums);
  store(sums, minSta_, false, grids);
  Kol::outMessage(Kol::OUT8, "Computing residuals...\n");
  Table res = residuals(data, sites, grids);
  reportRms(res, nf, true);
  for (int pass = 2; pass <= passes_; pass++) {
    Kol::outMessage(Kol::OUT8, "Pass: %d...\n", pass);
    filter_ *= converg_;
    for (auto& s : sums) s.reset(lat.points(), 0, 0, 0);
    anal::scatter(lat, sites, res, filter_, sums);
    store(sums, minSta_, true, grids);
    res = residuals(data, sites, grids);
    reportRms(res, nf, false);
  }
  return 1;
}

void ObjectAnal::print() const
{
  std::printf("ObjectAnal: filter %.3f rad_inf %.3f pass %d conv %.3f min_sta %d miss %.3f\n",
              filter_, radInf_, passes_, converg_, minSta_, background_);
}

}  // namespace KOL
