// Reads grids from what a user names: a file of any grid type, a file with a selector after it
// ("file+500:hght", "file#3"), or "^conv" for the file a naming convention gives at a date (in
// the "grid_path" directory when it is not found as named).
#pragma once

#include <string>

#include "core/Date.h"
#include "grid/GridSpec.h"

namespace KOL {

class Grid;
class Grids;

class GridRead {
 public:
  GridRead() { init(); }
  void init();
  // Passed to every grid file opened (GridFile::setParam).
  void setParam(const char* text) { param_ = text ? text : ""; }
  void setMissValue(float v) { missValue_ = v; }

  int read(const char* file, Grid& g) { return read(file, Date(), g); }
  int read(const char* file, const Date& date, Grid& g);
  int read(const char* file, Grids& grids) { return read(file, Date(), grids); }
  int read(const char* file, const Date& date, Grids& grids);

  // The file a grid text resolved to and the grid it selects (for messages and tests).
  const char* getPath() const { return path_.c_str(); }
  const GridSpec& getSpec() const { return spec_; }

 private:
  // Splits the selector off and resolves a convention name; the file to open.
  void resolve(const char* file, const Date& date);
  void splitSelector(std::string& name);

  std::string param_;
  float missValue_;
  std::string path_;
  GridSpec spec_;
};

}  // namespace KOL
