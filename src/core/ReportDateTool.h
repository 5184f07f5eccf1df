// Completing the day, hour and minute of a report or bulletin heading (a METAR time group, a
// heading's YYGGgg, a TEMP part's YYGG) into a full date. Every decoder and reader that meets
// such a group goes through here, so that a report is dated alike wherever it is read.
//
// A reference date known from the data (the date in a file's name, a filed bulletin's date, a
// date the user gave) supplies year and month: the report falls on the date with its day
// nearest the reference, which is the reference's month unless the day lies nearer in the month
// before or after. Without a reference the report is taken to be recent: the latest date with
// its day that is not more than a day ahead of now.
#pragma once

#include "core/Date.h"

namespace KOL {

class ReportDateTool {
 public:
  // Now as the library knows it: the fixed current time (Kol::init_time), else the environment
  // variable "kolcurtime" ("[#]YYYY[MM[DD[HH[MM]]]]"), else the clock.
  static long now();

  // The date a file name tells: the last run of 8, 10, 12 or 14 figures that reads as
  // yyyymmdd[hh[mm[ss]]], where 8 figures may be followed by "_", "-" or "T" and the hour
  // (hh, hhmm, as in "20190701_1200" or "20180630_12Z"); a name without an hour gives the
  // day's start. 0 (d unchanged) when the name holds no such date.
  static int fromName(const char* name, Date& d);

  // Completes day (1-31), hour (0-23) and minute (0-59, Const::MISS for 0) into out, by the
  // reference when it is set, else by now. 0 (out unchanged) for fields out of range.
  static int complete(const Date& reference, int day, int hour, int minute, Date& out);
  // The two rules on their own: the date with the day nearest ref, and the latest date with
  // the day not more than a day ahead of the given now (seconds).
  static int nearest(const Date& ref, int day, int hour, int minute, Date& out);
  static int latest(long now, int day, int hour, int minute, Date& out);
};

}  // namespace KOL
