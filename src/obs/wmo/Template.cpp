#include "obs/wmo/Template.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/ReportDateTool.h"
#include "core/StrLib.h"

namespace KOL::wmo {

namespace {

constexpr int AWIPS_WORD = 10;
constexpr int RESOURCE_NAME = 200;

bool keeps(unsigned char c, int mode)
{
  if (StrLib::isPrint(c)) return true;
  return (mode >= 1 && c == '\n') || (mode == 2 && c == '\r');
}

bool safeChar(unsigned char c)
{
  return StrLib::isAlnum(c) || c == '.' || c == '_' || c == '+' || c == '-';
}

// Output bounded by the size of the destination.
struct Out {
  char* p;
  int max;
  int n = 0;
  void put(char c)
  {
    if (n < max - 1) p[n++] = c;
  }
  void put(std::string_view s, bool lower = false)
  {
    int k = std::min(static_cast<int>(s.size()), max - 1 - n);
    for (int i = 0; i < k; i++)
      p[n + i] =
          lower ? static_cast<char>(StrLib::toLower(static_cast<unsigned char>(s[i]))) : s[i];
    n += std::max(k, 0);
  }
  void number(int v, int width)
  {
    char text[16];
    int n = 0;
    if (v < 0) {
      n = std::snprintf(text, sizeof text, "%0*d", width, v);
    } else {
      for (; v > 0 || n < width; v /= 10) text[n++] = static_cast<char>('0' + v % 10);
      std::reverse(text, text + n);
    }
    for (int i = 0; i < n; i++) put(text[i]);
  }
};

// Characters a through b of word (1-based; b = 0: to the end), as the count of a code asks.
std::string_view slice(std::string_view word, int count)
{
  if (count < 1) return word;
  int div = count >= 100 ? 100 : 10;
  int a = std::max(count / div, 1), b = count % div;
  int len = static_cast<int>(word.size());
  if (b == 0 || b > len) b = len;
  return a > b ? std::string_view() : word.substr(a - 1, b - a + 1);
}

// What each byte becomes in a filter mode; 0 drops it.
using Filter = std::array<char, 256>;

const Filter& filterMap(int mode)
{
  static const auto table = [] {
    std::array<Filter, 4> t{};
    for (int mode = 0; mode < 4; mode++)
      for (int c = 0; c < 256; c++) {
        bool keep = keeps(static_cast<unsigned char>(c), mode == 3 ? 1 : mode);
        char out = keep ? static_cast<char>(c) : 0;
        if (mode == 3) out = c == '/' ? '-' : (keep ? static_cast<char>(c) : 'x');
        t[mode][c] = out;
      }
    return t;
  }();
  return table[std::min(std::max(mode, 0), 3)];
}

constexpr int BLOCK = 16;

// A bit for each of the BLOCK bytes at p that is not printable (which modes 0 to 2 may drop).
unsigned unprintable(const char* p)
{
#ifdef __SSE2__
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Signed: bytes from 128 on count as below ' '.
  __m128i odd =
      _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8(127)));
  return static_cast<unsigned>(_mm_movemask_epi8(odd));
#else
  unsigned odd = 0;
  for (int i = 0; i < BLOCK; i++)
    odd |= static_cast<unsigned>(!StrLib::isPrint(static_cast<unsigned char>(p[i]))) << i;
  return odd;
#endif
}

// How many bytes at the start of p[0..n) are printable.
int plainRun(const char* p, int n)
{
  int i = 0;
  for (; i + BLOCK <= n; i += BLOCK)
    if (unsigned odd = unprintable(p + i)) return i + __builtin_ctz(odd);
  while (i < n && StrLib::isPrint(static_cast<unsigned char>(p[i]))) i++;
  return i;
}

constexpr char PATH_CODES[] = "CDFGIMRSTW";
const char* const PATH_RESOURCES[] = {"con_path",   "data_path",  "file_path", "grid_path",
                                      "image_path", "model_path", "raw_path",  "sat_path",
                                      "text_path",  "watch_path"};

// The index of a path code in PATH_CODES, -1 for other codes.
int pathCode(char code)
{
  const char* at = code ? std::strchr(PATH_CODES, code) : nullptr;
  return at ? static_cast<int>(at - PATH_CODES) : -1;
}

std::string resource(const char* name)
{
  const char* v = Kol::resrc.get(name);
  return StrLib::valid(v) ? v : ".";
}

int roundDown(int v, int count) { return count > 0 && v >= 0 ? v - v % count : v; }

// A date code; false when code is none.
bool dateCode(char code, const Date& d, int count, Out& out)
{
  switch (code) {
    case 'Y':
      out.number(roundDown(d.getYear(), count), 4);
      return true;
    case 'y':
      out.number(roundDown(d.getYear() % 100, count), 2);
      return true;
    case 'm':
      out.number(roundDown(d.getMonth(), count), 2);
      return true;
    case 'b':
      out.put(DateTool::getMonthLower(d.getMonth()));
      return true;
    case 'd':
      out.number(roundDown(d.getDay(), count), 2);
      return true;
    case 'j': {
      int day = roundDown(d.getDay(), count);
      out.number(Date::getJulian(d.getYear(), d.getMonth(), day), 3);
      return true;
    }
    case 'h':
      out.number(roundDown(d.getHour(), count), 2);
      return true;
    case 'n':
      out.number(roundDown(d.getMinute(), count), 2);
      return true;
    default:
      return false;
  }
}

// The code after '%' at p; p moves past it.
void expandCode(const char*& p, const TemplateFields& f, Out& out)
{
  int count = 0;
  while (StrLib::isDigit(static_cast<unsigned char>(*p)) && count < 100000)
    count = count * 10 + (*p++ - '0');
  bool heading = *p == 'p';
  if (heading) p++;
  char code = *p;
  if (!code) return;
  p++;
  if (heading && (code == 'T' || code == 't' || code == 'L' || code == 'l')) {
    out.put(slice(f.words[code == 'T' || code == 't' ? 0 : 1], count), code == 't' || code == 'l');
  } else if (code == 'E' || code == 'e') {
    out.put(slice(f.awips, count), code == 'e');
  } else if (code == '{') {
    const char* end = std::strchr(p, '}');
    int n = end ? static_cast<int>(end - p) : static_cast<int>(std::strlen(p));
    out.put(resource(std::string(p, std::min(n, RESOURCE_NAME)).c_str()));
    p += end ? n + 1 : n;
  } else if (int i = pathCode(code); i >= 0) {
    if (!(f.known_paths & (1u << i))) f.paths[i] = resource(PATH_RESOURCES[i]);
    f.known_paths |= 1u << i;
    out.put(f.paths[i]);
  } else if (!dateCode(code, heading ? f.heading_time : f.ref, count, out)) {
    out.put(code);
  }
}

}  // namespace

int filterLine(char* text, int n, int mode)
{
  if (!text || n <= 0) {
    if (text) text[0] = 0;
    return 0;
  }
  const Filter& map = filterMap(mode);
  int k = mode <= 2 ? plainRun(text, n) : 0;
  for (int i = k; i < n; i++) {
    char c = map[static_cast<unsigned char>(text[i])];
    text[k] = c;
    k += c != 0;
  }
  text[k] = 0;
  return k;
}

int filterCopy(const char* from, int n, char* to, int mode)
{
  if (n <= 0) {
    to[0] = 0;
    return 0;
  }
  const Filter& map = filterMap(mode);
  int i = 0, k = 0;
  // Sixteen bytes go across at a time: those after an unprintable one are copied again after it.
  while (mode <= 2 && i + BLOCK <= n) {
    unsigned odd = unprintable(from + i);
    std::memcpy(to + k, from + i, BLOCK);
    int run = odd ? __builtin_ctz(odd) : BLOCK;
    i += run;
    k += run;
    if (run == BLOCK) continue;
    // The line end of text in one step.
    if (mode == 1 && from[i] == '\r' && i + 2 < n && from[i + 1] == '\r' && from[i + 2] == '\n') {
      to[k++] = '\n';
      i += 3;
      continue;
    }
    char c = map[static_cast<unsigned char>(from[i++])];
    to[k] = c;
    k += c != 0;
  }
  for (; i < n; i++) {
    char c = map[static_cast<unsigned char>(from[i])];
    to[k] = c;
    k += c != 0;
  }
  to[k] = 0;
  return k;
}

// Filtering with mode 3 drops nothing and turns '/' into '-': what else it changes is not safe.
std::string safeWord(const char* text, int n, int max)
{
  std::string word(text, std::max(std::min(n, max), 0));
  for (char& c : word) c = c == '/' ? '-' : safeChar(static_cast<unsigned char>(c)) ? c : 'x';
  if (!word.empty() && (word[0] == '.' || word[0] == '-')) word[0] = 'x';
  return word;
}

const Date& TimeMemo::reference(const Date& date, int offset)
{
  long base = date.isSet() ? date.getSeconds() : ReportDateTool::now();
  if (base == base_ && offset == offset_ && date.isSet() == from_date_) return ref_;
  base_ = base;
  offset_ = offset;
  from_date_ = date.isSet();
  ref_ = date;
  if (!ref_.isSet()) ref_.set(base);
  ref_.addSeconds(static_cast<float>(-offset));
  heading_minute_ = -1;
  return ref_;
}

const Date& TimeMemo::headingTime(int day, int hour, int minute)
{
  int key = (day * 100 + hour) * 100 + minute;
  if (key == heading_minute_) return heading_time_;
  heading_minute_ = key;
  // A date given places the heading near it; the clock, no more than a day ahead of it.
  bool done = from_date_
                  ? ReportDateTool::nearest(ref_, day, hour, minute, heading_time_)
                  : ReportDateTool::latest(ref_.getSeconds(), day, hour, minute, heading_time_);
  if (!done) heading_time_ = ref_;
  return heading_time_;
}

TemplateFields templateFields(const char* heading, const char* awips, const Date& date, int offset,
                              TimeMemo& memo)
{
  TemplateFields f;
  const Date& ref = memo.reference(date, offset);
  f.ref = ref;
  const char* h = heading ? heading : "";
  for (std::string& word : f.words) {
    while (*h == ' ') h++;
    const char* start = h;
    while (*h && *h != ' ') h++;
    word = safeWord(start, static_cast<int>(h - start), 20);
  }
  const char* a = awips ? awips : "";
  while (*a == ' ') a++;
  int n = 0;
  while (a[n] && a[n] != ' ') n++;
  f.awips = safeWord(a, n, AWIPS_WORD);
  f.heading_time = ref;
  const std::string& time = f.words[2];
  if (time.size() >= 6 && StrLib::isNum(time.c_str(), 6)) {
    auto two = [&](int i) { return (time[i] - '0') * 10 + (time[i + 1] - '0'); };
    f.heading_time = memo.headingTime(two(0), two(2), two(4));
  }
  return f;
}

int expandTemplate(const char* tmpl, const TemplateFields& f, char* out, int max)
{
  if (!out || max <= 0) return 0;
  Out o{out, max};
  for (const char* p = tmpl ? tmpl : ""; *p;) {
    if (*p != '%') {
      o.put(*p++);
      continue;
    }
    p++;
    if (*p == '%') {
      o.put(*p++);
      continue;
    }
    expandCode(p, f, o);
  }
  out[o.n] = 0;
  return o.n;
}

}  // namespace KOL::wmo
