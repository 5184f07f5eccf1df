// The value section of a native grid file: one text value per line, big-endian binary floats,
// or a reference to values held in another file.
#pragma once

#include <string>

namespace KOL {
class File;
class Grid;
}  // namespace KOL

namespace KOL::kol {

// Each fills the grid's allocated values; 0 (with a message) when the file ends too soon.
int readText(File& f, Grid& g);
int readBinary(File& f, Grid& g);
// The reference line names the data file; a relative name is looked for beside gridFile too.
int readExternal(File& f, const std::string& gridFile, Grid& g);

// fmt: printf format of one value; empty for "%14.8e".
int writeText(File& f, const Grid& g, const char* fmt);
int writeBinary(File& f, const Grid& g);

// False when the rest of the file cannot hold n values of at least width bytes each, so that a
// header promising more than the file holds is refused before anything is allocated.
bool fits(File& f, size_t n, size_t width);

}  // namespace KOL::kol
