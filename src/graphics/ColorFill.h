// The colours of the bands of a colour-filled field: colour-map indices chosen either by a
// regular interval from a base value or by explicit band values, optionally with a label per
// band. Contour fills, colour bars and coloured data take their colours from here.
#pragma once

#include <string>
#include <vector>

#include "core/Const.h"

namespace KOL {

class ColorMap;

class ColorFill {
 public:
  static constexpr int LABEL_SIZE = 20;

  ColorFill() { init(); }

  void init();
  // Builds the colours from map and a fill text. An empty text takes the map's fill palette
  // (every entry when it has none). Otherwise entries separated by ';', '/' or ',', each
  // "colour", "value=colour" or "value=colour=label"; any value makes the fill explicit.
  // Unknown colour names are skipped. 1 when at least one colour resulted.
  int set(ColorMap& map, const char* text);
  // Appends a colour (an index of the map) with an optional band value and label.
  void add(int color, float value = Const::FMISS, const char* label = nullptr);

  void setInterval(float f) { interval = f; }
  float getInterval() const { return interval; }
  void setBase(float f) { base = f; }
  float getBase() const { return base; }

  int getNum() const { return static_cast<int>(entries.size()); }
  // True when the bands are given by explicit values.
  bool isValues() const { return explicitValues; }
  int getNumValues() const { return explicitValues ? getNum() : 0; }
  float getValue(int k) const;
  float getMinValue() const { return getValue(0); }
  // The entry of the band holding v: with explicit values the last whose value is <= v,
  // otherwise trunc-down((v - base) / interval); limited to the entries, so that every band
  // gets a colour. -1 when there are no entries.
  int getIndex(float v) const;
  // The colour index of entry k (limited to the entries); -1 when there are none.
  int getColor(int k) const;
  // The colour index of the band holding v.
  int getColor(float v) const { return getColor(getIndex(v)); }
  // The label of entry k; null when it has none.
  const char* getLabel(int k) const;
  void print() const;

 private:
  struct Entry {
    int color;
    float value;
    std::string label;
  };
  int addEntry(ColorMap& map, const std::string& entry);

  std::vector<Entry> entries;
  bool explicitValues;
  float interval, base;
};

}  // namespace KOL
