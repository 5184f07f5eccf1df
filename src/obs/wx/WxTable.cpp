#include "obs/wx/WxTable.h"

#include <cstdio>
#include <cstring>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/String.h"

namespace KOL {

namespace {

constexpr const char* TABLE_FILE = "wx.lup";

}  // namespace

const WxTable& WxTable::get()
{
  static const WxTable table = [] {
    WxTable t;
    String path;
    if (!FileTool::addPath(Kol::getDatabasePath(), TABLE_FILE, path) || !t.read(path.get()))
      Kol::outWarning("WxTool: cannot read the weather table %s\n", TABLE_FILE);
    return t;
  }();
  return table;
}

bool WxTable::read(const char* path)
{
  File f(path, "r");
  if (!f.isOpen()) return false;
  Entries* section = nullptr;
  char line[200];
  while (f.getLine(line, sizeof line) > 0) {
    char key[100], value[100];
    if (line[0] == '#') continue;
    if (line[0] == '[') {
      char name[40] = "";
      std::sscanf(line, "[%39[^]]", name);
      section = !std::strcmp(name, "sa_metar")     ? &sa_metar
                : !std::strcmp(name, "metar_wmo")  ? &metar_wmo
                : !std::strcmp(name, "wmo_manned") ? &wmo_manned
                : !std::strcmp(name, "wmo_auto")   ? &wmo_auto
                : !std::strcmp(name, "words")      ? &words
                                                   : nullptr;
      continue;
    }
    if (section && std::sscanf(line, "%99s %99s", key, value) == 2) {
      for (char* c = value; *c; ++c)
        if (*c == '_') *c = ' ';
      section->emplace_back(key, value);
    }
  }
  return true;
}

const std::string* WxTable::find(const Entries& e, const char* key)
{
  return find(e, key, static_cast<int>(std::strlen(key)));
}

const std::string* WxTable::find(const Entries& e, const char* key, int len)
{
  for (const auto& kv : e)
    if (static_cast<int>(kv.first.size()) == len && !std::strncmp(kv.first.c_str(), key, len))
      return &kv.second;
  return nullptr;
}

}  // namespace KOL
