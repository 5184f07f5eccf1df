// The internal form of one decoded GRIB field, shared by the section parsers, the unpackers, the
// grid geometry and the public classes that turn it into a Grid. Values and coordinates are in
// the order the message stores them (its scanning order, thinned rows not expanded), except the
// rows of values when northFirst is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "grid/grib/Bits.h"
#include "grid/grib/FieldValues.h"

namespace KOL::grib {

constexpr float MISSING = -9999.0f;

// Grid geometry of either edition, expressed in edition 2 terms.
struct GridGeom {
  int templ = -1;       // edition 2 grid template (0, 1, 10, 20, 30, 40, ...); -1 when unknown
  int nx = 0, ny = 0;   // Ni (the longest row of a thinned grid) and Nj
  std::vector<int> pl;  // points of each row of a thinned grid, else empty
  bool padded = false;  // thinned rows are centred on the grid columns, the rest missing
  double la1 = 0, lo1 = 0, la2 = 0, lo2 = 0;  // degrees
  double di = 0, dj = 0;                      // degrees (lat-lon, Gaussian) or metres (projected)
  bool diGiven = true;                        // increments present (lat-lon)
  double lov = 0, lad = 0, latin1 = 0, latin2 = 0;  // degrees
  int gaussN = 0;                                   // parallels between a pole and the equator
  int projCentre = 0;                               // bit 0x80: south pole on the projection plane
  int scan = 0;  // scanning mode flags (0x80 -i, 0x40 +j, 0x20 j consecutive, 0x10 alternate)
  double radius = 6367470.0;                    // earth radius, metres
  double spLat = -90, spLon = 0, rotAngle = 0;  // rotated grids: south pole of the rotation
  bool wrapped = false;   // a global grid whose grids repeat the first column at the end
  size_t points() const;  // number of stored points
  bool thinned() const { return !pl.empty(); }
};

// What the section parsers learn about the packing of the values.
struct Packing {
  int templ = -1;    // edition 2 data representation template (edition 1 simple: 0)
  float ref = 0;     // R
  int e = 0, d = 0;  // binary and decimal scale factors
  int bits = 0;
  Octets drs;   // data representation section (edition 2) or binary data section (edition 1)
  Octets data;  // the packed values
  double precision() const;  // 2^E 10^-D
};

struct Field {
  int edition = 0;
  size_t offset = 0, length = 0;  // message position in the stream and total length
  int centre = 0, subCentre = 0, process = 0, gridNumber = 0, flags = 0;
  int tableVersion = 0, localTable = 0;  // edition 1 table version, edition 2 master/local tables
  int discipline = 0, category = 0, parameter = 0;  // edition 1: category = table version
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;  // reference time
  int productTemplate = -1;
  int timeUnit = 1, timeRange = 0;  // edition 1 time range indicator; edition 2 derived code
  long p1 = 0, p2 = 0;              // forecast times in timeUnit
  int statProcess = -1;             // edition 2 statistical process, -1 when none
  long statLength = 0;              // length of the statistical period in timeUnit
  int levelType1 = 255, levelType2 = 255;
  double level1 = 0, level2 = 0;  // edition 1: octets as given; edition 2: scaled values
  bool level1Missing = true, level2Missing = true;
  int ensType = -1, perturbation = -1, ensSize = -1, derived = -1;
  int probType = -1;
  double probLower = 0, probUpper = 0;
  bool probLowerSet = false, probUpperSet = false;
  int percentile = -1;
  GridGeom grid;
  Packing pack;
  bool bitmapPresent = false;
  FieldValues values;       // grid.points() values, MISSING where masked
  bool northFirst = false;  // rows scanned south to north are stored north first in values
};

}  // namespace KOL::grib
