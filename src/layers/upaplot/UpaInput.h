// The upper-air input of a plotting program: the positional "filename" resource names an own
// upper-air file, a date or file selector of the convention "upa_cvt" ("la" when none is
// given), or bulletins, captures and BUFR files, which are decoded into a temporary own file of
// the synoptic hour most soundings have (removed with the object).
#pragma once

#include <string>

namespace KOL::upaplot {

class UpaInput {
 public:
  UpaInput() = default;
  ~UpaInput();
  UpaInput(const UpaInput&) = delete;
  UpaInput& operator=(const UpaInput&) = delete;

  // What the layer is to draw: a file name or a selector. 0 after one line naming the program
  // when bulletins were given and hold no sounding, or cannot be read.
  int choose(const char* program, std::string& what);

 private:
  int decode(const char* program);
  std::string temp_;
};

}  // namespace KOL::upaplot
