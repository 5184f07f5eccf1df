#include "core/Kol.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace KOL {

char Kol::progname[Kol::PROGNAME_SIZE] = "";
std::string Kol::datapath;
uint32_t Kol::message_mask = 0x3F;
long Kol::init_time = Const::MISS;
Resrc Kol::resrc;

namespace {

FILE* errorStream() { return std::getenv("kolerrtoout") ? stdout : stderr; }

void vout(FILE* fp, const char* fmt, va_list ap)
{
  if (fmt) std::vfprintf(fp, fmt, ap);
}

bool iequal(std::string_view a, std::string_view b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
  return true;
}

#ifndef KOL_DEFAULT_DATABASE
#define KOL_DEFAULT_DATABASE "/usr/local/share/kol"
#endif
#ifndef KOL_LIB_TO_DATABASE
#define KOL_LIB_TO_DATABASE "../share/kol"
#endif

bool isDirectory(const std::string& path)
{
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The database directory beside the library as installed: found from where this very library
// was loaded, so that an installed tree works whatever prefix it was installed or moved to. The
// library still in its build tree reads the source tree's data; otherwise the configured directory.
std::string installedDatabase()
{
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Kol::getDatabasePath), &info) && info.dli_fname) {
    std::string lib = info.dli_fname;
    size_t slash = lib.rfind('/');
    if (slash != std::string::npos) {
      std::string dir = lib.substr(0, slash + 1) + KOL_LIB_TO_DATABASE;
      if (isDirectory(dir)) return dir;
#if defined(KOL_BUILD_LIBDIR) && defined(KOL_SOURCE_DATABASE)
      if (lib.substr(0, slash) == KOL_BUILD_LIBDIR && isDirectory(KOL_SOURCE_DATABASE))
        return KOL_SOURCE_DATABASE;
#endif
    }
  }
  return KOL_DEFAULT_DATABASE;
}

uint32_t maskUpTo(int level) { return level <= 0 ? 0u : (level >= 32 ? ~0u : (1u << level) - 1u); }

uint32_t bitOf(int level) { return level <= 0 ? 0u : 1u << (level - 1); }

}  // namespace

void Kol::setProgramName(const char* name)
{
  std::snprintf(progname, sizeof progname, "%s", name ? name : "");
}

const char* Kol::getProgramName() { return progname[0] ? progname : "KOL"; }

void Kol::setDatabasePath(const char* path) { datapath = path ? path : ""; }

const char* Kol::getDatabasePath()
{
  if (!datapath.empty()) return datapath.c_str();
  static const std::string installed = installedDatabase();
  return installed.c_str();
}

void Kol::setMessageLevel(int n) { message_mask = maskUpTo(n); }

int Kol::levelOf(const char* keyword)
{
  if (!keyword) return -1;
  static const struct {
    const char* name;
    int level;
  } fixed[] = {{"none", NONE}, {"print", PRINT}, {"error", ERROR},
               {"warn", WARN}, {"mess", MESS},   {"debug", DEBUG8}};
  for (const auto& f : fixed)
    if (iequal(keyword, f.name)) return f.level;
  std::string_view k(keyword);
  auto numbered = [&](std::string_view prefix, int first) {
    if (k.size() != prefix.size() + 1 || !iequal(k.substr(0, prefix.size()), prefix)) return -1;
    char d = k.back();
    return d >= '1' && d <= '8' ? first + (d - '1') : -1;
  };
  int level = numbered("out", OUT1);
  return level >= 0 ? level : numbered("debug", DEBUG1);
}

void Kol::setMessageLevel(const char* spec)
{
  if (!spec) return;
  std::string_view rest(spec);
  while (true) {
    size_t comma = rest.find(',');
    std::string item(rest.substr(0, comma));
    char sign = item.empty() ? 0 : item[0];
    int level = levelOf(sign == '+' || sign == '-' ? item.c_str() + 1 : item.c_str());
    if (level >= 0) {
      if (sign == '+')
        message_mask |= bitOf(level);
      else if (sign == '-')
        message_mask &= ~bitOf(level);
      else
        message_mask = maskUpTo(level);
    }
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
}

bool Kol::checkMessage(int level)
{
  return level > 0 && level <= 32 && (message_mask & bitOf(level));
}

bool Kol::isDebug() { return (message_mask & (0xFFu << (DEBUG1 - 1))) != 0; }

bool Kol::isDebug(int n) { return n >= 1 && n <= 8 && checkMessage(DEBUG1 + n - 1); }

void Kol::outMessage(const char* fmt, ...)
{
  if (!checkMessage(PRINT)) return;
  va_list ap;
  va_start(ap, fmt);
  vout(stdout, fmt, ap);
  va_end(ap);
}

void Kol::outMessage(int level, const char* fmt, ...)
{
  if (!checkMessage(level)) return;
  va_list ap;
  va_start(ap, fmt);
  vout(stdout, fmt, ap);
  va_end(ap);
}

void Kol::outWarning(const char* fmt, ...)
{
  if (!checkMessage(WARN)) return;
  va_list ap;
  va_start(ap, fmt);
  vout(errorStream(), fmt, ap);
  va_end(ap);
}

void Kol::outError(const char* fmt, ...)
{
  va_list ap;
  va_start(ap, fmt);
  vout(errorStream(), fmt, ap);
  va_end(ap);
}

void Kol::outDebug(const char* fmt, ...)
{
  if (!isDebug(1)) return;
  va_list ap;
  va_start(ap, fmt);
  vout(stdout, fmt, ap);
  va_end(ap);
}

void Kol::outDebug(int n, const char* fmt, ...)
{
  if (!isDebug(n)) return;
  va_list ap;
  va_start(ap, fmt);
  vout(stdout, fmt, ap);
  va_end(ap);
}

void Kol::print(const char* text)
{
  if (text) std::fputs(text, stdout);
}

void Kol::pause() { (void)std::getchar(); }

void Kol::sleep(float seconds)
{
  if (seconds > 0) usleep((useconds_t)(seconds * 1e6f));
}

double Kol::getTime()
{
  timeval tv;
  gettimeofday(&tv, nullptr);
  return tv.tv_sec + tv.tv_usec * 1e-6;
}

long Kol::getVirtMem()
{
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", (int)getpid());
  FILE* fp = std::fopen(path, "r");
  if (!fp) return 0;
  char field[256];
  long size = 0;
  // The 23rd field is the virtual memory size in bytes; the second (the command) is in
  // parentheses and may hold blanks, so count from after its closing parenthesis.
  int c, last = 0;
  std::string line;
  while ((c = std::fgetc(fp)) != EOF && c != '\n') line += (char)c;
  std::fclose(fp);
  size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  const char* p = line.c_str() + close + 1;
  for (int i = 3; i <= 23; i++) {
    int used = 0;
    if (std::sscanf(p, "%255s%n", field, &used) != 1) return 0;
    p += used;
    last = i;
  }
  if (last == 23) size = std::strtol(field, nullptr, 10);
  return size;
}

void Kol::exit(Error e)
{
  std::fflush(stdout);
  std::exit(e);
}

const char* Kol::getVersion() { return "6.76.1-LINUX-X11"; }

const char* Kol::getComputerName()
{
  static char name[41];
  if (gethostname(name, sizeof name - 1) != 0) name[0] = 0;
  name[sizeof name - 1] = 0;
  return name;
}

}  // namespace KOL
