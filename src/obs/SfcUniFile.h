// A plain text table of surface records, as "kolsfc -list -out=csv" writes it: a first row of
// field names ("id", "temp.C", ...) and one comma-separated row per record, text quoted where it
// holds a comma or a quote, missing values empty. Unknown columns are ignored. Read only; the
// rows are made by headerRow and recordRow.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "core/File.h"

namespace KOL {

class SfcData;

class SfcUniFile {
 public:
  SfcUniFile() { init(); }
  SfcUniFile(const SfcUniFile&) = delete;
  SfcUniFile& operator=(const SfcUniFile&) = delete;

  void init();
  // Any file that can be opened: 0; -1 otherwise.
  static int checkType(const char* name);
  int open(const char* name);
  int read(SfcData& s);
  int setDate(const Date& d);
  int getDate(Date& d) const;
  int rewind();
  int close();
  bool isOpen() const { return open_; }

  // The row of column names, and the row of one record, as this reader takes them back.
  static void headerRow(std::string& out);
  static void recordRow(const SfcData& s, std::string& out);
  // The cells of one CSV row.
  static std::vector<std::string> splitRow(const std::string& row);
  // One CSV cell, quoted when it must be.
  static std::string csvCell(const std::string& text);

 private:
  bool readHeader();

  File file_;
  Date date_;
  std::vector<int> columns_;  // field index of each column, -1 for unknown ones
  bool open_;
};

}  // namespace KOL
