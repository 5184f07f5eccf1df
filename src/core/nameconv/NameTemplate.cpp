#include "core/nameconv/NameTemplate.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/DateTool.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/nameconv/DirCache.h"

namespace KOL::nameconv {

namespace {

constexpr int MISS = Const::MISS;
// A count beyond this is no longer a rounding step or a field width.
constexpr int MAX_COUNT = 99;

struct PathLetter {
  char letter;
  const char* resource;
};

const PathLetter path_letters[] = {{'C', "con_path"},  {'D', "data_path"},  {'F', "file_path"},
                                   {'G', "grid_path"}, {'I', "image_path"}, {'M', "model_path"},
                                   {'R', "raw_path"},  {'S', "sat_path"},   {'T', "text_path"},
                                   {'W', "watch_path"}};

const char* pathResource(char letter)
{
  for (const auto& p : path_letters)
    if (p.letter == letter) return p.resource;
  return nullptr;
}

// Rounding down to a multiple of n, for fields counted from 0 (year, hour, minute) and from 1
// (month, day, day of year).
int round0(int v, int n) { return v == MISS ? MISS : v - v % n; }
int round1(int v, int n) { return v == MISS ? MISS : (v - 1) / n * n + 1; }

std::string number(const char* fmt, int v)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// The element of a path list that the search is at, and whether it exists.
std::string pathElement(const Directive& d, const TemplateContext& ctx, Encoded& out)
{
  std::string list = ctx.pathList ? ctx.pathList(d.resource) : ".";
  int n = std::max(1, FileTool::numPath(list.c_str()));
  out.path_count = std::max(out.path_count, n);
  String element;
  FileTool::getPath(list.c_str(), std::min(ctx.path_index, n - 1), element);
  std::string dir = element.get();
  bool exists = ctx.cache ? ctx.cache->isDir(dir) : FileTool::isDir(dir.c_str());
  if (!exists) out.path_ok = false;
  return dir;
}

std::string keyText(const Directive& d, const TemplateContext& ctx)
{
  const char* v = ctx.key ? ctx.key(d.letter) : nullptr;
  if (!v) return "0";
  std::string s(v);
  if (d.counted && (int)s.size() > d.count) s.resize(d.count);
  return s;
}

// The date fields an encoding uses and the finest one of them (0 year ... 4 minute).
struct Fields {
  int year, month, day, hour, minute, julian;
  int finest = -1;
  bool by_julian = false;
  void use(int level) { finest = std::max(finest, level); }
};

std::string dateText(const Directive& d, Fields& f)
{
  int n = d.count;
  switch (d.letter) {
    case 'Y':
      f.year = round0(f.year, n);
      f.use(0);
      return f.year == MISS ? "0000" : number("%4.4d", f.year);
    case 'y':
      f.year = round0(f.year, n);
      f.use(0);
      return f.year == MISS ? "00" : number("%2.2d", f.year % 100);
    case 'm':
      f.month = round1(f.month, n);
      f.use(1);
      return f.month == MISS ? "00" : number("%2.2d", f.month);
    case 'B':
    case 'b': {
      f.month = round1(f.month, n);
      f.use(1);
      if (f.month == MISS) return d.letter == 'B' ? "XXX" : "xxx";
      return d.letter == 'B' ? DateTool::getMonth(f.month) : DateTool::getMonthLower(f.month);
    }
    case 'd':
      f.day = round1(f.day, n);
      f.use(2);
      return f.day == MISS ? "00" : number("%2.2d", f.day);
    case 'j':
      f.julian = round1(f.julian, n);
      f.by_julian = f.julian != MISS;
      f.use(2);
      return f.julian == MISS ? "000" : number("%3.3d", f.julian);
    case 'h':
      f.hour = round0(f.hour, n);
      f.use(3);
      return f.hour == MISS ? "00" : number("%2.2d", f.hour);
    case 'n':
      f.minute = round0(f.minute, n);
      f.use(4);
      return f.minute == MISS ? "00" : number("%2.2d", f.minute);
    default:
      return std::string();
  }
}

bool isDateLetter(char c) { return c && std::strchr("YymBbdjhn", c); }

Date fileDate(const Date& date, Fields& f)
{
  if (f.finest < 0) return date;
  if (f.by_julian && f.year != MISS) Date::setJulian(f.year, f.julian, f.month, f.day);
  if (f.finest < 4) f.minute = MISS;
  if (f.finest < 3) f.hour = MISS;
  if (f.finest < 2) f.day = MISS;
  if (f.finest < 1) f.month = MISS;
  Date out;
  out.set(f.year, f.month, f.day, f.hour, f.minute, Const::FMISS);
  return out;
}

}  // namespace

const char* readDirective(const char* p, Directive& d)
{
  d = Directive();
  int n = 0, digits = 0;
  while (std::isdigit((unsigned char)*p)) {
    if (digits++ < 3) n = n * 10 + (*p - '0');
    p++;
  }
  if (digits) {
    d.counted = true;
    d.count = std::min(std::max(n, 1), MAX_COUNT);
  }
  if (*p == '{') {
    const char* close = std::strchr(p, '}');
    size_t len = close ? (size_t)(close - p - 1) : std::strlen(p + 1);
    d.resource.assign(p + 1, len);
    if (d.resource.empty()) d.resource = ".";
    return close ? close + 1 : p + 1 + len;
  }
  d.letter = *p;
  if (const char* res = pathResource(*p)) d.resource = res;
  return *p ? p + 1 : p;
}

Encoded encode(const char* tmpl, const Date& date, const TemplateContext& ctx)
{
  Encoded out;
  Fields f{date.getYear(), date.getMonth(),  date.getDay(),
           date.getHour(), date.getMinute(), date.getJulian()};
  for (const char* p = tmpl ? tmpl : ""; *p;) {
    char c = *p;
    if (c != '%') {
      if (c != '{' && c != '}') out.name += c == ' ' ? '_' : c;
      p++;
      continue;
    }
    Directive d;
    p = readDirective(p + 1, d);
    if (d.isPath()) {
      out.name += pathElement(d, ctx, out);
    } else if (d.letter == '%') {
      out.name += '%';
    } else if (isDateLetter(d.letter)) {
      out.name += dateText(d, f);
    } else if (d.letter == 'e') {
      out.name += ctx.ext;
    } else if (d.letter == 'f' && !(ctx.key && ctx.key('f'))) {
      char buf[128];
      std::snprintf(buf, sizeof buf, "%*.*d", d.count, d.count, ctx.fore == MISS ? 0 : ctx.fore);
      out.name += buf;
    } else if (d.letter) {
      out.name += keyText(d, ctx);
    }
  }
  out.file_date = fileDate(date, f);
  Kol::outDebug(6, "Filename: %s\n", out.name.c_str());
  if (Kol::isDebug(6)) out.file_date.print();
  return out;
}

int offsetOf(const char* tmpl)
{
  int best = MISS;
  for (const char* p = tmpl ? tmpl : ""; *p;) {
    if (*p++ != '%') continue;
    Directive d;
    p = readDirective(p, d);
    int step = d.letter == 'd' || d.letter == 'j' ? 86400
               : d.letter == 'h'                  ? 3600
               : d.letter == 'n'                  ? 60
                                                  : 0;
    if (step && !d.isPath() && (best == MISS || step * d.count < best)) best = step * d.count;
  }
  return best;
}

namespace {

bool readDigits(const char*& s, int width, int& value)
{
  value = 0;
  for (int i = 0; i < width; i++) {
    if (!std::isdigit((unsigned char)s[i])) return false;
    value = value * 10 + (s[i] - '0');
  }
  s += width;
  return true;
}

// The character the name must show next for the template text at t, 0 at its end and '%'
// before another directive.
char nextLiteral(const char* t)
{
  while (*t == '{' || *t == '}') t++;
  return *t == ' ' ? '_' : *t;
}

// Skips the text a path, extension or key directive stands for.
bool skipField(const char*& s, const char* t)
{
  char next = nextLiteral(t);
  if (next == '%') return true;
  if (!next) {
    s += std::strlen(s);
    return true;
  }
  const char* found = std::strchr(s, next);
  if (!found) return false;
  s = found;
  return true;
}

// The last count + 1 '/'-separated components of name.
const char* tail(const char* name, int count)
{
  const char* p = name + std::strlen(name);
  while (p > name) {
    if (p[-1] == '/' && count-- == 0) return p;
    p--;
  }
  return name;
}

struct Read {
  int year = MISS, month = MISS, day = MISS, hour = MISS, minute = MISS, julian = MISS;
};

bool readField(const Directive& d, const char*& s, const char* t, Read& r)
{
  int v = 0;
  switch (d.letter) {
    case '%':
      return *s == '%' && s++;
    case 'Y':
      return readDigits(s, 4, r.year);
    case 'y':
      if (!readDigits(s, 2, v)) return false;
      r.year = v < 50 ? v + 2000 : v + 1900;
      return true;
    case 'm':
      return readDigits(s, 2, r.month);
    case 'd':
      return readDigits(s, 2, r.day);
    case 'h':
      return readDigits(s, 2, r.hour);
    case 'n':
      return readDigits(s, 2, r.minute);
    case 'j':
      return readDigits(s, 3, r.julian);
    case 'b':
    case 'B': {
      char name[4] = {0, 0, 0, 0};
      for (int i = 0; i < 3; i++)
        if (!std::isalpha((unsigned char)(name[i] = s[i]))) return false;
      r.month = DateTool::decodeMonth(name);
      s += 3;
      return r.month != 0;
    }
    default: {
      const char* start = s;
      if (!skipField(s, t)) return false;
      Kol::outDebug(6, "%c = %.*s\n", d.letter ? d.letter : '{', (int)(s - start), start);
      return true;
    }
  }
}

}  // namespace

bool decode(const char* name, const char* tmpl, DateVal& fields)
{
  if (!name || !tmpl) return false;
  int slashes = (int)std::count(tmpl, tmpl + std::strlen(tmpl), '/');
  const char* s = tail(name, slashes);
  // A name without the leading directories stands for itself in them ("2024011514_sfc" for
  // "%D/%Y%m%d%h_sfc").
  for (int missing = slashes - (int)std::count(s, s + std::strlen(s), '/'); missing > 0;
       missing--) {
    Directive d;
    const char* after = *tmpl == '%' ? readDirective(tmpl + 1, d) : tmpl;
    if (!d.isPath() || *after != '/') break;
    tmpl = after + 1;
  }
  Read r;
  for (const char* t = tmpl; *t;) {
    if (*t == '{' || *t == '}') {
      t++;
    } else if (*t == '%') {
      Directive d;
      t = readDirective(t + 1, d);
      if (!readField(d, s, t, r)) return false;
    } else {
      if (*s != (*t == ' ' ? '_' : *t)) return false;
      s++;
      t++;
    }
  }
  if (*s) return false;
  Kol::outDebug(6, "Filename decode: %d = %s\n", r.year, name);
  if (r.julian != MISS) {
    int y = r.year == MISS ? 1970 : r.year;
    if (!Date::setJulian(y, r.julian, r.month, r.day)) return false;
  }
  if (r.month != MISS && (r.month < 1 || r.month > 12)) return false;
  if (r.day != MISS && (r.day < 1 || r.day > 31)) return false;
  if (r.hour != MISS && r.hour > 23) return false;
  if (r.minute != MISS && r.minute > 59) return false;
  fields.set(r.year, r.month, r.day, r.hour, r.minute, Const::FMISS);
  return fields.isPossible();
}

namespace {

void appendQuoted(std::string& out, const std::string& text)
{
  for (char c : text) {
    if (c == '\\' || c == '*' || c == '?' || c == '[') out += '\\';
    out += c;
  }
}

// The first element of a path list that exists, else its first element.
std::string firstExisting(const std::string& list)
{
  int n = std::max(1, FileTool::numPath(list.c_str()));
  String element;
  for (int i = 0; i < n; i++) {
    FileTool::getPath(list.c_str(), i, element);
    if (FileTool::isDir(element.get())) return element.get();
  }
  FileTool::getPath(list.c_str(), 0, element);
  return element.get();
}

}  // namespace

std::string listPattern(const char* tmpl, const TemplateContext& ctx)
{
  std::string out;
  for (const char* p = tmpl ? tmpl : ""; *p;) {
    char c = *p;
    if (c != '%') {
      if (c != '{' && c != '}') appendQuoted(out, std::string(1, c == ' ' ? '_' : c));
      p++;
      continue;
    }
    Directive d;
    p = readDirective(p + 1, d);
    if (d.isPath()) {
      appendQuoted(out, firstExisting(ctx.pathList ? ctx.pathList(d.resource) : "."));
    } else if (d.letter == '%') {
      out += '%';
    } else if (d.letter == 'Y') {
      out += "????";
    } else if (d.letter && std::strchr("bBj", d.letter)) {
      out += "???";
    } else if (d.letter && std::strchr("dhmny", d.letter)) {
      out += "??";
    } else if (d.letter == 'e') {
      if (ctx.ext.empty())
        out += '*';
      else
        appendQuoted(out, ctx.ext);
    } else if (d.letter) {
      const char* v = ctx.key ? ctx.key(d.letter) : nullptr;
      if (v)
        appendQuoted(out, v);
      else
        out += d.counted ? std::string(d.count, '?') : std::string("*");
    }
  }
  return out;
}

}  // namespace KOL::nameconv
