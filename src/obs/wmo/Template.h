// Name templates of ingest rules: the character filters applied to bulletin text, and the
// expansion of a template from the reference time, the heading time and the heading words.
// Words taken from a heading or product identifier are made safe for file names and shell
// commands: only letters, digits and ". _ + -" remain, and none begins with '.' or '-'.
#pragma once

#include <string>

#include "core/Date.h"

namespace KOL::wmo {

// See WmoIngest::cleanLine.
int filterLine(char* text, int n, int mode);
// The same from from[0..n) into to, which holds n + 1 bytes and does not overlap from.
int filterCopy(const char* from, int n, char* to, int mode);
// A heading word filtered with mode 3 and made safe, at most max characters.
std::string safeWord(const char* text, int n, int max);

struct TemplateFields {
  Date ref;              // the reference time, offset applied
  Date heading_time;     // day, hour and minute of the heading on the reference time
  std::string words[4];  // TTAAii, CCCC, YYGGgg, BBB
  std::string awips;     // first word of the product identifier
  // The path resources of the codes C, D, F, ..., W as looked up by the first template that
  // used them (the fields serve all the templates of one bulletin).
  mutable std::string paths[10];
  mutable unsigned known_paths = 0;
};

// The times of the last bulletin's fields, kept for the next: the reference time changes with
// the clock second, the heading time with the heading's day, hour and minute.
class TimeMemo {
 public:
  // date, else the current time (ReportDateTool::now), offset seconds earlier.
  const Date& reference(const Date& date, int offset);
  // A heading's day, hour and minute completed by the last reference time (ReportDateTool); the
  // reference time itself when they are no time.
  const Date& headingTime(int day, int hour, int minute);
  // To be called when the date given to reference changes.
  void forget() { *this = TimeMemo(); }

 private:
  long base_ = -1;  // the second the reference time was made from
  int offset_ = 0;
  bool from_date_ = false;
  Date ref_;
  int heading_minute_ = -1;  // day, hour and minute as ddhhmm; -1 for none
  Date heading_time_;
};

// The fields of a bulletin, on the reference time memo gives for date and offset.
TemplateFields templateFields(const char* heading, const char* awips, const Date& date, int offset,
                              TimeMemo& memo);
// Expands tmpl into out (at most max - 1 characters, terminated); the length.
int expandTemplate(const char* tmpl, const TemplateFields& f, char* out, int max);

}  // namespace KOL::wmo
