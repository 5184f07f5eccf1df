#include "grid/grib/Inventory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "grid/grib/GridDefs.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

size_t findGrib(const uint8_t* p, size_t n, size_t from)
{
  while (from + 4 <= n) {
    const void* hit = std::memchr(p + from, 'G', n - from - 3);
    if (!hit) return n;
    size_t at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - p);
    if (std::memcmp(p + at, "GRIB", 4) == 0) return at;
    from = at + 1;
  }
  return n;
}

int FieldWalker::next(Field& f, bool values)
{
  while (true) {
    if (inMessage_) {
      if (msg_.next(f, values)) {
        f.offset = msgStart_;
        return 1;
      }
      inMessage_ = false;
    }
    size_t at = findGrib(p_, n_, pos_);
    if (at >= n_) return 0;
    msg_ = MessageDecoder(p_ + at, n_ - at);
    msgStart_ = at;
    // A bad message is stepped over by its first byte so that the search goes on.
    pos_ = msg_.length() ? at + msg_.length() : at + 1;
    inMessage_ = msg_.length() != 0;
  }
}

std::string packingName(const Field& f)
{
  const UnpackerEntry* u = findUnpacker(f.pack.templ);
  if (u) return u->name;
  return "unknown_" + std::to_string(f.pack.templ);
}

std::string gridName(const Field& f)
{
  const GridKind* k = findGridKind(f.grid.templ);
  std::string name = k ? k->name : "grid_" + std::to_string(f.grid.templ);
  if (f.grid.thinned()) name = "reduced_" + name;
  return name;
}

std::string foreTimeText(const Field& f)
{
  static const char* units[] = {"m",    "h", "d", "M",  "y",  "10y", "30y",
                                "100y", "",  "",  "3h", "6h", "12h", "s"};
  const char* u = f.timeUnit >= 0 && f.timeUnit < 14 ? units[f.timeUnit] : "?";
  char buf[64];
  if (f.p2 != f.p1 && f.edition == 2)
    std::snprintf(buf, sizeof buf, "%ld-%ld%s", std::min(f.p1, f.p2), std::max(f.p1, f.p2), u);
  else if (f.edition == 1 && f.timeRange >= 2 && f.timeRange <= 5)
    std::snprintf(buf, sizeof buf, "%ld-%ld%s", f.p1, f.p2, u);
  else
    std::snprintf(buf, sizeof buf, "%ld%s", f.p1, u);
  return buf;
}

std::string levelText(const Field& f)
{
  char buf[96];
  if (f.edition == 1) {
    std::snprintf(buf, sizeof buf, "%d:%g:%g", f.levelType1, f.level1, f.level2);
  } else if (f.levelType2 != 255 && !f.level2Missing) {
    std::snprintf(buf, sizeof buf, "%d:%g-%d:%g", f.levelType1, f.level1, f.levelType2, f.level2);
  } else {
    std::snprintf(buf, sizeof buf, "%d:%g", f.levelType1, f.level1Missing ? 0.0 : f.level1);
  }
  return buf;
}

}  // namespace KOL::grib
