// Feeds arbitrary bytes to the resource file reader, directly and through the database builder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/ResrcFile.h"
#include "core/String.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

// One scratch file per process.
const std::string& scratchPath()
{
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/kolfuzz_resrc_" +
                    std::to_string(getpid()) + ".cfg";
    std::atexit([] { unlink(scratchPath().c_str()); });
    return p;
  }();
  return path;
}

bool writeScratch(const uint8_t* data, size_t size)
{
  FILE* fp = std::fopen(scratchPath().c_str(), "wb");
  if (!fp) return false;
  if (size) std::fwrite(data, 1, size, fp);
  return std::fclose(fp) == 0;
}

void readDirectly()
{
  ResrcFile file;
  file.set("demo", "+inst");
  file.setTag("fuzz");
  if (!file.open(scratchPath().c_str())) return;
  String name, value;
  while (file.getValid(name, value) == 1) {
  }
}

void readThroughDatabase()
{
  ResrcDBList keyed, positional;
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::DOMAIN_GROUP);
  KolResrc::add(keyed, KolResrc::DEVICE_GROUP);
  KolResrc::add(positional, KolResrc::find("filename"));
  std::string df = "-df=+fuzz:" + scratchPath();
  const char* argv[] = {"/bin/demo", df.c_str()};
  Strings args(2, argv);
  ResrcDB::create(args, keyed, positional);
  Kol::resrc.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (!writeScratch(data, size)) return 0;
  uint32_t mask = Kol::getMessageMask();
  std::string dbpath = Kol::getDatabasePath();
  readDirectly();
  readThroughDatabase();
  Kol::setMessageMask(mask);
  Kol::setDatabasePath(dbpath.c_str());
  return 0;
}
