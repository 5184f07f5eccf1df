// Cuts upper-air parts out of lines of text: filed bulletins, raw feeds or plain lists of parts.
// A part starts at a line whose first word is a part word (or a station number and a part word),
// and ends at "=" (another part may follow on the line), at the next part word, at a bulletin
// boundary or at the end of the input; headings and "** " separators give the bulletin day and
// hour. A line repeated at once inside a part is taken once.
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace KOL {
namespace upa {

struct CutPart {
  std::string text;     // from the part word on, without "="
  std::string heading;  // the bulletin heading, "" when none was seen
  int day = -1, hour = -1, minute = -1;
};

class PartCutter {
 public:
  void line(std::string_view text);
  // Ends the part in progress (at the end of the input).
  void flush();
  bool ready() const { return !parts_.empty(); }
  CutPart take();

 private:
  void heading(std::string_view text);
  void append(std::string_view words);

  std::deque<CutPart> parts_;
  CutPart current_;
  bool open_ = false;
  std::string last_line_;
  std::string heading_;
  int day_ = -1, hour_ = -1, minute_ = -1;
};

}  // namespace upa
}  // namespace KOL
