// How one station value is drawn, read from a short attribute text such as "ul,%3.0f,red" or
// "wbarb:sc=1.5": what kind of mark (number, text, marker, cloud circle, wind barb, vector,
// storm track, weather symbol, line), where around the station (fifteen positions or xy=),
// text alignment, colour, font, size, weight and limits. Every field starts unset (Const::MISS
// or an empty text) so that a datum's own attribute can be laid over the plotter's default.
#pragma once

#include <string>

namespace KOL {

class PlotAttr;

class DatumAttr {
 public:
  static constexpr int FORMAT_SIZE = 10;
  static constexpr int COLOR_SIZE = 20;
  static constexpr int FONT_SIZE = 120;
  static constexpr int SYMBOL_SIZE = 40;
  // Offsets of the positions, in units of the datum size.
  static constexpr float POS_DX = 0.012f;
  static constexpr float POS_DY_NEAR = 0.012f;
  static constexpr float POS_DY_FAR = 0.02f;

  enum Type : int {
    DATA = 1,
    VALUE = 2,
    TEXT = 3,
    MARK = 4,
    CLOUD = 6,
    WBARB = 7,
    CBARB = 8,
    DBARB = 9,
    VECT = 10,
    AVECT = 11,
    TRACK = 12,
    SYMB = 13,
    LINE = 14
  };

  DatumAttr() { init(); }
  explicit DatumAttr(const char* text)
  {
    init();
    parse(text);
  }

  void init();
  // Tokens split at ':' when the text holds one, else at ','; each token sets what it names.
  int parse(const char* text);
  int set(const char* text) { return parse(text); }
  // The fields of a plot attribute that are set (colour, font, height, weight, width, expansion,
  // shadow).
  int set(const PlotAttr& a);
  int setType(int t);
  // A type keyword ("data" ... "line"); 0 when it names none.
  int setType(const char* keyword);
  int setColor(const char* name);
  int setFont(const char* name);
  int setSymbol(const char* file);
  int setFormat(const char* fmt);
  int setResrc(const char* name);
  int setMarker(int m);
  // A marker name or number as "mk=" takes it.
  int setMarker(const char* name);
  void print() const;

  // The code of a type keyword (any case); 0 when the text is none.
  static int typeCode(const char* keyword);
  // Marker names compared over their own length ("dot" 8, "pnt" 1, "plus" 2, "star" 3, "crcl"
  // or "circle" 4, "x" 5, "sqr" or "square" 6, "tri" 7, "itri" 9), else the number.
  static int markerCode(const char* name);
  static bool isSet(int v);
  static bool isSet(float v);

  int type;
  float scale;
  float dx, dy;
  int halign, valign;
  float weight, height, width, expansion;
  int shadow;
  int mark;
  float min, max;
  int skip;
  char format[FORMAT_SIZE];
  char color[COLOR_SIZE];
  char font[FONT_SIZE];
  char symbol[SYMBOL_SIZE];
  std::string resrc;

 private:
  void parseToken(const char* token);
  bool parsePosition(const char* token);
  bool parseKeyed(const char* token);
  void setOffset(float x, float y, int h);
};

}  // namespace KOL
