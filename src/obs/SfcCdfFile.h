// The netCDF variant of the surface file: one variable per value along the record dimension
// "recNum" ("T", "TD", "PSL", "ALTIM", "GUST", "WX", "Tmax", ...), with units and WMO code tables
// in the attributes. Classic format, so its first bytes are "CDF". Records are gathered in
// memory: a written file is made when it is closed.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "obs/SfcData.h"

namespace KOL {

class SfcCdfFile {
 public:
  enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };

  SfcCdfFile() { init(); }
  SfcCdfFile(const SfcCdfFile&) = delete;
  SfcCdfFile& operator=(const SfcCdfFile&) = delete;
  ~SfcCdfFile() { close(); }

  void init();
  // 1 for a file beginning "CDF", 0 for another, -1 when it cannot be opened.
  static int checkType(const char* name);
  int open(const char* name, int mode);
  int read(SfcData& s);
  int write(const SfcData& s);
  int setDate(const Date& d);
  int getDate(Date& d) const;
  int rewind();
  // Writes the file opened for writing; 0 when that fails.
  int close();
  bool isOpen() const { return open_; }

 private:
  bool load(const char* name);
  bool save() const;

  std::string name_;
  int mode_;
  bool open_;
  Date date_;
  std::vector<SfcData> records_;
  size_t next_;
};

}  // namespace KOL
