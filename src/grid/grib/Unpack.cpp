#include "grid/grib/Unpack.h"

#include <cmath>

namespace KOL::grib {

namespace {
const UnpackerEntry kUnpackers[] = {
    {0, "simple", unpackSimple},         {2, "complex", unpackComplex},
    {3, "complex_sd", unpackComplex},    {40, "jpeg2000", unpackJpeg2000},
    {40000, "jpeg2000", unpackJpeg2000}, {41, "png", unpackPng},
    {40010, "png", unpackPng},           {200, "run_length", unpackRunLength},
};
}  // namespace

const UnpackerEntry* findUnpacker(int templ)
{
  for (const auto& e : kUnpackers)
    if (e.templ == templ) return &e;
  return nullptr;
}

double Packing::precision() const { return std::ldexp(1.0, e) * std::pow(10.0, -d); }

void scaleValues(const Packing& pack, const uint32_t* x, size_t count, float* out)
{
  const double dec = std::pow(10.0, -pack.d);
  const double base = pack.ref * dec;
  const double step = std::ldexp(1.0, pack.e) * dec;
  for (size_t i = 0; i < count; i++) out[i] = static_cast<float>(base + x[i] * step);
}

void fillConstant(const Packing& pack, size_t count, float* out)
{
  // Encoders store a constant field's value in R as it is, without the decimal scaling.
  const auto v = pack.ref;
  for (size_t i = 0; i < count; i++) out[i] = v;
}

}  // namespace KOL::grib
