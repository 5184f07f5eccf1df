// The unpackers of packed GRIB values, one per data representation template, found through one
// table keyed by template number. Each turns the packed section bytes into the values of the
// points the bitmap leaves (value = (R + X 2^E) 10^-D), reporting a failure once and returning
// false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "grid/grib/Field.h"

namespace KOL::grib {

// value = (R + X 2^E) 10^-D, as base + X step.
struct Scaling {
  explicit Scaling(const Packing& pack);
  float operator()(uint32_t x) const { return static_cast<float>(base + x * step); }
  // The values of n integers of the packing's width, the same as operator() gives one by one.
  void apply(const uint32_t* x, size_t n, float* v) const;
  double base, step;
  float baseF, stepF;  // base and step in float
  bool inFloat;        // float arithmetic rounds exactly as the double formula
  bool narrow;         // the integers stay below 2^31
};

// Where an unpacker delivers its values, in order. They are appended to the field's values with
// the points the bitmap marks missing put in between, so that nothing is written twice. Nothing is
// allocated before the first value arrives: a decoder holding large buffers of its own (JPEG 2000)
// can release them first.
class ValueSink {
 public:
  // bitmap: one bit a point, most significant first, nullptr when every point has a value; count:
  // the number of set bits (the number of values the unpacker is to deliver).
  ValueSink(FieldValues& values, size_t points, const uint8_t* bitmap, size_t count);
  size_t count() const { return count_; }
  void put(const float* v, size_t n);
  // Where the next n values may be written directly (they then count as delivered): only when
  // every point has a value and the field's recycled storage is overwritten in place; else
  // nullptr, and they go through put().
  float* next(size_t n);
  // The values (R + X 2^E) 10^-D of n integers.
  void putScaled(const Packing& pack, const uint32_t* x, size_t n);
  void putConstant(float v, size_t n);
  // Whether all the values may come at once as a block of count floats to take over.
  bool canTakeOver() const { return !bitmap_ && received_ == 0; }
  void takeOver(float* block, FieldValues::Release release);
  // Marks the points after the last value missing; false (reported) unless count values arrived.
  bool finish();

  // Rows of rowLength points are to be stored last row first, so that no later pass reverses
  // them; an unpacker able to start at any value then delivers rows in that order (rows(),
  // rowValues()). Others deliver values in stored order and must not be given a flipped sink.
  void flipRows(size_t rowLength);
  bool flipsRows() const { return rowLength_ != 0; }
  size_t rows() const { return flipsRows() ? points_ / rowLength_ : 1; }
  // The values of the r-th row to deliver: index of the first among all values, and their number.
  void rowValues(size_t r, size_t& first, size_t& n) const;

 private:
  bool isSet(size_t point) const { return (bitmap_[point >> 3] >> (7 - (point & 7))) & 1; }
  // The stored point at position pos of the values.
  size_t storedPoint(size_t pos) const
  {
    if (!flipsRows()) return pos;
    return (rows() - 1 - pos / rowLength_) * rowLength_ + pos % rowLength_;
  }
  FieldValues& field_;
  bool inPlace_;  // values_ is already points long and is overwritten
  std::vector<float>& values_;
  size_t points_, count_;
  const uint8_t* bitmap_;
  size_t received_ = 0;
  size_t rowLength_ = 0;
  std::vector<size_t> rowStart_;  // with a bitmap: values before each stored row, and the total
};

using Unpacker = bool (*)(const Packing& pack, ValueSink& out);

struct UnpackerEntry {
  int templ;
  const char* name;  // packing name shown in inventories
  Unpacker unpack;
};

// The unpacker of an edition 2 data representation template (edition 1 simple packing uses 0);
// nullptr when the template is not supported.
const UnpackerEntry* findUnpacker(int templ);

bool unpackSimple(const Packing& pack, ValueSink& out);
// Values first .. first + n - 1 of a simple-packed field (inside its data: checked by the caller)
// into v, x being scratch of n integers; vectors false keeps to the scalar readers, which
// processors without AVX2 run.
void unpackSimpleSlice(const Packing& pack, const Scaling& s, size_t first, size_t n, uint32_t* x,
                       float* v, bool vectors = true);
bool unpackComplex(const Packing& pack, ValueSink& out);
bool unpackJpeg2000(const Packing& pack, ValueSink& out);
// OpenJPEG's part of a JPEG 2000 unpacking alone, the image dropped: for measuring its share.
bool decodeJpeg2000Image(const Octets& data);
bool unpackPng(const Packing& pack, ValueSink& out);
bool unpackRunLength(const Packing& pack, ValueSink& out);
bool unpackIeee(const Packing& pack, ValueSink& out);
bool unpackCcsds(const Packing& pack, ValueSink& out);

// Every value equal to R (zero bit width or an empty data section).
void putConstantField(const Packing& pack, ValueSink& out);
// Whether the values take no bits of the data section at all: zero bit width, an empty image, or
// complex packing without groups or with groups all of width 0. Such a field (constant, as
// producers write all-zero fields) holds any number of points in a few bytes.
bool takesNoBits(const Packing& pack);

}  // namespace KOL::grib
