// A set of named symbols (weather symbols, front pips, markers) read from a symbol file: each a
// list of outlines and filled shapes in symbol units (origin at the lower left, 1 = the size).
#pragma once

#include <string>
#include <vector>

#include "geo/Point.h"

namespace KOL {

class Symbol {
 public:
  static constexpr int NAME_SIZE = 15;
  static constexpr int MAX_SYMBOLS = 199;
  static constexpr int MAX_POINTS = 4999;

  struct Part {
    bool fill;
    Points pts;
  };

  Symbol() { init(); }
  void init();
  // Reads a symbol file; 0 with a warning when it cannot be read.
  int read(const char* path);
  int getNum() const { return static_cast<int>(symbols.size()); }
  const char* getName(int i) const;
  // Selects the first symbol whose name is a prefix of name; 0 when none.
  int setSymb(const char* name);
  // The parts of the selected symbol (empty when none is selected).
  const std::vector<Part>& getParts() const;
  void print() const;

 private:
  struct Symb {
    char name[NAME_SIZE];
    std::vector<Part> parts;
  };
  std::vector<Symb> symbols;
  int current;
  int numPoints;
};

}  // namespace KOL
