// Reader of GINI satellite images as sent over NOAAPORT: a WMO heading, a 512-byte product
// definition block (PDB) and 8-bit pixels, stored raw, as a chain of zlib streams, or as one
// PNG image. The PDB becomes the Image's metadata, value table and map domain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "geo/DomainVal.h"

namespace KOL {

class Image;

class GiniFile {
 public:
  // Body layouts; AUTO looks at the file's first bytes.
  enum Kind : int { AUTO = -1, RAW = 0, RAW_HEADING = 1, ZLIB = 2, PNG = 3 };
  static constexpr int PDB_SIZE = 512;
  static constexpr int MAX_DIM = 20000;

  // Every field of the product definition block, octets numbered from 1.
  struct Pdb {
    int source = 0;      // 1
    int entity = 0;      // 2 creating entity (satellite)
    int sector = 0;      // 3
    int channel = 0;     // 4 physical element
    int numRecords = 0;  // 5-6 logical records
    int recordSize = 0;  // 7-8 logical record size
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;  // 9-14, year two digits
    int hundredths = 0;                                                  // 15
    int projection = 0;      // 16: 1 Mercator, 3 Lambert conformal, 5 polar stereographic
    int nx = 0, ny = 0;      // 17-18, 19-20
    float la1 = 0, lo1 = 0;  // 21-23, 24-26: the first pixel
    float lov = 0;           // 28-30 Lambert and polar stereographic
    float la2 = 0;           // 28-30 Mercator
    float dx = 0, dy = 0;    // 31-33, 34-36 in km (Lambert and polar stereographic)
    float lo2 = 0;           // 31-33 Mercator
    int di = 0, dj = 0;      // 34-35, 36-37 Mercator
    int projCenter = 0;      // 37 polar stereographic: bit value 1 south pole
    int hemisphere = 0;      // 38 Lambert: bit value 1 southern hemisphere
    int scanMode = 0;        // 38
    float latin = 0;         // 39-41
    int resolution = 0;      // 42 image resolution (km)
    int compression = 0;     // 43
    int version = 0;         // 44
    int pdbSize = 0;         // 45-46
    int navCal = 0;          // 47: CALIBRATED when a calibration block follows

    // The calibration block (radar mosaics): the physical value of the pixels, linear over
    // each range of pixel values; values at or below MISSING_VALUE mark no data.
    struct CalRange {
      float pixel0, pixel1, value0, value1;
    };
    std::string units;             // 48-55, blanks cut
    std::vector<CalRange> ranges;  // count in 56, from 57 sixteen octets each

    // Decodes a PDB that begins at bytes; n must be at least 48.
    void decode(const uint8_t* bytes, std::size_t n);
    bool isCalibrated() const { return !ranges.empty(); }
  };
  static constexpr int CALIBRATED = 128;
  static constexpr float MISSING_VALUE = -9990.0f;

  GiniFile() { init(); }
  GiniFile(const char* name, int kind);
  GiniFile(const GiniFile&) = delete;
  GiniFile& operator=(const GiniFile&) = delete;

  void init();
  int open(const char* name, int kind);
  // A GINI file held in memory.
  int openBytes(const uint8_t* bytes, std::size_t n, int kind);
  // Writing is not supported: a non-zero mode fails.
  int open(const char* name, int mode, int kind);
  bool isOpen() const { return open_; }
  void rewind();
  int close();

  int readHeader(Image& im);
  int readData(Image& im);
  int read(Image& im);
  int writeHeader(const Image&) { return 0; }
  int write(const Image&) { return 0; }

  int getKind() const { return kind_; }
  const Pdb& getPdb() const { return pdb_; }
  // The WMO heading in front of the PDB ("" without one).
  const char* getHeading() const { return heading_.c_str(); }
  // Rows completely filled by the last readData.
  int getRowsRead() const { return rows_read_; }

  // The layout of a GINI file from its first bytes; RAW when nothing else fits.
  static int detectKind(const uint8_t* bytes, std::size_t n);
  // Where the PDB starts inside a header block (after a WMO heading); the heading length
  // before its line feed goes to headingLength.
  static int findPdb(const uint8_t* block, std::size_t n, int& headingLength);
  // The text for the creating entity, sector and channel, and the value table it implies
  // (left empty when the channel has none); a calibration block gives the table, and a
  // mosaic (creating entity 99) calibrated in dBZ is a reflectivity mosaic.
  static void describe(const Pdb& pdb, char* info, int size, std::vector<float>& values);
  // The map domain of the PDB (proj missing for an unknown projection).
  static DomainVal makeDomain(const Pdb& pdb);

 private:
  int readHeaderBlock(std::vector<uint8_t>& block);
  int inflateHeader(std::vector<uint8_t>& block);
  int readPixelsZlib(Image& im);
  int readPixelsRaw(Image& im);
  int readPixelsPng(Image& im);
  // A header whose projection and time a GINI image can have.
  static bool plausible(const Pdb& p);
  void setupImage(Image& im) const;

  bool open_;
  int kind_;
  std::vector<uint8_t> bytes_;  // the whole file
  std::size_t data_pos_;        // first byte of the pixel body
  std::vector<uint8_t> carry_;  // inflated pixels that came with the header stream
  Pdb pdb_;
  std::string heading_;
  int rows_read_;
};

}  // namespace KOL
