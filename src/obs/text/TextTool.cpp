#include "obs/text/TextTool.h"

#include <cctype>
#include <cstdio>
#include <ctime>

#include "core/Const.h"

namespace KOL {

namespace {

inline char up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline bool blank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

std::string_view TextTool::trim(std::string_view s)
{
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string TextTool::upper(std::string_view s)
{
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool TextTool::startsWith(std::string_view s, std::string_view prefix)
{
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool TextTool::startsWithNoCase(std::string_view s, std::string_view prefix)
{
  if (s.size() < prefix.size()) return false;
  for (size_t k = 0; k < prefix.size(); ++k)
    if (up(s[k]) != up(prefix[k])) return false;
  return true;
}

size_t TextTool::findNoCase(std::string_view s, std::string_view word)
{
  if (word.empty() || s.size() < word.size()) return std::string_view::npos;
  const char first = up(word[0]);
  for (size_t i = 0; i + word.size() <= s.size(); ++i)
    if (up(s[i]) == first && startsWithNoCase(s.substr(i), word)) return i;
  return std::string_view::npos;
}

bool TextTool::isDigits(std::string_view s)
{
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::vector<std::string_view> TextTool::words(std::string_view s)
{
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
    if (j > i) out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

bool TextTool::toInt(std::string_view s, int& v)
{
  bool negative = !s.empty() && (s[0] == '-' || s[0] == '+');
  if (negative) negative = s[0] == '-', s.remove_prefix(1);
  if (!isDigits(s) || s.size() > 9) return false;
  int n = 0;
  for (char c : s) n = n * 10 + (c - '0');
  v = negative ? -n : n;
  return true;
}

int TextTool::intOr(std::string_view s)
{
  int v;
  return toInt(trim(s), v) ? v : Const::MISS;
}

std::string TextTool::iso(int year, int month, int day, int hour, int minute)
{
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  std::time_t s = timegm(&t);
  std::tm u{};
  gmtime_r(&s, &u);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02dZ", u.tm_year + 1900, u.tm_mon + 1,
                u.tm_mday, u.tm_hour, u.tm_min);
  return buf;
}

int TextTool::month(std::string_view abbrev)
{
  static const char* const NAMES[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  std::string u = upper(abbrev.substr(0, 3));
  for (int i = 0; i < 12; ++i)
    if (u == NAMES[i]) return i + 1;
  return 0;
}

}  // namespace KOL
