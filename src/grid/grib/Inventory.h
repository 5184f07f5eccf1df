// Walks the GRIB messages of a byte buffer field by field, skipping whatever lies between
// messages (transmission headers, garbage), and names what a field is for inventories.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "grid/grib/Field.h"
#include "grid/grib/Message.h"

namespace KOL::grib {

// Position of the next "GRIB" at or after `from`; n when there is none.
size_t findGrib(const uint8_t* p, size_t n, size_t from);

class FieldWalker {
 public:
  FieldWalker(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  // The next field of the buffer: 1, or 0 at the end.
  int next(Field& f, bool values = true);

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;  // where to search for the next message
  size_t msgStart_ = 0;
  bool inMessage_ = false;
  MessageDecoder msg_{nullptr, 0};
};

// Short texts describing a field: packing name, grid name, forecast time, level.
std::string packingName(const Field& f);
std::string gridName(const Field& f);
std::string foreTimeText(const Field& f);
std::string levelText(const Field& f);

}  // namespace KOL::grib
