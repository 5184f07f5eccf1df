#include "layers/VarName.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/cache/ReadOnce.h"
#include "layers/Variable.h"

namespace KOL {

namespace {

constexpr int LINE_SIZE = 120;

// Names carrying an ensemble or probability modifier are listed under the text after the
// modifier's bracket.
const char* baseName(const char* abbr)
{
  if (std::strncmp(abbr, "perc", 4) == 0 || std::strncmp(abbr, "ens", 3) == 0 ||
      std::strncmp(abbr, "prob", 4) == 0) {
    if (const char* close = std::strchr(abbr, ']')) return close + 1;
  }
  return abbr;
}

// Every readable line of one version of the table, with the first line of each abbreviation
// and of each primary index.
struct Table {
  std::vector<VarNameItem> items;
  std::unordered_map<std::string, size_t> byAbbr;
  std::unordered_map<int, size_t> byInd;

  const VarNameItem* find(const char* abbr, int ind) const
  {
    if (abbr) {
      auto it = byAbbr.find(abbr);
      return it == byAbbr.end() ? nullptr : &items[it->second];
    }
    auto it = byInd.find(ind);
    return it == byInd.end() ? nullptr : &items[it->second];
  }
};

bool readTable(const char* database, Table& table)
{
  String path;
  FileTool::addPath(database, VarName::FILE_NAME, path);
  File file;
  if (!file.open(path.get(), "r")) return false;
  char line[LINE_SIZE + 1];
  VarNameItem item;
  while (file.getLine(line, sizeof line) > 0) {
    int n = StrLib::length(line);
    // The rest of a line longer than a table line is not read.
    if (n == LINE_SIZE && line[n - 1] != '\n') file.skipLine();
    if (!item.decode(line)) continue;
    table.byAbbr.emplace(item.abbr, table.items.size());
    table.byInd.emplace(item.codes[0], table.items.size());
    table.items.push_back(item);
  }
  return true;
}

// The table of a database directory (list), found and read on its first use and shared by every
// VarName for the rest of the process.
std::shared_ptr<const Table> tableOf(const char* database)
{
  static cache::ReadOnce<Table> tables;
  return tables.get(database, readTable);
}

}  // namespace

void VarNameItem::init()
{
  stamp = Const::MISS;
  for (int& c : codes) c = Const::MISS;
  abbr[0] = name[0] = units[0] = '\0';
}

int VarNameItem::decode(const char* line)
{
  init();
  if (!line || line[0] == '#') return 0;
  char codeText[30];
  int used = 0;
  if (std::sscanf(line, "%29s %29s %n", codeText, abbr, &used) < 2 || used == 0) {
    init();
    return 0;
  }
  int n = std::sscanf(codeText, "%d,%d,%d,%d,%d", &codes[0], &codes[1], &codes[2], &codes[3],
                      &codes[4]);
  if (n < 1 || std::strlen(abbr) > 9) {
    init();
    return 0;
  }
  char rest[LINE_SIZE + 1];
  StrLib::copy(rest, sizeof rest, line + used);
  StrLib::replace(rest, '\n', '\0');
  StrLib::trimWS(rest);
  int open = StrLib::lastIndex(rest, '[');
  int len = StrLib::length(rest);
  if (open > 0 && len > 0 && rest[len - 1] == ']') {
    StrLib::copy(units, UNITS_SIZE, rest + open + 1, len - open - 2);
    rest[open] = '\0';
    StrLib::trimWS(rest);
  }
  StrLib::copy(name, NAME_SIZE, rest);
  return 1;
}

void VarNameItem::print() const
{
  std::printf("%d,%d,%d,%d,%d %s %s [%s] (%d)\n", codes[0], codes[1], codes[2], codes[3], codes[4],
              abbr, name, units, stamp);
}

void VarName::init()
{
  slots_.clear();
  counter_ = 0;
}

int VarName::get(const char* abbr, Variable& var)
{
  const VarNameItem* item = abbr ? find(baseName(abbr), Const::MISS) : nullptr;
  if (!item) return 0;
  var.setInd(item->codes[0]);
  var.setName(item->name);
  return 1;
}

int VarName::get(int ind, Variable& var)
{
  const VarNameItem* item = find(nullptr, ind);
  if (!item) return 0;
  var.setAbbr(item->abbr);
  var.setName(item->name);
  var.setInd(ind);
  return 1;
}

int VarName::get(const char* abbr, VarNameItem& out)
{
  const VarNameItem* item = abbr ? find(baseName(abbr), Const::MISS) : nullptr;
  if (!item) return 0;
  out = *item;
  return 1;
}

const char* VarName::get(int ind)
{
  const VarNameItem* item = find(nullptr, ind);
  return item ? item->abbr : "";
}

int VarName::makeLabel(const char* name, const char* units, String& out)
{
  out.copy(name ? name : "");
  if (StrLib::valid(units)) out.aprintf(" [%s]", units);
  return 1;
}

const VarNameItem* VarName::find(const char* abbr, int ind)
{
  if (!abbr && ind == Const::MISS) return nullptr;
  const VarNameItem* hit = search(abbr, ind);
  if (!hit) hit = load(abbr, ind);
  if (hit) const_cast<VarNameItem*>(hit)->stamp = counter_++;
  return hit;
}

const VarNameItem* VarName::search(const char* abbr, int ind) const
{
  for (const VarNameItem& s : slots_) {
    if (s.stamp == Const::MISS) continue;
    if (abbr ? std::strcmp(s.abbr, abbr) == 0 : s.codes[0] == ind) return &s;
  }
  return nullptr;
}

VarNameItem* VarName::freeSlot()
{
  if (static_cast<int>(slots_.size()) < SLOTS) return &slots_.emplace_back();
  VarNameItem* oldest = &slots_[0];
  for (VarNameItem& s : slots_)
    if (s.stamp < oldest->stamp) oldest = &s;
  return oldest;
}

const VarNameItem* VarName::load(const char* abbr, int ind)
{
  std::shared_ptr<const Table> table = tableOf(Kol::getDatabasePath());
  if (!table) {
    String path;
    FileTool::addPath(Kol::getDatabasePath(), FILE_NAME, path);
    Kol::outWarning("VarName: Unable to open file: %s\n", path.get());
    return nullptr;
  }
  const VarNameItem* item = table->find(abbr, ind);
  if (!item) return nullptr;
  VarNameItem* slot = freeSlot();
  *slot = *item;
  return slot;
}

void VarName::print() const
{
  std::printf("VarName: %d slots, counter %d\n", static_cast<int>(slots_.size()), counter_);
  for (const VarNameItem& s : slots_) s.print();
}

}  // namespace KOL
