#include "obs/WmoData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace KOL {

void WmoData::init()
{
  clear();
  index_ = -1;
}

void WmoData::clear()
{
  view_ = nullptr;
  length_ = 0;
  type_ = DATA;
  terminator_ = NONE;
}

int WmoData::add(const void* bytes, int n)
{
  own();
  n = std::min(std::max(n, 0), getFree());
  if (n > 0) std::memcpy(data_ + length_, bytes, n);
  length_ += n;
  return n;
}

int WmoData::addInPlace(const void* bytes, int n)
{
  auto* p = static_cast<const char*>(bytes);
  if (length_ > 0 && (!view_ || view_ + length_ != p)) return add(bytes, n);
  n = std::min(std::max(n, 0), getFree());
  if (length_ == 0) view_ = p;
  length_ += n;
  return n;
}

void WmoData::own()
{
  if (!view_) return;
  std::memcpy(data_, view_, length_);
  view_ = nullptr;
}

bool WmoData::beginsWith(const char* text) const
{
  size_t n = std::strlen(text);
  return static_cast<size_t>(length_) >= n && std::memcmp(getData(), text, n) == 0;
}

const char* WmoData::tag(int type)
{
  static const char* const tags[] = {"UN:", "ST:", "SE:", "WM:", "AW:", "DA:", "EN:", "EF:"};
  return type >= UNKNOWN && type <= END_FILE ? tags[type] : "??:";
}

void WmoData::print() const
{
  static const char* const ends[] = {"", "-NL", "-ETX"};
  const char* end = terminator_ >= NONE && terminator_ <= ETX ? ends[terminator_] : "";
  std::printf("%s[%5d]%5d%s\n", tag(type_), index_, length_, end);
}

}  // namespace KOL
