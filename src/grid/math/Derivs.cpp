#include "grid/math/Derivs.h"

#include <cmath>
#include <cstddef>

#include "grid/math/Pointwise.h"

namespace KOL::gridmath {

namespace {

constexpr float POLE_TOLERANCE = 1e-4f;

bool usable(float d) { return std::isfinite(d) && d > 0; }

// The difference (hi - lo)·w over n aligned points around c. A side that is absent or missing
// is replaced by the point itself and the weight doubled (one-sided difference); with neither
// side the difference is 0.
void diff3(const float* lo, const float* c, const float* hi, bool have_lo, bool have_hi, int n,
           float inv, float* d)
{
  const float half = 0.5f * inv;
  for (int i = 0; i < n; ++i) {
    float x = c[i], l = lo[i], h = hi[i];
    bool lv = have_lo & (l != MISS);
    bool hv = have_hi & (h != MISS);
    float a = lv ? l : x;
    float b = hv ? h : x;
    float w = (lv & hv) ? half : inv;
    d[i] = x == MISS ? MISS : (b - a) * w;
  }
}

void rowDx(const float* f, int nx, float inv, float* d)
{
  if (nx == 1) {
    d[0] = f[0] == MISS ? MISS : 0.0f;
    return;
  }
  diff3(f, f, f + 1, false, true, 1, inv, d);
  if (nx > 2) diff3(f, f + 1, f + 2, true, true, nx - 2, inv, d + 1);
  diff3(f + nx - 2, f + nx - 1, f + nx - 1, true, false, 1, inv, d + nx - 1);
}

// Northward difference of row j: the southern row is the low side.
void rowDy(const float* f, int nx, int ny, int j, float inv, float* d)
{
  const float* c = f + static_cast<std::ptrdiff_t>(j) * nx;
  bool north = j > 0, south = j < ny - 1;
  diff3(south ? c + nx : c, c, north ? c - nx : c, south, north, nx, inv, d);
}

// Second difference at i of n points spaced stride apart (not yet divided by the spacing).
float second(const float* f, int i, int n, std::ptrdiff_t stride)
{
  auto at = [&](int k) { return f[k * stride]; };
  float c = at(i);
  if (c == MISS) return MISS;
  if (n < 3) return 0.0f;
  bool l = i > 0 && at(i - 1) != MISS;
  bool r = i < n - 1 && at(i + 1) != MISS;
  if (l && r) return at(i - 1) - 2 * c + at(i + 1);
  if (r && i + 2 < n && at(i + 2) != MISS) return c - 2 * at(i + 1) + at(i + 2);
  if (l && i >= 2 && at(i - 2) != MISS) return at(i - 2) - 2 * at(i - 1) + c;
  return 0.0f;
}

void missRow(float* out, int nx)
{
  for (int i = 0; i < nx; ++i) out[i] = MISS;
}

}  // namespace

Spacing Spacing::uniform(int nx, int ny, float dx, float dy)
{
  Spacing s;
  s.nx = nx;
  s.ny = ny;
  bool ok = usable(dx) && usable(dy);
  s.inv_dx.assign(ny > 0 ? ny : 0, ok ? 1.0f / dx : 0.0f);
  s.inv_dy = ok ? 1.0f / dy : 0.0f;
  return s;
}

Spacing Spacing::latLon(int nx, int ny, float dlon, float dlat, float top)
{
  Spacing s = uniform(nx, ny, dlon * DEGREE, dlat * DEGREE);
  if (s.inv_dy == 0) return s;
  for (int j = 0; j < ny; ++j) {
    double lat = top - static_cast<double>(j) * dlat;
    double width = dlon * DEGREE * std::cos(lat * Const::DRC);
    bool pole = std::fabs(std::fabs(lat) - 90.0) < POLE_TOLERANCE;
    s.inv_dx[j] = pole || !(width > 0) ? 0.0f : static_cast<float>(1.0 / width);
  }
  return s;
}

void ddx(const Spacing& s, const float* f, float* out)
{
  for (int j = 0; j < s.ny; ++j) {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(j) * s.nx;
    if (s.rowValid(j)) {
      rowDx(f + row, s.nx, s.inv_dx[j], out + row);
    } else {
      missRow(out + row, s.nx);
    }
  }
}

void ddy(const Spacing& s, const float* f, float* out)
{
  for (int j = 0; j < s.ny; ++j) {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(j) * s.nx;
    if (s.rowValid(j)) {
      rowDy(f, s.nx, s.ny, j, s.inv_dy, out + row);
    } else {
      missRow(out + row, s.nx);
    }
  }
}

void laplacian(const Spacing& s, const float* f, float* out)
{
  const float iy2 = s.inv_dy * s.inv_dy;
  for (int j = 0; j < s.ny; ++j) {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(j) * s.nx;
    if (!s.rowValid(j)) {
      missRow(out + row, s.nx);
      continue;
    }
    const float ix2 = s.inv_dx[j] * s.inv_dx[j];
    for (int i = 0; i < s.nx; ++i) {
      float xx = second(f + row, i, s.nx, 1);
      float yy = second(f + i, j, s.ny, s.nx);
      out[row + i] = xx == MISS ? MISS : finite(xx * ix2 + yy * iy2);
    }
  }
}

void combine(const Spacing& s, const float* a, float ax, const float* b, float by, float* out)
{
  std::vector<float> dy(s.nx);
  for (int j = 0; j < s.ny; ++j) {
    float* o = out + static_cast<std::ptrdiff_t>(j) * s.nx;
    if (!s.rowValid(j)) {
      missRow(o, s.nx);
      continue;
    }
    rowDx(a + (o - out), s.nx, s.inv_dx[j], o);
    rowDy(b, s.nx, s.ny, j, s.inv_dy, dy.data());
    binaryLoop(Array{o}, Array{dy.data()}, o, s.nx,
               [ax, by](float p, float q) { return ax * p + by * q; });
  }
}

void advection(const Spacing& s, const float* f, const float* u, const float* v, float* out)
{
  std::vector<float> dy(s.nx);
  for (int j = 0; j < s.ny; ++j) {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(j) * s.nx;
    float* o = out + row;
    if (!s.rowValid(j)) {
      missRow(o, s.nx);
      continue;
    }
    rowDx(f + row, s.nx, s.inv_dx[j], o);
    rowDy(f, s.nx, s.ny, j, s.inv_dy, dy.data());
    const float* ur = u + row;
    const float* vr = v + row;
    for (int i = 0; i < s.nx; ++i) {
      float fx = o[i], fy = dy[i], uu = ur[i], vv = vr[i];
      float r = -(uu * fx + vv * fy);
      o[i] = ((fx == MISS) | (uu == MISS) | (vv == MISS) | !isFinite(r)) ? MISS : r;
    }
  }
}

}  // namespace KOL::gridmath
