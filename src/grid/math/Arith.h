// Element-wise grid arithmetic over plain float arrays, compiled where the loops vectorise.
// Missing in, missing out; results that are not finite numbers are missing as well. An operand
// of size 1 stands for every point (a value grid). The output may be one of the inputs.
#pragma once

#include <cstddef>

namespace KOL::gridmath {

enum class Binary { ADD, SUB, MUL, DIV, MOD, POW };
enum class Unary { SQRT, ABS, INV, LOG, LOG10, EXP };

void apply(Binary op, const float* a, std::size_t na, const float* b, std::size_t nb, float* out,
           std::size_t n);
void apply(Unary op, const float* a, float* out, std::size_t n);
// a·factor + offset at every valid point, in place.
void linear(float* a, std::size_t n, float factor, float offset);
// acc becomes the larger (smaller) of acc and b where either is valid.
void keepMax(float* acc, const float* b, std::size_t nb, std::size_t n);
void keepMin(float* acc, const float* b, std::size_t nb, std::size_t n);
// a + (b - a)·f where both are valid.
void interp(const float* a, std::size_t na, const float* b, std::size_t nb, float f, float* out,
            std::size_t n);

}  // namespace KOL::gridmath
