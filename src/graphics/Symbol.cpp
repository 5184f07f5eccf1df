#include "graphics/Symbol.h"

#include <cstdio>
#include <cstring>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"

namespace KOL {

void Symbol::init()
{
  symbols.clear();
  current = -1;
  numPoints = 0;
}

namespace {

const std::vector<Symbol::Part> NO_PARTS;

}  // namespace

int Symbol::read(const char* path)
{
  init();
  File in;
  if (!path || !FileTool::isFile(path) || !in.open(path, "r")) {
    Kol::outWarning("Symbol_read: unable to load symbol file: %s\n", path ? path : "");
    return 0;
  }
  std::FILE* fp = in.getFP();
  char tok[64];
  Symb* s = nullptr;
  Points pending;
  while (std::fscanf(fp, "%63s", tok) == 1) {
    if (!s) {
      if (getNum() >= MAX_SYMBOLS) break;
      symbols.push_back(Symb{});
      s = &symbols.back();
      std::snprintf(s->name, NAME_SIZE, "%.14s", tok);
      pending.clear();
      continue;
    }
    if (std::strcmp(tok, "$") == 0) {
      s = nullptr;
    } else if (std::strcmp(tok, "L") == 0 || std::strcmp(tok, "F") == 0) {
      s->parts.push_back(Part{tok[0] == 'F', pending});
      pending.clear();
    } else {
      float x, y;
      char extra;
      if (std::sscanf(tok, "%f,%f%c", &x, &y, &extra) != 2) continue;
      if (numPoints >= MAX_POINTS) break;
      pending.add(Point(x, y));
      ++numPoints;
    }
  }
  return 1;
}

const char* Symbol::getName(int i) const
{
  return i >= 0 && i < getNum() ? symbols[i].name : nullptr;
}

int Symbol::setSymb(const char* name)
{
  current = -1;
  if (!name) return 0;
  for (int i = 0; i < getNum(); ++i) {
    const size_t n = std::strlen(symbols[i].name);
    if (n > 0 && std::strncmp(symbols[i].name, name, n) == 0) {
      current = i;
      return 1;
    }
  }
  return 0;
}

const std::vector<Symbol::Part>& Symbol::getParts() const
{
  return current >= 0 ? symbols[current].parts : NO_PARTS;
}

void Symbol::print() const
{
  for (const Symb& s : symbols) std::printf("%s %d\n", s.name, static_cast<int>(s.parts.size()));
}

}  // namespace KOL
