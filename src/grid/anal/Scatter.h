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
  // Each run rewrites the row factors kept with the runs.
  void run(const std::vector<float>& values, double kappa, bool count,
           const std::function<void(int, const RowSums&)>& finish);

 private:
  // The lattice lines a site can reach, one more on each side than the radius needs; empty
  // ranges when it reaches none.
  struct Reach {
    int col0, col1, row0, row1;
  };
  // The columns [first, last] of one row within the radius of a site (empty when first > last),
  // with the site's row factor in the current pass beside them: the sweep reads them together.
  struct Run {
    int first, last;
    double wy;
  };
  // A site with a value in this pass: its value, its runs and its column factors.
  struct Source {
    double value;
    Reach reach;
    size_t runs, cols;
  };
  using Sources = std::vector<Source>;

  // The runs of every row a site reaches, appended to runs_.
  void addRuns(const Site& s, const Reach& r);
  // The sites with a value, their column factors into cols and their row factors into runs_.
  Sources sources(const std::vector<float>& values, double kappa, std::vector<double>& cols);
  // The terms of the sources src[lo, hi) on row j, and the blocks of columns they touched.
  void addRow(const Sources& src, size_t lo, size_t hi, int j, const std::vector<double>& cols,
              std::vector<char>& blocks, RowSums& sums) const;
  // The touched blocks as spans, and the blocks cleared.
  void takeSpans(std::vector<char>& blocks, std::vector<Span>& spans) const;
  static void clear(RowSums& sums);

  Lattice lat_;
  std::vector<Site> sites_;
  std::vector<Reach> reach_;
  std::vector<size_t> runAt_;  // runs_[runAt_[p] + j - row0] for site p and row j
  std::vector<Run> runs_;
  size_t colCount_ = 0;  // column factors of all sites together
  int blockShift_ = 4;   // log2 of the columns per block of a row's touched blocks
};

}  // namespace KOL::anal
