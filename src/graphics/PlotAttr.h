// The look of one kind of drawing (a line, fill, text or mark) written as a short text such as
// "red:w2:st=dsh" or "blue,w2,st=dsh": what every layer's colour and attribute options parse.
#pragma once

namespace KOL {

class PlotAttr {
 public:
  static constexpr int COLOR_SIZE = 20;
  static constexpr int FONT_SIZE = 120;
  static constexpr int LABEL_SIZE = 20;

  PlotAttr() { init(); }
  explicit PlotAttr(const char* text)
  {
    init();
    parse(text);
  }

  // Every field missing or empty.
  void init();
  // Fields split at ':' when the text holds one, else at ','; unknown fields are ignored.
  int parse(const char* text);
  // The defaults first, then text over them.
  int set(const char* text, const char* defaults);
  // Copies every field that is set in other.
  void update(const PlotAttr& other);
  // False for colour index -1, an empty name or "off".
  bool validColor() const;
  void print() const;

  // Fill-style names ("sol" 0 ... "9%" 19); anything else is read as a number.
  static int parseFillStyle(const char* name);
  // Mark-type names ("pnt" 1 ... "light" 10); anything else 2.
  static int parseMarker(const char* name);
  // Line-style names ("sol" 1 ... "dot" 5); anything else is read as a number.
  static int parseLineStyle(const char* name);

  float width, height, weight, expansion;
  int style, shadow, fill;
  int color;
  char color_name[COLOR_SIZE];
  char font[FONT_SIZE];
  char label[LABEL_SIZE];

 private:
  void parseField(const char* field);
};

}  // namespace KOL
