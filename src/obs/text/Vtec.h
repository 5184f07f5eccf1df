// A P-VTEC string (NWS Instruction 10-1703, Valid Time Event Code):
// "/k.aaa.cccc.pp.s.####.yymmddThhnnZ-yymmddThhnnZ/" - product class (O, T, E, X), action,
// office, phenomenon, significance, event tracking number, begin and end. "000000T0000Z"
// stands for a time not given (in effect already, or until further notice).
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace KOL {

class Vtec {
 public:
  Vtec() { init(); }
  void init();
  // 1 when the text (leading blanks allowed) starts with a P-VTEC string.
  int parse(std::string_view text);
  // An event's identity: office, phenomenon, significance and number. Numbers start again
  // each year, so an event is also known by year().
  std::string eventKey() const;
  // The year of the begin time, else of the end time; 0 when neither is given.
  int year() const;
  // A time of the code's form as "YYYY-MM-DDThh:mmZ", or "" for the null time.
  static std::string isoTime(std::string_view t);
  // The same as seconds since 1970; -1 for the null time or an unreadable one.
  static std::time_t seconds(std::string_view t);
  void print() const;

  std::string raw;
  char product_class = ' ';
  std::string action, office, phenomena;
  char significance = ' ';
  int etn = 0;
  std::string begin, end;  // as written, yymmddThhnnZ
};

}  // namespace KOL
