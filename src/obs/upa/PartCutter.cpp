#include "obs/upa/PartCutter.h"

#include <cstdio>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/UpaWmoData.h"

namespace KOL {
namespace upa {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::string_view trim(std::string_view s)
{
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view firstWord(std::string_view s)
{
  size_t n = 0;
  while (n < s.size() && !isBlank(s[n])) ++n;
  return s.substr(0, n);
}

bool allDigits(std::string_view w, size_t n)
{
  if (w.size() != n) return false;
  for (char c : w)
    if (c < '0' || c > '9') return false;
  return true;
}

// Where a part starts in the line: at its first word, or after a station number or the time
// an archive writes in front of each part (yyyymmddhhmm, or comma-separated station and date
// fields with the part word after the last comma); npos if not.
size_t partStart(std::string_view s)
{
  std::string_view w = firstWord(s);
  if (UpaWmoData::isPartWord(w)) return 0;
  size_t comma = w.rfind(',');
  if (comma != std::string_view::npos && UpaWmoData::isPartWord(w.substr(comma + 1)))
    return comma + 1;
  if (!allDigits(w, 5) && !allDigits(w, 12)) return std::string_view::npos;
  std::string_view rest = trim(s.substr(w.size()));
  return UpaWmoData::isPartWord(firstWord(rest)) ? s.size() - rest.size() : std::string_view::npos;
}

bool isHeading(std::string_view s)
{
  std::string line(s.substr(0, 40));
  return StrLib::check(line.c_str(), "uuuudd uuuu dddddd") ||
         StrLib::check(line.c_str(), "uuuu uuuu dddddd");
}

bool hasControl(std::string_view s)
{
  for (char c : s)
    if (c == '\x01' || c == '\x03') return true;
  return false;
}

}  // namespace

void PartCutter::heading(std::string_view text)
{
  flush();
  heading_.assign(text.substr(0, 20));
  int d, hm;
  std::string line(text);
  if (std::sscanf(line.c_str(), "%*s %*s %2d%4d", &d, &hm) == 2 && d >= 1 && d <= 31) {
    day_ = d;
    hour_ = hm / 100;
    minute_ = hm % 100;
  }
  if (Kol::isDebug(4)) Kol::outDebug(4, "UpaWmoFile heading: %s\n", heading_.c_str());
}

void PartCutter::line(std::string_view raw)
{
  if (hasControl(raw)) {
    flush();
    return;
  }
  std::string_view s = trim(raw);
  if (s.empty()) return;
  if (s.substr(0, 3) == "** ") {
    std::string_view h = s.substr(3);
    while (!h.empty() && (h.back() == '*' || isBlank(h.back()))) h.remove_suffix(1);
    heading(trim(h));
    return;
  }
  if (isHeading(s)) {
    heading(s);
    return;
  }
  if (s == "NNNN") {
    flush();
    return;
  }
  size_t start = partStart(s);
  if (start != std::string_view::npos) {
    flush();
    open_ = true;
    current_ = CutPart();
    current_.heading = heading_;
    current_.day = day_;
    current_.hour = hour_;
    current_.minute = minute_;
    last_line_.clear();
    s = s.substr(start);
  } else if (!open_ || s == last_line_) {
    return;
  }
  last_line_.assign(s);
  append(s);
}

void PartCutter::append(std::string_view words)
{
  size_t end = words.find('=');
  bool closed = end != std::string_view::npos;
  std::string_view body = trim(closed ? words.substr(0, end) : words);
  if (!current_.text.empty() && !body.empty()) current_.text += ' ';
  for (char c : body) current_.text += isBlank(c) ? ' ' : c;
  if (!closed) return;
  flush();
  // Another part may follow on the same line.
  std::string_view rest = trim(words.substr(end + 1));
  if (!rest.empty()) {
    last_line_.clear();
    line(rest);
  }
}

void PartCutter::flush()
{
  if (!open_) return;
  open_ = false;
  if (Kol::isDebug(4)) Kol::outDebug(4, "UpaWmoFile part: %.40s\n", current_.text.c_str());
  parts_.push_back(std::move(current_));
  current_ = CutPart();
}

CutPart PartCutter::take()
{
  CutPart p = std::move(parts_.front());
  parts_.pop_front();
  return p;
}

}  // namespace upa
}  // namespace KOL
