// An instance message filter: a 64-bit mask of message groups chosen by level keywords, with
// optional log files (appended, emptied, opened per message, or log only) and paging of long
// terminal output.
#pragma once

#include <cstdint>

#include "core/File.h"
#include "core/String.h"

namespace KOL {

class Message {
 public:
  // Output modes: log only, terminal and log, log reopened per message, terminal and dated log.
  enum Mode : int { LOG_ONLY = 0, BOTH = 1, DEFERRED = 2, DATED = -1 };
  // Paging modes: off, on when both standard input and output are terminals, always on.
  enum Paging : int { NO_PAGING = 0, TERMINAL_PAGING = 1, PAGING = 2 };
  static constexpr uint64_t DEFAULT_MASK = 0xFFFFF;
  static constexpr uint64_t ERROR_BITS = 0x30;
  static constexpr uint64_t WARN_BITS = 0xC0;
  static constexpr uint64_t MESS_BITS = 0xF00;

  Message() { init(); }
  explicit Message(const char* spec);
  Message(const Message&) = delete;
  Message& operator=(const Message&) = delete;

  void init();
  int set(uint64_t mask);
  // Comma-separated items: level keywords (print error warn mess out1-out4 debug none, with
  // '+'/'-' and a last letter a-d for one bit per group), log files (@fi= +fi= -fi= dfi= fi=),
  // page, nopage, line=N.
  int set(const char* spec);
  uint64_t get() const { return mask; }
  int getNum() const { return count; }
  int setPageLength(int n);
  // A file that receives every message besides the terminal and the log.
  int setPrimary(const char* name);
  bool check(uint64_t bits) const { return (mask & bits) != 0; }
  // Prints text and waits for one character on standard input.
  int hold(uint64_t bits, const char* text);
  int print(uint64_t bits, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void printProgramInfo(const char* name);

 private:
  int setItem(const char* item);
  int openLog(const char* name, const char* how, int new_mode);
  int setLevel(const char* item);
  bool paging() const;
  void countLines(uint64_t bits, const char* fmt);

  uint64_t mask;
  int count;
  int mode;
  int page_mode;
  int lines;
  int page_length;
  File primary;
  File log;
  String deferred;
};

}  // namespace KOL
