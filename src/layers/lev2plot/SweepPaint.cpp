#include "layers/lev2plot/SweepPaint.h"

#include <algorithm>
#include <cmath>

#include "geo/GridPoint.h"
#include "imagery/Image.h"

namespace KOL::lev2plot {

namespace {

constexpr int BINS_PER_DEGREE = 10;
constexpr int BINS = 360 * BINS_PER_DEGREE;
constexpr double MAX_RANGE_M = 2.0e6;

// The radial covering each tenth of a degree of azimuth; -1 where none does. A radial covers
// half the cut's mean spacing either side of its azimuth.
std::vector<int> radialTable(const Lev2Data& d)
{
  std::vector<int> table(BINS, -1);
  const int n = d.getNumRadials();
  if (n == 0) return table;
  const float half = 180.0f / n + 0.05f;
  for (int j = 0; j < n; ++j) {
    const float az = d.getRadial(j).azimuth;
    if (!(az >= 0.0f && az <= 360.0f)) continue;  // a damaged radial
    const int from = static_cast<int>(std::floor((az - half) * BINS_PER_DEGREE));
    const int to = static_cast<int>(std::ceil((az + half) * BINS_PER_DEGREE));
    for (int b = from; b < to; ++b) table[((b % BINS) + BINS) % BINS] = j;
  }
  return table;
}

struct Prepared {
  SweepSource src;
  std::vector<int> radials;
  float elevation;
};

// The gate of moment k at a ground distance: its index, or -1 beyond the gates.
int gateAt(const Lev2Data& d, int k, double ground, float elevation)
{
  const Lev2Moment& m = d.getMoment(k);
  const double r = Lev2Data::slantRange(ground, elevation);
  // beyond the horizon of the beam, or past every gate a radar has
  if (!(r >= 0.0 && r < MAX_RANGE_M)) return -1;
  const int g = static_cast<int>(std::floor((r - m.firstGate) / m.spacing + 0.5));
  return g >= 0 && g < m.gates ? g : -1;
}

// The value of one cut above a point: MISS for none, FOLDED for range folding.
float valueAt(const Prepared& p, double az, double ground, const PaintOptions& o)
{
  const int radial = p.radials[static_cast<int>(az * BINS_PER_DEGREE) % BINS];
  if (radial < 0) return Const::FMISS;
  const Lev2Data& d = *p.src.cut;
  const int gate = gateAt(d, p.src.moment, ground, p.elevation);
  if (gate < 0) return Const::FMISS;
  const float v = d.getValue(p.src.moment, gate, radial);
  if (o.minCorrelation > 0 && p.src.correlation >= 0 && Lev2Data::isValue(v)) {
    const int cg = gateAt(d, p.src.correlation, ground, p.elevation);
    const float rho = cg < 0 ? Const::FMISS : d.getValue(p.src.correlation, cg, radial);
    if (Lev2Data::isValue(rho) && rho < o.minCorrelation) return Const::FMISS;
  }
  return v;
}

}  // namespace

int paint(Image& im, double siteLat, double siteLon, const std::vector<SweepSource>& cuts,
          const std::function<int(float)>& classOf, int folded, const PaintOptions& o)
{
  std::vector<Prepared> prepared;
  for (const SweepSource& s : cuts)
    if (s.cut && s.moment >= 0 && s.cut->getNumRadials() > 0 &&
        std::fabs(s.cut->getElevation()) < 90.0f)
      prepared.push_back({s, radialTable(*s.cut), s.cut->getElevation()});
  if (prepared.empty()) return 0;
  for (int j = 0; j < im.getHeight(); ++j)
    for (int i = 0; i < im.getWidth(); ++i) {
      EarthPoint e;
      if (!im.tran(GridPoint(static_cast<float>(i), static_cast<float>(j)), e) || e.isMiss())
        continue;
      double az, ground;
      Lev2Data::azimuthRange(siteLat, siteLon, e.lat, e.lon, az, ground);
      if (o.maxRangeM > 0 && ground > o.maxRangeM) continue;
      int k = 0;
      for (const Prepared& p : prepared) {
        const float v = valueAt(p, az, ground, o);
        const int c = v == Lev2Data::FOLDED ? folded : Lev2Data::isValue(v) ? classOf(v) : 0;
        // range folding only where no cut has a value
        if (c > 0 && (k == 0 || k == folded || (!o.lowestFirst && c > k && c != folded))) k = c;
        if (o.lowestFirst && k > 0 && k != folded) break;
      }
      if (k > 0) im.setPixel(i, j, k);
    }
  return 1;
}

}  // namespace KOL::lev2plot
