#include "grid/grib/Message.h"

#include <cstring>

#include "core/Kol.h"
#include "grid/grib/GridDefs.h"
#include "grid/grib/Unpack.h"

namespace KOL::grib {

MessageDecoder::MessageDecoder(const uint8_t* p, size_t n) : msg_(p, n)
{
  if (n < 16 || std::memcmp(p, "GRIB", 4) != 0) return;
  edition_ = static_cast<int>(msg_.u1(8));
  size_t len = edition_ == 2 ? static_cast<size_t>(msg_.u(9, 8)) : msg_.u3(5);
  if (edition_ < 2) edition_ = 1;
  if (edition_ > 2 || len < 16 || len > n) {
    if (len > n)
      Kol::outWarning("GribFile: truncated message of %zu bytes, %zu present\n", len, n);
    else
      Kol::outWarning("GribFile: bad message length %zu (edition %d)\n", len, edition_);
    edition_ = 0;
    return;
  }
  if (std::memcmp(p + len - 4, "7777", 4) != 0) {
    Kol::outWarning("GribFile: message of %zu bytes does not end in 7777\n", len);
    edition_ = 0;
    return;
  }
  length_ = len;
  msg_ = Octets(p, len);
  discipline_ = static_cast<int>(msg_.u1(7));
  pos_ = edition_ == 2 ? 16 : 8;
}

int MessageDecoder::next(Field& f, bool values, bool northFirst)
{
  if (length_ == 0 || done_) return 0;
  FieldValues spare = std::move(f.values);
  f = Field();
  f.values = std::move(spare);
  f.edition = edition_;
  f.length = length_;
  return edition_ == 1 ? nextEd1(f, values, northFirst) : nextEd2(f, values, northFirst);
}

int MessageDecoder::nextEd1(Field& f, bool values, bool northFirst)
{
  done_ = true;
  size_t at = 9;
  auto sectionAt = [&](size_t pos, Octets& s) {
    size_t len = msg_.u3(pos);
    if (len < 3 || !msg_.has(pos, len)) {
      Kol::outWarning("GribFile: section of length %zu at byte %zu runs past the message\n", len,
                      pos - 1);
      return false;
    }
    s = msg_.sub(pos, len);
    return true;
  };
  Octets pds, gds, bms, bds;
  if (!sectionAt(at, pds) || pds.size() < 28 || !readProductEd1(pds, f)) return 0;
  at += pds.size();
  if (f.flags & 0x80) {
    if (!sectionAt(at, gds) || gds.size() < 32) return 0;
    at += gds.size();
    if (!readGridEd1(gds, f)) return 1;
  } else if (!predefinedGridEd1(f.gridNumber, f.grid)) {
    return 1;
  }
  if (f.flags & 0x40) {
    if (!sectionAt(at, bms) || bms.size() < 6) return 0;
    at += bms.size();
    if (bms.u2(5) != 0) {
      Kol::outWarning("GribFile: predefined bitmap %u not supported\n", bms.u2(5));
      return 1;
    }
    f.bitmapPresent = true;
  }
  if (!sectionAt(at, bds) || bds.size() < 11) return 0;
  int flag = static_cast<int>(bds.u1(4));
  f.pack.drs = bds;
  // Spherical harmonics (0x80) and second-order packing (0x40) are not decoded.
  f.pack.templ = (flag & 0xC0) ? -1 : 0;
  f.pack.e = static_cast<int>(bds.s(5, 2));
  f.pack.ref = static_cast<float>(bds.ibm(7));
  f.pack.bits = static_cast<int>(bds.u1(11));
  f.pack.data = bds.sub(12, bds.size() - 11);
  if (f.pack.templ != 0) {
    Kol::outWarning("GribFile: edition 1 packing flags 0x%X not supported\n", flag);
    return 1;
  }
  Octets bitmap = f.bitmapPresent ? bms.sub(7, bms.size() - 6) : Octets();
  if (values && !unpackField(f, bitmap, length_, northFirst)) f.values.clear();
  return 1;
}

bool MessageDecoder::section(size_t at, Octets& s, int& number) const
{
  if (msg_.has(at, 4) && std::memcmp(msg_.data() + at - 1, "7777", 4) == 0) {
    number = 8;
    return true;
  }
  size_t len = msg_.u4(at);
  if (!msg_.has(at, 5) || len < 5 || !msg_.has(at, len)) {
    Kol::outWarning("GribFile: readSection: invalid length: %zu\n", len);
    return false;
  }
  s = msg_.sub(at, len);
  number = static_cast<int>(msg_.u1(at + 4));
  return true;
}

int MessageDecoder::nextEd2(Field& f, bool values, bool northFirst)
{
  f.discipline = discipline_;
  while (true) {
    Octets s;
    int number = 0;
    if (!section(pos_ + 1, s, number) || number == 8) {
      done_ = true;
      return 0;
    }
    pos_ += s.size();
    switch (number) {
      case 1:
        sec1_ = s;
        break;
      case 3:
        sec3_ = s;
        break;
      case 4:
        sec4_ = s;
        break;
      case 5:
        sec5_ = s;
        break;
      case 6:
        if (s.u1(6) == 0) {
          bitmap_ = s.sub(7, s.size() - 6);
          haveBitmap_ = true;
        } else if (s.u1(6) == 255) {
          haveBitmap_ = false;
        } else if (s.u1(6) != 254) {
          Kol::outWarning("GribFile: predefined bitmap %u not supported\n", s.u1(6));
          haveBitmap_ = false;
        }
        break;
      case 7: {
        if (sec1_.size() == 0 || sec3_.size() == 0 || sec4_.size() == 0 || sec5_.size() == 0) {
          Kol::outWarning("GribFile: data section before its description sections\n");
          return 0;
        }
        readIdentificationEd2(sec1_, f);
        f.bitmapPresent = haveBitmap_;
        bool known = readGridEd2(sec3_, f);
        known = readProductEd2(sec4_, f) && known;
        known = readPackingEd2(sec5_, f) && known;
        f.pack.data = s.sub(6, s.size() - 5);
        if (values && known &&
            !unpackField(f, haveBitmap_ ? bitmap_ : Octets(), length_, northFirst))
          f.values.clear();
        return 1;
      }
      default:
        break;  // section 2 and unknown sections are skipped
    }
  }
}

bool unpackField(Field& f, const Octets& bitmap, size_t messageLength, bool northFirst)
{
  const UnpackerEntry* u = findUnpacker(f.pack.templ);
  if (!u) return false;
  if (f.pack.bits > 32) {
    Kol::outWarning("GribFile: bit width %d over 32\n", f.pack.bits);
    return false;
  }
  const size_t points = f.grid.points();
  size_t count = points;
  if (f.bitmapPresent) {
    if (bitmap.size() * 8 < points) {
      Kol::outWarning("GribFile: bitmap of %zu bits is shorter than the grid of %zu points\n",
                      bitmap.size() * 8, points);
      return false;
    }
    count = 0;
    for (size_t k = 0; k < points; k++) count += (bitmap.data()[k >> 3] >> (7 - (k & 7))) & 1;
  }
  // A message cannot describe more values than a generous compression ratio of its bytes allows,
  // unless they take no bits: then only the grid's own limits bound them.
  if (!takesNoBits(f.pack) &&
      (count > 2000 * messageLength + (size_t(1) << 20) ||
       (f.pack.templ == 0 && uint64_t(count) * f.pack.bits > uint64_t(f.pack.data.size()) * 8))) {
    Kol::outWarning("GribFile: %zu values cannot be held in a message of %zu bytes\n", count,
                    messageLength);
    return false;
  }
  ValueSink out(f.values, points, f.bitmapPresent ? bitmap.data() : nullptr, count);
  // Only simple packing can be read from any row on; alternate rows keep the stored order.
  if (northFirst && u->unpack == unpackSimple && (f.grid.scan & 0x70) == 0x40 &&
      !f.grid.thinned() && f.grid.nx > 0) {
    out.flipRows(size_t(f.grid.nx));
    f.northFirst = true;
  }
  if (!u->unpack(f.pack, out) || !out.finish()) return false;
  unAlternate(f.grid, f.values.data());
  return true;
}

}  // namespace KOL::grib
