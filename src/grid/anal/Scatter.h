// The weighted sums of successive correction, gathered row by row of the grid: stations are
// indexed by the rows within their radius of influence, so each grid row meets only the stations
// that reach it and each station only the points within its radius. The Gaussian weight is
// separable, exp(-(rx² + ry²)/k) = exp(-rx²/k)·exp(-ry²/k), so a station needs one exponential
// per column and per row of its reach rather than one per point.
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

// Sums of every field along one grid row: field k's sums of w·v and w, the count of values, and
// the columns that any value reached (all other columns hold zeros).
struct RowSums {
  std::vector<std::vector<double>> s, w;
  std::vector<std::vector<int>> n;
  std::vector<std::vector<int>> touched;
};

using Table = std::vector<std::vector<float>>;  // [station][field], missing as Const::FMISS

// exp(-r2 / kappa); a filter that is not positive keeps only a station standing on the point.
double weight(double r2, double kappa);

class Scatter {
 public:
  Scatter(const Lattice& lat, const std::vector<Site>& sites);
  // For each row j in turn, the sums over the stations within the radius of every point of the
  // row, handed to finish(j, sums) before the next row.
  void run(const Table& values, int fields, double kappa,
           const std::function<void(int, const RowSums&)>& finish) const;

 private:
  // Columns [first, last] a station can reach, or an empty range.
  void columns(const Site& s, int& first, int& last) const;
  void addStation(int st, int j, const Table& values, const std::vector<double>& colWeights,
                  size_t colStart, double kappa, RowSums& sums) const;

  Lattice lat_;
  std::vector<Site> sites_;
  std::vector<size_t> rowStart_;  // stations reaching row j: rowStations_[rowStart_[j] ...]
  std::vector<int> rowStations_;
};

}  // namespace KOL::anal
