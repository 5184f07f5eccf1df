#include "grid/anal/Scatter.h"

#include <algorithm>
#include <cmath>

#include "core/Const.h"

namespace KOL::anal {

namespace {

// The index range [lo, hi] of lattice lines within reach of a coordinate, one line wider on each
// side than the radius needs (the distance test decides); empty when lo > hi.
void reach(double at, double half, int n, int& lo, int& hi)
{
  double a = std::floor(at - half), b = std::ceil(at + half);
  lo = a < 0 ? 0 : a > n ? n : int(a);
  hi = b > n - 1 ? n - 1 : b < -1 ? -1 : int(b);
}

bool anyValue(const std::vector<float>& v)
{
  return std::any_of(v.begin(), v.end(), [](float x) { return x != Const::FMISS; });
}

}  // namespace

double weight(double r2, double kappa)
{
  if (kappa > 0) return std::exp(-r2 / kappa);
  return r2 == 0 ? 1.0 : 0.0;
}

Scatter::Scatter(const Lattice& lat, const std::vector<Site>& sites) : lat_(lat), sites_(sites)
{
  // Stations by the rows they reach, counted first and then filled in place.
  const double half = std::sqrt(lat_.radius2) / lat_.dy;
  std::vector<size_t> count(size_t(lat_.ny) + 1, 0);
  for (const Site& s : sites_) {
    int lo, hi;
    reach(s.y, half, lat_.ny, lo, hi);
    for (int j = lo; j <= hi; j++) count[j + 1]++;
  }
  rowStart_.assign(size_t(lat_.ny) + 1, 0);
  for (int j = 0; j < lat_.ny; j++) rowStart_[j + 1] = rowStart_[j] + count[j + 1];
  rowStations_.resize(rowStart_[lat_.ny]);
  std::vector<size_t> fill(rowStart_.begin(), rowStart_.end() - 1);
  for (size_t st = 0; st < sites_.size(); st++) {
    int lo, hi;
    reach(sites_[st].y, half, lat_.ny, lo, hi);
    for (int j = lo; j <= hi; j++) rowStations_[fill[j]++] = int(st);
  }
}

void Scatter::columns(const Site& s, int& first, int& last) const
{
  reach(s.x, std::sqrt(lat_.radius2) / lat_.dx, lat_.nx, first, last);
}

void Scatter::addStation(int st, int j, const Table& values, const std::vector<double>& colWeights,
                         size_t colStart, double kappa, RowSums& sums) const
{
  const Site& s = sites_[st];
  const double ry = (s.y - j) * lat_.dy;
  const double ry2 = ry * ry;
  if (ry2 > lat_.radius2) return;
  const double wy = weight(ry2, kappa);
  int first, last;
  columns(s, first, last);
  if (first > last) return;
  const std::vector<float>& v = values[st];
  const double* cw = colWeights.data() + colStart;
  // Field by field, so that the inner loop runs over one row's arrays.
  for (size_t k = 0; k < v.size(); k++) {
    if (v[k] == Const::FMISS) continue;
    const double value = v[k];
    double* sk = sums.s[k].data();
    double* wk = sums.w[k].data();
    int* nk = sums.n[k].data();
    std::vector<int>& tk = sums.touched[k];
    for (int i = first; i <= last; i++) {
      const double rx = (s.x - i) * lat_.dx;
      if (rx * rx + ry2 > lat_.radius2) continue;
      const double w = wy * cw[i - first];
      sk[i] += w * value;
      wk[i] += w;
      if (nk[i]++ == 0) tk.push_back(i);
    }
  }
}

void Scatter::run(const Table& values, int fields, double kappa,
                  const std::function<void(int, const RowSums&)>& finish) const
{
  // The column weights of every station, computed once per pass.
  std::vector<size_t> colStart(sites_.size() + 1, 0);
  std::vector<double> colWeights;
  for (size_t st = 0; st < sites_.size(); st++) {
    int first, last;
    columns(sites_[st], first, last);
    for (int i = first; i <= last; i++) {
      const double rx = (sites_[st].x - i) * lat_.dx;
      colWeights.push_back(weight(rx * rx, kappa));
    }
    colStart[st + 1] = colWeights.size();
  }
  std::vector<char> active(sites_.size());
  for (size_t st = 0; st < sites_.size(); st++) active[st] = anyValue(values[st]);
  RowSums sums;
  sums.s.assign(fields, std::vector<double>(lat_.nx));
  sums.w.assign(fields, std::vector<double>(lat_.nx));
  sums.n.assign(fields, std::vector<int>(lat_.nx));
  sums.touched.assign(fields, {});
  for (int j = 0; j < lat_.ny; j++) {
    for (size_t r = rowStart_[j]; r < rowStart_[j + 1]; r++) {
      const int st = rowStations_[r];
      if (active[st]) addStation(st, j, values, colWeights, colStart[st], kappa, sums);
    }
    finish(j, sums);
    for (int k = 0; k < fields; k++) {
      for (int i : sums.touched[k]) {
        sums.s[k][i] = sums.w[k][i] = 0;
        sums.n[k][i] = 0;
      }
      sums.touched[k].clear();
    }
  }
}

}  // namespace KOL::anal
