// The result of resolving a naming convention for one date: the file and header names, the
// file's date, its format type, the convention's parameters and its time step.
#pragma once

#include <string>

#include "core/Date.h"

namespace KOL {

class NameConvFile {
 public:
  static constexpr int TYPE_SIZE = 20;
  static constexpr int PARAM_SIZE = 20;

  NameConvFile() { init(); }

  void init();
  void setType(const char* t);
  const char* getType() const { return type; }
  // Names are held whole up to the system's path limit; a longer one is refused (0, a warning)
  // and leaves the name empty.
  int setFilename(const char* name);
  const char* getFilename() const { return filename.c_str(); }
  int setHdrFilename(const char* name);
  const char* getHdrFilename() const { return hdr_filename.c_str(); }
  void setDate(const Date& d) { date = d; }
  const Date& getDate() const { return date; }
  void setParam(const char* p);
  const char* getParam() const { return param; }
  void setOffset(int secs) { offset = secs; }
  int getOffset() const { return offset; }
  void print() const;

 private:
  char type[TYPE_SIZE];
  std::string filename;
  std::string hdr_filename;
  Date date;
  char param[PARAM_SIZE];
  int offset;
};

}  // namespace KOL
