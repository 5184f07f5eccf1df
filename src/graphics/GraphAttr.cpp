#include "graphics/GraphAttr.h"

#include <cstdio>

namespace KOL {

void GraphAttr::initAttr()
{
  line_color = 1, line_style = 1, line_width = -1;
  fill_color = 1, fill_style = 0;
  text_color = 1;
  text_weight = 1, text_height = 0.01f, text_expansion = 1, text_spacing = 0.25f;
  text_char_width = 0;
  text_halign = text_valign = 0;
  text_dx = 0, text_dy = 1;
  text_box_color = 0;
  drop_color = 1, drop_shadow = 0, drop_width = 0;
  mark_color = 1, mark_type = 1, mark_size = 0.01f, mark_weight = 1;
  std::snprintf(font_name, FONT_SIZE, "%s", "modern.fnt");
  symbol_file = "wx.smb";
  hardware_font = false;
}

}  // namespace KOL
