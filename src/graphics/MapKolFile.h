// The library's own map database file: segments, each a header and its points, in a text form
// (six numbers on the first line) or a big-endian binary form. A companion ".mdb" file beside
// it names the segments.
#pragma once

#include <string>

#include <memory>

#include "core/File.h"
#include "geo/EarthPoint.h"
#include "graphics/MapFileHeader.h"

namespace KOL {

class MapKolFile {
 public:
  enum Type : int { DETECT = 0, BINARY = 1, TEXT = 2 };
  static constexpr int READ = 0;
  static constexpr int WRITE = 1;
  // The largest count a binary header can carry (three 16-bit parts).
  static constexpr int MAX_COUNT = 3 * 65535;

  MapKolFile() { init(); }
  MapKolFile(const char* name, int mode, int type) : MapKolFile() { open(name, mode, type); }
  ~MapKolFile() { close(); }
  MapKolFile(const MapKolFile&) = delete;
  MapKolFile& operator=(const MapKolFile&) = delete;

  void init();
  int open(const char* name, int mode, int type);
  bool isOpen() const { return file.isOpen(); }
  int rewind() { return seek(0); }
  int seek(long offset);
  int close();
  // TEXT when the first 100 bytes start with a six-number header line, else BINARY; 0 when
  // the file cannot be read.
  static int checkType(const char* name);
  // TEXT or BINARY for a buffer holding a file's first bytes.
  static int checkType(const char* bytes, int n);
  int getType() const { return binary ? BINARY : TEXT; }

  int readHeader(MapFileHeader& h);
  // The next point of the segment; 0 after its last point (or when the file ends early).
  int readData(EarthPoint& e);
  // The rest of the segment; 0 when the file ends before its last point.
  int readData(EarthPoints& pts);
  int skipData();
  int writeHeader(const MapFileHeader& h);
  int writeData(const EarthPoint& e);
  void print() const;

 private:
  int readBinaryHeader(MapFileHeader& h);
  int readTextHeader(MapFileHeader& h);
  int readCount(int& count);
  void readName(MapFileHeader& h);
  int fail(const char* what);

  File file;
  std::unique_ptr<File> mdb;
  std::string path;
  int mode;
  bool binary;
  long size;      // bytes in the file, for counts that promise more than is there
  int remaining;  // points of the current segment not yet read
  int written;    // points of the current segment written
  int seg_count;  // points the current segment was written with
};

}  // namespace KOL
