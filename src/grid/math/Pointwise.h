// Element-wise loops of the grid calculations over plain float arrays. A missing input gives a
// missing output, and so does every result that is not a finite number (a division by zero, the
// root or logarithm of a negative value), so that no missing value ever turns into a number.
// The loops select rather than branch, which lets the compiler vectorise them.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>

#include "core/Const.h"

namespace KOL::gridmath {

inline constexpr float MISS = Const::FMISS;

inline bool isFinite(float v) { return std::fabs(v) <= FLT_MAX; }
// v, or the missing value when v is not a finite number.
inline float finite(float v) { return isFinite(v) ? v : MISS; }

// An operand: a whole array, or one value standing for every point (a value grid).
struct Array {
  const float* p;
  float operator[](std::size_t k) const { return p[k]; }
};
struct Value {
  float v;
  float operator[](std::size_t) const { return v; }
};

template <class A, class Op>
void unaryLoop(A a, float* out, std::size_t n, Op op)
{
  for (std::size_t k = 0; k < n; ++k) {
    float x = a[k];
    float r = op(x);
    out[k] = ((x == MISS) | !isFinite(r)) ? MISS : r;
  }
}

template <class A, class B, class Op>
void binaryLoop(A a, B b, float* out, std::size_t n, Op op)
{
  for (std::size_t k = 0; k < n; ++k) {
    float x = a[k], y = b[k];
    float r = op(x, y);
    out[k] = ((x == MISS) | (y == MISS) | !isFinite(r)) ? MISS : r;
  }
}

// out[k] = op(a[k]) for n points.
template <class Op>
void unary(const float* a, float* out, std::size_t n, Op op)
{
  unaryLoop(Array{a}, out, n, op);
}

// out[k] = op(a[k], b[k]) for n points; an operand of size 1 is a constant. out may be a or b.
template <class Op>
void binary(const float* a, std::size_t na, const float* b, std::size_t nb, float* out,
            std::size_t n, Op op)
{
  if (na == 1 && nb == 1) {
    binaryLoop(Value{a[0]}, Value{b[0]}, out, n, op);
  } else if (na == 1) {
    binaryLoop(Value{a[0]}, Array{b}, out, n, op);
  } else if (nb == 1) {
    binaryLoop(Array{a}, Value{b[0]}, out, n, op);
  } else {
    binaryLoop(Array{a}, Array{b}, out, n, op);
  }
}

// The larger or smaller of two values where either is valid: acc[k] is updated from b, whose
// size 1 makes it a constant. Missing only where both are missing.
template <class B, class Pick>
void pickLoop(float* acc, B b, std::size_t n, Pick pick)
{
  for (std::size_t k = 0; k < n; ++k) {
    float x = acc[k], y = b[k];
    float r = pick(x, y);
    acc[k] = x == MISS ? y : (y == MISS ? x : r);
  }
}

template <class Pick>
void pick(float* acc, const float* b, std::size_t nb, std::size_t n, Pick p)
{
  if (nb == 1) {
    pickLoop(acc, Value{b[0]}, n, p);
  } else {
    pickLoop(acc, Array{b}, n, p);
  }
}

}  // namespace KOL::gridmath
