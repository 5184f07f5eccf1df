// The library's own grid file: a short text header (identification, date, info, what the grid
// is, projection) followed by the values as text, as big-endian binary floats or as a reference
// to values held in another file. One grid per write; grids written one after the other (or
// appended) are read back in turn.
#pragma once

#include <string>

#include "core/File.h"

namespace KOL {

class Grid;

class GridKolFile : public File {
 public:
  enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };
  enum Format : int { TEXT = 1, BINARY = 2, EXTERNAL = 3 };
  static constexpr int VERSION = 4;
  static constexpr int VALUE_FORMAT_SIZE = 16;

  GridKolFile() { init(); }
  explicit GridKolFile(const char* name);
  GridKolFile(const char* name, int mode, int format);

  void init();
  int open(const char* name) { return open(name, READ, TEXT); }
  // mode 0 reads, 1 writes a new file, 2 appends; format 0 means text. External data is read
  // only.
  int open(const char* name, int mode, int format);
  using File::isOpen;
  int close();

  void setVer(int n) { version_ = n; }
  int getVer() const { return version_; }
  int getFormat() const { return format_; }
  int getMode() const { return mode_; }
  // printf format of one text value; empty for the default "%14.8e".
  void setFormat(const char* text);

  // The header: what the grid is, its size and domain; the values are left unallocated.
  int readHdr(Grid& g);
  // The values after readHdr.
  int readData(Grid& g);
  int read(Grid& g);
  int read(const char* name, int format, Grid& g);
  int write(const Grid& g);
  int write(const char* name, int format, Grid& g);

 private:
  using File::read;
  using File::write;
  int version_;
  int format_;
  int mode_;
  char valueFormat_[VALUE_FORMAT_SIZE];
  std::string name_;
};

}  // namespace KOL
