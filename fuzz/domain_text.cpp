// Domain text: any bytes read as a domain, written back, read again, and used to project a few
// points. A successful projection must never hand out a NaN or an infinity.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "core/String.h"
#include "geo/Domain.h"

using namespace KOL;

namespace {

void check(bool ok)
{
  if (!ok) std::abort();
}

void exercise(const Domain& d)
{
  const float places[][2] = {{45, -100},        {-80, 10}, {90, 0},   {0, 180},
                             {Const::FMISS, 0}, {20, 700}, {-40, 325}};
  for (const auto& place : places) {
    EarthPoint e(place[0], place[1]);
    Point p;
    if (d.tran(e, p) && !p.isMiss()) {
      check(std::isfinite(p.x) && std::isfinite(p.y));
      EarthPoint back;
      if (d.tran(p, back) && !back.isMiss())
        check(std::isfinite(back.lat) && std::isfinite(back.lon));
      GridPoint g;
      if (d.tran(p, g)) check(std::isfinite(g.x) && std::isfinite(g.y));
      const float dir = d.adjustDir(45.0f, p);
      check(!std::isnan(dir));
    }
  }
  for (int corner = 0; corner <= 4; corner++) {
    EarthPoint e;
    if (d.tran(corner, e) && !e.isMiss()) check(std::isfinite(e.lat) && std::isfinite(e.lon));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  Kol::setMessageLevel(0);
  const std::string text(reinterpret_cast<const char*>(data), size < 1024 ? size : 1024);
  Domain d;
  if (!d.set(text.c_str())) return 0;
  exercise(d);
  String s;
  d.toString(s);
  Domain again;
  again.set(s.get());
  exercise(again);
  Domain scaled = d;
  scaled.scaleGrid(0.5f);
  scaled.scaleSize(7, 5);
  exercise(scaled);
  return 0;
}
