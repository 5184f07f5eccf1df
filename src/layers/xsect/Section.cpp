#include "layers/xsect/Section.h"

#include <algorithm>
#include <cmath>

#include "geo/DomainVal.h"
#include "grid/Grid.h"

namespace KOL::xsect {

namespace {

constexpr float MISS = Const::FMISS;
// The "xlogp" projection of the domain table.
constexpr int XLOGP = 24;

}  // namespace

Domain Section::domain() const
{
  DomainVal v;
  v.proj = XLOGP;
  v.clat = x(length) / 2;
  v.clon = std::sqrt(bottom * top);
  v.nx = columns;
  v.ny = rows;
  v.dx = x(length) / static_cast<float>(columns - 1);
  v.dy = std::log(bottom / top) / static_cast<float>(rows - 1);
  return Domain(v);
}

// Room for a barb (drawn 0.06 of the frame's height long) and a little more.
constexpr float END_ROOM = 0.07f;

float Section::endRoom() const
{
  const float dx = x(length) / static_cast<float>(columns - 1);
  return dx * std::ceil(END_ROOM * std::log(bottom / top) / dx);
}

Domain Section::frame() const
{
  DomainVal v = domain().get();
  v.nx += 2 * static_cast<int>(std::lround(endRoom() / v.dx));
  return Domain(v);
}

float Section::x(float km) const
{
  return length > 0 ? km * ASPECT * std::log(bottom / top) / length : km;
}

float Section::pressure(int row) const
{
  return top * std::exp(std::log(bottom / top) * static_cast<float>(row) / (rows - 1));
}

float Section::distance(int column) const
{
  return length * static_cast<float>(column) / static_cast<float>(columns - 1);
}

Grid fill(const Section& s, const std::vector<Profile>& profiles)
{
  Grid g(s.columns, s.rows);
  g.setDomain(s.domain());
  g.allocData();
  for (int i = 0; i < s.columns; ++i) {
    const float x = s.distance(i);
    auto right = std::lower_bound(profiles.begin(), profiles.end(), x,
                                  [](const Profile& p, float d) { return p.x < d; });
    if (right == profiles.end() || (right == profiles.begin() && right->x > x)) continue;
    const Profile& b = *right;
    const Profile& a = right == profiles.begin() ? b : *(right - 1);
    const float f = b.x > a.x ? (x - a.x) / (b.x - a.x) : 0;
    for (int j = 0; j < s.rows; ++j) {
      const float va = a.values[j], vb = b.values[j];
      if (va != MISS && vb != MISS) g.setValue(i, j, va + f * (vb - va));
    }
  }
  return g;
}

EarthPoint alongGreatCircle(const EarthPoint& a, const EarthPoint& b, float f)
{
  auto unit = [](const EarthPoint& e, double v[3]) {
    const double la = e.lat * Const::DRC, lo = e.lon * Const::DRC;
    v[0] = std::cos(la) * std::cos(lo), v[1] = std::cos(la) * std::sin(lo), v[2] = std::sin(la);
  };
  double u[3], w[3];
  unit(a, u), unit(b, w);
  const double dot = std::clamp(u[0] * w[0] + u[1] * w[1] + u[2] * w[2], -1.0, 1.0);
  const double angle = std::acos(dot);
  double r[3];
  for (int k = 0; k < 3; ++k)
    r[k] = angle < 1e-9
               ? u[k]
               : (std::sin((1 - f) * angle) * u[k] + std::sin(f * angle) * w[k]) / std::sin(angle);
  return EarthPoint(static_cast<float>(std::atan2(r[2], std::hypot(r[0], r[1])) * Const::RDC),
                    static_cast<float>(std::atan2(r[1], r[0]) * Const::RDC));
}

}  // namespace KOL::xsect
