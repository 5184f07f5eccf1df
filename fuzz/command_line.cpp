// Splits arbitrary bytes into command-line arguments and builds the resource database from them.
#include <strings.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ResrcCL.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

// Arguments that name resource files are dropped: a fuzzer must not read arbitrary files,
// devices or URLs.
bool namesResourceFiles(const std::string& arg)
{
  if (!ResrcCL::isKeyed(arg.c_str())) return false;
  const char* key = arg.c_str() + (arg[1] == '-' ? 2 : 1);
  return strncasecmp(key, "df", 2) == 0 || strncasecmp(key, "default", 7) == 0;
}

std::vector<std::string> split(const uint8_t* data, size_t size)
{
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; i++) {
    if (data[i] == '\n' || data[i] == 0)
      args.emplace_back();
    else
      args.back() += (char)data[i];
  }
  std::vector<std::string> kept;
  for (const std::string& a : args)
    if (!namesResourceFiles(a)) kept.push_back(a);
  kept.push_back("-df=/dev/null");
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::vector<std::string> args = split(data, size);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  Strings strings((int)argv.size(), argv.data());

  ResrcDBList keyed, positional;
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::TIME_GROUP);
  KolResrc::add(keyed, KolResrc::PLOT_GROUP);
  KolResrc::add(positional, KolResrc::find("type"));
  KolResrc::add(positional, KolResrc::find("filename"));

  uint32_t mask = Kol::getMessageMask();
  std::string dbpath = Kol::getDatabasePath();
  ResrcDB::create(strings, keyed, positional);
  Kol::resrc.getBool("help");
  Kol::resrc.get("hour", 0);
  Kol::resrc.get("plot_scale", 1.0f);
  Kol::resrc.clear();
  Kol::setMessageMask(mask);
  Kol::setDatabasePath(dbpath.c_str());
  return 0;
}
