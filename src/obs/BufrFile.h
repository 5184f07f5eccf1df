// Finds the BUFR messages of a file: a bare message, a filed bulletin, a feed with WMO headings
// and transmission framing, or any bytes around them. A message is "BUFR", its length and
// "7777" at that length; the WMO heading in the text before it is kept with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "obs/BufrMessage.h"
#include "obs/BufrTable.h"

namespace KOL {

class BufrFile {
 public:
  BufrFile();
  explicit BufrFile(const char* name);
  void init();
  int open(const char* name);
  // Reads from a copy of the bytes.
  int open(const uint8_t* bytes, size_t size);
  int close();
  bool isOpen() const { return open_; }
  void rewind();
  // Tables to decode with instead of the ones read from the database directory; they must
  // outlive the file.
  void setTable(const BufrTable* table) { shared_ = table; }
  // The next message; 0 at the end. A message whose sections are not sound is skipped with one
  // line, so a 1 always comes with a decoded message.
  int read(BufrMessage& m);
  // Offset of the last message read.
  size_t getOffset() const { return offset_; }
  void print() const;

 private:
  const BufrTable* tables();
  void headingBefore(size_t from, size_t to, char* out, size_t size) const;

  bool open_;
  std::vector<uint8_t> bytes_;
  size_t pos_, offset_;
  BufrTable own_;
  const BufrTable* shared_;
};

}  // namespace KOL
