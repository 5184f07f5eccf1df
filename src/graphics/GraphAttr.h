// The drawing attributes of a Graph: what the next line, fill, text and mark look like.
#pragma once

#include <string>

namespace KOL {

class GraphAttr {
 public:
  static constexpr int FONT_SIZE = 40;

  GraphAttr() { initAttr(); }
  void initAttr();

  int line_color, line_style;
  float line_width;
  int fill_color, fill_style;
  int text_color;
  float text_weight, text_height, text_expansion, text_spacing, text_char_width;
  int text_halign, text_valign;
  float text_dx, text_dy;  // the characters' up vector, normalised
  int text_box_color;
  int drop_color, drop_shadow;
  float drop_width;
  int mark_color, mark_type;
  float mark_size, mark_weight;
  char font_name[FONT_SIZE];
  std::string symbol_file;  // a file name: held whole
  bool hardware_font;
};

}  // namespace KOL
