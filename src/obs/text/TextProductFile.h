// Cuts text products out of a file: filed bulletins framed SOH ... ETX (as the ingest writes
// them raw or a feed capture holds them, any line ends), bulletins filed under "** heading ***"
// separators, or a plain file that holds one product. A bulletin that lacks its ETX is reported
// in one line and read as far as it goes.
#pragma once

#include <string>
#include <string_view>

#include "obs/text/TextProduct.h"

namespace KOL {

class TextProductFile {
 public:
  TextProductFile() { init(); }
  void init();
  // A file name, or "-" for standard input. 1 when it was read.
  int open(const char* name);
  // The bytes of a file already in memory (copied).
  void setText(std::string_view bytes);
  // The next product; 0 after the last.
  int read(TextProduct& p);
  void rewind() { pos_ = 0; }
  const std::string& getName() const { return name_; }
  // The whole file, for formats that are no bulletins (ATCF decks).
  std::string_view getText() const { return bytes_; }

 private:
  enum Framing { SOH_ETX, SEPARATORS, PLAIN };
  void classify();
  std::string_view nextPiece(long& start);

  std::string name_;
  std::string bytes_;
  Framing framing_ = PLAIN;
  size_t pos_ = 0;
};

}  // namespace KOL
