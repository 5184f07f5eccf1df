// The pieces of a file request ("#2024011512-6", "la#100-6:30", ">cu", ...) and of a
// fixed-date text, read from the front of a text. Every reader leaves the text where it stopped.
#pragma once

#include "core/Date.h"

namespace KOL::nameconv {

// Fields a search date must take; a negative hour or minute rounds down to that multiple.
struct FixDate {
  int year = Const::MISS, month = Const::MISS, day = Const::MISS;
  int hour = Const::MISS, minute = Const::MISS;
  bool isSet() const;
};

// A date at the front of p in one of the request forms; unread fields from
// 1980-01-01 00:00:00. False (p unchanged) when there is none.
bool readSpecDate(const char*& p, Date& d);
// "[#]YYYY[MM[DD[HH[MM]]]]", unread fields from 1980-01-01 00:00 (the "kolcurtime" form).
bool readCurTime(const char* text, Date& d);
// An optional sign and a span "Dd[H][:M]" or "H[:M]" or ":M". sign receives '+', '-' or 0;
// seconds the span (0 when only a sign or nothing was there). False when a sign or number
// was malformed.
bool readShift(const char*& p, char& sign, long& seconds);
bool readFixDate(const char* text, FixDate& fix);
// Moves d back to the latest date at or before it that has the fixed fields.
void applyFix(const FixDate& fix, Date& d);

}  // namespace KOL::nameconv
