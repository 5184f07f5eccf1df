// Decodes the fields of one GRIB message held in memory (either edition). An edition 2 message
// may hold several fields; next() returns them in turn, carrying the sections that later fields
// share (grid, bitmap) from one to the next.
#pragma once

#include <cstddef>
#include <cstdint>

#include "grid/grib/Field.h"

namespace KOL::grib {

class MessageDecoder {
 public:
  // p points at "GRIB"; n is the number of bytes available from there.
  MessageDecoder(const uint8_t* p, size_t n);
  // Total length from the indicator section; 0 when the indicator is not valid.
  size_t length() const { return length_; }
  int edition() const { return edition_; }
  // Fills the next field: 1 when one was found, 0 when there is none left or the message is bad.
  // With values false only the descriptions are read; with northFirst the values may come with
  // their rows in grid order already (Field::northFirst says whether they do).
  int next(Field& f, bool values = true, bool northFirst = false);
  // Byte position, within the message, where the next field's sections start (edition 2).
  size_t position() const { return pos_; }
  void setPosition(size_t pos) { pos_ = pos; }

 private:
  int nextEd1(Field& f, bool values, bool northFirst);
  int nextEd2(Field& f, bool values, bool northFirst);
  bool section(size_t at, Octets& s, int& number) const;
  Octets msg_;
  size_t length_ = 0;
  int edition_ = 0;
  int discipline_ = 0;
  size_t pos_ = 0;
  bool done_ = false;
  Octets sec1_, sec3_, sec4_, sec5_, bitmap_;
  bool haveBitmap_ = false;
};

// Parsers of the description sections (Edition1.cpp, Edition2.cpp).
bool readProductEd1(const Octets& pds, Field& f);
bool readGridEd1(const Octets& gds, Field& f);
bool predefinedGridEd1(int number, GridGeom& g);
void readIdentificationEd2(const Octets& sec1, Field& f);
bool readGridEd2(const Octets& sec3, Field& f);
bool readProductEd2(const Octets& sec4, Field& f);
bool readPackingEd2(const Octets& sec5, Field& f);
// Unpacks the values of a field whose packing and grid are known; bitmap may be empty. With
// northFirst, rows stored south first are delivered north first where the packing allows it.
bool unpackField(Field& f, const Octets& bitmap, size_t messageLength, bool northFirst = false);

}  // namespace KOL::grib
