// Colour table files ("kol.clr"): named colours, one a line, as components in [0, 1] or as
// #rrggbb; a line "END" closes the fill palette (the entries before it).
#pragma once

namespace KOL {

class ColorMap;

class ColorFile {
 public:
  // list: comma-separated file names resolved on the database path. 0 when one is unreadable.
  static int read(const char* list, ColorMap& map);
  static int readFile(const char* path, ColorMap& map);
  // One line of a colour table into map; 0 for a line that holds no colour.
  static int readLine(const char* line, ColorMap& map);
};

}  // namespace KOL
