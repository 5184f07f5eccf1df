#include "grid/grib/Unpack.h"

#include <algorithm>
#include <cmath>

#include "core/Kol.h"

namespace KOL::grib {

namespace {
const UnpackerEntry kUnpackers[] = {
    {0, "simple", unpackSimple},
    {2, "complex", unpackComplex},
    {3, "complex_sd", unpackComplex},
    {40, "jpeg2000", unpackJpeg2000},
    {40000, "jpeg2000", unpackJpeg2000},
    {41, "png", unpackPng},
    {40010, "png", unpackPng},
    {200, "run_length", unpackRunLength},
    {4, "ieee", unpackIeee},
    {42, "ccsds", unpackCcsds},
};
}  // namespace

const UnpackerEntry* findUnpacker(int templ)
{
  for (const auto& e : kUnpackers)
    if (e.templ == templ) return &e;
  return nullptr;
}

double Packing::precision() const { return std::ldexp(1.0, e) * std::pow(10.0, -d); }

Scaling::Scaling(const Packing& pack)
{
  const double dec = std::pow(10.0, -pack.d);
  base = pack.ref * dec;
  step = std::ldexp(1.0, pack.e) * dec;
  baseF = static_cast<float>(base);
  stepF = static_cast<float>(step);
  // Without decimal scaling, X of at most 24 bits times 2^E is exact in float, and its sum with R
  // is exact in double when their last bits lie at most 28 binary places apart: float arithmetic
  // then rounds that sum once, as the conversion of the double result does.
  int refExp = 0;
  std::frexp(pack.ref, &refExp);
  inFloat = pack.d == 0 && pack.bits <= 24 && pack.e >= -100 && pack.e <= 100 &&
            (pack.ref == 0 || std::abs(refExp - 24 - pack.e) <= 28);
  narrow = pack.bits <= 31;
}

void Scaling::apply(const uint32_t* x, size_t n, float* v) const
{
  // Loops the compiler vectorises: signed integers convert in vector registers.
  if (inFloat) {
    for (size_t i = 0; i < n; i++)
      v[i] = static_cast<float>(static_cast<int32_t>(x[i])) * stepF + baseF;
  } else if (narrow) {
    for (size_t i = 0; i < n; i++)
      v[i] = static_cast<float>(base + static_cast<double>(static_cast<int32_t>(x[i])) * step);
  } else {
    for (size_t i = 0; i < n; i++) v[i] = (*this)(x[i]);
  }
}

namespace {
// Values pass through a small buffer on the stack, which stays in the first-level cache.
constexpr size_t SLICE = 2048;
}  // namespace

ValueSink::ValueSink(FieldValues& values, size_t points, const uint8_t* bitmap, size_t count)
    : field_(values),
      inPlace_(!bitmap && values.canOverwrite(points)),
      values_(inPlace_ ? values.overwrite() : values.fill()),
      points_(points),
      count_(count),
      bitmap_(bitmap)
{
  // Recycled storage far larger than needed would stay with the Grid.
  if (values_.capacity() > 2 * points_) {
    std::vector<float>().swap(values_);
    inPlace_ = false;
  }
}

float* ValueSink::next(size_t n)
{
  if (!inPlace_ || n > count_ - received_) return nullptr;
  float* at = values_.data() + received_;
  received_ += n;
  return at;
}

void ValueSink::put(const float* v, size_t n)
{
  if (n > count_ - received_) n = count_ - received_;
  if (float* at = next(n)) {
    std::copy(v, v + n, at);
    return;
  }
  if (values_.capacity() < points_) values_.reserve(points_);
  received_ += n;
  if (!bitmap_) {
    values_.insert(values_.end(), v, v + n);
    return;
  }
  float spread[SLICE];
  size_t pos = values_.size(), k = 0;
  while (k < n) {
    size_t m = 0;
    for (; m < SLICE && k < n; m++, pos++) spread[m] = isSet(storedPoint(pos)) ? v[k++] : MISSING;
    values_.insert(values_.end(), spread, spread + m);
  }
}

void ValueSink::putScaled(const Packing& pack, const uint32_t* x, size_t n)
{
  const Scaling scale(pack);
  float v[SLICE];
  for (size_t done = 0; done < n; done += SLICE) {
    size_t m = n - done < SLICE ? n - done : SLICE;
    scale.apply(x + done, m, v);
    put(v, m);
  }
}

void ValueSink::putConstant(float value, size_t n)
{
  float v[SLICE];
  std::fill(v, v + (n < SLICE ? n : SLICE), value);
  for (size_t done = 0; done < n; done += SLICE) put(v, n - done < SLICE ? n - done : SLICE);
}

void ValueSink::takeOver(float* block, FieldValues::Release release)
{
  field_.takeOver(block, count_, release);
  received_ = count_;
}

bool ValueSink::finish()
{
  if (received_ != count_) {
    Kol::outWarning("GribFile: %zu values unpacked, %zu expected\n", received_, count_);
    return false;
  }
  if (field_.size() != points_) values_.resize(points_, MISSING);
  return true;
}

void ValueSink::flipRows(size_t rowLength)
{
  rowLength_ = rowLength;
  if (!bitmap_) return;
  const size_t ny = rows();
  rowStart_.assign(ny + 1, 0);
  for (size_t j = 0, point = 0; j < ny; j++) {
    size_t set = 0;
    for (size_t i = 0; i < rowLength; i++, point++) set += isSet(point);
    rowStart_[j + 1] = rowStart_[j] + set;
  }
}

void ValueSink::rowValues(size_t r, size_t& first, size_t& n) const
{
  if (!flipsRows()) {
    first = 0;
    n = count_;
    return;
  }
  const size_t j = rows() - 1 - r;
  first = bitmap_ ? rowStart_[j] : j * rowLength_;
  n = bitmap_ ? rowStart_[j + 1] - rowStart_[j] : rowLength_;
}

void putConstantField(const Packing& pack, ValueSink& out)
{
  // Encoders store a constant field's value in R as it is, without the decimal scaling.
  out.putConstant(pack.ref, out.count());
}

bool takesNoBits(const Packing& pack)
{
  switch (pack.templ) {
    case 2:
    case 3:
      // Groups (octets 32-35) whose widths are the width reference (36) plus 0-bit increments
      // (37), with 0-bit group references.
      return pack.drs.u4(32) == 0 ||
             (pack.bits == 0 && pack.drs.u1(36) == 0 && pack.drs.u1(37) == 0);
    case 0:
      return pack.bits == 0;
    case 4:
    case 200:
      return false;
    default:  // images and streams: JPEG 2000, PNG, CCSDS
      return pack.bits == 0 || pack.data.size() == 0;
  }
}

}  // namespace KOL::grib
