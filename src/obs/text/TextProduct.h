// One text product as filed: the WMO abbreviated heading (TTAAii CCCC YYGGgg [BBB], WMO Manual
// on the GTS, Attachment II-5), the AWIPS product identifier line under it, and the body lines
// with their line ends (LF, CR LF or CR CR LF) and the SOH/ETX framing taken off. Archive copies
// that carry "ZCZC <id>" instead of a heading keep that id.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace KOL {

class JsonText;

class TextProduct {
 public:
  // What the heading lines say; the readers keep a copy with what they read.
  struct Heading {
    std::string ttaaii, cccc, ddhhmm, bbb;
    std::string awips;
    std::string zczc;
    bool has() const { return !ttaaii.empty(); }
    // The first three letters of the AWIPS identifier (of the ZCZC id past its office):
    // "TOR", "SVS", "TCM", "MAV", ...; empty when there is none.
    std::string type() const;
    // The listing's "wmo" and "awips_id" fields (into an open object).
    void json(JsonText& j) const;
  };

  TextProduct() { init(); }
  // The lines point into the product's own copy of its bytes.
  TextProduct(const TextProduct&) = delete;
  TextProduct& operator=(const TextProduct&) = delete;
  void init();
  // Takes the product's bytes (copied). 1 when it has any line.
  int parse(std::string_view raw, long offset = 0);

  const Heading& getHeading() const { return head; }
  std::string type() const { return head.type(); }
  const std::vector<std::string_view>& getLines() const { return lines_; }
  void print() const;

  Heading head;
  long offset = 0;  // where the product starts in its file

 private:
  std::string text_;
  std::vector<std::string_view> lines_;  // into text_, after the heading and AWIPS line
};

}  // namespace KOL
