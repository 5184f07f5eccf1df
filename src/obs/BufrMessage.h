// One WMO FM 94 BUFR message (WMO-No. 306 Volume I.2, editions 2 to 4): the fields of sections 0
// to 3 and, for every subset, its expanded descriptors with their values in bit-stream order.
// A subset that cannot be decoded (a local descriptor the local tables lack, data that run
// out) is refused with one line; the subsets before it stay.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "obs/BufrTable.h"

namespace KOL {

class Date;

class BufrMessage {
 public:
  static constexpr int HEADING_SIZE = 40;
  // The descriptor of a 2-04 associated field's row.
  static constexpr int ASSOCIATED = 999999;

  // What a row is: an element's value, the associated field sent with the element before it, a
  // quality, substituted or statistical value belonging to an element (2-22 to 2-25, 2-32), an
  // operator's marker (2-22-000 ...) or the characters of a 2-05 operator.
  enum Role : int { VALUE = 0, ASSOCIATED_FIELD = 1, ATTRIBUTE = 2, MARKER = 3, CHARS = 4 };

  struct Item {
    int descriptor = 0;  // FXXYYY
    int role = VALUE;
    int parent = -1;  // the row an associated field or attribute belongs to
    bool missing = true;
    bool text = false;
    uint32_t textAt = 0, textLen = 0;
    double value = 0;
  };

  BufrMessage();
  void init();
  // Decodes one message that starts with "BUFR"; 0 (and one line) when the sections are not
  // sound. Subsets are decoded as far as they go.
  int decode(const uint8_t* bytes, size_t size, const BufrTable& table);
  void print() const;

  int edition, masterTable, centre, subCentre, updateSequence, category, intlSubCategory,
      subCategory, masterVersion, localVersion;
  int year, month, day, hour, minute, second;
  bool hasSection2, observed, compressed;
  int numSubsets;
  long length;
  char heading[HEADING_SIZE];    // the WMO heading before the message, set by BufrFile
  std::vector<int> descriptors;  // Section 3 as sent

  // Section 1 date (year as sent in edition 4); 0 when a field is out of range.
  int getDate(Date& d) const;
  // Subsets fully decoded: 0 to numSubsets, the first ones.
  int decodedSubsets() const { return static_cast<int>(subsets_.size()); }
  const std::vector<Item>& items(int subset) const;
  // The row of the n-th (from 1) occurrence of a descriptor among a subset's values, -1 when
  // absent.
  int find(int subset, int descriptor, int nth = 1) const;
  // The value of that occurrence; Const::MISS when absent or missing.
  double getValue(int subset, int descriptor, int nth = 1) const;
  // Its characters without trailing blanks; "" when absent or missing.
  std::string getText(int subset, int descriptor, int nth = 1) const;
  // A row's characters as sent, trailing blanks included.
  std::string_view text(const Item& item) const;
  const BufrTable::Element* element(int descriptor) const;
  const BufrTable* table() const { return table_; }

 private:
  int section1(const uint8_t* s, size_t n);
  int section3(const uint8_t* s, size_t n);

  const BufrTable* table_;
  BufrTable::Local local_;
  std::vector<std::vector<Item>> subsets_;
  std::string texts_;
};

}  // namespace KOL
