// kolres: shows every resource of a program with its value and where the value came from (the
// program name, a resource file, an environment variable, the command line), so that a user
// can see why a setting has the value it has.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  KolResrc::add(keyed, KolResrc::TIME_GROUP);
  KolResrc::add(keyed, KolResrc::find("plot_domain"));
  KolResrc::add(keyed, KolResrc::find("title"));
  keyed.add("show", "kolshow", "sh", "-sh names... Show only these resources (comma list)");
  keyed.add("unset", "kolunset", "un", "-un          Also list declared options without value");
  KolResrc::add(positional, KolResrc::find("filename"));
}

std::string source(const Resrc& r, const char* name)
{
  switch (r.getType(name)) {
    case Resrc::LIBRARY:
      return "program name";
    case Resrc::RESFILE:
      return std::string("resource file ") + r.getOrigin(name);
    case Resrc::ENVIRON:
      return std::string("environment ") + r.getOrigin(name);
    case Resrc::CMDLINE:
      return "command line";
    case Resrc::PROGRAM:
      return "set by the program";
    default:
      return "not recorded";
  }
}

// One resource: name, value (a value of several lines continues under the first) and source.
void printResource(const Resrc& r, const char* name)
{
  std::string value = r.get(name);
  std::string first = value.substr(0, value.find('\n'));
  std::printf("%-14s = %-26s [%s]\n", name, first.c_str(), source(r, name).c_str());
  for (size_t at = value.find('\n'); at != std::string::npos;) {
    size_t next = value.find('\n', at + 1);
    std::string line = value.substr(at + 1, next == std::string::npos ? next : next - at - 1);
    std::printf("%-14s   %s\n", "", line.c_str());
    at = next;
  }
}

// The resources asked for with -show; 0 when one of them is not set.
int showSelected(const Resrc& r, const char* names)
{
  Strings list;
  list.set(names, ',');
  int ok = 1;
  for (int i = 0; i < list.getNum(); i++) {
    const char* name = list.getString(i);
    if (!name) continue;
    if (r.get(name)) {
      printResource(r, name);
    } else {
      std::printf("%-14s   not set\n", name);
      ok = 0;
    }
  }
  return ok;
}

void showAll(Resrc& r, ResrcDBList& keyed, ResrcDBList& positional)
{
  std::printf("Resources of %s (search list: %s)\n", r.get("prog", ""),
              r.get("default", ResrcDB::SEARCH_LIST));
  r.rewind();
  while (const char* name = r.getNext()) printResource(r, name);
  if (!r.getBool("unset")) return;
  std::printf("Declared but not set:");
  for (ResrcDBList* list : {&keyed, &positional})
    for (const ResrcDBItem* opt = list->first(); opt; opt = list->next())
      if (!r.get(opt->name)) std::printf(" %s", opt->name);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;

  Resrc& r = Kol::resrc;
  int ok = 1;
  if (const char* names = r.get("show"); names && *names)
    ok = showSelected(r, names);
  else
    showAll(r, keyed, positional);

  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("kolres: cannot write the listing\n");
    return Kol::FAILURE;
  }
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
