// Finite differences of the grid calculations over plain float arrays: first and second
// derivatives and the kinematic combinations built from them. Arrays are row-major, nx columns
// by ny rows, row 0 at the northern edge; y derivatives point north. Spacings are in units of
// 100 km, so a derivative of a quantity in U comes out in U per 100 km.
//
// A missing point gives a missing derivative. A missing neighbour makes the difference one-sided;
// with no valid neighbour the difference is 0. Every row of a Spacing whose x spacing is unknown
// (the rows at the poles of a latitude-longitude grid) is missing in every result.
#pragma once

#include <vector>

namespace KOL::gridmath {

struct Spacing {
  int nx = 0;
  int ny = 0;
  std::vector<float> inv_dx;  // 1/Δx per row; 0 marks a row without derivatives
  float inv_dy = 0;

  // Equal spacings everywhere (map projections).
  static Spacing uniform(int nx, int ny, float dx, float dy);
  // A latitude-longitude lattice of dlon by dlat degrees whose northern row lies at latitude
  // top: Δx shrinks with the cosine of each row's latitude, and rows at ±90 have none.
  static Spacing latLon(int nx, int ny, float dlon, float dlat, float top);

  bool valid() const { return nx > 0 && ny > 0 && static_cast<int>(inv_dx.size()) == ny; }
  bool rowValid(int j) const { return inv_dx[j] != 0; }
};

// One degree of arc in units of 100 km.
inline constexpr float DEGREE = 1.11195f;

void ddx(const Spacing& s, const float* f, float* out);
void ddy(const Spacing& s, const float* f, float* out);
// Sum of the second derivatives along x and y.
void laplacian(const Spacing& s, const float* f, float* out);
// out = ax·∂a/∂x + by·∂b/∂y: vorticity (v, u with 1, -1), divergence (u, v with 1, 1) and the
// two deformations are all of this form.
void combine(const Spacing& s, const float* a, float ax, const float* b, float by, float* out);
// out = -u·∂f/∂x - v·∂f/∂y.
void advection(const Spacing& s, const float* f, const float* u, const float* v, float* out);

}  // namespace KOL::gridmath
