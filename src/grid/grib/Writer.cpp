#include "grid/grib/Writer.h"

#include <cmath>
#include <cstdio>

#include "core/Kol.h"
#include "grid/Level.h"
#include "grid/grib/Product.h"

namespace KOL::grib {

namespace {

class Out {
 public:
  explicit Out(std::vector<uint8_t>& b) : b_(b) {}
  void u(uint64_t v, int octets)
  {
    for (int k = octets - 1; k >= 0; k--) b_.push_back(static_cast<uint8_t>(v >> (8 * k)));
  }
  // Sign-and-magnitude.
  void s(long v, int octets)
  {
    uint64_t mag = static_cast<uint64_t>(v < 0 ? -v : v);
    if (v < 0) mag |= uint64_t(1) << (8 * octets - 1);
    u(mag, octets);
  }
  void milli(double deg) { s(std::lround(deg * 1000.0), 3); }
  void zeros(int n) { b_.insert(b_.end(), static_cast<size_t>(n), 0); }

 private:
  std::vector<uint8_t>& b_;
};

void writeProduct(Out& o, const Ed1Lambert& d)
{
  o.u(28, 3);
  o.u(2, 1);  // table version
  o.u(0, 1);  // centre
  o.u(d.process, 1);
  o.u(255, 1);  // grid described in the message
  o.u(0x80, 1);
  o.u(d.parameter, 1);
  o.u(d.levelType, 1);
  o.u(d.levelValue, 2);
  o.u(d.year % 100, 1);
  o.u(d.month, 1);
  o.u(d.day, 1);
  o.u(d.hour, 1);
  o.u(d.minute, 1);
  o.u(1, 1);  // hours
  o.u(d.p1, 1);
  o.zeros(5);                                     // P2, time range, averaging counts
  o.u(d.year / 100 + (d.year % 100 ? 1 : 0), 1);  // century of the reference year
  o.zeros(3);                                     // sub-centre, decimal scale 0
}

void writeGrid(Out& o, const Ed1Lambert& d)
{
  o.u(42, 3);
  o.u(0, 1);    // NV
  o.u(255, 1);  // PV/PL
  o.u(3, 1);    // Lambert conformal
  o.u(d.nx, 2);
  o.u(d.ny, 2);
  o.milli(d.la1);
  o.milli(d.lo1);
  o.u(0x80, 1);
  o.milli(d.lov);
  o.u(std::lround(d.dx), 3);
  o.u(std::lround(d.dy), 3);
  o.u(0, 1);  // north pole on the projection plane
  o.u(d.scan, 1);
  o.milli(d.latin1);
  o.milli(d.latin2);
  o.zeros(8);  // south pole of the secant cone, reserved
}

}  // namespace

std::vector<uint8_t> encodeEd1Lambert(const Ed1Lambert& d)
{
  std::vector<uint8_t> msg;
  if (d.nx < 1 || d.ny < 1 || d.nx > 65535 || d.ny > 65535 || !d.values) {
    Kol::outWarning("GribFile: cannot write a grid of %d x %d\n", d.nx, d.ny);
    return msg;
  }
  const size_t n = size_t(d.nx) * d.ny;
  int bits = d.bits < 1 || d.bits > 24 ? 8 : d.bits;
  while (bits > 1 && n * bits > 134216007u) bits--;
  float lo = 0, hi = 0;
  bool first = true;
  for (size_t k = 0; k < n; k++) {
    if (first || d.values[k] < lo) lo = d.values[k];
    if (first || d.values[k] > hi) hi = d.values[k];
    first = false;
  }
  // R is rounded down so that no value falls below it.
  uint32_t ibmRef = toIbmFloat(lo);
  double ref = ibmFloat(ibmRef);
  if (ref > lo) ibmRef = toIbmFloat(lo - std::fabs(lo) * 1e-6 - 1e-30), ref = ibmFloat(ibmRef);
  const double range = hi - ref;
  const double maxInt = std::ldexp(1.0, bits) - 1;
  int e = range > 0 ? static_cast<int>(std::floor(std::log2(range / maxInt) + 1)) : 0;
  const size_t dataBytes = (n * bits + 7) / 8;
  const size_t total = dataBytes + 93;
  if (total > 0xFFFFFF) {
    Kol::outWarning("GribFile: grid too large for an edition 1 message\n");
    return {};
  }
  msg.reserve(total);
  Out o(msg);
  msg.insert(msg.end(), {'G', 'R', 'I', 'B'});
  o.u(total, 3);
  o.u(1, 1);
  writeProduct(o, d);
  writeGrid(o, d);
  o.u(dataBytes + 11, 3);
  o.u(((dataBytes * 8 - n * bits) & 0x0F), 1);  // simple packing; unused bits at the end
  o.s(e, 2);
  o.u(ibmRef, 4);
  o.u(bits, 1);
  const double scale = std::ldexp(1.0, -e);
  uint64_t acc = 0;
  int held = 0;
  for (size_t k = 0; k < n; k++) {
    double x = std::floor((d.values[k] - ref) * scale);
    auto v = static_cast<uint64_t>(x < 0 ? 0 : x > maxInt ? maxInt : x);
    acc = (acc << bits) | v;
    held += bits;
    while (held >= 8) {
      held -= 8;
      msg.push_back(static_cast<uint8_t>(acc >> held));
    }
  }
  if (held > 0) msg.push_back(static_cast<uint8_t>(acc << (8 - held)));
  msg.insert(msg.end(), {'7', '7', '7', '7'});
  return msg;
}

bool ed1LevelOctets(const Level& l, int& type, int& value)
{
  type = l.isSet() ? l.toTypeCode() : 1;
  int code = l.isSet() ? l.toLevelCode() : 0;
  if (code == Const::MISS) code = 0;
  if (!l.isLayer()) {
    value = code;
    return code >= 0 && code <= 0xFFFF;
  }
  int top = code / 1000, bottom = code % 1000;
  // Isentropic layers count down from 475 K, so that one octet reaches into the stratosphere.
  if (type == 114) top = 475 - top, bottom = 475 - bottom;
  value = top * 256 + bottom;
  return top >= 0 && top <= 255 && bottom >= 0 && bottom <= 255;
}

namespace {

// Edition 1 level type and octets 11-12 of a field: an edition 1 field keeps its own octets.
bool ed1Level(const Field& f, int& type, int& value)
{
  if (f.edition != 1) return ed1LevelOctets(levelOf(f), type, value);
  type = f.levelType1;
  value = static_cast<int>(f.level1) * 256 + static_cast<int>(f.level2);
  return true;
}

}  // namespace

bool writeEd1File(const Field& f, const std::string& path)
{
  if (f.grid.templ != 30) {
    Kol::outWarning("GribFile: Invalid GRIB projection\n");
    return false;
  }
  if (f.values.size() != f.grid.points()) {
    Kol::outWarning("GribFile: field has no values to write\n");
    return false;
  }
  Ed1Lambert d;
  d.nx = f.grid.nx;
  d.ny = f.grid.ny;
  d.la1 = f.grid.la1;
  d.lo1 = f.grid.lo1;
  d.lov = f.grid.lov;
  d.latin1 = f.grid.latin1;
  d.latin2 = f.grid.latin2;
  d.dx = f.grid.di;
  d.dy = f.grid.dj;
  d.scan = f.grid.scan & 0xE0;
  d.process = f.process;
  d.parameter = f.edition == 1 ? f.parameter : 255;
  if (!ed1Level(f, d.levelType, d.levelValue)) {
    Kol::outWarning("GribFile: level does not fit GRIB edition 1\n");
    return false;
  }
  d.year = f.year;
  d.month = f.month;
  d.day = f.day;
  d.hour = f.hour;
  d.minute = f.minute;
  d.p1 = static_cast<int>(f.p1 > 255 ? 255 : f.p1 < 0 ? 0 : f.p1);
  d.bits = f.pack.bits > 0 && f.pack.bits <= 24 ? f.pack.bits : 16;
  d.values = f.values.data();
  std::vector<uint8_t> msg = encodeEd1Lambert(d);
  if (msg.empty()) return false;
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) {
    Kol::outWarning("GribFile: Unable to open file: %s\n", path.c_str());
    return false;
  }
  bool ok = std::fwrite(msg.data(), 1, msg.size(), fp) == msg.size();
  ok = std::fclose(fp) == 0 && ok;
  return ok;
}

}  // namespace KOL::grib
