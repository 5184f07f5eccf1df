// The grid file every program opens: recognises the library's own grid file and GRIB by the
// file's first bytes, whatever its name, and reads or writes grids through one interface.
#pragma once

#include "grid/GribFile.h"
#include "grid/GridKolFile.h"

namespace KOL {

class Filename;
class Grid;
class Grids;
class GridSpec;

class GridFile {
 public:
  enum Type : int { UNKNOWN = 0, NATIVE_TEXT = 1, NATIVE_BINARY = 2, NETCDF = 3, GRIB = 4 };
  enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };
  static constexpr int PROBE_SIZE = 200;

  GridFile() { init(); }
  explicit GridFile(const char* name);
  GridFile(const char* name, int mode, int type);
  explicit GridFile(Filename& name);
  GridFile(Filename& name, int mode, int type);
  GridFile(const GridFile&) = delete;
  GridFile& operator=(const GridFile&) = delete;
  ~GridFile() { close(); }

  void init();
  // The type of a file from its first bytes; 0 when unknown or unreadable.
  static int checkType(const char* name);

  // Type 0 detects the type when reading. Mode 2 appends to a native file.
  int open(const char* name, int mode, int type);
  int open(const char* name) { return open(name, READ, UNKNOWN); }
  int open(Filename& name, int mode, int type);
  int open(Filename& name) { return open(name, READ, UNKNOWN); }
  bool isOpen() const { return open_; }
  int getType() const { return type_; }
  int close();
  void rewind();

  int read(Grid& g);
  // The next grid without moving on (of a GRIB file only its description).
  int peek(Grid& g);
  int readHdr(Grid& g);
  int readData(Grid& g);
  // The grid a selector text names ("#n" the n-th grid, else a GridSpec text).
  int read(Grid& g, const char* spec);
  // The first grid from here on that the selection text picks.
  int read(const GridSpec& spec, Grid& g);
  // Fills the empty slots of the list that the grids of the file match.
  int read(Grids& grids);
  int read(const char* name, int type, Grid& g);
  int read(const char* name, Grid& g) { return read(name, UNKNOWN, g); }

  int write(const Grid& g);
  int write(const char* name, int type, const Grid& g);
  // Native binary.
  int write(const char* name, const Grid& g) { return write(name, NATIVE_BINARY, g); }

  void setVer(int n) { kol_.setVer(n); }
  void setFormat(const char* text) { kol_.setFormat(text); }
  void useHdrFile(int on);
  // Comma-separated words: "nohdr", "usehdr"; the whole text also goes to the GRIB reader.
  int setParam(const char* text);
  void setMaxBad(int n) { grib_.setMaxBad(n); }
  void setMissValue(float v) { missValue_ = v; }
  void setValueBits(int n) { valueBits_ = n; }
  float getMissValue() const { return missValue_; }
  int getValueBits() const { return valueBits_; }

 private:
  bool native() const { return type_ == NATIVE_TEXT || type_ == NATIVE_BINARY; }
  bool reading() const { return open_ && mode_ == READ; }
  int openNative(const char* name, int mode, int type);

  int type_;
  int mode_;
  bool open_;
  bool useHdr_;
  float missValue_;
  int valueBits_;
  GridKolFile kol_;
  GribFile grib_;
};

}  // namespace KOL
