// Small GRIB messages built byte by byte for tests, and helpers to damage them.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "grid/grib/Writer.h"

namespace KOLTest {

using Bytes = std::vector<uint8_t>;

inline void put(Bytes& b, uint64_t v, int n)
{
  for (int k = n - 1; k >= 0; k--) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
}
inline void putSigned(Bytes& b, long v, int n)
{
  uint64_t m = static_cast<uint64_t>(v < 0 ? -v : v);
  if (v < 0) m |= uint64_t(1) << (8 * n - 1);
  put(b, m, n);
}
inline void section(Bytes& msg, int number, const Bytes& body)
{
  put(msg, body.size() + 5, 4);
  put(msg, number, 1);
  msg.insert(msg.end(), body.begin(), body.end());
}

// Sets the total length of an edition 2 message (octets 9-16) to its size.
inline void setLength(Bytes& msg)
{
  for (int k = 0; k < 8; k++)
    msg[8 + k] = static_cast<uint8_t>(uint64_t(msg.size()) >> (8 * (7 - k)));
}

struct Ed2Spec {
  int nx = 8, ny = 6;
  int scan = 0;
  int bits = 12, e = -4, d = 0;
  float ref = 0;              // taken from the values when 0
  std::vector<float> values;  // nx * ny in stored order; NAN marks a masked point
  bool bitmap = false;
  int centre = 7, discipline = 0, category = 0, parameter = 0;
  int levelType = 100;
  long levelValue = 50000;  // scaled value, scale factor 0
  int forecastHour = 6;
};

// Values of a smooth field, nx * ny.
inline std::vector<float> smoothField(int nx, int ny)
{
  std::vector<float> v;
  for (int j = 0; j < ny; j++)
    for (int i = 0; i < nx; i++) v.push_back(280.0f + 5.0f * std::sin(i * 0.3f) + j);
  return v;
}

inline Bytes buildEd2(Ed2Spec s)
{
  if (s.values.empty()) s.values = smoothField(s.nx, s.ny);
  std::vector<float> packed;
  for (float v : s.values)
    if (!std::isnan(v)) packed.push_back(v);
  float ref = s.ref;
  if (ref == 0 && !packed.empty()) {
    ref = packed[0];
    for (float v : packed) ref = std::min(ref, v);
  }
  Bytes msg = {'G', 'R', 'I', 'B', 0, 0, static_cast<uint8_t>(s.discipline), 2};
  put(msg, 0, 8);  // total length, set at the end
  Bytes b1;
  put(b1, s.centre, 2), put(b1, 0, 2), put(b1, 2, 1), put(b1, 1, 1), put(b1, 1, 1);
  put(b1, 2024, 2), put(b1, 5, 1), put(b1, 17, 1), put(b1, 12, 1), put(b1, 0, 1), put(b1, 0, 1);
  put(b1, 0, 1), put(b1, 1, 1);
  section(msg, 1, b1);
  Bytes b3;
  put(b3, 0, 1), put(b3, size_t(s.nx) * s.ny, 4), put(b3, 0, 2), put(b3, 0, 2);
  put(b3, 6, 1);
  for (int k = 0; k < 15; k++) put(b3, 0xFF, 1);
  put(b3, s.nx, 4), put(b3, s.ny, 4), put(b3, 0, 4), put(b3, 0xFFFFFFFF, 4);
  const bool north = !(s.scan & 0x40);
  const long la1 = north ? 50000000 : 50000000 - (s.ny - 1) * 1000000L;
  putSigned(b3, la1, 4), putSigned(b3, 10000000, 4), put(b3, 0x30, 1);
  putSigned(b3, north ? la1 - (s.ny - 1) * 1000000L : 50000000, 4);
  putSigned(b3, 10000000 + (s.nx - 1) * 1000000L, 4);
  put(b3, 1000000, 4), put(b3, 1000000, 4), put(b3, s.scan, 1);
  section(msg, 3, b3);
  Bytes b4;
  put(b4, 0, 2), put(b4, 0, 2), put(b4, s.category, 1), put(b4, s.parameter, 1);
  put(b4, 2, 1), put(b4, 0, 1), put(b4, 96, 1), put(b4, 0, 2), put(b4, 0, 1), put(b4, 1, 1);
  put(b4, s.forecastHour, 4), put(b4, s.levelType, 1), put(b4, 0, 1), put(b4, s.levelValue, 4);
  put(b4, 255, 1), put(b4, 0, 1), put(b4, 0, 4);
  section(msg, 4, b4);
  Bytes b5;
  put(b5, packed.size(), 4), put(b5, 0, 2);
  uint32_t refBits;
  std::memcpy(&refBits, &ref, 4);
  put(b5, refBits, 4), putSigned(b5, s.e, 2), putSigned(b5, s.d, 2), put(b5, s.bits, 1);
  put(b5, 0, 1);
  section(msg, 5, b5);
  Bytes b6 = {static_cast<uint8_t>(s.bitmap ? 0 : 255)};
  if (s.bitmap) {
    Bytes bm((s.values.size() + 7) / 8, 0);
    for (size_t k = 0; k < s.values.size(); k++)
      if (!std::isnan(s.values[k])) bm[k / 8] |= static_cast<uint8_t>(0x80 >> (k % 8));
    b6.insert(b6.end(), bm.begin(), bm.end());
  }
  section(msg, 6, b6);
  Bytes b7;
  uint64_t acc = 0;
  int held = 0;
  for (float v : packed) {
    auto x =
        static_cast<uint64_t>(std::lround((v * std::pow(10.0, s.d) - ref) * std::ldexp(1.0, -s.e)));
    acc = (acc << s.bits) | (x & ((uint64_t(1) << s.bits) - 1));
    held += s.bits;
    while (held >= 8) held -= 8, b7.push_back(static_cast<uint8_t>(acc >> held));
  }
  if (held > 0) b7.push_back(static_cast<uint8_t>(acc << (8 - held)));
  section(msg, 7, b7);
  msg.insert(msg.end(), {'7', '7', '7', '7'});
  setLength(msg);
  return msg;
}

// Offset (0-based) of section n of an edition 2 message; 0 when absent.
inline size_t sectionOffset(const Bytes& msg, int n)
{
  size_t at = 16;
  while (at + 5 <= msg.size() && std::memcmp(&msg[at], "7777", 4) != 0) {
    size_t len = (size_t(msg[at]) << 24) | (size_t(msg[at + 1]) << 16) |
                 (size_t(msg[at + 2]) << 8) | msg[at + 3];
    if (msg[at + 4] == n) return at;
    if (len < 5) return 0;
    at += len;
  }
  return 0;
}

}  // namespace KOLTest

namespace KOLTest {

// An edition 1 message on a predefined grid: n values k * 0.5 + 200 (12 bits, E = -1).
inline Bytes buildEd1Predefined(int grid, size_t n)
{
  Bytes pds = {0,  0,  28,  2,    7,    96, static_cast<uint8_t>(grid),
               0,  11, 100, 0x01, 0xF4, 24, 5,
               17, 12, 0,   1,    6,    0,  0,
               0,  0,  0,   21,   0,    0,  0};
  Bytes bds;
  const int bits = 12;
  const size_t dataBytes = (n * bits + 7) / 8;
  put(bds, dataBytes + 11, 3);
  put(bds, (dataBytes * 8 - n * bits) & 0x0F, 1);
  putSigned(bds, -1, 2);
  put(bds, 0x42C80000, 4);  // IBM float 200
  put(bds, bits, 1);
  uint64_t acc = 0;
  int held = 0;
  for (size_t k = 0; k < n; k++) {
    acc = (acc << bits) | (k % 4096);
    held += bits;
    while (held >= 8) held -= 8, bds.push_back(static_cast<uint8_t>(acc >> held));
  }
  if (held > 0) bds.push_back(static_cast<uint8_t>(acc << (8 - held)));
  Bytes msg = {'G', 'R', 'I', 'B', 0, 0, 0, 1};
  msg.insert(msg.end(), pds.begin(), pds.end());
  msg.insert(msg.end(), bds.begin(), bds.end());
  msg.insert(msg.end(), {'7', '7', '7', '7'});
  msg[4] = static_cast<uint8_t>(msg.size() >> 16);
  msg[5] = static_cast<uint8_t>(msg.size() >> 8);
  msg[6] = static_cast<uint8_t>(msg.size());
  return msg;
}

}  // namespace KOLTest

namespace KOLTest {

// An edition 1 Lambert message (the library's writer) of nx x ny values on a 40 km grid.
inline Bytes ed1Lambert(const std::vector<float>& values, int nx, int ny, int levelType = 1,
                        int levelValue = 0)
{
  KOL::grib::Ed1Lambert d;
  d.nx = nx, d.ny = ny, d.la1 = 30, d.lo1 = -100, d.lov = -95, d.latin1 = d.latin2 = 25;
  d.dx = d.dy = 40000, d.parameter = 11, d.levelType = levelType, d.levelValue = levelValue;
  d.year = 2024, d.month = 5, d.day = 17, d.hour = 12, d.values = values.data();
  return KOL::grib::encodeEd1Lambert(d);
}

}  // namespace KOLTest
