#include "imagery/lev2/Metadata.h"

#include <cmath>
#include <cstring>
#include <string>

namespace KOL::lev2 {

namespace {

int16_t s16(const uint8_t* p) { return static_cast<int16_t>((p[0] << 8) | p[1]); }
int32_t s32(const uint8_t* p)
{
  return static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) |
                              p[3]);
}
float f32(const uint8_t* p)
{
  const uint32_t v = static_cast<uint32_t>(s32(p));
  float f;
  std::memcpy(&f, &v, sizeof f);
  return std::isfinite(f) ? f : 0.0f;
}

// Halfword n (from 1, as the ICD's tables count them).
int halfword(const uint8_t* b, int n) { return s16(b + 2 * (n - 1)); }

constexpr std::size_t STATUS_HALFWORDS = 22;

// Builds before 12 give the number times 10, later ones times 100.
float buildNumber(int raw) { return raw >= 1000 ? raw / 100.0f : raw / 10.0f; }

// Message 18: text fields at the start, the site's position in degrees, minutes and seconds
// (seconds as floats) near byte 1288 and its name and height near byte 8368.
constexpr std::size_t NAME = 0, FORMAT = 12, REVISION = 16, DATE = 20, TIME = 32;
constexpr std::size_t LAT_SEC = 1288, LON_SEC = 1292, LAT_DEG = 1300, LAT_MIN = 1304;
constexpr std::size_t LON_DEG = 1308, LON_MIN = 1312, LAT_DIR = 1316, LON_DIR = 1320;
constexpr std::size_t SITE = 8368, HEIGHT = 8388;

std::string text(const std::vector<uint8_t>& b, std::size_t at, std::size_t n)
{
  std::string s(reinterpret_cast<const char*>(b.data() + at), n);
  s.resize(std::strlen(s.c_str()));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool located(const std::vector<uint8_t>& b, Lev2Adaptation& a)
{
  if (b.size() < HEIGHT + 4) return false;
  const int latDeg = s32(&b[LAT_DEG]), latMin = s32(&b[LAT_MIN]);
  const int lonDeg = s32(&b[LON_DEG]), lonMin = s32(&b[LON_MIN]);
  const float latSec = f32(&b[LAT_SEC]), lonSec = f32(&b[LON_SEC]);
  if (latDeg < 0 || latDeg > 90 || lonDeg < 0 || lonDeg > 180 || latMin < 0 || latMin >= 60 ||
      lonMin < 0 || lonMin >= 60 || !(latSec >= 0 && latSec < 60) || !(lonSec >= 0 && lonSec < 60))
    return false;
  if (latDeg == 0 && latMin == 0 && lonDeg == 0 && lonMin == 0) return false;
  const char ns = static_cast<char>(b[LAT_DIR]), ew = static_cast<char>(b[LON_DIR]);
  a.lat = (latDeg + latMin / 60.0f + latSec / 3600.0f) * (ns == 'S' ? -1 : 1);
  a.lon = (lonDeg + lonMin / 60.0f + lonSec / 3600.0f) * (ew == 'W' ? -1 : 1);
  a.height = static_cast<float>(s32(&b[HEIGHT]));
  a.icao = text(b, SITE, 4);
  return true;
}

}  // namespace

Lev2Status readStatus(const uint8_t* b, std::size_t len, bool orda)
{
  Lev2Status s;
  if (len < 2 * STATUS_HALFWORDS) return s;
  s.present = true;
  s.orda = orda;
  s.rdaStatus = halfword(b, 1);
  s.operability = halfword(b, 2);
  s.control = halfword(b, 3);
  s.auxPower = halfword(b, 4);
  s.txPowerW = halfword(b, 5);
  // the open RDA gives hundredths of a dB, the legacy RDA whole dB
  s.refCalibDb = orda ? halfword(b, 6) / 100.0f : static_cast<float>(halfword(b, 6));
  s.dataEnabled = halfword(b, 7);
  s.vcp = halfword(b, 8);
  s.authorization = halfword(b, 9);
  if (orda) s.build = buildNumber(halfword(b, 10));
  s.operationalMode = halfword(b, 11);
  if (orda) s.superRes = halfword(b, 12);
  s.bypassMapDate = halfword(b, 19);
  s.bypassMapMinute = halfword(b, 20);
  s.clutterMapDate = halfword(b, 21);
  s.clutterMapMinute = halfword(b, 22);
  return s;
}

Lev2Adaptation readAdaptation(const std::map<int, std::vector<uint8_t>>& segments)
{
  Lev2Adaptation a;
  std::vector<uint8_t> b;
  int expect = 1;
  for (const auto& [number, bytes] : segments) {
    if (number != expect++) break;  // a gap: only what precedes it is in place
    b.insert(b.end(), bytes.begin(), bytes.end());
  }
  // the legacy RDA's adaptation data (or a message of zeros) begin without the file name
  if (b.size() < TIME + 12 || text(b, NAME, 12).empty()) return a;
  a.present = true;
  a.fileName = text(b, NAME, 12);
  a.format = text(b, FORMAT, 4);
  a.revision = text(b, REVISION, 4);
  a.date = text(b, DATE, 12);
  a.time = text(b, TIME, 12);
  a.located = located(b, a);
  return a;
}

}  // namespace KOL::lev2
