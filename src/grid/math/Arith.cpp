#include "grid/math/Arith.h"

#include <cmath>

#include "grid/math/Pointwise.h"

namespace KOL::gridmath {

void apply(Binary op, const float* a, std::size_t na, const float* b, std::size_t nb, float* out,
           std::size_t n)
{
  switch (op) {
    case Binary::ADD:
      return binary(a, na, b, nb, out, n, [](float x, float y) { return x + y; });
    case Binary::SUB:
      return binary(a, na, b, nb, out, n, [](float x, float y) { return x - y; });
    case Binary::MUL:
      return binary(a, na, b, nb, out, n, [](float x, float y) { return x * y; });
    case Binary::DIV:
      return binary(a, na, b, nb, out, n, [](float x, float y) { return x / y; });
    case Binary::MOD:
      return binary(a, na, b, nb, out, n, [](float x, float y) { return std::fmod(x, y); });
    case Binary::POW:
      return binary(a, na, b, nb, out, n, [](float x, float y) { return std::pow(x, y); });
  }
}

void apply(Unary op, const float* a, float* out, std::size_t n)
{
  switch (op) {
    case Unary::SQRT:
      return unary(a, out, n, [](float x) { return std::sqrt(x); });
    case Unary::ABS:
      return unary(a, out, n, [](float x) { return std::fabs(x); });
    case Unary::INV:
      return unary(a, out, n, [](float x) { return 1.0f / x; });
    case Unary::LOG:
      return unary(a, out, n, [](float x) { return std::log(x); });
    case Unary::LOG10:
      return unary(a, out, n, [](float x) { return std::log10(x); });
    case Unary::EXP:
      return unary(a, out, n, [](float x) { return std::exp(x); });
  }
}

void linear(float* a, std::size_t n, float factor, float offset)
{
  unary(a, a, n, [factor, offset](float x) { return x * factor + offset; });
}

void keepMax(float* acc, const float* b, std::size_t nb, std::size_t n)
{
  pick(acc, b, nb, n, [](float x, float y) { return x > y ? x : y; });
}

void keepMin(float* acc, const float* b, std::size_t nb, std::size_t n)
{
  pick(acc, b, nb, n, [](float x, float y) { return x < y ? x : y; });
}

void interp(const float* a, std::size_t na, const float* b, std::size_t nb, float f, float* out,
            std::size_t n)
{
  binary(a, na, b, nb, out, n, [f](float x, float y) { return x + (y - x) * f; });
}

}  // namespace KOL::gridmath
