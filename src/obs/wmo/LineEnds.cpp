#include "obs/wmo/LineEnds.h"

#include <cstring>

namespace KOL::wmo {

namespace {

constexpr unsigned char SOH = 0x01;
constexpr unsigned char FEED_END[] = {'\r', '\r', '\n'};

}  // namespace

LineEnds::Kind LineEnds::sniff(const unsigned char* p, size_t n)
{
  const void* soh = std::memchr(p, SOH, n);
  if (!soh) return UNKNOWN;
  size_t at = static_cast<size_t>(static_cast<const unsigned char*>(soh) - p) + 1;
  const unsigned char* s = p + at;
  size_t left = n - at;
  if (left < 3) return UNKNOWN;
  if (s[0] == '\r' && s[1] == '\r' && s[2] == '\n') return FEED;
  if (s[0] == '\r' && s[1] == '\n') return CR_LF;
  if (s[0] == '\n') return s[1] == '\n' ? LF_LF : LF;
  return FEED;
}

const char* LineEnds::name(Kind k)
{
  static const char* const names[] = {"CR CR LF", "LF", "CR LF", "LF LF", "unknown"};
  return names[k];
}

void LineEnds::setKind(Kind k)
{
  kind_ = k;
  crs_ = 0;
  half_ = false;
}

// A lone LF of a LF LF capture ends its line too; CRs not followed by a LF are text.
size_t LineEnds::release(unsigned char* out)
{
  size_t k = 0;
  if (half_) {
    std::memcpy(out, FEED_END, 3);
    k = 3;
    half_ = false;
  }
  for (; crs_ > 0; crs_--) out[k++] = '\r';
  return k;
}

size_t LineEnds::convert(const unsigned char* in, size_t n, unsigned char* out)
{
  size_t k = 0;
  for (size_t i = 0; i < n; i++) {
    unsigned char c = in[i];
    if (c == '\n') {
      crs_ = 0;
      if (kind_ == LF_LF && !half_) {
        half_ = true;
        continue;
      }
      half_ = false;
      std::memcpy(out + k, FEED_END, 3);
      k += 3;
    } else if (c == '\r') {
      if (half_) k += release(out + k);
      if (crs_ == MAX_CRS)
        out[k++] = '\r';
      else
        crs_++;
    } else {
      k += release(out + k);
      out[k++] = c;
    }
  }
  return k;
}

size_t LineEnds::finish(unsigned char* out) { return release(out); }

}  // namespace KOL::wmo
