// Reads map outlines whatever their file: the library's own map database (text or binary),
// KML or a shapefile, one segment at a time. Writing always uses the own format.
#pragma once

#include "geo/EarthPoint.h"
#include "graphics/MapFileHeader.h"
#include "graphics/MapKolFile.h"
#include "graphics/map/MapSegment.h"

namespace KOL {

class MapFile {
 public:
  enum Type : int { DETECT = 0, BINARY = 1, TEXT = 2, SHAPE = 3, KML = 4 };

  MapFile() { init(); }
  MapFile(const char* name, int mode, int type) : MapFile() { open(name, mode, type); }

  void init();
  // mode 0 read, 1 write; type as above (0 looks at the first 100 bytes).
  int open(const char* name, int mode = MapKolFile::READ, int type = DETECT);
  bool isOpen() const { return open_; }
  int close();
  int rewind();
  // The format of a file's first bytes: TEXT, SHAPE, KML or BINARY.
  static int checkType(const char* bytes, int n);
  static int checkType(const char* name);
  int getType() const { return type; }

  int readHeader(MapFileHeader& h);
  // The next point of the current segment; 0 after its last point.
  int readData(EarthPoint& e);
  int readData(EarthPoints& pts);
  int skipData();
  int writeHeader(const MapFileHeader& h) { return kol.writeHeader(h); }
  int writeData(const EarthPoint& e) { return kol.writeData(e); }
  void print() const;

 private:
  bool isRecords() const { return type == SHAPE || type == KML; }

  MapKolFile kol;
  MapSegments records;  // KML and shapefile outlines, read whole
  int record;           // the current record, -1 before the first
  int point;            // the next point of the current record
  int type;
  bool open_;
};

}  // namespace KOL
