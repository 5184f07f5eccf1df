#include "graphics/ColorFile.h"

#include <cstdio>
#include <string>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/ColorMap.h"

namespace KOL {

int ColorFile::read(const char* list, ColorMap& map)
{
  if (!list) return 0;
  if (map.getSize() <= 0) map.init(ColorMap::DEFAULT_SIZE);
  int ok = 1;
  std::string names(list);
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(',', start);
    if (end == std::string::npos) end = names.size();
    const std::string name = names.substr(start, end - start);
    if (!name.empty()) {
      String path;
      FileTool::addPath(Kol::getDatabasePath(), name.c_str(), path);
      if (!readFile(path.get(), map)) ok = 0;
    }
    start = end + 1;
  }
  return ok;
}

int ColorFile::readFile(const char* path, ColorMap& map)
{
  File in;
  if (!path || !FileTool::isFile(path) || !in.open(path, "r")) {
    Kol::outWarning("ColorFile: unable to read color file: %s\n", path ? path : "");
    return 0;
  }
  bool fillSet = false;
  char line[256];
  int n, number = 0;
  while ((n = in.getLine(line, sizeof line)) > 0) {
    ++number;
    if (line[n - 1] != '\n' && n == sizeof line - 1) in.skipLine();
    StrLib::trimWS(line);
    const char* s = line;
    while (StrLib::isSpace(*s)) ++s;
    if (!*s || *s == '#') continue;
    if (StrLib::iequal(s, "END")) {
      if (!fillSet) map.setNumFill(map.getNum());
      fillSet = true;
      continue;
    }
    if (!readLine(s, map)) Kol::outWarning("ColorFile: no colour on line %d of %s\n", number, path);
  }
  if (!fillSet) map.setNumFill(map.getNum());
  return 1;
}

int ColorFile::readLine(const char* s, ColorMap& map)
{
  char name[ColorMap::NAME_SIZE];
  float r, g, b;
  unsigned ir, ig, ib;
  const bool numbered = StrLib::isDigit(s[0]);
  if (std::sscanf(s, numbered ? "%*d %19s %f %f %f" : "%19s %f %f %f", name, &r, &g, &b) == 4)
    return map.add(name, r, g, b) >= 0;
  if (std::sscanf(s, numbered ? "%*d %19s #%2X%2X%2X" : "%19s #%2X%2X%2X", name, &ir, &ig, &ib) ==
      4)
    return map.add(name, ir / 255.0f, ig / 255.0f, ib / 255.0f) >= 0;
  return 0;
}

}  // namespace KOL
