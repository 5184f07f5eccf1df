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

using Table = std::vector<std::vector<float>>;  // [field][station], missing as MISS

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

// The stations the domain can place, in the order of their grid rows (so that the stations
// reaching a row are one run of them), with their rows in the data set.
struct Stations {
  std::vector<anal::Site> sites;
  std::vector<int> rows;
};

Stations placeStations(const Data& data, const Domain& dom)
{
  std::vector<std::pair<anal::Site, int>> placed;
  for (int st = 0; st < data.getCount(); st++) {
    EarthPoint e = data.getLoc(st);
    GridPoint g;
    if (dom.tran(e, g) && std::isfinite(g.x) && std::isfinite(g.y))
      placed.push_back({{g.x, g.y}, st});
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const auto& a, const auto& b) { return a.first.y < b.first.y; });
  Stations out;
  for (const auto& [site, st] : placed) {
    out.sites.push_back(site);
    out.rows.push_back(st);
  }
  return out;
}

// The valid observations of every field at the stations, [field][station], missing otherwise.
Table observations(const Data& data, const Stations& at)
{
  Table obs(size_t(data.getNumFields()), std::vector<float>(at.rows.size(), MISS));
  for (int k = 0; k < data.getNumFields(); k++) {
    if (data.getType(k) != Data::NUMERIC) continue;
    for (size_t p = 0; p < at.rows.size(); p++) {
      const float v = data.getValue(at.rows[p], k);
      if (valid(v)) obs[k][p] = v;
    }
  }
  return obs;
}

// The first pass's values: a missing observation is replaced by the background when one is set.
std::vector<float> withBackground(std::vector<float> values, float background)
{
  for (float& v : values)
    if (v == MISS) v = background;
  return values;
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

// Observation minus analysis at the stations, missing where either is. Each station is taken as
// soon as the rows around it are final, while they are still in cache.
class ResidualWalk {
 public:
  ResidualWalk(const std::vector<anal::Site>& sites, const std::vector<float>& obs,
               const Grid& grid, std::vector<float>& res)
      : sites_(sites), obs_(obs), grid_(grid), res_(res)
  {
    res_.assign(sites.size(), MISS);
  }
  // The stations whose interpolation needs no row after j.
  void upTo(int j)
  {
    const double last = grid_.getNy() - 1;
    for (; next_ < sites_.size(); next_++) {
      const anal::Site& s = sites_[next_];
      if (std::min(std::floor(s.y) + 1, last) > j) break;
      const float a = grid_.getValue(GridPoint(float(s.x), float(s.y)));
      const float o = obs_[next_];
      if (o != MISS && valid(a)) res_[next_] = o - a;
    }
  }

 private:
  const std::vector<anal::Site>& sites_;
  const std::vector<float>& obs_;
  const Grid& grid_;
  std::vector<float>& res_;
  size_t next_ = 0;
};

void reportRms(const Table& res, bool withCount)
{
  for (size_t k = 0; k < res.size(); k++) {
    double sum = 0;
    int n = 0;
    for (float r : res[k])
      if (r != MISS) {
        sum += double(r) * r;
        n++;
      }
    if (n == 0)
      Kol::outMessage(Kol::OUT8, "RMS Error for field %d: no stations\n", int(k));
    else if (withCount)
      Kol::outMessage(Kol::OUT8, "RMS Error for field %d: %f %d\n", int(k), std::sqrt(sum / n), n);
    else
      Kol::outMessage(Kol::OUT8, "RMS Error for field %d: %f\n", int(k), std::sqrt(sum / n));
  }
}

// Where the sums are zero a row holds fill; each span [begin, end) goes to write(begin, end).
template <class Write>
void writeRow(const anal::RowSums& sums, float fill, float* v, int nx, Write write)
{
  int at = 0;
  for (const anal::Span& sp : sums.spans) {
    std::fill(v + at, v + sp.begin, fill);
    write(sp.begin, sp.end);
    at = sp.end;
  }
  std::fill(v + at, v + nx, fill);
}

// The loops over a row's spans have no branch, so that they vectorise (a division that could
// trap is not made conditional): a quotient is taken everywhere, with 1 for a zero weight, and
// the points without a value are set missing by a select after it.

// Missing where fewer than minSta values were counted (when they were).
void dropUncounted(const anal::RowSums& sums, int extra, int minSta, int a, int b, float* v)
{
  if (sums.n.empty()) return;
  const int* n = sums.n.data();
  for (int i = a; i < b; i++) {
    const float x = v[i];
    v[i] = n[i] + extra >= minSta ? x : MISS;
  }
}

// The first pass's grid row: the weighted mean of the observations and the background, which
// alone fills the columns no station reached.
void firstRow(int j, const anal::RowSums& sums, float background, int minSta, Grid& g)
{
  const bool bg = background != MISS;
  const double bs = bg ? background : 0, bw = bg ? 1 : 0;
  const float alone = bg && minSta <= 1 ? background : MISS;
  const double* s = sums.s.data();
  const double* w = sums.w.data();
  float* v = g.getData() + size_t(j) * size_t(g.getNx());
  writeRow(sums, alone, v, g.getNx(), [&](int a, int b) {
    for (int i = a; i < b; i++) {
      const double wi = w[i] + bw;
      v[i] = float((s[i] + bs) / (wi + double(wi == 0)));
    }
    for (int i = a; i < b; i++) {
      const float x = v[i];
      v[i] = w[i] + bw != 0 ? x : MISS;
    }
    dropUncounted(sums, bg ? 1 : 0, minSta, a, b, v);
  });
}

// A later pass's grid row: the weighted mean of the residuals added where residuals reach;
// elsewhere nothing is left.
void correctRow(int j, const anal::RowSums& sums, int minSta, std::vector<float>& scratch, Grid& g)
{
  const double* s = sums.s.data();
  const double* w = sums.w.data();
  float* v = g.getData() + size_t(j) * size_t(g.getNx());
  scratch.resize(size_t(g.getNx()));
  float* t = scratch.data();
  writeRow(sums, MISS, v, g.getNx(), [&](int a, int b) {
    for (int i = a; i < b; i++) t[i] = float(v[i] + s[i] / (w[i] + double(w[i] == 0)));
    for (int i = a; i < b; i++) {
      const float x = t[i], old = v[i];
      v[i] = w[i] != 0 && old != MISS ? x : MISS;
    }
    dropUncounted(sums, 0, minSta, a, b, v);
  });
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
  const Stations stations = placeStations(data, dom);
  const Table obs = observations(data, stations);
  anal::Lattice lat;
  lat.nx = dom.nx;
  lat.ny = dom.ny;
  lat.dx = std::fabs(dom.dx);
  lat.dy = std::fabs(dom.dy);
  lat.radius2 = double(radInf_) * lat.dx * (double(radInf_) * lat.dx);
  prepareGrids(data, dom, grids);
  const size_t nf = obs.size();
  anal::Scatter scatter(lat, stations.sites);
  // Counts matter only when more than one value is needed: otherwise any weight is enough.
  const bool count = minSta_ > 1;
  Table res(nf);
  for (size_t k = 0; k < nf; k++) {
    Grid& g = grids.getGrid(int(k));
    ResidualWalk walk(stations.sites, obs[k], g, res[k]);
    scatter.run(withBackground(obs[k], background_), filter_, count,
                [&](int j, const anal::RowSums& sums) {
                  firstRow(j, sums, background_, minSta_, g);
                  walk.upTo(j);
                });
  }
  Kol::outMessage(Kol::OUT8, "Computing residuals...\n");
  reportRms(res, true);
  std::vector<float> scratch;
  for (int pass = 2; pass <= passes_; pass++) {
    Kol::outMessage(Kol::OUT8, "Pass: %d...\n", pass);
    filter_ *= converg_;
    for (size_t k = 0; k < nf; k++) {
      Grid& g = grids.getGrid(int(k));
      const std::vector<float> previous = std::move(res[k]);
      ResidualWalk walk(stations.sites, obs[k], g, res[k]);
      scatter.run(previous, filter_, count, [&](int j, const anal::RowSums& sums) {
        correctRow(j, sums, minSta_, scratch, g);
        walk.upTo(j);
      });
    }
    reportRms(res, false);
  }
  return 1;
}

void ObjectAnal::print() const
{
  std::printf("ObjectAnal: filter %.3f rad_inf %.3f pass %d conv %.3f min_sta %d miss %.3f\n",
              filter_, radInf_, passes_, converg_, minSta_, background_);
}

}  // namespace KOL
