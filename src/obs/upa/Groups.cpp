#include "obs/upa/Groups.h"

#include "core/Const.h"

namespace KOL {
namespace upa {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

}  // namespace

std::string_view Groups::peek() const
{
  size_t start = pos_;
  while (start < text_.size() && isBlank(text_[start])) ++start;
  size_t end = start;
  while (end < text_.size() && !isBlank(text_[end])) ++end;
  return text_.substr(start, end - start);
}

std::string_view Groups::next()
{
  std::string_view g = peek();
  pos_ = static_cast<size_t>(g.data() - text_.data()) + g.size();
  return g;
}

bool isGroup(std::string_view g)
{
  if (g.size() != 5) return false;
  for (char c : g)
    if ((c < '0' || c > '9') && c != '/') return false;
  return true;
}

int field(std::string_view g, size_t pos, size_t n)
{
  // More than nine digits would not fit an int.
  if (pos + n > g.size() || n > 9) return BAD;
  int v = 0, slashes = 0;
  for (size_t i = pos; i < pos + n; ++i) {
    char c = g[i];
    if (c == '/')
      ++slashes;
    else if (c >= '0' && c <= '9')
      v = v * 10 + (c - '0');
    else
      return BAD;
  }
  if (slashes == 0) return v;
  return slashes == static_cast<int>(n) ? SLASH : BAD;
}

bool isRepeatedDigit(std::string_view g)
{
  return g.size() >= 2 && g[0] >= '0' && g[0] <= '9' && g[0] == g[1];
}

float expandHeight(float p, int hhh)
{
  if (hhh < 0) return Const::FMISS;
  const bool low = hhh <= 500;
  const float dam = hhh * 10.0f;
  const int ip = static_cast<int>(p + 0.5f);
  switch (ip) {
    case 1000:
      return hhh >= 500 ? 500.0f - hhh : static_cast<float>(hhh);
    case 925:
      return static_cast<float>(hhh);
    case 850:
      return hhh + 1000.0f;
    case 700:
      return hhh + (low ? 3000.0f : 2000.0f);
    case 500:
    case 400:
      return dam;
    case 300:
    case 250:
      return dam + (low ? 10000.0f : 0.0f);
    case 200:
    case 150:
    case 100:
    case 70:
      return dam + 10000.0f;
    case 50:
      return dam + (low ? 20000.0f : 10000.0f);
    case 30:
    case 20:
      return dam + 20000.0f;
    case 10:
      return dam + (low ? 30000.0f : 20000.0f);
    case 7:
    case 5:
      return dam + 30000.0f;
    case 3:
    case 2:
      return dam + (low ? 40000.0f : 30000.0f);
    case 1:
      return dam + (low ? 50000.0f : 40000.0f);
    default:
      return Const::FMISS;
  }
}

void decodeTemp(int ttt, int dd, float& t, float& td)
{
  t = td = Const::FMISS;
  if (ttt < 0 || ttt == 999) return;
  t = ttt / 10.0f;
  if (ttt % 2) t = -t;
  if (dd < 0 || (dd > 50 && dd < 56)) return;
  float depression = dd <= 50 ? dd / 10.0f : dd - 50.0f;
  td = t - depression;
}

void decodeWind(int ddd, int ff, float max_speed, float& dir, float& spd)
{
  dir = spd = Const::FMISS;
  if (ddd < 0 || ff < 0 || ddd == 999) return;
  int d = ddd - ddd % 5;
  int s = (ddd % 5) * 100 + ff;
  if (d > 360 || s > max_speed) return;
  dir = static_cast<float>(d);
  spd = static_cast<float>(s);
}

}  // namespace upa
}  // namespace KOL
