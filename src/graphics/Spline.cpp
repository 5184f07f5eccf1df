#include "graphics/Spline.h"

#include <algorithm>
#include <cmath>

namespace KOL {

int Spline::set(const Points& pts, int)
{
  s.clear(), x.clear(), y.clear(), x2.clear(), y2.clear();
  total = 0.0f;
  double acc = 0.0;
  for (const Point& p : pts) {
    if (p.isMiss()) continue;
    if (!x.empty()) {
      const double d = std::hypot(p.x - x.back(), p.y - y.back());
      if (d == 0.0) continue;
      acc += d;
    }
    s.push_back(acc);
    x.push_back(p.x);
    y.push_back(p.y);
  }
  if (s.size() < 2) {
    s.clear(), x.clear(), y.clear();
    return 0;
  }
  x2 = fit(s, x);
  y2 = fit(s, y);
  total = static_cast<float>(acc);
  return 1;
}

std::vector<double> Spline::fit(const std::vector<double>& t, const std::vector<double>& v)
{
  const size_t n = t.size();
  std::vector<double> d2(n, 0.0), u(n, 0.0);
  for (size_t i = 1; i + 1 < n; ++i) {
    const double sig = (t[i] - t[i - 1]) / (t[i + 1] - t[i - 1]);
    const double p = sig * d2[i - 1] + 2.0;
    d2[i] = (sig - 1.0) / p;
    const double slope =
        (v[i + 1] - v[i]) / (t[i + 1] - t[i]) - (v[i] - v[i - 1]) / (t[i] - t[i - 1]);
    u[i] = (6.0 * slope / (t[i + 1] - t[i - 1]) - sig * u[i - 1]) / p;
  }
  d2[n - 1] = 0.0;
  for (size_t k = n - 1; k-- > 0;) d2[k] = d2[k] * d2[k + 1] + u[k];
  return d2;
}

double Spline::eval(const std::vector<double>& v, const std::vector<double>& d2, double t) const
{
  const size_t hi = std::min<size_t>(
      std::max<size_t>(std::upper_bound(s.begin(), s.end(), t) - s.begin(), 1), s.size() - 1);
  const size_t lo = hi - 1;
  const double h = s[hi] - s[lo];
  const double a = (s[hi] - t) / h, b = (t - s[lo]) / h;
  return a * v[lo] + b * v[hi] +
         ((a * a * a - a) * d2[lo] + (b * b * b - b) * d2[hi]) * h * h / 6.0;
}

Point Spline::getPoint(float t) const
{
  if (s.empty()) return Point();
  const double tt = std::clamp(static_cast<double>(t), 0.0, s.back());
  return Point(static_cast<float>(eval(x, x2, tt)), static_cast<float>(eval(y, y2, tt)));
}

}  // namespace KOL
