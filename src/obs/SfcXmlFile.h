// The XML variant of the surface file: an "obs" element per record under the root "kolsfc", one
// child element per known value, named by variable and unit ("temp.C"); the compressed variant
// is the same document gzip-compressed. Records are gathered in memory: a written file is made
// when it is closed.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "obs/SfcData.h"

namespace KOL {

class SfcXmlFile {
 public:
  static constexpr int VERSION = 5;
  enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };

  SfcXmlFile() { init(); }
  SfcXmlFile(const SfcXmlFile&) = delete;
  SfcXmlFile& operator=(const SfcXmlFile&) = delete;
  ~SfcXmlFile() { close(); }

  void init();
  // 1 for an XML document ("<?xml"), 2 for a gzip-compressed file, 0 for another, -1 when it
  // cannot be opened.
  static int checkType(const char* name);
  // compressed: write the gzip form (reading takes either).
  int open(const char* name, int mode, bool compressed);
  int read(SfcData& s);
  int write(const SfcData& s);
  int setDate(const Date& d);
  int getDate(Date& d) const;
  int rewind();
  // Writes the document of a file opened for writing; 0 when that fails.
  int close();
  bool isOpen() const { return open_; }

 private:
  bool load(const char* name);
  bool save();

  std::string name_;
  int mode_;
  bool compressed_;
  bool open_;
  Date date_;
  std::vector<SfcData> records_;
  size_t next_;
};

}  // namespace KOL
