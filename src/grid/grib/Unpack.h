// The unpackers of packed GRIB values, one per data representation template, found through one
// table keyed by template number. Each turns the packed section bytes into `count` values
// (value = (R + X 2^E) 10^-D), reporting a failure once and returning false.
#pragma once

#include <cstddef>

#include "grid/grib/Field.h"

namespace KOL::grib {

using Unpacker = bool (*)(const Packing& pack, size_t count, float* out);

struct UnpackerEntry {
  int templ;
  const char* name;  // packing name shown in inventories
  Unpacker unpack;
};

// The unpacker of an edition 2 data representation template (edition 1 simple packing uses 0);
// nullptr when the template is not supported.
const UnpackerEntry* findUnpacker(int templ);

bool unpackSimple(const Packing& pack, size_t count, float* out);
bool unpackComplex(const Packing& pack, size_t count, float* out);
bool unpackJpeg2000(const Packing& pack, size_t count, float* out);
bool unpackPng(const Packing& pack, size_t count, float* out);
bool unpackRunLength(const Packing& pack, size_t count, float* out);

// Shared by the unpackers: out[i] = (R + X[i] 2^E) 10^-D for count integers.
void scaleValues(const Packing& pack, const uint32_t* x, size_t count, float* out);
// Every value equal to R (zero bit width or an empty data section).
void fillConstant(const Packing& pack, size_t count, float* out);

}  // namespace KOL::grib
