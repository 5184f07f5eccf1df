#include "obs/BufrFile.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

namespace {

bool upper(uint8_t c) { return c >= 'A' && c <= 'Z'; }
bool digit(uint8_t c) { return c >= '0' && c <= '9'; }
bool alnum(uint8_t c) { return upper(c) || digit(c); }

// Length of a WMO abbreviated heading "TTAAii CCCC YYGGgg[ BBB]" at p, 0 when there is none.
size_t headingAt(const uint8_t* p, size_t n)
{
  if (n < 18) return 0;
  for (int k = 0; k < 4; k++)
    if (!upper(p[k])) return 0;
  if (!digit(p[4]) || !digit(p[5]) || p[6] != ' ' || p[11] != ' ') return 0;
  for (int k = 7; k < 11; k++)
    if (!alnum(p[k])) return 0;
  for (int k = 12; k < 18; k++)
    if (!digit(p[k])) return 0;
  if (n >= 22 && p[18] == ' ' && upper(p[19]) && upper(p[20]) && upper(p[21])) return 22;
  return 18;
}

}  // namespace

BufrFile::BufrFile() { init(); }
BufrFile::BufrFile(const char* name)
{
  init();
  open(name);
}

void BufrFile::init()
{
  open_ = false;
  bytes_.clear();
  pos_ = offset_ = 0;
  shared_ = nullptr;
}

int BufrFile::open(const char* name)
{
  close();
  FILE* fp = name ? std::fopen(name, "rb") : nullptr;
  if (!fp) {
    Kol::outWarning("BufrFile: Unable to open file: %s\n", name ? name : "");
    return 0;
  }
  uint8_t chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
    bytes_.insert(bytes_.end(), chunk, chunk + n);
  std::fclose(fp);
  open_ = true;
  return 1;
}

int BufrFile::open(const uint8_t* bytes, size_t size)
{
  close();
  if (bytes && size) bytes_.assign(bytes, bytes + size);
  open_ = true;
  return 1;
}

int BufrFile::close()
{
  bytes_.clear();
  pos_ = offset_ = 0;
  open_ = false;
  return 1;
}

void BufrFile::rewind() { pos_ = offset_ = 0; }

const BufrTable* BufrFile::tables()
{
  if (shared_) return shared_;
  return own_.load() ? &own_ : nullptr;
}

void BufrFile::headingBefore(size_t from, size_t to, char* out, size_t size) const
{
  out[0] = '\0';
  for (size_t k = from; k < to; k++) {
    if (k > from && bytes_[k - 1] != '\n' && bytes_[k - 1] != '\r' && bytes_[k - 1] != 1) continue;
    const size_t len = headingAt(bytes_.data() + k, to - k);
    if (!len) continue;
    const size_t n = len < size - 1 ? len : size - 1;
    std::memcpy(out, bytes_.data() + k, n);
    out[n] = '\0';
  }
}

int BufrFile::read(BufrMessage& m)
{
  if (!open_) return 0;
  const BufrTable* table = tables();
  if (!table) return 0;
  const size_t n = bytes_.size();
  const size_t textFrom = pos_;
  while (pos_ + 8 <= n) {
    const uint8_t* p =
        static_cast<const uint8_t*>(std::memchr(bytes_.data() + pos_, 'B', n - pos_ - 7));
    if (!p) break;
    const size_t at = static_cast<size_t>(p - bytes_.data());
    pos_ = at + 1;
    if (std::memcmp(p, "BUFR", 4) != 0) continue;
    const size_t len = (size_t(p[4]) << 16) | (size_t(p[5]) << 8) | p[6];
    if (len < 8 || at + len > n || std::memcmp(p + len - 4, "7777", 4) != 0) {
      Kol::outWarning("BufrFile: \"BUFR\" at %zu without \"7777\" at its length %zu\n", at, len);
      continue;
    }
    if (!m.decode(p, len, *table)) continue;
    offset_ = at;
    pos_ = at + len;
    headingBefore(textFrom, at, m.heading, sizeof m.heading);
    return 1;
  }
  pos_ = n;
  return 0;
}

void BufrFile::print() const
{
  std::printf("BufrFile: open %d bytes %zu next %zu last message at %zu\n", open_ ? 1 : 0,
              bytes_.size(), pos_, offset_);
}

}  // namespace KOL
