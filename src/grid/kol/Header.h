// The text header of a native grid file: identification, date, info, the integer codes of what
// the grid is, and the projection line, as read from and written to the file's first lines.
#pragma once

#include <string>

namespace KOL {
class File;
class Grid;
}  // namespace KOL

namespace KOL::kol {

// Data format codes.
enum Format : int { TEXT = 1, BINARY = 2, EXTERNAL = 3 };

struct Header {
  static constexpr int ID_SIZE = 151;
  static constexpr int DATE_SIZE = 50;
  static constexpr int INFO_SIZE = 71;

  int version = 4;
  int format = TEXT;
  std::string date;
  std::string info;
  bool hasCodes = false;
  // source, version, model id, grid type, level type, level code, forecast time, variable
  int codes[8] = {};
  std::string units;
  std::string projection;
};

// Lines 1 to 3; 0 when the file is not a native grid file.
int readIdent(File& f, Header& h);
// Line 4 where the version has it (a version 2 file may go straight to its projection line),
// then the projection line; 0 when the file ends first.
int readCodesAndProjection(File& f, Header& h);
// Applies what the header says to a grid: metadata, size and domain. 0 for an unusable domain.
int applyHeader(const Header& h, Grid& g);

// The header of a grid for a version and format.
Header headerOf(const Grid& g, int version, int format);
int writeHeader(File& f, const Header& h);

}  // namespace KOL::kol
