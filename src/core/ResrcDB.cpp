#include "core/ResrcDB.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/ResrcCL.h"
#include "core/ResrcDBList.h"
#include "core/ResrcEnv.h"
#include "core/ResrcFile.h"
#include "core/String.h"
#include "core/Strings.h"

namespace KOL {

namespace {

constexpr size_t TAG_LENGTH = 29;

bool isDefaultKey(const char* key)
{
  return strcasecmp(key, "default") == 0 || strcasecmp(key, "df") == 0;
}

// Keys the first command-line pass took: the instance name and the search list.
bool isEarlyKey(const char* key)
{
  size_t n = std::strlen(key);
  return (n <= 4 && strncasecmp(key, "name", n) == 0) || strncasecmp(key, "default", 7) == 0 ||
         strncasecmp(key, "df", 2) == 0;
}

void readEarlyArguments(ResrcCL& cl)
{
  String key, value;
  int kind;
  while ((kind = cl.getKeyed(key, value)) >= 0) {
    if (kind == 0)
      cl.getPosition(value);
    else if (ResrcCL::compare(key.get(), "name", "na"))
      Kol::resrc.add("name", value.get(), Resrc::CMDLINE);
    else if (isDefaultKey(key.get()))
      Kol::resrc.add("default", value.get(), Resrc::CMDLINE);
  }
}

// One entry of a resource file: every declared option it selects, or else the resource it names.
void applyEntry(ResrcFile& file, const char* pattern, const char* value, ResrcDBList& keyed,
                ResrcDBList& positional)
{
  bool matched = false;
  for (ResrcDBList* list : {&keyed, &positional})
    for (const ResrcDBItem* opt = list->first(); opt; opt = list->next())
      if (file.compare(opt->name, pattern)) {
        Kol::resrc.add(opt->name, value, Resrc::RESFILE, file.getPath());
        matched = true;
      }
  String name;
  if (!matched && file.valid(pattern) && ResrcFile::parseName(pattern, name) && name.length() > 0)
    Kol::resrc.add(name.get(), value, Resrc::RESFILE, file.getPath());
}

void readResourceFiles(ResrcDBList& keyed, ResrcDBList& positional)
{
  Strings list;
  list.set(Kol::resrc.get("default", ResrcDB::SEARCH_LIST), ':');
  ResrcFile file(Kol::resrc);
  std::string tag;
  String pattern, value;
  for (int i = 0; i < list.getNum(); i++) {
    const char* element = list.getString(i);
    if (element && element[0] == '+') {
      tag = std::string(element + 1).substr(0, TAG_LENGTH);
      continue;
    }
    if (!file.open(element)) continue;
    if (!tag.empty()) file.setTag(tag.c_str());
    while (file.get(pattern, value) == 1)
      applyEntry(file, pattern.get(), value.get(), keyed, positional);
    file.close();
  }
}

void readEnvironment(ResrcDBList& keyed, ResrcDBList& positional)
{
  String value, variable;
  for (ResrcDBList* list : {&keyed, &positional})
    for (const ResrcDBItem* opt = list->first(); opt; opt = list->next())
      if (ResrcEnv::get(Kol::resrc, opt->name, opt->env, value, variable))
        Kol::resrc.add(opt->name, value.get(), Resrc::ENVIRON, variable.get());
}

// The declared option a key names: by abbreviation first, else the first name it begins.
const ResrcDBItem* findKeyed(ResrcDBList& keyed, const char* key)
{
  for (const ResrcDBItem* opt = keyed.first(); opt; opt = keyed.next())
    if (ResrcCL::compare(key, opt->name, opt->abbrev) == 2) return opt;
  for (const ResrcDBItem* opt = keyed.first(); opt; opt = keyed.next())
    if (ResrcCL::compare(key, opt->name, opt->abbrev) == 1) return opt;
  return nullptr;
}

void setPositional(ResrcDBList& positional, int position, const char* value)
{
  int n = positional.getNum();
  if (n == 0 || position < 0) return;
  const char* name = positional.get(std::min(position, n - 1))->name;
  if (Kol::resrc.getType(name) == Resrc::CMDLINE)
    Kol::resrc.append(name, value, '\n');
  else
    Kol::resrc.add(name, value, Resrc::CMDLINE);
}

void readArguments(ResrcCL& cl, ResrcDBList& keyed, ResrcDBList& positional)
{
  cl.rewind();
  String key, value;
  int kind;
  while ((kind = cl.getKeyed(key, value)) >= 0) {
    if (kind == 0) {
      int position = cl.getPosition(value);
      setPositional(positional, position, value.get());
    } else if (!isEarlyKey(key.get())) {
      const ResrcDBItem* opt = findKeyed(keyed, key.get());
      Kol::resrc.add(opt ? opt->name : key.get(), value.get(), Resrc::CMDLINE);
    }
  }
}

}  // namespace

int ResrcDB::decodeProgramName(const char* path, String& name)
{
  if (!path) {
    name.clear();
    return 0;
  }
  const char* slash = std::strrchr(path, '/');
  name.copy(slash ? slash + 1 : path);
  return 1;
}

int ResrcDB::create(Strings& args, ResrcDBList& keyed, ResrcDBList& positional)
{
  Resrc& resrc = Kol::resrc;
  String prog;
  decodeProgramName(args.getString(0), prog);
  resrc.add("prog", prog.get(), Resrc::LIBRARY);
  resrc.add("name", prog.get(), Resrc::LIBRARY);
  Kol::setProgramName(prog.get());

  String value, variable;
  if (ResrcEnv::get(resrc, "default", nullptr, value, variable))
    resrc.add("default", value.get(), Resrc::ENVIRON, variable.get());

  ResrcCL cl(args);
  readEarlyArguments(cl);
  readResourceFiles(keyed, positional);
  readEnvironment(keyed, positional);
  readArguments(cl, keyed, positional);

  Kol::setMessageLevel(resrc.get("message"));
  if (const char* path = resrc.get("file_path")) Kol::setDatabasePath(path);
  if (Kol::isDebug(5) || Kol::isDebug(6) || Kol::isDebug(7) || Kol::isDebug(8)) resrc.printAll();
  return 1;
}

int ResrcDB::startProgram(int argc, char** argv, ResrcDBList& keyed, ResrcDBList& positional,
                          const char* required)
{
  Strings args(argc, const_cast<const char**>(argv));
  if (!create(args, keyed, positional)) return Kol::FAILURE;
  Resrc& r = Kol::resrc;
  const bool help = r.getBool("help");
  const char* value = required ? r.get(required) : nullptr;
  if (!help && (!required || (value && *value))) return -1;
  printHelp(r.get("prog"), keyed, positional);
  return help ? Kol::SUCCESS : Kol::USAGE;
}

void ResrcDB::printHelp(const char* prog, ResrcDBList& keyed, ResrcDBList& positional)
{
  if (!prog) prog = Kol::getProgramName();
  Kol::outMessage("%s syntax (version:%s)\n", prog, Kol::getVersion());
  Kol::outMessage("   %s [options...]\n", prog);
  Kol::outMessage("Keyed options...\n");
  Kol::outMessage(" -df file...  Resource/defaults file name\n");
  Kol::outMessage(" -na name     Program name\n");
  for (const ResrcDBItem* opt = keyed.first(); opt; opt = keyed.next())
    Kol::outMessage(" %s\n", opt->help ? opt->help : opt->name);
  Kol::outMessage("Positional options...\n");
  for (const ResrcDBItem* opt = positional.first(); opt; opt = positional.next())
    Kol::outMessage(" %s\n", opt->help ? opt->help : opt->name);
}

}  // namespace KOL
