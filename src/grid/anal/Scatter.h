// The weighted sums of successive correction, gathered row by row of the grid. The stations are
// kept in the order of their grid rows, so the stations that reach a row are one run of that
// order, and each station touches only the points within its radius of influence. The Gaussian
// weight is separable, exp(-(rx² + ry²)/k) = exp(-rx²/k)·exp(-ry²/k): a pass makes each
// station's column and row factors once, and a row's sums are plain multiply-adds over
// contiguous arrays.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace KOL::anal {

// The lattice in the units distances are measured in.
struct Lattice {
  int nx = 0, ny = 0;
  double dx = 1, dy = 1;
  double radius2 = 0;  // squared radius of influence
};

// One station at its fractional grid position.
struct Site {
  double x = 0, y = 0;
};

// Columns [begin, end) of a row.
struct Span {
  int begin = 0, end = 0;
};

// The sums along one grid row: of w·v and of w, and the count of values within the radius
// (only when asked for; empty otherwise). Outside the spans every sum is zero.
struct RowSums {
  std::vector<double> s, w;
  std::vector<int> n;
  std::vector<Span> spans;
};

// exp(-r2 / kappa); a filter that is not positive keeps only a station standing on the point.
double weight(double r2, double kappa);

class Scatter {
 public:
  // The sites in ascending order of y.
  Scatter(const Lattice& lat, const std::vector<Site>& sites);

  // For each row j in turn, the sums over the sites whose value (values[p] for sites[p]) is not
  // missing, handed to finish(j, sums) before the next row. Counts are made when count is set.
  void run(const std::vector<float>& values, double kappa, bool count,
           const std::function<void(int, const RowSums&)>& finish) const;

 private:
  // The lattice lines a site can reach, one more on each side than the radius needs; empty
  // ranges when it reaches none.
  struct Reach {
    int col0, col1, row0, row1;
  };
  // Columns [first, last] of one row within the radius of a site; empty when first > last.
  struct Cols {
    int first, last;
  };
  // A site with a value in this pass, and where its column and row factors start.
  struct Source {
    double value;
    Reach reach;
    size_t cols, rows, spans;
  };
  using Sources = std::vector<Source>;

  // The columns within the radius on every row a site reaches, appended to cols_.
  void addSpans(const Site& s, const Reach& r);
  Sources sources(const std::vector<float>& values, double kappa,
                  std::vector<double>& factors) const;
  void add(const Source& src, int j, const std::vector<double>& factors, bool count,
           std::vector<char>& blocks, RowSums& sums) const;
  static void takeSpans(int nx, std::vector<char>& blocks, std::vector<Span>& spans);
  static void clear(RowSums& sums);

  Lattice lat_;
  std::vector<Site> sites_;
  std::vector<Reach> reach_;
  std::vector<size_t> spanAt_;  // cols_[spanAt_[p] + j - row0] for site p and row j
  std::vector<Cols> cols_;
  size_t factorCount_ = 0;  // column and row factors of all sites together
};

}  // namespace KOL::anal
