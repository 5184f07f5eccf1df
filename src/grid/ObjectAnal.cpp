#include "grid/ObjectAnal.h"

#include <algorithm>
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

using anal::Table;

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
    if (const VarSpec* spec = data.getVarSpec(k)) g.setVarSpec(*spec);
    g.setInfo(data.getInfo(k));
    g.setDate(data.getDate());
    g.setDatim(label.get());
    // Values are made in place: the list would copy them.
    grids.setGrid(k, g);
    grids.getGrid(k).allocData();
  }
}

// Observation minus analysis at every station, missing where either is.
// Stations in the order of their grid rows, so that interpolating at them walks the grid once.
std::vector<size_t> rowOrder(const std::vector<anal::Site>& sites)
{
  std::vector<size_t> order(sites.size());
  for (size_t st = 0; st < order.size(); st++) order[st] = st;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return sites[a].y < sites[b].y; });
  return order;
}

Table residuals(const Data& data, const std::vector<anal::Site>& sites,
                const std::vector<size_t>& order, const Grids& grids)
{
  Table res(sites.size(), std::vector<float>(data.getNumFields(), MISS));
  for (size_t st : order)
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

// The first pass's grid row: the weighted mean of the observations (and the background, which
// alone fills the columns no station reached).
void firstRow(int j, const anal::RowSums& sums, float background, int minSta, Grids& grids)
{
  const bool bg = background != MISS;
  const float alone = bg && minSta <= 1 ? background : MISS;
  for (size_t k = 0; k < sums.s.size(); k++) {
    Grid& g = grids.getGrid(int(k));
    float* v = g.getData() + size_t(j) * g.getNx();
    std::fill(v, v + g.getNx(), alone);
    for (int i : sums.touched[k]) {
      const double s = sums.s[k][i] + (bg ? background : 0);
      const double w = sums.w[k][i] + (bg ? 1 : 0);
      const int n = sums.n[k][i] + (bg ? 1 : 0);
      v[i] = w != 0 && n >= minSta ? float(s / w) : MISS;
    }
  }
}

// A later pass's grid row: the weighted mean of the residuals added where residuals reach;
// elsewhere nothing is left.
void correctRow(int j, const anal::RowSums& sums, int minSta, std::vector<float>& corrected,
                Grids& grids)
{
  for (size_t k = 0; k < sums.s.size(); k++) {
    Grid& g = grids.getGrid(int(k));
    float* v = g.getData() + size_t(j) * g.getNx();
    const size_t nx = size_t(g.getNx());
    corrected.resize(sums.touched[k].size());
    for (size_t t = 0; t < corrected.size(); t++) {
      const int i = sums.touched[k][t];
      const double w = sums.w[k][i];
      const bool ok = w != 0 && sums.n[k][i] >= minSta && v[i] != MISS;
      corrected[t] = ok ? float(v[i] + sums.s[k][i] / w) : MISS;
    }
    std::fill(v, v + nx, MISS);
    for (size_t t = 0; t < corrected.size(); t++) v[sums.touched[k][t]] = corrected[t];
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
  const anal::Scatter scatter(lat, sites);
  scatter.run(obs, nf, filter_, [&](int j, const anal::RowSums& sums) {
    firstRow(j, sums, background_, minSta_, grids);
  });
  Kol::outMessage(Kol::OUT8, "Computing residuals...\n");
  const std::vector<size_t> order = rowOrder(sites);
  Table res = residuals(data, sites, order, grids);
  reportRms(res, nf, true);
  std::vector<float> scratch;
  for (int pass = 2; pass <= passes_; pass++) {
    Kol::outMessage(Kol::OUT8, "Pass: %d...\n", pass);
    filter_ *= converg_;
    scatter.run(res, nf, filter_, [&](int j, const anal::RowSums& sums) {
      correctRow(j, sums, minSta_, scratch, grids);
    });
    res = residuals(data, sites, order, grids);
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
