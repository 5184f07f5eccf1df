// Feed captures saved by other tools often end their lines in LF, CR LF or LF LF where the feed
// itself ends every line in CR CR LF. Such a capture is read as the feed it was: what its first
// start line shows of its line ends is taken for the whole capture, and each of its line ends is
// made CR CR LF again as it is read.
#pragma once

#include <cstddef>

namespace KOL::wmo {

class LineEnds {
 public:
  enum Kind : int { FEED = 0, LF = 1, CR_LF = 2, LF_LF = 3, UNKNOWN = 4 };
  // Bytes of a capture enough to tell its line ends.
  static constexpr size_t SNIFF = 65536;

  // What the line end after the first SOH in p[0..n) is; UNKNOWN when there is no SOH, or
  // not enough after it.
  static Kind sniff(const unsigned char* p, size_t n);
  static const char* name(Kind k);

  void setKind(Kind k);
  Kind getKind() const { return kind_; }
  // Line ends that are not the feed's are made so.
  bool converts() const { return kind_ == LF || kind_ == CR_LF || kind_ == LF_LF; }
  // Converts n bytes into out, which has room for 3 * n + ROOM: bytes that may begin a line
  // end are held until the next call (or finish). The count written.
  static constexpr size_t ROOM = 12;
  size_t convert(const unsigned char* in, size_t n, unsigned char* out);
  // What is held, at the end of the input.
  size_t finish(unsigned char* out);

 private:
  size_t release(unsigned char* out);

  Kind kind_ = FEED;
  static constexpr int MAX_CRS = 8;  // held at most: a longer run of CRs is text
  int crs_ = 0;                      // CRs seen last, which a LF would make part of its line end
  bool half_ = false;                // LF LF: a LF seen last, the first of a pair
};

}  // namespace KOL::wmo
