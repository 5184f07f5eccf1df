#include "obs/BufrMessage.h"

#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "obs/bufr/BitStream.h"
#include "obs/bufr/DataReader.h"

namespace KOL {

namespace {

unsigned u2(const uint8_t* p) { return (p[0] << 8) | p[1]; }
unsigned u3(const uint8_t* p) { return (p[0] << 16) | (p[1] << 8) | p[2]; }

const std::vector<BufrMessage::Item> NO_ITEMS;

}  // namespace

BufrMessage::BufrMessage() { init(); }

void BufrMessage::init()
{
  edition = masterTable = centre = subCentre = updateSequence = category = Const::MISS;
  intlSubCategory = subCategory = masterVersion = localVersion = Const::MISS;
  year = month = day = hour = minute = second = Const::MISS;
  hasSection2 = observed = compressed = false;
  numSubsets = 0;
  length = 0;
  heading[0] = '\0';
  descriptors.clear();
  table_ = nullptr;
  local_ = BufrTable::Local();
  subsets_.clear();
  texts_.clear();
}

// Section 1 (identification) of editions 2, 3 and 4 (WMO-No. 306, FM 94, 94.3).
int BufrMessage::section1(const uint8_t* s, size_t n)
{
  if (edition == 4) {
    if (n < 22) return 0;
    masterTable = s[3];
    centre = static_cast<int>(u2(s + 4));
    subCentre = static_cast<int>(u2(s + 6));
    updateSequence = s[8];
    hasSection2 = s[9] & 0x80;
    category = s[10];
    intlSubCategory = s[11];
    subCategory = s[12];
    masterVersion = s[13];
    localVersion = s[14];
    year = static_cast<int>(u2(s + 15));
    month = s[17];
    day = s[18];
    hour = s[19];
    minute = s[20];
    second = s[21];
    return 1;
  }
  if (n < 17) return 0;
  masterTable = s[3];
  if (edition == 3) {
    subCentre = s[4];
    centre = s[5];
  } else {
    centre = static_cast<int>(u2(s + 4));
    subCentre = 0;
  }
  updateSequence = s[6];
  hasSection2 = s[7] & 0x80;
  category = s[8];
  subCategory = s[9];
  masterVersion = s[10];
  localVersion = s[11];
  // Year of the century.
  year = s[12] <= 50 ? 2000 + s[12] : s[12] == 100 ? 2000 : 1900 + s[12];
  month = s[13];
  day = s[14];
  hour = s[15];
  minute = s[16];
  second = 0;
  return 1;
}

// Section 3: subsets, flags and the descriptors, two octets each (F 2 bits, X 6, Y 8).
int BufrMessage::section3(const uint8_t* s, size_t n)
{
  if (n < 9) return 0;
  numSubsets = static_cast<int>(u2(s + 4));
  observed = s[6] & 0x80;
  compressed = s[6] & 0x40;
  for (size_t k = 7; k + 1 < n; k += 2) {
    const unsigned v = u2(s + k);
    descriptors.push_back(
        static_cast<int>((v >> 14) * 100000 + ((v >> 8) & 63) * 1000 + (v & 255)));
  }
  // Editions 2 and 3 pad the section to an even length.
  if ((n - 7) % 2 == 0 && descriptors.size() > 1 && descriptors.back() == 0) descriptors.pop_back();
  return !descriptors.empty();
}

int BufrMessage::decode(const uint8_t* bytes, size_t size, const BufrTable& table)
{
  init();
  table_ = &table;
  if (size < 8 || std::memcmp(bytes, "BUFR", 4) != 0) {
    Kol::outWarning("BufrMessage: no \"BUFR\" at the start\n");
    return 0;
  }
  length = u3(bytes + 4);
  edition = bytes[7];
  if (edition < 2 || edition > 4) {
    Kol::outWarning("BufrMessage: edition %d not decoded\n", edition);
    return 0;
  }
  if (length < 8 + 17 + 9 + 4 + 4 || static_cast<size_t>(length) > size ||
      std::memcmp(bytes + length - 4, "7777", 4) != 0) {
    Kol::outWarning("BufrMessage: length %ld does not end in \"7777\" within %zu bytes\n", length,
                    size);
    return 0;
  }
  const size_t end = static_cast<size_t>(length) - 4;
  size_t at = 8;
  auto section = [&](size_t& len) {
    len = at + 3 <= end ? u3(bytes + at) : 0;
    return len >= 3 && at + len <= end;
  };
  size_t len1 = 0, len2 = 0, len3 = 0, len4 = 0;
  if (!section(len1) || !section1(bytes + at, len1)) {
    Kol::outWarning("BufrMessage: section 1 length %zu does not fit\n", len1);
    return 0;
  }
  at += len1;
  if (hasSection2) {
    if (!section(len2)) {
      Kol::outWarning("BufrMessage: section 2 length %zu does not fit\n", len2);
      return 0;
    }
    at += len2;
  }
  if (!section(len3) || !section3(bytes + at, len3)) {
    Kol::outWarning("BufrMessage: section 3 length %zu does not fit\n", len3);
    return 0;
  }
  at += len3;
  if (!section(len4) || len4 < 4) {
    Kol::outWarning("BufrMessage: section 4 length %zu does not fit\n", len4);
    return 0;
  }
  if (at + len4 != end)
    Kol::outWarning("BufrMessage: sections end at %zu, \"7777\" at %zu\n", at + len4, end);
  if (masterTable != 0) {
    Kol::outWarning("BufrMessage: master table %d not known\n", masterTable);
    return 0;
  }
  if (masterVersion > BufrTable::VERSION)
    Kol::outWarning("BufrMessage: master table version %d newer than the tables (%d)\n",
                    masterVersion, BufrTable::VERSION);
  local_ = table.local(centre, localVersion);
  bufr::BitStream bits(bytes + at + 4, len4 - 4);
  if (numSubsets == 0) return 1;
  if (compressed) {
    std::vector<std::vector<Item>> lanes(numSubsets);
    bufr::DataReader reader(table, masterVersion, local_, bits, lanes.data(), numSubsets, texts_);
    if (!reader.run(descriptors)) {
      Kol::outWarning("BufrMessage: compressed subsets 1-%d refused: %s\n", numSubsets,
                      reader.why().c_str());
      return 1;
    }
    subsets_.swap(lanes);
    return 1;
  }
  for (int s = 0; s < numSubsets; s++) {
    std::vector<Item> rows;
    bufr::DataReader reader(table, masterVersion, local_, bits, &rows, 1, texts_);
    if (!reader.run(descriptors)) {
      Kol::outWarning("BufrMessage: subsets %d-%d of %d refused: %s\n", s + 1, numSubsets,
                      numSubsets, reader.why().c_str());
      break;
    }
    subsets_.push_back(std::move(rows));
  }
  return 1;
}

int BufrMessage::getDate(Date& d) const
{
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59)
    return 0;
  return d.set(year, month, day, hour, minute, static_cast<float>(second));
}

const std::vector<BufrMessage::Item>& BufrMessage::items(int subset) const
{
  if (subset < 0 || subset >= decodedSubsets()) return NO_ITEMS;
  return subsets_[subset];
}

int BufrMessage::find(int subset, int descriptor, int nth) const
{
  const std::vector<Item>& rows = items(subset);
  for (size_t k = 0; k < rows.size(); k++)
    if (rows[k].descriptor == descriptor && rows[k].role == VALUE && --nth == 0)
      return static_cast<int>(k);
  return -1;
}

double BufrMessage::getValue(int subset, int descriptor, int nth) const
{
  const int k = find(subset, descriptor, nth);
  if (k < 0) return Const::MISS;
  const Item& it = subsets_[subset][k];
  return it.missing || it.text ? Const::MISS : it.value;
}

std::string_view BufrMessage::text(const Item& item) const
{
  if (!item.text || item.missing || item.textAt + item.textLen > texts_.size()) return {};
  return std::string_view(texts_.data() + item.textAt, item.textLen);
}

std::string BufrMessage::getText(int subset, int descriptor, int nth) const
{
  const int k = find(subset, descriptor, nth);
  if (k < 0) return {};
  std::string_view t = text(subsets_[subset][k]);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.remove_suffix(1);
  return std::string(t);
}

const BufrTable::Element* BufrMessage::element(int descriptor) const
{
  const BufrTable::Element* e = table_ ? table_->element(descriptor, masterVersion) : nullptr;
  return e ? e : local_.element(descriptor);
}

void BufrMessage::print() const
{
  std::printf(
      "BufrMessage: edition %d centre %d/%d category %d/%d/%d tables %d/%d date "
      "%04d-%02d-%02d %02d:%02d:%02d subsets %d (%d decoded)%s%s length %ld %s\n",
      edition, centre, subCentre, category, intlSubCategory, subCategory, masterVersion,
      localVersion, year, month, day, hour, minute, second, numSubsets, decodedSubsets(),
      compressed ? " compressed" : "", observed ? " observed" : "", length, heading);
}

}  // namespace KOL
