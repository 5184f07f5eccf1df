#include "core/Prog.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcFile.h"
#include "core/String.h"
#include "core/Strings.h"

namespace KOL {

namespace {

constexpr int WORD_SIZE = 20;
constexpr int ANSWER_SIZE = 256;

void applyResources()
{
  const char* level = Kol::resrc.get("message");
  if (level && *level) Kol::setMessageLevel(level);
  const char* path = Kol::resrc.get("file_path");
  if (path && *path) Kol::setDatabasePath(path);
  const char* now = Kol::resrc.get("cur_time");
  if (now && *now) Kol::init_time = DateTool::getSeconds(now);
}

}  // namespace

int Prog::readResrcFile(const char* prog, const char* name, const char* tag, const char* defaults)
{
  ResrcFile file;
  file.set(prog ? prog : "kol", name ? name : (prog ? prog : "kol"));
  if (tag && *tag) file.setTag(tag);
  const char* list = defaults && *defaults ? defaults : std::getenv("koldefault");
  Strings dirs(list && *list ? list : SEARCH_LIST, ':');
  int read = 0;
  String key, value;
  for (int i = 0; i < dirs.getNum(); i++) {
    if (!dirs.valid(i) || !file.open(dirs.getString(i))) continue;
    read++;
    while (file.getValid(key, value) == 1) Kol::resrc.put(key.get(), value.get());
    file.close();
  }
  applyResources();
  return read;
}

int Prog::readResrcFile(const char* name, const char* defaults)
{
  return readResrcFile(name, name, nullptr, defaults);
}

int Prog::readResrcFile(const char* name) { return readResrcFile(name, nullptr); }

int Prog::readResrcFile() { return readResrcFile("kol"); }

void Prog::printProg(int level, const char* name)
{
  Kol::outMessage(level, "      %s (Ver %s)\n\n", name ? name : "", Kol::getVersion());
}

void Prog::printProg(const char* name) { printProg(Kol::MESS, name); }

int Prog::printHelp(ResrcDBList& keyed, ResrcDBList& positional, const char* description)
{
  if (!Kol::resrc.getBool("help")) return 0;
  const char* prog = Kol::resrc.get("prog", Kol::getProgramName());
  Kol::outMessage(Kol::PRINT, "%s: %s\n", prog, description ? description : "");
  ResrcDB::printHelp(prog, keyed, positional);
  return 1;
}

int Prog::setCommand(const char* line)
{
  if (!line || !*line) return 1;
  if (std::strcmp(line, "exit") == 0) Kol::exit(Kol::SUCCESS);
  const char* p = line;
  while (std::isspace((unsigned char)*p)) p++;
  std::string word;
  while (*p && !std::isspace((unsigned char)*p) && word.size() < WORD_SIZE - 1) word += *p++;
  if (word != "set" || (*p && !std::isspace((unsigned char)*p))) return 0;
  while (std::isspace((unsigned char)*p)) p++;
  if (!*p) {
    std::printf("Set resources\n");
    Kol::resrc.printAll();
    std::printf("\n");
    return 1;
  }
  std::string name;
  while (*p && *p != '=' && !std::isspace((unsigned char)*p) && name.size() < WORD_SIZE - 1)
    name += *p++;
  while (*p && *p != '=' && !std::isspace((unsigned char)*p)) p++;  // the rest of a long name
  while (*p == '=' || std::isspace((unsigned char)*p)) p++;
  Kol::resrc.put(name.c_str(), p);
  return 1;
}

int Prog::prompt(const char* fmt, char* buffer, int size)
{
  if (!buffer || size < 3) return 0;
  do {
    std::fputs(fmt ? fmt : "", stdout);
    std::fflush(stdout);
    std::vector<char> line(size - 1);
    if (!std::fgets(line.data(), size - 1, stdin)) {
      buffer[0] = 0;
      return 0;
    }
    // The rest of an overlong line is not the next answer.
    if (!std::strchr(line.data(), '\n')) {
      int c;
      while ((c = std::getchar()) != EOF && c != '\n') {
      }
    }
    std::snprintf(buffer, size, "%s", line.data());
    size_t n = std::strlen(buffer);
    while (n > 0 && std::isspace((unsigned char)buffer[n - 1])) buffer[--n] = 0;
  } while (setCommand(buffer) == 1);
  return 1;
}

int Prog::prompt(const char* fmt, String& out)
{
  char buffer[ANSWER_SIZE];
  int ok = prompt(fmt, buffer, ANSWER_SIZE);
  out.copy(ok ? buffer : "");
  return ok;
}

int Prog::prompt(const char* fmt)
{
  char buffer[ANSWER_SIZE];
  return prompt(fmt, buffer, ANSWER_SIZE);
}

}  // namespace KOL
