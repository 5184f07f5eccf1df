#include "core/Buffer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace KOL {

Buffer& Buffer::operator=(const Buffer& b)
{
  if (this != &b) copy(b);
  return *this;
}

void Buffer::init(int size)
{
  std::vector<unsigned char>(std::max(size, 0)).swap(data_);
  used_ = index_ = 0;
}

int Buffer::copy(const Buffer& b)
{
  if (this == &b) return 1;
  data_ = b.data_;
  used_ = b.used_;
  index_ = b.index_;
  return 1;
}

int Buffer::resize(int size)
{
  if (size < 0) return 0;
  data_.resize(size);
  data_.shrink_to_fit();
  used_ = std::min(used_, size);
  index_ = std::min(index_, used_);
  return 1;
}

int Buffer::check(int n)
{
  if (n > getSize()) data_.resize(static_cast<size_t>(n) + 2000);
  return 1;
}

int Buffer::add(const void* bytes, int n)
{
  if (!bytes || n <= 0) return 0;
  check(used_ + n);
  std::memcpy(data_.data() + used_, bytes, n);
  used_ += n;
  return n;
}

int Buffer::insert(int pos, const void* bytes, int n)
{
  if (!bytes || n <= 0 || pos < 0 || pos > used_) return 0;
  check(used_ + n);
  unsigned char* at = data_.data() + pos;
  std::memmove(at + n, at, used_ - pos);
  std::memcpy(at, bytes, n);
  used_ += n;
  return n;
}

int Buffer::insert(int pos, const Buffer& b)
{
  if (&b == this) {
    Buffer tmp(b);
    return insert(pos, tmp.getData(), tmp.used_);
  }
  return insert(pos, b.getData(), b.used_);
}

unsigned char Buffer::get(int i) const
{
  long at = static_cast<long>(index_) + i;
  return at >= 0 && at < used_ ? data_[at] : 0;
}

int Buffer::read(void* bytes, int n)
{
  if (!bytes || n <= 0) return 0;
  n = std::min(n, getLeft());
  if (n > 0) std::memcpy(bytes, getCurrent(), n);
  index_ += n;
  return n;
}

int Buffer::readLine(char* bytes, int n)
{
  if (!bytes || n <= 0) return 0;
  n = std::min(n, getLeft());
  if (n <= 0) return 0;
  const void* nl = std::memchr(getCurrent(), '\n', n);
  if (nl) n = static_cast<int>(static_cast<const unsigned char*>(nl) - getCurrent()) + 1;
  std::memcpy(bytes, getCurrent(), n);
  index_ += n;
  return n;
}

int Buffer::skipLine()
{
  int left = getLeft();
  const void* nl = left > 0 ? std::memchr(getCurrent(), '\n', left) : nullptr;
  int n = nl ? static_cast<int>(static_cast<const unsigned char*>(nl) - getCurrent()) + 1 : left;
  index_ += n;
  return n;
}

int Buffer::read(Buffer& out) { return read(out, getLeft()); }

int Buffer::read(Buffer& out, int n)
{
  if (&out == this) return 0;
  n = std::min(n, getLeft());
  if (n <= 0) return 0;
  out.add(getCurrent(), n);
  index_ += n;
  return n;
}

void Buffer::clearUsed()
{
  if (index_ <= 0) return;
  std::memmove(data_.data(), getCurrent(), getLeft());
  used_ -= index_;
  index_ = 0;
}

int Buffer::seek(int pos)
{
  if (pos < 0 || pos > used_) return 0;
  index_ = pos;
  return 1;
}

int Buffer::inc(int n) { return seek(index_ + n); }

int Buffer::trunc(int n)
{
  int u = n >= 0 ? n : used_ + n;
  if (u < 0 || u > used_) return 0;
  used_ = u;
  if (index_ > u) index_ = std::max(u - 1, 0);
  return 1;
}

int Buffer::setUsed(int n)
{
  if (n < 0 || n > getSize()) return 0;
  used_ = n;
  index_ = std::min(index_, used_);
  return 1;
}

bool Buffer::equal(int pos, const char* text) const
{
  if (!text) return false;
  long at = pos >= 0 ? pos : static_cast<long>(used_) + pos;
  size_t len = std::strlen(text);
  if (at < 0 || at + static_cast<long>(len) > used_) return false;
  return std::memcmp(data_.data() + at, text, len) == 0;
}

void Buffer::dump(int start, int n) const
{
  start = std::max(start, 0);
  int end = std::min(start + std::max(n, 0), used_);
  for (int row = start; row < end; row += 16) {
    std::printf("%6d:", row);
    int stop = std::min(row + 16, end);
    for (int i = row; i < row + 16; i++) {
      if (i < stop)
        std::printf(" %02x", data_[i]);
      else
        std::printf("   ");
    }
    std::printf("  ");
    for (int i = row; i < stop; i++) std::putchar(std::isprint(data_[i]) ? data_[i] : '.');
    std::putchar('\n');
  }
}

void Buffer::print() const { std::printf("Ind: %d Num: %d Max: %d\n", index_, used_, getSize()); }

}  // namespace KOL
