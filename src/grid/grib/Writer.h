// Encodes one Lambert conformal field as an edition 1 message with simple packing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "grid/grib/Field.h"

namespace KOL {
class Level;
}

namespace KOL::grib {

struct Ed1Lambert {
  int nx = 0, ny = 0;
  double la1 = 0, lo1 = 0, lov = 0, latin1 = 0, latin2 = 0;  // degrees
  double dx = 0, dy = 0;                                     // metres
  int scan = 0;
  int process = 0, parameter = 0, levelType = 0, levelValue = 0;  // levelValue: octets 11-12
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, p1 = 0;
  int bits = 8;
  const float* values = nullptr;  // nx * ny values in the order the scanning mode gives
};

// The message bytes; empty (with a warning) when the field cannot be written.
std::vector<uint8_t> encodeEd1Lambert(const Ed1Lambert& d);
// The level type (octet 10) and value (octets 11-12) of an edition 1 product for a level; false
// when the level's value does not fit those octets.
bool ed1LevelOctets(const Level& l, int& type, int& value);
// Writes a decoded Lambert field as edition 1 to a file.
bool writeEd1File(const Field& f, const std::string& path);

}  // namespace KOL::grib
