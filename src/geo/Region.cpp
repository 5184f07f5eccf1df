#include "geo/Region.h"

#include <cstdio>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"

namespace KOL {

int Region::get(const char* file, const char* name, String& out)
{
  out.clear();
  String path;
  FileTool::addPath(Kol::getDatabasePath(), StrLib::valid(file) ? file : DEFAULT_FILE, path);
  File in;
  if (!FileTool::isFile(path.get()) || !in.open(path.get(), "r")) {
    Kol::outWarning("Unable to open region file: %s\n", path.get());
    return 0;
  }
  char line[512];
  int n;
  while ((n = in.getLine(line, sizeof line)) > 0) {
    if (line[n - 1] != '\n' && n == sizeof line - 1) in.skipLine();
    if (line[0] == '#') continue;
    char region[FIELD_SIZE], domain[FIELD_SIZE];
    int got = std::sscanf(line, "%79s %*s %*d %79s", region, domain);
    if (got < 1) continue;
    if (StrLib::valid(name) && !StrLib::iequal(region, name)) continue;
    out.copy(got == 1 ? region : domain);
    return 1;
  }
  return 0;
}

}  // namespace KOL
