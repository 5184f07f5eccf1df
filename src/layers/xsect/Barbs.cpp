#include "layers/xsect/Barbs.h"

#include "graphics/Plot.h"
#include "graphics/WindPlot.h"
#include "layers/xsect/Section.h"
#include "obs/UpaData.h"
#include "obs/VCoord.h"

namespace KOL::xsect {

namespace {

// Barbs this share of the section's height long.
constexpr float BARB_LENGTH = 0.06f;
constexpr float LEVELS[] = {1000, 925, 850, 700, 500, 400, 300, 250, 200, 150, 100};

}  // namespace

int drawBarbs(Plot& plot, const Section& s, const UpaData& snd, float x)
{
  WindPlot barbs;
  const float length = BARB_LENGTH * plot.getVert();
  plot.setLine();
  int n = 0;
  for (float p : LEVELS) {
    UpaLevel l;
    Point at;
    EarthPoint e(s.x(x), p);
    if (p > s.bottom || p < s.top || snd.interp(VCoord::PRESSURE, p, l) != 1 || !l.validWind() ||
        !plot.getDomain().tran(e, at))
      continue;
    n += l.spd > 0 ? barbs.drawBarb(plot, at, l.dir, l.spd, length, 0)
                   : barbs.drawCalm(plot, at, length / 5);
  }
  return n;
}

}  // namespace KOL::xsect
