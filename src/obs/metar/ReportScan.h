// The state of decoding one surface report: a cleaned copy of its text, the scanner walking it
// group by group, the record being filled and the national rules in force. The METAR, SAO and
// remark decoders share it.
#pragma once

#include <cstdarg>

#include "obs/Scanp.h"
#include "obs/SfcData.h"

namespace KOL {

class SfcWmoData;

class ReportScan {
 public:
  static constexpr int TEXT_SIZE = 400;
  // National rules: which remark groups a report may carry.
  enum Country : int { OTHER = 0, US = 1, CANADA = 2 };

  // Copies at most TEXT_SIZE characters of the text in upper case: control characters become
  // blanks, the
  // report ends at "=", leading characters other than letters and digits are dropped, and one blank
  // closes the text so that every group, the last one too, ends in white space.
  ReportScan(const char* text, SfcData& sfc, int country);
  ReportScan(const ReportScan&) = delete;
  ReportScan& operator=(const ReportScan&) = delete;

  // The whole pattern matched at the current group; the scanner has not moved yet.
  bool full(const char* pattern, ...);
  // The fields matched by the pattern at the current group.
  int part(const char* pattern, ...);
  // The last scan ended at a group boundary: after a blank or "/", or before a blank.
  bool boundary() const;
  // The record's date: the bulletin date completed with the day, hour and minute of the
  // bulletin heading (ReportDateTool); now when neither is known.
  void setDate(const SfcWmoData& w);
  // Dates the record by a day, hour and minute of the report itself: near the bulletin's date
  // when there is one, else by now. False for values that are no time.
  bool setTime(int day, int hour, int minute);
  // Accepts the last scan.
  void take() { scan.inc(); }

  char lead() const { return scan.getChar(0); }
  bool lead(char c) const { return scan.getChar(0) == c; }
  // The current group starts with one of the characters, or with a digit. These cheap tests
  // keep patterns that cannot fit from being scanned at all.
  bool leadIn(const char* chars) const;
  bool leadDigit() const { return lead() >= '0' && lead() <= '9'; }
  // The current group holds the character.
  bool wordHas(char c) const;
  bool atEnd() const { return scan.atEnd(); }
  // The length of the current group.
  int wordLength() const;
  bool wordIs(const char* word) const;
  bool wordStarts(const char* prefix) const;
  // The current group is one of the digit runs of the given length.
  bool digitsWord(int n) const;
  void skipWord();
  // Adds the next n groups to the record's comment and moves past them.
  void comment(int words);

  // Traces at a debug level, cheaply when debugging is off.
  void note(int level, const char* fmt, ...) const __attribute__((format(printf, 3, 4)));
  bool tracing(int level) const;

  Scanp scan;
  SfcData& sfc;
  int country;

 private:
  bool debug_;
  // The date the report's own day falls near; unset when neither file nor heading tells one.
  Date reference_;
  char text_[TEXT_SIZE + 2];
};

}  // namespace KOL
