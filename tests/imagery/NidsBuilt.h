// NIDS products built byte by byte for tests: a message header, a product description and a
// symbology block with one packet, optionally bzip2-compressed or wrapped in zlib segments.
#pragma once

#include <bzlib.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/BZlib.h"
#include "core/Zlib.h"

namespace KOLTest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, int v)
{
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}

inline void put32(Bytes& b, long v)
{
  put16(b, static_cast<int>(v >> 16));
  put16(b, static_cast<int>(v));
}

struct Radial {
  float start, delta;
  Bytes runs;  // run-length bytes (even count) or digital bytes
};

// A radial packet: 0xAF1F (run-length) or 16 (digital).
inline Bytes radialPacket(int code, int bins, const std::vector<Radial>& radials)
{
  Bytes p;
  for (int v : {code, 0, bins, 0, 0, 999, static_cast<int>(radials.size())}) put16(p, v);
  for (const Radial& r : radials) {
    const int n = static_cast<int>(r.runs.size());
    put16(p, code == 16 ? n : n / 2);
    put16(p, static_cast<int>(r.start * 10 + 0.5f));
    put16(p, static_cast<int>(r.delta * 10 + 0.5f));
    p.insert(p.end(), r.runs.begin(), r.runs.end());
    if (code == 16 && (n & 1)) p.push_back(0);
  }
  return p;
}

struct Product {
  int code = 19;
  int mode = 2;
  uint16_t thresholds[16] = {0x8002, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75};
  int params[10] = {0, 0, 5, 68, 0, 0, 0, 0, 0, 0};
  Bytes packet;
  bool bzip2 = false;
};

inline Bytes compressBzip2(const Bytes& in)
{
  KOL::BZlib bz(KOL::BZlib::COMPRESS);
  Bytes out(in.size() + in.size() / 50 + 700);
  bz.setIn(in.data(), static_cast<int>(in.size()));
  bz.setOut(out.data(), static_cast<int>(out.size()));
  while (bz.comp(BZ_FINISH) == BZ_FINISH_OK) {
  }
  out.resize(out.size() - bz.getAvailOut());
  return out;
}

inline Bytes compressZlib(const uint8_t* in, std::size_t n)
{
  KOL::Zlib z(KOL::Zlib::COMPRESS);
  Bytes out(n + 256);
  z.set(in, static_cast<int>(n), out.data(), static_cast<int>(out.size()));
  z.comp(Z_FINISH);
  out.resize(out.size() - z.getAvailOut());
  return out;
}

// The product from its message header on.
inline Bytes buildMessage(Product p)
{
  Bytes symb;
  for (int v : {-1, 1}) put16(symb, v);
  put32(symb, 16 + static_cast<long>(p.packet.size()));
  for (int v : {1, -1}) put16(symb, v);
  put32(symb, static_cast<long>(p.packet.size()));
  symb.insert(symb.end(), p.packet.begin(), p.packet.end());
  if (p.bzip2) {
    p.params[7] = 1;
    p.params[8] = static_cast<int>(symb.size() >> 16);
    p.params[9] = static_cast<int>(symb.size() & 0xFFFF);
    symb = compressBzip2(symb);
  }
  Bytes m;
  for (int v : {p.code, 15846}) put16(m, v);
  for (long v : {73025L, 120 + static_cast<long>(symb.size())}) put32(m, v);
  for (int v : {1, 0, 3, -1}) put16(m, v);
  for (long v : {35333, -97278}) put32(m, v);
  for (int v : {1277, p.code, p.mode, 12, 1404, 28, 15846}) put16(m, v);
  put32(m, 73003);
  put16(m, 15846);
  put32(m, 73009);
  for (int v : {p.params[0], p.params[1], 1, p.params[2]}) put16(m, v);
  for (uint16_t t : p.thresholds) put16(m, t);
  for (int k = 3; k < 10; ++k) put16(m, p.params[k]);
  put16(m, 0);
  for (long v : {60, 0, 0}) put32(m, v);
  m.insert(m.end(), symb.begin(), symb.end());
  return m;
}

// A product of 360 radials of 30 bins, all of one run byte, written to path.
inline std::string writeUniform(Product p, uint8_t run, const std::string& path)
{
  std::vector<Radial> radials;
  for (int k = 0; k < 360; ++k) radials.push_back({static_cast<float>(k), 1.0f, {run, run}});
  p.packet = radialPacket(0xAF1F, 30, radials);
  const Bytes b = buildMessage(p);
  writeFile(path, std::string(b.begin(), b.end()));
  return path;
}

inline Bytes withHeading(const Bytes& message)
{
  const std::string h = "SDUS54 KOUN 202016\r\r\nN0RTLX\r\r\n";
  Bytes b(h.begin(), h.end());
  b.insert(b.end(), message.begin(), message.end());
  return b;
}

// The feed's zlib form: SOH framing, then the product behind a 54-byte WMO header, deflated in
// segments of `segment` bytes, and the transmission trailer.
inline Bytes zlibFramed(const Bytes& message, std::size_t segment)
{
  const std::string framing = "\x01\r\r\n123 \r\r\nSDUS54 KOUN 202016\r\r\nN0RTLX\r\r\n";
  Bytes inner;
  std::string wmo = framing;
  wmo.resize(54, ' ');
  inner.insert(inner.end(), wmo.begin(), wmo.end());
  inner.insert(inner.end(), message.begin(), message.end());
  Bytes b(framing.begin(), framing.end());
  for (std::size_t at = 0; at < inner.size(); at += segment) {
    Bytes z = compressZlib(inner.data() + at, std::min(segment, inner.size() - at));
    b.insert(b.end(), z.begin(), z.end());
  }
  const uint8_t trailer[4] = {0x0D, 0x0D, 0x0A, 0x03};
  b.insert(b.end(), trailer, trailer + 4);
  return b;
}

}  // namespace KOLTest
