#include "obs/text/TextProductFile.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"

namespace KOL {

namespace {

bool separatorAt(std::string_view s, size_t i)
{
  return (i == 0 || s[i - 1] == '\n') && s.compare(i, 3, "** ") == 0;
}

size_t nextSeparator(std::string_view s, size_t from)
{
  for (size_t i = s.find("** ", from); i != std::string_view::npos; i = s.find("** ", i + 1))
    if (separatorAt(s, i)) return i;
  return std::string_view::npos;
}

}  // namespace

void TextProductFile::init()
{
  name_.clear();
  bytes_.clear();
  framing_ = PLAIN;
  pos_ = 0;
}

int TextProductFile::open(const char* name)
{
  init();
  name_ = name ? name : "";
  std::FILE* fp = name_ == "-" ? stdin : std::fopen(name_.c_str(), "rb");
  if (!fp) {
    Kol::outWarning("TextProductFile: cannot open %s\n", name_.c_str());
    return 0;
  }
  // One allocation for a file of known size; standard input grows as it comes.
  std::string bytes;
  if (fp != stdin && std::fseek(fp, 0, SEEK_END) == 0) {
    long size = std::ftell(fp);
    std::rewind(fp);
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
  }
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) bytes.append(buf, n);
  if (fp != stdin) std::fclose(fp);
  bytes_ = std::move(bytes);
  classify();
  return 1;
}

void TextProductFile::setText(std::string_view bytes)
{
  bytes_.assign(bytes);
  classify();
}

void TextProductFile::classify()
{
  pos_ = 0;
  std::string_view s(bytes_);
  if (s.find('\x01') != std::string_view::npos)
    framing_ = SOH_ETX;
  else if (nextSeparator(s, 0) != std::string_view::npos)
    framing_ = SEPARATORS;
  else
    framing_ = PLAIN;
}

std::string_view TextProductFile::nextPiece(long& start)
{
  std::string_view s(bytes_);
  if (pos_ >= s.size()) return {};
  if (framing_ == PLAIN) {
    start = static_cast<long>(pos_);
    pos_ = s.size();
    return s;
  }
  if (framing_ == SEPARATORS) {
    size_t b = nextSeparator(s, pos_);
    if (b == std::string_view::npos) {
      pos_ = s.size();
      return {};
    }
    size_t e = nextSeparator(s, b + 3);
    if (e == std::string_view::npos) e = s.size();
    pos_ = e;
    start = static_cast<long>(b);
    return s.substr(b, e - b);
  }
  size_t b = s.find('\x01', pos_);
  if (b == std::string_view::npos) {
    pos_ = s.size();
    return {};
  }
  size_t next = s.find('\x01', b + 1);
  size_t etx = s.find('\x03', b + 1);
  size_t e = std::min(next, etx);
  if (etx == std::string_view::npos || etx > next) {
    Kol::outWarning("TextProductFile: bulletin at byte %zu of %s has no end\n", b, name_.c_str());
    if (e == std::string_view::npos) e = s.size();
  }
  pos_ = e == s.size() ? e : (e == etx ? e + 1 : e);
  start = static_cast<long>(b);
  return s.substr(b + 1, e - b - 1);
}

int TextProductFile::read(TextProduct& p)
{
  long start = 0;
  for (;;) {
    std::string_view piece = nextPiece(start);
    if (piece.data() == nullptr) return 0;
    if (p.parse(piece, start)) return 1;
  }
}

}  // namespace KOL
