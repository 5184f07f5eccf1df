// One line of a raw bulletin feed as the feed reader cuts it: its bytes with the line end, the
// kind of line it is within its bulletin (start, sequence, heading, ...), how it ended and its
// place in the bulletin. The bytes are held in the line, or seen in place in the reader's buffer
// (a view, valid until the reader reads on) so that a feed is not copied line by line.
#pragma once

namespace KOL {

class WmoData {
 public:
  static constexpr int DATA_SIZE = 10000;

  enum Type : int {
    UNKNOWN = 0,
    START = 1,     // SOH CR CR LF, or ETX SOH CR CR LF
    SEQUENCE = 2,  // index 1
    HEADING = 3,   // index 2
    AWIPS = 4,     // index 3: product identifier or first body line
    DATA = 5,
    END = 6,      // a lone ETX
    END_FILE = 7  // the source ended or was reconnected within the line
  };
  enum Terminator : int { NONE = 0, NEWLINE = 1, ETX = 2 };

  WmoData() { init(); }

  void init();
  // An empty data line; the index stays.
  void clear();

  const char* getData() const { return view_ ? view_ : data_; }
  int getLength() const { return length_; }
  int getType() const { return type_; }
  int getTerminator() const { return terminator_; }
  int getIndex() const { return index_; }
  // Room left behind the bytes.
  int getFree() const { return DATA_SIZE - length_; }

  void setType(int t) { type_ = t; }
  void setTerminator(int t) { terminator_ = t; }
  void setIndex(int i) { index_ = i; }
  // Appends up to getFree() bytes; the count taken.
  int add(const void* bytes, int n);
  int add(char c) { return add(&c, 1); }
  // The same for bytes that stay where they are until the reader reads on: an empty line, or
  // a view that they continue in memory, sees them in place; any other line copies them.
  int addInPlace(const void* bytes, int n);
  // Copies viewed bytes into the line, which then no longer depends on the reader's buffer.
  void own();
  bool isView() const { return view_ != nullptr; }
  // Keeps the first n bytes.
  void trunc(int n)
  {
    if (n >= 0 && n < length_) length_ = n;
  }

  // The bytes begin with text (compared over strlen(text) bytes).
  bool beginsWith(const char* text) const;
  bool isStart() const { return type_ == START; }
  bool endsBulletin() const { return terminator_ == ETX; }
  // The tag of a line class ("WM:"), "??:" outside the table.
  static const char* tag(int type);
  void print() const;

 private:
  char data_[DATA_SIZE];
  const char* view_;  // the bytes seen in place, or nullptr when they are in data_
  int length_;
  int type_;
  int terminator_;
  int index_;
};

}  // namespace KOL
