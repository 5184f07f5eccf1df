#include "core/Swap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/File.h"

namespace KOL {

namespace {

int machineOrder()
{
  const uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1 ? 1 : 0;
}

}  // namespace

void Swap::init(int order)
{
  machine_ = machineOrder();
  reserved_ = 0;
  bool little = machine_ == 1;
  swap_ = order == DEFAULT || (order == BIG && little) || (order == LITTLE && !little);
}

int Swap::reverse(void* bytes, int width, int n) const
{
  if (!swap_ || !bytes || n <= 0) return 0;
  auto* p = static_cast<unsigned char*>(bytes);
  for (int i = 0; i < n; i++, p += width) std::reverse(p, p + width);
  return 1;
}

int Swap::swap2(void* bytes, int n) const { return reverse(bytes, 2, n); }
int Swap::swap4(void* bytes, int n) const { return reverse(bytes, 4, n); }
int Swap::swap8(void* bytes, int n) const { return reverse(bytes, 8, n); }

int Swap::readValues(File& f, void* v, int width, int n) const
{
  if (!v || n <= 0) return 0;
  int got = f.read(v, width, n);
  if (got > 0) reverse(v, width, got);
  return got;
}

int Swap::writeValues(File& f, const void* v, int width, int n) const
{
  if (!v || n <= 0) return 0;
  if (!swap_) return f.write(v, width, n);
  std::vector<unsigned char> copy(static_cast<const unsigned char*>(v),
                                  static_cast<const unsigned char*>(v) + width * n);
  reverse(copy.data(), width, n);
  return f.write(copy.data(), width, n);
}

int Swap::readDouble(File& f, double* v, int n) const { return readValues(f, v, 8, n); }
int Swap::readFloat(File& f, float* v, int n) const { return readValues(f, v, 4, n); }
int Swap::readUInt4(File& f, uint32_t* v, int n) const { return readValues(f, v, 4, n); }
int Swap::readInt4(File& f, int32_t* v, int n) const { return readValues(f, v, 4, n); }
int Swap::readUInt2(File& f, uint16_t* v, int n) const { return readValues(f, v, 2, n); }
int Swap::readInt2(File& f, int16_t* v, int n) const { return readValues(f, v, 2, n); }

int Swap::writeFloat(File& f, const float* v, int n) const { return writeValues(f, v, 4, n); }
int Swap::writeInt4(File& f, const int32_t* v, int n) const { return writeValues(f, v, 4, n); }
int Swap::writeInt2(File& f, const int16_t* v, int n) const { return writeValues(f, v, 2, n); }

}  // namespace KOL
