#include "grid/anal/Scatter.h"

#include <algorithm>
#include <cmath>

#include "core/Const.h"

namespace KOL::anal {

namespace {

constexpr size_t AHEAD = 4;  // sources ahead whose run is fetched early

// The index range [lo, hi] of lattice lines within reach of a coordinate, one line wider on each
// side than the radius needs (the distance test decides); empty when lo > hi.
void reach(double at, double half, int n, int& lo, int& hi)
{
  double a = std::floor(at - half), b = std::ceil(at + half);
  lo = a < 0 ? 0 : a > n ? n : int(a);
  hi = b > n - 1 ? n - 1 : b < -1 ? -1 : int(b);
}

// The weight factors exp(-((i - at)·step)²/kappa) of the lines i = first .. last into out.
// Outward from the line nearest the station each factor is the one before times a ratio that
// shrinks by the constant exp(-2·step²/kappa) per line, so a station costs three exponentials
// per axis instead of one per line; every exponent is <= 0, so nothing can overflow.
void factors(double at, int first, int last, double step, double kappa, double shrink, double* out)
{
  const double c = kappa > 0 ? step * step / kappa : 0;
  if (!(kappa > 0) || !std::isfinite(c)) {
    for (int i = first; i <= last; i++) {
      const double r = (at - i) * step;
      out[i - first] = weight(r * r, kappa);
    }
    return;
  }
  const int mid = int(std::clamp(std::floor(at + 0.5), double(first), double(last)));
  const double u = mid - at;
  const double r0 = u * step;
  const double peak = std::exp(-(r0 * r0) / kappa);
  out[mid - first] = peak;
  double w = peak, ratio = std::exp(-(2 * u + 1) * c);
  for (int i = mid + 1; i <= last; i++, ratio *= shrink) out[i - first] = w *= ratio;
  w = peak;
  ratio = std::exp(-(1 - 2 * u) * c);
  for (int i = mid - 1; i >= first; i--, ratio *= shrink) out[i - first] = w *= ratio;
}

// One station's terms along a row. The arrays never overlap, which the compiler is told so that
// the loop vectorises without run-time overlap checks. The weight is rounded once and both sums
// take that one number, as a point-by-point sum does: where weights are too small for full
// precision, a lone station's mean then stays near its value instead of taking on the two sums'
// different roundings.
inline void accumulate(double* __restrict s, double* __restrict w, const double* __restrict wx,
                       int len, double wy, double v)
{
  for (int t = 0; t < len; t++) {
    const double wt = wy * wx[t];
    s[t] += wt * v;
    w[t] += wt;
  }
}

inline void countIn(int* n, int len)
{
  for (int t = 0; t < len; t++) n[t]++;
}

}  // namespace

double weight(double r2, double kappa)
{
  if (kappa > 0) return std::exp(-r2 / kappa);
  return r2 == 0 ? 1.0 : 0.0;
}

Scatter::Scatter(const Lattice& lat, const std::vector<Site>& sites)
    : lat_(lat), sites_(sites), reach_(sites.size()), runAt_(sites.size())
{
  const double radius = std::sqrt(lat_.radius2);
  size_t rows = 0;
  for (size_t p = 0; p < sites_.size(); p++) {
    Reach& r = reach_[p];
    reach(sites_[p].x, radius / lat_.dx, lat_.nx, r.col0, r.col1);
    reach(sites_[p].y, radius / lat_.dy, lat_.ny, r.row0, r.row1);
    runAt_[p] = rows;
    rows += size_t(std::max(0, r.row1 - r.row0 + 1));
    colCount_ += size_t(std::max(0, r.col1 - r.col0 + 1));
  }
  runs_.reserve(rows);
  for (size_t p = 0; p < sites_.size(); p++) addRuns(sites_[p], reach_[p]);
  // Blocks of columns at least as wide as the widest run.
  int widest = 1;
  for (const Run& c : runs_) widest = std::max(widest, c.last - c.first + 1);
  while ((1 << blockShift_) < widest) blockShift_++;
}

void Scatter::addRuns(const Site& s, const Reach& r)
{
  // The same distance test as a point-by-point loop makes, so that the edge of the circle is
  // where such a loop puts it. The columns inside are a run around the column nearest the site;
  // from row to row the run only grows while the rows come nearer the site, and only shrinks
  // after.
  const int mid = int(std::clamp(std::floor(s.x + 0.5), double(r.col0), double(r.col1)));
  Run run{mid, mid, 0.0};
  double before = HUGE_VAL;
  for (int j = r.row0; j <= r.row1; j++) {
    const double ry = (s.y - j) * lat_.dy;
    const double ry2 = ry * ry;
    auto inside = [&](int i) {
      const double rx = (s.x - i) * lat_.dx;
      return rx * rx + ry2 <= lat_.radius2;
    };
    if (r.col0 > r.col1 || !inside(mid)) {
      runs_.push_back({1, 0, 0.0});
      continue;
    }
    if (ry2 <= before) {
      while (run.first > r.col0 && inside(run.first - 1)) run.first--;
      while (run.last < r.col1 && inside(run.last + 1)) run.last++;
    } else {
      while (!inside(run.first)) run.first++;
      while (!inside(run.last)) run.last--;
    }
    before = ry2;
    runs_.push_back(run);
  }
}

Scatter::Sources Scatter::sources(const std::vector<float>& values, double kappa,
                                  std::vector<double>& cols)
{
  const double shrinkX = kappa > 0 ? std::exp(-2 * lat_.dx * lat_.dx / kappa) : 0;
  const double shrinkY = kappa > 0 ? std::exp(-2 * lat_.dy * lat_.dy / kappa) : 0;
  Sources out;
  out.reserve(sites_.size());
  cols.clear();
  cols.reserve(colCount_);
  std::vector<double> rows;
  for (size_t p = 0; p < sites_.size(); p++) {
    const Reach& r = reach_[p];
    if (values[p] == Const::FMISS || r.col0 > r.col1 || r.row0 > r.row1) continue;
    const Site& s = sites_[p];
    out.push_back({values[p], r, runAt_[p], cols.size()});
    cols.resize(cols.size() + size_t(r.col1 - r.col0 + 1));
    factors(s.x, r.col0, r.col1, lat_.dx, kappa, shrinkX, cols.data() + out.back().cols);
    rows.resize(size_t(r.row1 - r.row0 + 1));
    factors(s.y, r.row0, r.row1, lat_.dy, kappa, shrinkY, rows.data());
    for (size_t k = 0; k < rows.size(); k++) runs_[runAt_[p] + k].wy = rows[k];
  }
  return out;
}

void Scatter::addRow(const Sources& src, size_t lo, size_t hi, int j,
                     const std::vector<double>& cols, std::vector<char>& blocks,
                     RowSums& sums) const
{
  // Plain pointers, so that the block flags written in the loop cannot be taken to change them.
  const Source* sp = src.data();
  const Run* runs = runs_.data();
  const double* wx = cols.data();
  double* s = sums.s.data();
  double* w = sums.w.data();
  int* n = sums.n.empty() ? nullptr : sums.n.data();
  char* touched = blocks.data();
  const int shift = blockShift_;
  for (size_t p = lo; p < hi; p++) {
    // The runs of the sources in the window do not stay in the first-level cache from row to
    // row; asking early for a later source's run hides the wait.
    if (p + AHEAD < hi)
      __builtin_prefetch(runs + sp[p + AHEAD].runs + size_t(j - sp[p + AHEAD].reach.row0));
    const Source& at = sp[p];
    const Run c = runs[at.runs + size_t(j - at.reach.row0)];
    if (c.first > c.last) continue;
    const int len = c.last - c.first + 1;
    accumulate(s + c.first, w + c.first, wx + at.cols + size_t(c.first - at.reach.col0), len, c.wy,
               at.value);
    if (n) countIn(n + c.first, len);
    // No run is longer than a block: its first and last blocks are all it touches.
    touched[c.first >> shift] = touched[c.last >> shift] = 1;
  }
}

void Scatter::takeSpans(std::vector<char>& blocks, std::vector<Span>& spans) const
{
  spans.clear();
  const int nb = int(blocks.size());
  for (int b = 0; b < nb; b++) {
    if (!blocks[b]) continue;
    int e = b;
    while (e < nb && blocks[e]) blocks[e++] = 0;
    spans.push_back({b << blockShift_, std::min(lat_.nx, e << blockShift_)});
    b = e;
  }
}

void Scatter::clear(RowSums& sums)
{
  for (const Span& sp : sums.spans) {
    std::fill(sums.s.begin() + sp.begin, sums.s.begin() + sp.end, 0.0);
    std::fill(sums.w.begin() + sp.begin, sums.w.begin() + sp.end, 0.0);
    if (!sums.n.empty()) std::fill(sums.n.begin() + sp.begin, sums.n.begin() + sp.end, 0);
  }
}

void Scatter::run(const std::vector<float>& values, double kappa, bool count,
                  const std::function<void(int, const RowSums&)>& finish)
{
  std::vector<double> cols;
  const Sources src = sources(values, kappa, cols);
  RowSums sums;
  sums.s.assign(size_t(lat_.nx), 0.0);
  sums.w.assign(size_t(lat_.nx), 0.0);
  if (count) sums.n.assign(size_t(lat_.nx), 0);
  std::vector<char> blocks(size_t(lat_.nx >> blockShift_) + 1, 0);
  // The sources reaching row j are src[lo, hi): both ends only move forward, as reaches grow
  // with y.
  size_t lo = 0, hi = 0;
  for (int j = 0; j < lat_.ny; j++) {
    while (hi < src.size() && src[hi].reach.row0 <= j) hi++;
    while (lo < hi && src[lo].reach.row1 < j) lo++;
    addRow(src, lo, hi, j, cols, blocks, sums);
    takeSpans(blocks, sums.spans);
    finish(j, sums);
    clear(sums);
  }
}

}  // namespace KOL::anal
