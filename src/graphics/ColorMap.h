// The colours of a plot: a fixed-capacity table of named entries (components in [0, 1]) with the
// device value each was given, whose leading entries form the fill palette. Drawing code passes
// indices into this table; devices see only the device values.
#pragma once

#include <vector>

#include "imagery/RGB.h"

namespace KOL {

class ColorMap {
 public:
  static constexpr int NAME_SIZE = 20;
  static constexpr int DEFAULT_SIZE = 256;
  static constexpr int PATTERN_FIRST = 500;  // device pattern colours 500..508
  static constexpr int PATTERN_LAST = 508;

  struct Entry {
    char name[NAME_SIZE];
    float r, g, b;
    int value;
  };

  ColorMap() { init(DEFAULT_SIZE); }
  explicit ColorMap(int n) { init(n); }

  void init(int n);
  int getSize() const { return static_cast<int>(entries.capacity()); }
  int getNum() const { return static_cast<int>(entries.size()); }
  int getNumFill() const { return numFill; }
  // 0 unless 0 <= n <= count.
  int setNumFill(int n);
  // Updates an entry of that name in place or appends one; its index, -1 when full.
  int add(const char* name, float r, float g, float b);
  // See the table of special names: MISS, -2 "end", -1 "none", 500.. patterns, hex, numbers.
  int getInd(const char* name);
  const char* getName(int i) const;
  int get(int i, RGB& c) const;
  int getRGB(int i, float& r, float& g, float& b) const;
  int getIRGB(int i, int& r, int& g, int& b) const;
  int setValue(int i, int v);
  int getValue(int i) const;
  int getValue(const char* name);
  // True when entry i is within 0.01 (sum of component differences) of (r, g, b).
  bool isColorNear(int i, float r, float g, float b) const;
  bool isColorNear(int i, const RGB& c) const { return isColorNear(i, c.red, c.green, c.blue); }
  // The first entry near (r, g, b), -1 when none.
  int findNear(float r, float g, float b) const;
  void print() const;

 private:
  // Index lookups clamp at the last entry; -1 for a negative index or an empty map.
  int clampIndex(int i) const;
  int find(const char* name) const;

  std::vector<Entry> entries;
  int capacity = DEFAULT_SIZE;
  int numFill = 0;
};

}  // namespace KOL
