// Byte order of binary file formats: swaps values between a format's order and the machine's.
// A default Swap reads and writes big-endian data, the order of the library's own files.
#pragma once

#include <cstdint>

namespace KOL {

class File;

class Swap {
 public:
  // Data orders: 0 default (big-endian), 1 big-endian, 2 little-endian, -1 never swap.
  enum Order : int { NONE = -1, DEFAULT = 0, BIG = 1, LITTLE = 2 };

  Swap() { init(DEFAULT); }
  explicit Swap(int order) { init(order); }
  void init(int order);
  bool isSwap() const { return swap_; }
  // 1 for a little-endian machine, 0 for big-endian.
  int getMachineOrder() const { return machine_; }

  // Reverse each 2-, 4- or 8-byte group in place; 0 when no swapping is needed.
  int swap2(void* bytes) const { return swap2(bytes, 1); }
  int swap2(void* bytes, int n) const;
  int swap4(void* bytes) const { return swap4(bytes, 1); }
  int swap4(void* bytes, int n) const;
  int swap8(void* bytes) const { return swap8(bytes, 1); }
  int swap8(void* bytes, int n) const;

  // Read n values from f in the data order; the count read.
  int readDouble(File& f, double* v, int n = 1) const;
  int readFloat(File& f, float* v, int n = 1) const;
  int readUInt4(File& f, uint32_t* v, int n = 1) const;
  int readInt4(File& f, int32_t* v, int n = 1) const;
  int readUInt2(File& f, uint16_t* v, int n = 1) const;
  int readInt2(File& f, int16_t* v, int n = 1) const;

  // Write values in the data order (the values themselves are left alone); the count written.
  int writeFloat(File& f, float v) const { return writeFloat(f, &v, 1); }
  int writeFloat(File& f, const float* v, int n) const;
  int writeInt4(File& f, int32_t v) const { return writeInt4(f, &v, 1); }
  int writeInt4(File& f, const int32_t* v, int n) const;
  int writeInt2(File& f, int16_t v) const { return writeInt2(f, &v, 1); }
  int writeInt2(File& f, const int16_t* v, int n) const;

 private:
  int reverse(void* bytes, int width, int n) const;
  int readValues(File& f, void* v, int width, int n) const;
  int writeValues(File& f, const void* v, int width, int n) const;

  int machine_ = 1;
  int reserved_ = 0;
  bool swap_ = false;
};

}  // namespace KOL
