#include "obs/metar/ReportScan.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/ReportDateTool.h"
#include "core/StrLib.h"
#include "obs/SfcWmoData.h"

namespace KOL {

namespace {

bool isGap(char c) { return c == ' ' || c == '\0'; }

}  // namespace

ReportScan::ReportScan(const char* text, SfcData& s, int c) : sfc(s), country(c)
{
  debug_ = Kol::isDebug();
  if (!text) text = "";
  // Framing left before the report (record separators, blanks, stray marks) is dropped.
  while (*text && !StrLib::isAlnum(*text)) ++text;
  int n = 0;
  for (; n < TEXT_SIZE && text[n] && text[n] != '='; ++n) {
    unsigned char k = static_cast<unsigned char>(text[n]);
    text_[n] = k < 32 || k >= 127 ? ' ' : static_cast<char>(StrLib::toUpper(k));
  }
  while (n > 0 && text_[n - 1] == ' ') --n;
  text_[n] = ' ';
  text_[n + 1] = '\0';
  scan.set(text_, n > 0 ? n + 1 : 0);
}

bool ReportScan::full(const char* pattern, ...)
{
  va_list ap;
  va_start(ap, pattern);
  scan.vscan(pattern, ap);
  va_end(ap);
  return scan.isComplete();
}

int ReportScan::part(const char* pattern, ...)
{
  va_list ap;
  va_start(ap, pattern);
  int n = scan.vscan(pattern, ap);
  va_end(ap);
  return n;
}

bool ReportScan::boundary() const
{
  int n = scan.getCount();
  if (n <= 0) return false;
  char last = scan.getChar(n - 1);
  return last == ' ' || last == '/' || isGap(scan.getChar(n));
}

void ReportScan::setDate(const SfcWmoData& w)
{
  reference_ = w.date;
  if (w.day != Const::MISS && w.hour != Const::MISS)
    ReportDateTool::complete(w.date, w.day, w.hour, w.minute, reference_);
  Date& d = sfc.date;
  d = reference_;
  if (!d.isSet()) d.set(ReportDateTool::now());
}

bool ReportScan::setTime(int day, int hour, int minute)
{
  if (hour < 0 || hour > 23 || (minute != Const::MISS && (minute < 0 || minute > 59))) return false;
  Date& d = sfc.date;
  if (day != Const::MISS) {
    if (!ReportDateTool::complete(reference_, day, hour, minute, d)) return false;
  } else if (!d.adjustHour(hour)) {
    return false;
  }
  if (minute != Const::MISS) d.setMinute(minute);
  return true;
}

bool ReportScan::leadIn(const char* chars) const
{
  char c = lead();
  return c && std::strchr(chars, c);
}

bool ReportScan::wordHas(char c) const
{
  for (int i = 0; !isGap(scan.getChar(i)); ++i)
    if (scan.getChar(i) == c) return true;
  return false;
}

int ReportScan::wordLength() const
{
  int n = 0;
  while (!isGap(scan.getChar(n))) ++n;
  return n;
}

bool ReportScan::wordIs(const char* word) const
{
  int n = static_cast<int>(std::strlen(word));
  return wordLength() == n && std::strncmp(scan.string(), word, n) == 0;
}

bool ReportScan::wordStarts(const char* prefix) const
{
  return std::strncmp(scan.string(), prefix, std::strlen(prefix)) == 0;
}

bool ReportScan::digitsWord(int n) const
{
  for (int i = 0; i < n; ++i)
    if (!StrLib::isDigit(scan.getChar(i))) return false;
  return isGap(scan.getChar(n));
}

void ReportScan::skipWord()
{
  scan.inc(wordLength());
  while (scan.getChar(0) == ' ') scan.inc(1);
}

void ReportScan::comment(int words)
{
  sfc.addComment(scan.string(), words);
  for (int i = 0; i < words && !atEnd(); ++i) skipWord();
}

bool ReportScan::tracing(int level) const { return debug_ && Kol::isDebug(level); }

void ReportScan::note(int level, const char* fmt, ...) const
{
  if (!tracing(level)) return;
  char line[200];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  Kol::outDebug(level, "%s", line);
}

}  // namespace KOL
