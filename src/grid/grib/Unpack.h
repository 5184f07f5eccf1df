// The unpackers of packed GRIB values, one per data representation template, found through one
// table keyed by template number. Each turns the packed section bytes into `count` values
// (value = (R + X 2^E) 10^-D), reporting a failure once and returning false.
#pragma once

#include <cstddef>
#include <vector>

#include "grid/grib/Field.h"

namespace KOL::grib {

// Where an unpacker writes: the field's values, allocated only when the unpacker first asks, so
// that a decoder holding its own large buffers (JPEG 2000) can release them first.
class ValueBuffer {
 public:
  ValueBuffer(std::vector<float>& values, size_t points) : values_(values), points_(points) {}
  float* get()
  {
    if (values_.size() != points_) values_.assign(points_, MISSING);
    return values_.data();
  }

 private:
  std::vector<float>& values_;
  size_t points_;
};

using Unpacker = bool (*)(const Packing& pack, size_t count, ValueBuffer& out);

struct UnpackerEntry {
  int templ;
  const char* name;  // packing name shown in inventories
  Unpacker unpack;
};

// The unpacker of an edition 2 data representation template (edition 1 simple packing uses 0);
// nullptr when the template is not supported.
const UnpackerEntry* findUnpacker(int templ);

bool unpackSimple(const Packing& pack, size_t count, ValueBuffer& out);
bool unpackComplex(const Packing& pack, size_t count, ValueBuffer& out);
bool unpackJpeg2000(const Packing& pack, size_t count, ValueBuffer& out);
bool unpackPng(const Packing& pack, size_t count, ValueBuffer& out);
bool unpackRunLength(const Packing& pack, size_t count, ValueBuffer& out);

// Shared by the unpackers: out[i] = (R + X[i] 2^E) 10^-D for count integers.
void scaleValues(const Packing& pack, const uint32_t* x, size_t count, float* out);
// Every value equal to R (zero bit width or an empty data section).
void fillConstant(const Packing& pack, size_t count, float* out);

}  // namespace KOL::grib
