// Complex packing (groups of values sharing a reference and a width), optionally with spatial
// differencing of order 1 or 2 applied before packing.
#include <cmath>
#include <vector>

#include "core/Kol.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

namespace {

struct Groups {
  std::vector<uint32_t> ref, width, length;
};

struct Descriptor {
  int groups = 0, widthRef = 0, widthBits = 0, lengthBits = 0, lengthInc = 0;
  uint32_t lengthRef = 0, lastLength = 0;
  int missingMode = 0;
  int order = 0, extraOctets = 0;
};

Descriptor readDescriptor(const Packing& pack)
{
  const Octets& s = pack.drs;
  Descriptor d;
  d.missingMode = static_cast<int>(s.u1(23));
  d.groups = static_cast<int>(s.u4(32));
  d.widthRef = static_cast<int>(s.u1(36));
  d.widthBits = static_cast<int>(s.u1(37));
  d.lengthRef = s.u4(38);
  d.lengthInc = static_cast<int>(s.u1(42));
  d.lastLength = s.u4(43);
  d.lengthBits = static_cast<int>(s.u1(47));
  if (pack.templ == 3) {
    d.order = static_cast<int>(s.u1(48));
    d.extraOctets = static_cast<int>(s.u1(49));
  }
  return d;
}

// Sign-and-magnitude integer of n octets read from the bit stream.
long signedOctets(BitReader& bits, int n)
{
  if (n <= 0) return 0;
  uint32_t sign = bits.get(1);
  long mag = 0;
  for (int k = 0; k < 8 * n - 1; k += 16) {
    int w = 8 * n - 1 - k < 16 ? 8 * n - 1 - k : 16;
    mag = (mag << w) | bits.get(w);
  }
  return sign ? -mag : mag;
}

bool readGroups(const Packing& pack, const Descriptor& d, BitReader& bits, size_t count, Groups& g)
{
  if (d.widthBits > 32 || d.lengthBits > 32) {
    Kol::outWarning("GribFile: bit width %d over 32\n",
                    d.widthBits > 32 ? d.widthBits : d.lengthBits);
    return false;
  }
  // Every group holds at least one value, which bounds the group count by the data.
  if (d.groups <= 0 || size_t(d.groups) > count) {
    Kol::outWarning("GribFile: %d groups for %zu values\n", d.groups, count);
    return false;
  }
  size_t ng = static_cast<size_t>(d.groups);
  g.ref.resize(ng);
  g.width.resize(ng);
  g.length.resize(ng);
  bits.getMany(pack.bits, ng, g.ref.data());
  bits.alignByte();
  bits.getMany(d.widthBits, ng, g.width.data());
  bits.alignByte();
  bits.getMany(d.lengthBits, ng, g.length.data());
  bits.alignByte();
  if (bits.overrun()) {
    Kol::outWarning("GribFile: complex packing descriptors run past the data section\n");
    return false;
  }
  size_t total = 0;
  for (size_t k = 0; k < ng; k++) {
    g.width[k] += d.widthRef;
    g.length[k] = (k + 1 == ng) ? d.lastLength : d.lengthRef + g.length[k] * d.lengthInc;
    if (g.width[k] > 32) {
      Kol::outWarning("GribFile: bit width %u over 32\n", g.width[k]);
      return false;
    }
    total += g.length[k];
  }
  if (total != count) {
    Kol::outWarning("GribFile: complex packing groups hold %zu values, %zu expected\n", total,
                    count);
    return false;
  }
  return true;
}

// Turns integers into values, undoing the spatial differencing on the non-missing ones.
class Restorer {
 public:
  Restorer(const Packing& pack, int order, long first1, long first2, long minimum)
      : order_(order), first_{first1, first2}, min_(minimum), scale_(pack)
  {
  }
  float value(int64_t x)
  {
    if (order_ > 0) x = undifference(x);
    return static_cast<float>(scale_.base + static_cast<double>(x) * scale_.step);
  }

 private:
  int64_t undifference(int64_t x)
  {
    int64_t v;
    if (seen_ < order_)
      v = first_[seen_];
    else if (order_ == 1)
      v = x + min_ + prev1_;
    else
      v = x + min_ + 2 * prev1_ - prev2_;
    seen_++;
    prev2_ = prev1_;
    prev1_ = v;
    return v;
  }
  int order_;
  int64_t first_[2];
  int64_t min_;
  int seen_ = 0;
  int64_t prev1_ = 0, prev2_ = 0;
  Scaling scale_;
};

}  // namespace

bool unpackComplex(const Packing& pack, ValueSink& values)
{
  const size_t count = values.count();
  if (pack.bits > 32) {
    Kol::outWarning("GribFile: bit width %d over 32\n", pack.bits);
    return false;
  }
  Descriptor d = readDescriptor(pack);
  // Order 0 (no differencing after all) is what ecCodes writes for some fields.
  if (pack.templ == 3 && (d.order > 2 || d.extraOctets > 4)) {
    Kol::outWarning("GribFile: spatial differencing of order %d with %d octets not supported\n",
                    d.order, d.extraOctets);
    return false;
  }
  if (count == 0) return true;
  if (d.groups == 0) {  // no groups: every value is the reference
    putConstantField(pack, values);
    return true;
  }
  BitReader bits(pack.data);
  long first[2] = {0, 0};
  for (int k = 0; k < d.order; k++) first[k] = signedOctets(bits, d.extraOctets);
  long minimum = d.order > 0 ? signedOctets(bits, d.extraOctets) : 0;
  Groups g;
  if (!readGroups(pack, d, bits, count, g)) return false;

  Restorer restore(pack, d.order, first[0], first[1], minimum);
  const uint32_t refMissing = pack.bits >= 32 ? 0xFFFFFFFFu : (1u << pack.bits) - 1;
  constexpr size_t CHUNK = 4096;
  uint32_t x[CHUNK];
  float out[CHUNK];
  for (size_t k = 0; k < g.ref.size(); k++) {
    const uint32_t width = g.width[k], ref = g.ref[k];
    const uint32_t allOnes = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
    for (size_t done = 0; done < g.length[k]; done += CHUNK) {
      size_t n = g.length[k] - done < CHUNK ? g.length[k] - done : CHUNK;
      if (!bits.getMany(static_cast<int>(width), n, x)) {
        Kol::outWarning("GribFile: complex packing values run past the data section\n");
        return false;
      }
      for (size_t i = 0; i < n; i++) {
        bool missing = false;
        if (d.missingMode >= 1) {
          uint32_t code = width == 0 ? ref : x[i];
          uint32_t ones = width == 0 ? refMissing : allOnes;
          missing = code == ones || (d.missingMode == 2 && code == ones - 1);
        }
        out[i] = missing ? MISSING : restore.value(int64_t(ref) + x[i]);
      }
      values.put(out, n);
    }
  }
  return true;
}

}  // namespace KOL::grib
