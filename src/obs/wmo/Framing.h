// Bulletins reach us in other framings than SOH ... ETX: telex and AFTN captures start each one
// with a "ZCZC nnn" line and end it with "NNNN"; files saved from a message switch or a web
// service hold bare bulletins, each starting with its abbreviated heading (sometimes after a
// sequence number line). Such a file is read as the feed it would have been: what its first
// start line shows is taken for the whole file, and its bulletins are framed SOH CR CR LF,
// sequence line, heading, body, ETX as they are read. The bytes handed in already end their
// lines in CR CR LF (see LineEnds).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "obs/wmo/LineEnds.h"

namespace KOL::wmo {

class Framing {
 public:
  enum Kind : int { SOH_ETX = 0, ZCZC = 1, BARE = 2 };
  // What the head of a file shows: its framing and the line ends of its first start line
  // (UNKNOWN when the bytes do not tell yet).
  struct Head {
    Kind framing = SOH_ETX;
    LineEnds::Kind ends = LineEnds::UNKNOWN;
  };
  // Lines longer than this, line end included, are body lines: they are passed on as they come.
  static constexpr size_t HOLD = 1024;

  // A start line of SOH anywhere in p[0..n) makes it a feed of the usual framing, whatever
  // comes first: a capture that begins inside a bulletin must not be framed anew. Otherwise the
  // first "ZCZC" line or heading at a bulletin's start decides. whole: no more bytes will
  // come, so a last line without its line end counts.
  static Head sniff(const unsigned char* p, size_t n, bool whole);
  static const char* name(Kind k);
  // TTAAii CCCC YYGGgg with an optional BBB (the ii may be missing): what can start a bare
  // bulletin. No report line looks like this.
  static bool isHeading(std::string_view text);

  // Starts a new file; the sequence numbers made up for bulletins without one go on.
  void setKind(Kind k);
  Kind getKind() const { return kind_; }
  bool converts() const { return kind_ != SOH_ETX; }
  // Appends the bulletins of in[0..n) to out, framed; a line is held until it is known what it
  // is, and a blank line or sequence line until the next line shows whether a bulletin ends.
  void convert(const unsigned char* in, size_t n, std::vector<unsigned char>& out);
  // At the end of the file: a bare bulletin ends there; one framed by ZCZC lacks its NNNN.
  void finish(std::vector<unsigned char>& out);

 private:
  void add(const unsigned char* p, size_t n, std::vector<unsigned char>& out);
  bool endsLine(const unsigned char* p, size_t k) const;
  void endLine(std::vector<unsigned char>& out);
  void overflow(std::vector<unsigned char>& out);
  void handle(std::string_view raw, bool whole, std::vector<unsigned char>& out);
  void aftnLine(std::string_view text, std::string_view raw, std::vector<unsigned char>& out);
  void bareLine(std::string_view text, std::string_view raw, std::vector<unsigned char>& out);
  void start(std::string_view raw_heading, std::vector<unsigned char>& out);
  void end(bool etx, std::vector<unsigned char>& out);
  void release(std::vector<unsigned char>& out);
  void body(std::string_view raw, std::vector<unsigned char>& out);
  void takeSequence(std::string_view digits);

  Kind kind_ = SOH_ETX;
  std::string line_;                // the current line so far, while it is held
  unsigned char tail_[2] = {0, 0};  // the last two bytes of the current line
  bool streaming_ = false;          // the line is too long to hold: passed on as it comes
  bool passing_ = false;            // ... into the bulletin (or dropped)
  unsigned char last_seen_ = 0;     // its last character that is not white space
  bool in_ = false;                 // within a bulletin
  bool wants_heading_ = false;      // a ZCZC line came: its heading is next
  bool boundary_ = true;            // a bare heading may start a bulletin here
  int blanks_ = 0;                  // blank lines held
  std::string held_sequence_;       // a sequence line held (bare), its line end with it
  std::string sequence_;            // the number the next bulletin is given
  int last_sequence_ = 0;           // the last number given or seen
};

}  // namespace KOL::wmo
