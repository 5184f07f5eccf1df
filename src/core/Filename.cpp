#include "core/Filename.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/NameConvFile.h"
#include "core/Resrc.h"
#include "core/StrLib.h"

namespace KOL {

namespace {

constexpr int MISS = Const::MISS;
// More files than this in one sequence is a mistyped span.
constexpr int MAX_FILES = 100000;

bool startsWith(const char* s, const char* prefix)
{
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// "H:M", ":M" or "H" as seconds; p is left after what was read.
bool readSpan(const char*& p, long& secs)
{
  int h = 0, m = 0, used = 0;
  if (std::sscanf(p, "%6d:%6d%n", &h, &m, &used) == 2 ||
      (std::sscanf(p, ":%6d%n", &m, &used) == 1 && used > 0) ||
      std::sscanf(p, "%6d%n", &h, &used) == 1) {
    if (h < 0 || m < 0) return false;
    secs = h * 3600L + m * 60L;
    p += used;
    return true;
  }
  return false;
}

}  // namespace

Filename::Filename(const char* n)
{
  init();
  set(n);
}

Filename::Filename(const char* c, const char* spec)
{
  init();
  set(c, spec);
}

Filename::Filename(const char* c, const Date& d)
{
  init();
  set(c, d);
}

void Filename::init()
{
  set_flag = fixed = false;
  type[0] = 0;
  name.clear();
  header.clear();
  date.init();
  base.init();
  conv.init();
  args.clear();
  num_files = 1;
  start_offset = 0;
  list_mode = 0;
  direction = 1;
  step = MISS;
}

int Filename::set(const char* n) { return literal(n, true); }

int Filename::set(const char* c, const char* spec)
{
  setNameConv(c);
  return checkFile(spec && *spec ? spec : "la");
}

int Filename::set(const char* c, const Date& d)
{
  setNameConv(c);
  return setFile(d);
}

int Filename::setNameConv(const char* c) { return conv.set(c); }

int Filename::setPath(const char* path) { return conv.setPath(path); }

void Filename::setType(const char* t) { StrLib::copy(type, TYPE_SIZE, t ? t : ""); }

int Filename::setName(const char* n)
{
  set_flag = FileTool::checkLength("Filename", n) && name.copy(n) && name.valid();
  if (!set_flag) name.clear();
  return set_flag;
}

int Filename::setHeader(const char* hdr)
{
  if (FileTool::checkLength("Filename", hdr)) return header.copy(hdr);
  header.clear();
  return 0;
}

int Filename::getDate(Date& d) const
{
  d = date;
  return d.isSet();
}

// A name given as it is; its date is read when it fits the template.
int Filename::literal(const char* text, bool is_fixed)
{
  name.copy(text && FileTool::checkLength("Filename", text) ? text : "");
  header.clear();
  set_flag = name.valid();
  fixed = is_fixed;
  setType(conv.getFormat());
  date.init();
  if (conv.hasTemplate() && conv.decode(name.get())) conv.getDate(date);
  base = date;
  base.fix();
  return set_flag;
}

int Filename::take(const NameConvFile& f)
{
  name.copy(f.getFilename());
  header.copy(f.getHdrFilename());
  setType(f.getType());
  date = f.getDate();
  set_flag = name.valid();
  fixed = false;
  return set_flag;
}

// A file request of the convention ("la", "la-6", "#2024011512", "-6" ...).
int Filename::applySpec(const char* spec)
{
  if (!conv.hasTemplate()) return 0;
  NameConvFile f;
  int found = conv.setLatest(spec, f);
  take(f);
  base = date;
  base.fix();
  return found;
}

int Filename::checkFile(const char* arg)
{
  if (!arg) arg = "";
  if (std::strcmp(arg, "exit") == 0) Kol::exit(Kol::SUCCESS);
  if (arg[0] == '@') return literal(arg + 1, true);
  if (FileTool::isStdio(arg)) return literal("-", true);
  if (!conv.hasTemplate()) return literal(arg, true);
  if (arg[0] == '#' || startsWith(arg, "la")) return applySpec(arg);
  if (startsWith(arg, "cu=")) return applySpec(arg + 3);
  if (startsWith(arg, "cu-") || startsWith(arg, "cu+")) return applySpec(arg + 2);
  // "cu" alone: the file for the current time, without searching.
  if (std::strcmp(arg, "cu") == 0) return applySpec("0");
  if (FileTool::isFullPath(conv.getFile()) && FileTool::isFullPath(arg)) return literal(arg, true);
  if (!conv.decode(arg)) return literal(arg, true);
  Date d;
  conv.getDate(d);
  NameConvFile f;
  conv.setFile(d, f);
  take(f);
  fixed = conv.getOffset() == MISS;
  base = date;
  base.fix();
  return set_flag;
}

// Items at newlines when there are any, else at commas.
int Filename::splitList(const char* text)
{
  return args.set(text, std::strchr(text, '\n') ? '\n' : ',');
}

int Filename::setFile(const char* text)
{
  const char* src = text && *text ? text : Kol::resrc.get("filename");
  if (!src || !*src) {
    const char* cur = Kol::resrc.get("current");
    return applySpec(cur && *cur ? cur : "la");
  }
  splitList(src);
  list_mode = 0;
  if (args.getNum() >= 2 && startsWith(args.getString(1) ? args.getString(1) : "", "nh=")) {
    checkFile(args.getString(0));
    setNumFiles(args.getString(1) + 3);
  } else {
    if (args.getNum() >= 2) {
      list_mode = LIST;
      num_files = args.getNum();
    }
    checkFile(args.getString(0));
  }
  return exist();
}

int Filename::setFile()
{
  const char* fn = Kol::resrc.get("filename");
  const char* cur = Kol::resrc.get("current");
  if (fn && std::strcmp(fn, "list") == 0) {
    listFile();
    Kol::exit(Kol::SUCCESS);
  }
  if (!fn || !*fn) {
    applySpec(cur && *cur ? cur : "la");
    return exist();
  }
  splitList(fn);
  list_mode = args.getNum() >= 2 ? LIST : 0;
  if (list_mode) num_files = args.getNum();
  if (cur && *cur) {
    setNameConv(args.getString(0));
    applySpec(cur);
  } else {
    checkFile(args.getString(0));
  }
  return exist();
}

int Filename::setFile(int i)
{
  if (i < 0 || i >= num_files) return 0;
  if (list_mode == LIST) {
    Date keep = base;
    checkFile(args.getString(i));
    base = keep;
    return exist();
  }
  if (fixed || !conv.hasTemplate()) return i == 0 && exist();
  int s = step > 0 ? step : (conv.getOffset() > 0 ? conv.getOffset() : 3600);
  long k = direction == -1 ? (long)i - num_files + 1 : i;
  long shift = start_offset + k * s;
  Date d = base;
  d.addDays((int)(shift / 86400));
  d += (int)(shift % 86400);
  NameConvFile f;
  conv.setFile(d, f);
  take(f);
  return exist();
}

const char* Filename::getName(int i)
{
  if (i < 0 || i >= num_files) return "";
  setFile(i);
  return name.get();
}

int Filename::setFile(const Date& d)
{
  if (!conv.hasTemplate()) return 0;
  NameConvFile f;
  int found = conv.setFile(d, f);
  take(f);
  base = date;
  base.fix();
  return found;
}

// A file argument resolved around the given date ("la" searches back from it).
int Filename::setFile(const Date& d, const char* arg)
{
  if (!arg || !*arg) return setFile(d);
  if (!startsWith(arg, "la") || !d.isSet()) return checkFile(arg) && exist();
  Date full = d;
  full.fix();
  std::string spec = full.format("#%Y%m%d%H%M") + arg;
  return applySpec(spec.c_str());
}

int Filename::setNumFiles(int n)
{
  if (n < 1 || n > MAX_FILES) return 0;
  num_files = n;
  return 1;
}

int Filename::setNumFiles(const char* text)
{
  if (!text || !*text) return 0;
  const char* p = text;
  direction = 1;
  if (*p == '-') {
    direction = -1;
    p++;
  }
  long before = 0, after = 0, every = 0;
  bool ok = readSpan(p, before);
  if (ok && *p == '-') ok = readSpan(++p, after);
  if (ok && *p == ',') ok = readSpan(++p, every);
  if (!ok || *p) {
    Kol::outWarning("Filename: invalid number of files: %s\n", text);
    return 0;
  }
  step = every > 0 ? (int)every : (conv.getOffset() > 0 ? conv.getOffset() : 3600);
  long n = (before + after) / step + 1;
  Kol::outDebug(5, "Set NumFiles: %ld %d = %ld\n", before + after, step, n);
  if (n > MAX_FILES) {
    Kol::outWarning("Filename: too many files: %s\n", text);
    return 0;
  }
  num_files = (int)n;
  start_offset = (int)(direction == 1 ? -before : after);
  list_mode = 0;
  return 1;
}

bool Filename::exist() const
{
  if (!name.valid()) return false;
  return FileTool::isStdio(name.get()) || FileTool::exist(name.get());
}

int Filename::addOutPath(const char* list)
{
  String out;
  FileTool::addOutPath(list, name.get(), out);
  name.copy(out);
  if (header.valid()) {
    FileTool::addOutPath(list, header.get(), out);
    header.copy(out);
  }
  return FileTool::exist(name.get());
}

int Filename::listFile()
{
  Strings paths;
  String pattern;
  int n = conv.listFiles(paths, pattern);
  for (int i = 0; i < n; i++) std::printf("%s\n", paths.getString(i));
  return n;
}

void Filename::print() const
{
  std::printf("Set: %d Fixed: %d Type: %s\nName: %s\nHeader: %s\n", (int)set_flag, (int)fixed, type,
              name.get(), header.get());
  std::printf("Files: %d Start: %d Mode: %d Direction: %d Step: %d\nDate: ", num_files,
              start_offset, list_mode, direction, step);
  date.print();
}

}  // namespace KOL
