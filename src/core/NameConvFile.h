// The result of resolving a naming convention for one date: the file and header names, the
// file's date, its format type, the convention's parameters and its time step.
#pragma once

#include "core/Date.h"

namespace KOL {

class NameConvFile {
 public:
  static constexpr int TYPE_SIZE = 20;
  static constexpr int NAME_SIZE = 120;
  static constexpr int PARAM_SIZE = 20;

  NameConvFile() { init(); }

  void init();
  void setType(const char* t);
  const char* getType() const { return type; }
  void setFilename(const char* name);
  const char* getFilename() const { return filename; }
  void setHdrFilename(const char* name);
  const char* getHdrFilename() const { return hdr_filename; }
  void setDate(const Date& d) { date = d; }
  const Date& getDate() const { return date; }
  void setParam(const char* p);
  const char* getParam() const { return param; }
  void setOffset(int secs) { offset = secs; }
  int getOffset() const { return offset; }
  void print() const;

 private:
  char type[TYPE_SIZE];
  char filename[NAME_SIZE];
  char hdr_filename[NAME_SIZE];
  Date date;
  char param[PARAM_SIZE];
  int offset;
};

}  // namespace KOL
