// A stroke font: per character a list of pen moves and strokes in font units (the cell 105 high,
// baseline at 35), read from a text font file; or a hardware font name handed to the device.
#pragma once

#include <vector>

#include "geo/Point.h"

namespace KOL {

class GFont {
 public:
  static constexpr int NAME_SIZE = 100;
  static constexpr int HEIGHT = 105;
  static constexpr int SPACE_WIDTH = 40;
  enum Type : int { STROKE = 1, HARDWARE = 2 };

  GFont() { init(); }
  void init();
  // A name starting with '#' is a hardware font; anything else a stroke font file read from path.
  int open(const char* name, const char* path);
  // Reads a stroke font file; 0 (with a warning) when it cannot be read or holds bad points.
  int read(const char* path);
  bool isOpen() const { return opened; }
  int getType() const { return type; }
  const char* getName() const { return name; }
  // The hardware font text: the name without '#', '_' as blanks, size after a colon (default 12).
  const char* getHardware(int& size) const;

  bool hasChar(int c) const;
  // Advance width in font units (SPACE_WIDTH for a blank); 0 for a character without glyph.
  int getWidth(int c) const;
  // Selects the glyph of c for get(); 0 when there is none.
  int setChar(int c);
  // The next point of the glyph: 1 draw to it, 2 move to it, 0 at the glyph's end.
  int get(Point& p);
  void print() const;

 private:
  enum Kind : char { END = 0, DRAW = 1, MOVE = 2 };
  struct Stroke {
    short x, y;
    Kind kind;
  };
  char name[NAME_SIZE];
  int type;
  bool opened;
  int start[256];
  int width[256];
  std::vector<Stroke> points;
  int cursor;  // next point of the selected glyph, -1 when none
  int hardwareSize;
  char hardware[NAME_SIZE];
};

}  // namespace KOL
