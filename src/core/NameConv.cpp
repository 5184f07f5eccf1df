#include "core/NameConv.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/NameConvFile.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "core/nameconv/DirCache.h"
#include "core/nameconv/FileSpec.h"
#include "core/nameconv/NameTemplate.h"

namespace KOL {

using nameconv::DirCache;

namespace {

constexpr int MISS = Const::MISS;
constexpr int LINE_SIZE = 1024;

nameconv::FixDate toFix(const int* f) { return {f[0], f[1], f[2], f[3], f[4]}; }

void fromFix(const nameconv::FixDate& d, int* f)
{
  f[0] = d.year;
  f[1] = d.month;
  f[2] = d.day;
  f[3] = d.hour;
  f[4] = d.minute;
}

// Moves a date by a span that may exceed what an int of seconds holds.
void shiftDate(Date& d, long secs)
{
  d.addDays((int)(secs / 86400));
  d += (int)(secs % 86400);
}

// Where the convention file is looked for: "file_path", else the database directory.
std::string conventionDirs()
{
  const char* list = Kol::resrc.get("file_path");
  return list && *list ? list : Kol::getDatabasePath();
}

bool readLine(File& f, char* buf, int size)
{
  int n = f.getLine(buf, size);
  if (n <= 0) return false;
  if (buf[n - 1] != '\n' && n == size - 1) f.skipLine();
  return true;
}

}  // namespace

struct NameConv::Search {
  Date date;      // the search date
  char sign = 0;  // '+' searches forward in time
  bool found = false;
  int path_index = 0;  // the path element of the name
  std::string name;
  Date file_date;
};

NameConv::NameConv(const char* spec)
{
  init();
  set(spec);
}

void NameConv::init()
{
  file_tmpl.clear();
  hdr_tmpl.clear();
  ext[0] = format[0] = params[0] = type[0] = 0;
  path.clear();
  num_keys = 0;
  min_size = 1;
  min_time = MISS;
  offset = MISS;
  file_date.init();
  initParam();
}

void NameConv::initParam()
{
  fromFix(nameconv::FixDate(), fix);
  current.init();
  fore = MISS;
  output = false;
  late_limit = LATE_LIMIT;
  path_index = 0;
  path_count = 1;
  path_exists = true;
}

int NameConv::set(const char* spec)
{
  file_tmpl.clear();
  hdr_tmpl.clear();
  ext[0] = format[0] = params[0] = type[0] = 0;
  num_keys = 0;
  min_size = 1;
  min_time = MISS;
  offset = MISS;
  if (!spec || !*spec) return 0;
  if (std::strcmp(spec, "none") == 0) {
    file_tmpl = "none";
    return 1;
  }
  if (spec[0] == '@') {
    if (!FileTool::checkLength("NameConv", spec + 1)) return 0;
    file_tmpl = spec + 1;
    setOffset(file_tmpl.c_str());
    return checkTemplate();
  }
  Strings items(spec, ',');
  Strings head(items.getString(0), ':');
  StrLib::copy(type, TYPE_SIZE, head.getString(0));
  for (int i = 1; i < head.getNum(); i++) {
    char letter = 0;
    char value[KEY_SIZE] = "";
    if (head.scanf(i, "%c=%19s", &letter, value) == 2) setKey(letter, value);
  }
  int found = readConvention(type);
  if (found <= 0) {
    // without a line the type names the file itself, whole
    const char* whole = head.getString(0) ? head.getString(0) : "";
    if (!FileTool::checkLength("NameConv", whole)) return 0;
    file_tmpl = whole;
  }
  if (found == 0) {
    const char* hdr = items.getString(1) ? items.getString(1) : "";
    hdr_tmpl = FileTool::checkLength("NameConv", hdr) ? hdr : "";
    StrLib::copy(format, FORMAT_SIZE, items.getString(2) ? items.getString(2) : "");
  }
  for (int i = 3; i < items.getNum(); i++) applyParams(items.getString(i));
  setOffset(file_tmpl.c_str());
  bool ok = checkTemplate();
  return found >= 0 && ok;
}

int NameConv::readConvention(const char* wanted)
{
  String name;
  std::string dirs = conventionDirs();
  const char* conv_name = Kol::resrc.get("name_conv");
  if (!conv_name || !*conv_name) conv_name = "name.cnv";
  if (!FileTool::addPath(dirs.c_str(), conv_name, name))
    FileTool::addPath(dirs.c_str(), "name_conv", name);
  File f;
  if (!f.open(name, "r")) {
    Kol::outWarning("NameConv: No file name convention file: %s\n", name.get());
    file_tmpl = wanted;
    return -1;
  }
  Kol::outDebug(5, "Opening name convention file: %s\n", name.get());
  char line[LINE_SIZE];
  char t[21], tmpl[81], hdr[81], size_format[31], param_text[51];
  std::string partial[5];
  bool have_partial = false;
  while (readLine(f, line, LINE_SIZE)) {
    if (line[0] == '#' || std::strlen(line) < 20) continue;
    t[0] = tmpl[0] = hdr[0] = size_format[0] = param_text[0] = 0;
    if (std::sscanf(line, "%20s %80s %80s %30s %50s", t, tmpl, hdr, size_format, param_text) < 2)
      continue;
    if (StrLib::iequal(t, wanted)) {
      Kol::outDebug(5, "File name match for: %s\n", wanted);
      applyLine(t, nullptr, tmpl, hdr, size_format, param_text);
      return 1;
    }
    size_t n = std::strlen(t);
    if (!have_partial && n < std::strlen(wanted) && StrLib::icmp(t, wanted, (int)n) == 0) {
      partial[0] = t;
      partial[1] = tmpl;
      partial[2] = hdr;
      partial[3] = size_format;
      partial[4] = param_text;
      have_partial = true;
    }
  }
  if (have_partial) {
    applyLine(partial[0].c_str(), wanted, partial[1].c_str(), partial[2].c_str(),
              partial[3].c_str(), partial[4].c_str());
    return 1;
  }
  Kol::outDebug(5, "No file name conversion for: %s\n", wanted);
  file_tmpl = wanted;
  return 0;
}

void NameConv::applyLine(const char* line_type, const char* wanted, const char* tmpl,
                         const char* hdr, const char* size_format, const char* param_text)
{
  if (wanted) {
    const char* under = std::strrchr(wanted, '_');
    setExt(under ? under + 1 : "");
    Kol::outDebug(5, "File name partial match for: %s-%s ext: %s\n", line_type, wanted, ext);
  }
  file_tmpl = tmpl;
  hdr_tmpl = std::strcmp(hdr, "-") == 0 ? "" : hdr;
  // "size,format" or "format,size".
  char fmt_text[FORMAT_SIZE] = "";
  long size = MISS;
  if (std::isdigit((unsigned char)size_format[0]))
    std::sscanf(size_format, "%ld,%19s", &size, fmt_text);
  else
    std::sscanf(size_format, "%19[^,],%ld", fmt_text, &size);
  if (size != MISS) min_size = size;
  StrLib::copy(format, FORMAT_SIZE, std::strcmp(fmt_text, "-") == 0 ? "" : fmt_text);
  if (param_text[0] && std::strcmp(param_text, "-") != 0) {
    StrLib::copy(params, PARAM_SIZE, param_text);
    Strings items(param_text, ',');
    for (int i = 0; i < items.getNum(); i++) applyParams(items.getString(i));
  }
}

void NameConv::applyParams(const char* text)
{
  if (!text) return;
  if (std::strncmp(text, "min=", 4) == 0) min_time = std::atoi(text + 4);
  if (std::strncmp(text, "size=", 5) == 0) min_size = std::atol(text + 5);
}

// A directive cut off at the end of the template is an error; letters that are neither
// directives nor keys (yet) only a trace, since keys are often given later.
bool NameConv::checkTemplate() const
{
  bool ok = true;
  for (const char* p = file_tmpl.c_str(); *p;) {
    if (*p++ != '%') continue;
    if (*p == '{' && !std::strchr(p, '}')) ok = false;
    nameconv::Directive d;
    p = nameconv::readDirective(p, d);
    if (!d.letter && !d.isPath()) {
      ok = false;
    } else if (!d.isPath() && !std::strchr("%YymBbdjhnef", d.letter) && !*getKey(d.letter)) {
      Kol::outDebug(5, "NameConv: no key for %%%c in template: %s\n", d.letter, file_tmpl.c_str());
    }
  }
  if (!ok) Kol::outWarning("NameConv: incomplete directive in template: %s\n", file_tmpl.c_str());
  return ok;
}

bool NameConv::hasTemplate() const { return !file_tmpl.empty() && file_tmpl != "none"; }

int NameConv::setPath(const char* text) { return path.copy(text ? text : ""); }

int NameConv::setExt(const char* text) { return StrLib::copy(ext, EXT_SIZE, text ? text : ""); }

int NameConv::setKey(char letter, const char* value)
{
  for (int i = 0; i < num_keys; i++)
    if (keys[i].letter == letter) return StrLib::copy(keys[i].value, KEY_SIZE, value);
  if (num_keys >= MAX_KEYS) return 0;
  keys[num_keys].letter = letter;
  StrLib::copy(keys[num_keys].value, KEY_SIZE, value ? value : "");
  num_keys++;
  return 1;
}

const char* NameConv::getKey(char letter) const
{
  for (int i = 0; i < num_keys; i++)
    if (keys[i].letter == letter) return keys[i].value;
  return "";
}

int NameConv::setOffset(const char* tmpl)
{
  offset = nameconv::offsetOf(tmpl);
  return offset;
}

int NameConv::setFixDate(const DateVal& d)
{
  fromFix({d.getYear(), d.getMonth(), d.getDay(), d.getHour(), d.getMinute()}, fix);
  return 1;
}

int NameConv::setFixDate(const char* text)
{
  nameconv::FixDate f;
  int ok = nameconv::readFixDate(text, f);
  fromFix(f, fix);
  return ok;
}

std::string NameConv::pathList(const std::string& resource) const
{
  if (path.valid()) return path.get();
  const char* v = Kol::resrc.get(resource.c_str());
  // A data path may name the resource that holds it.
  if (resource == "data_path" && v && v[0] == '+') v = Kol::resrc.get(v + 1);
  return v && *v ? v : ".";
}

nameconv::TemplateContext NameConv::context(DirCache* cache) const
{
  nameconv::TemplateContext ctx;
  ctx.key = [this](char letter) -> const char* {
    for (int i = 0; i < num_keys; i++)
      if (keys[i].letter == letter) return keys[i].value;
    return nullptr;
  };
  ctx.pathList = [this](const std::string& res) { return pathList(res); };
  ctx.ext = ext;
  ctx.fore = fore;
  ctx.path_index = path_index;
  ctx.cache = cache;
  return ctx;
}

std::string NameConv::encodeName(const Date& d, int which, DirCache* cache, bool& path_ok)
{
  const char* tmpl = which ? hdr_tmpl.c_str() : file_tmpl.c_str();
  nameconv::Encoded e = nameconv::encode(tmpl, d, context(cache));
  path_ok = e.path_ok;
  if (which == 0) {
    file_date = e.file_date;
    path_count = e.path_count;
    path_exists = e.path_ok;
  }
  return e.name;
}

int NameConv::encode(const Date& d, int which, String& out)
{
  bool ok = true;
  out.copy(encodeName(d, which, nullptr, ok).c_str());
  return out.valid();
}

int NameConv::decode(const char* name) { return parsePath(name, file_tmpl.c_str()); }

int NameConv::parsePath(const char* name, const char* tmpl)
{
  DateVal fields;
  if (!nameconv::decode(name, tmpl, fields)) return 0;
  file_date.set(fields);
  return 1;
}

int NameConv::getDate(Date& d) const
{
  d = file_date;
  return d.isSet();
}

Date NameConv::baseDate() const
{
  Date d;
  if (Kol::init_time != MISS && d.set(Kol::init_time)) return d;
  if (current.isSet()) return current;
  if (nameconv::readCurTime(std::getenv("kolcurtime"), d)) return d;
  d.set();
  return d;
}

DirCache& NameConv::dirCache()
{
  if (!listings) listings = std::make_shared<DirCache>();
  listings->beginSearch();
  return *listings;
}

bool NameConv::present(const std::string& name, DirCache& cache) const
{
  return output || cache.present(name, min_size);
}

// The name for the search date in the first path element where it exists.
bool NameConv::fileFor(Search& s, DirCache& cache)
{
  for (int i = 0, count = 1; i < count; i++) {
    path_index = i;
    bool ok = true;
    s.name = encodeName(s.date, 0, &cache, ok);
    s.file_date = file_date;
    s.path_index = i;
    count = path_count;
    if (output || (ok && present(s.name, cache))) return s.found = true;
  }
  return s.found = false;
}

// The newest existing file at or before the search date (after it for a '+' search), one
// template step at a time; p stands after "la".
bool NameConv::latest(Search& s, const char*& p, DirCache& cache)
{
  int limit = late_limit;
  if (min_time != MISS && offset > 0) limit = std::max(limit, min_time * 60 / offset + 1);
  if (*p == '#') {
    p++;
    int n = 0;
    for (; std::isdigit((unsigned char)*p); p++)
      if (n < 100000000) n = n * 10 + (*p - '0');
    limit = n;
    Kol::outDebug(6, "LATE LIMIT: %d\n", limit);
  }
  int step = offset > 0 ? (s.sign == '+' ? offset : -offset) : 0;
  Kol::outDebug(6, "LATE:%d %d %d %d %d\n", limit, offset, step, path_count, (int)min_size);
  for (int i = 0, count = 1; i < count && !s.found; i++) {
    Date d = s.date;
    for (int k = 0; k < limit; k++) {
      path_index = i;
      bool ok = true;
      s.name = encodeName(d, 0, &cache, ok);
      s.file_date = file_date;
      s.path_index = i;
      count = path_count;
      Kol::outDebug(7, "LATE: %s %d %ld %d\n", s.name.c_str(), k, d.getSeconds(), (int)ok);
      if (!ok) break;
      if (present(s.name, cache)) {
        s.found = true;
        break;
      }
      if (!step) break;
      d += step;
      // A limit that reaches back centuries finds no data file there, only a long wait.
      if (d.getYear() < 1900 || d.getYear() > 2200) break;
    }
  }
  if (s.found) s.date = s.file_date;
  return s.found;
}

void NameConv::fill(const Search& s, NameConvFile& out)
{
  out.init();
  out.setType(format);
  out.setFilename(s.name.c_str());
  if (!hdr_tmpl.empty()) {
    path_index = s.path_index;
    bool ok = true;
    out.setHdrFilename(encodeName(s.date, 1, nullptr, ok).c_str());
  }
  file_date = s.file_date;
  path_index = s.path_index;
  out.setDate(s.file_date);
  out.setParam(params);
  out.setOffset(offset);
}

int NameConv::setLatest(const char* spec, NameConvFile& out)
{
  if (!spec || !*spec) spec = "la";
  Kol::outDebug(6, "LATE0: %s\n", spec);
  const char* p = spec;
  if (*p == '>') {
    output = true;
    p++;
  }
  if (*p == '@') {
    out.init();
    out.setType(format);
    out.setFilename(p + 1);
    return output || FileTool::exist(p + 1);
  }
  Search s;
  DirCache& cache = dirCache();
  bool dated = (*p == '#' || std::strlen(p) >= 8) && nameconv::readSpecDate(p, s.date);
  if (!dated && *p == '#') {
    Kol::outWarning("NameConv: invalid date in file request: %s\n", spec);
    return 0;
  }
  if (!dated) s.date = baseDate();
  nameconv::applyFix(toFix(fix), s.date);
  long secs = 0;
  bool ok = nameconv::readShift(p, s.sign, secs);
  if (ok) shiftDate(s.date, s.sign == '+' ? secs : -secs);
  if (ok && !*p) {
    fileFor(s, cache);
  } else if (ok && *p == 'l') {
    p += p[1] == 'a' ? 2 : 1;
    latest(s, p, cache);
    char sign = 0;
    ok = nameconv::readShift(p, sign, secs);
    if (ok && secs) {
      shiftDate(s.date, sign == '+' ? secs : -secs);
      path_index = s.path_index;
      bool path_ok = true;
      s.name = encodeName(s.date, 0, &cache, path_ok);
      s.file_date = file_date;
      s.found = path_ok && present(s.name, cache);
    }
  }
  if (!ok || *p) {
    Kol::outWarning("NameConv: unknown file request: %s\n", spec);
    return 0;
  }
  fill(s, out);
  Kol::outDebug(6, "LATEST+: %s %s %d %d\n", out.getFilename(), out.getHdrFilename(), (int)s.found,
                cache.reads());
  return s.found;
}

int NameConv::setFile(const Date& d, NameConvFile& out)
{
  Search s;
  DirCache& cache = dirCache();
  s.date = d;
  fileFor(s, cache);
  fill(s, out);
  return s.found;
}

int NameConv::listFiles(Strings& paths, String& pattern) const
{
  pattern.copy(nameconv::listPattern(file_tmpl.c_str(), context(nullptr)).c_str());
  Kol::outDebug(1, "SEARCH: %s\n", pattern.get());
  return FileTool::listMatch(pattern.get(), paths);
}

void NameConv::print() const
{
  std::printf("Type: %s\nFile: %s\nHeader: %s\nPath: %s\nExt: %s\nFormat: %s\nParam: %s\n", type,
              file_tmpl.c_str(), hdr_tmpl.c_str(), path.get(), ext, format, params);
  std::printf("Min size: %ld\nMin time: %d\nOffset: %d\nLate limit: %d\nOutput: %d\n", min_size,
              min_time, offset, late_limit, (int)output);
  for (int i = 0; i < num_keys; i++) std::printf("Key %c: %s\n", keys[i].letter, keys[i].value);
  std::printf("File date: ");
  file_date.print();
}

}  // namespace KOL
