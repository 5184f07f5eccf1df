#include "layers/sfcplot/GrossErrors.h"

#include <cmath>
#include <vector>

#include "core/Const.h"
#include "geo/GridPoint.h"
#include "grid/Grids.h"
#include "obs/Data.h"

namespace KOL::sfcplot {

int dropGrossErrors(Data& data, const Grids& grids, float factor)
{
  int dropped = 0;
  const int fields = std::min(data.getNumFields(), grids.getNum());
  for (int k = 0; k < fields; ++k) {
    if (!grids.isSet(k)) continue;
    const Grid& g = grids.getGrid(k);
    std::vector<float> residual(data.getCount(), Const::FMISS);
    double sum = 0;
    int n = 0;
    for (int row = 0; row < data.getCount(); ++row) {
      const float obs = data.getValue(row, k);
      EarthPoint e = data.getLoc(row);
      const float anal = Const::isMiss(obs) ? Const::FMISS : g.getValue(e);
      if (Const::isMiss(anal)) continue;
      residual[row] = obs - anal;
      sum += static_cast<double>(residual[row]) * residual[row];
      ++n;
    }
    if (n < 2) continue;
    const double limit = factor * std::sqrt(sum / n);
    for (int row = 0; row < data.getCount(); ++row)
      if (!Const::isMiss(residual[row]) && std::fabs(residual[row]) > limit) {
        data.setValue(row, k, Const::FMISS);
        ++dropped;
      }
  }
  return dropped;
}

}  // namespace KOL::sfcplot
