#include "grid/GribParam.h"

#include <cstdio>
#include <string>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "layers/VarName.h"
#include "layers/Variable.h"

namespace KOL {

namespace {

// One table line: four numbers (three for an edition 1 line without sub-centre), abbreviation,
// units and description. Returns the count of leading numbers read (3 or 4), 0 for other lines.
int readLine(const char* line, int num[4], char* abbr, char* units, char* desc)
{
  if (line[0] == '#') return 0;
  desc[0] = '\0';
  if (std::sscanf(line, "%d %d %d %d %19s %29s %79[^\n]", &num[0], &num[1], &num[2], &num[3], abbr,
                  units, desc) >= 6)
    return 4;
  desc[0] = '\0';
  if (std::sscanf(line, "%d %d %d %19s %29s %79[^\n]", &num[0], &num[2], &num[3], abbr, units,
                  desc) >= 5) {
    num[1] = 0;
    return 3;
  }
  return 0;
}

bool keyMatches(int inLine, int wanted) { return inLine == 0 || wanted == 0 || inLine == wanted; }

}  // namespace

void GribParam::init()
{
  edition_ = 0;
  index_ = Const::MISS;
  source_ = subCentre_ = table_ = category_ = param_ = Const::MISS;
  type_ = Const::MISS;
  abbr_[0] = units_[0] = desc_[0] = '\0';
}

int GribParam::find1(int centre, int subCentre, int table, int param)
{
  init();
  edition_ = 1;
  source_ = centre;
  subCentre_ = subCentre;
  table_ = table;
  category_ = subCentre;
  param_ = param;
  if (lookup(1, subCentre, table)) return 1;
  Kol::outWarning("GribParam: No GRIB1 lookup for var: %d %d %d %d\n", centre, subCentre, table,
                  param);
  fallbackIndex(table, subCentre);
  return 0;
}

int GribParam::find2(int centre, int discipline, int category, int param)
{
  init();
  edition_ = 2;
  source_ = centre;
  table_ = discipline;
  category_ = category;
  param_ = param;
  if (lookup(2, discipline, category)) return 1;
  Kol::outWarning("GribParam: No GRIB2 lookup for var: %d %d %d %d\n", centre, discipline, category,
                  param);
  fallbackIndex(discipline, category);
  return 0;
}

int GribParam::lookup(int edition, int a, int b)
{
  std::string path =
      std::string(Kol::getDatabasePath()) + "/" + (edition == 1 ? ED1_FILE : ED2_FILE);
  FILE* fp = std::fopen(path.c_str(), "r");
  if (!fp) {
    Kol::outWarning("GribParam: Unable to open file: %s\n", path.c_str());
    return 0;
  }
  char line[256], abbr[ABBR_SIZE], units[UNITS_SIZE], desc[DESC_SIZE];
  int num[4];
  bool found = false;
  while (!found && std::fgets(line, sizeof line, fp)) {
    int n = readLine(line, num, abbr, units, desc);
    if (n == 0 || num[3] != param_) continue;
    if (edition == 1)
      found = keyMatches(num[0], source_) && keyMatches(num[1], a) && keyMatches(num[2], b);
    else
      found = (num[0] == 0 || num[0] == source_) && num[1] == a && num[2] == b;
  }
  std::fclose(fp);
  if (!found) return 0;
  StrLib::copy(abbr_, ABBR_SIZE, abbr);
  StrLib::copy(units_, UNITS_SIZE, units);
  StrLib::copy(desc_, DESC_SIZE, desc);
  Variable var;
  VarName names;
  if (names.get(abbr_, var))
    index_ = var.getInd();
  else
    fallbackIndex(edition == 1 ? table_ : a, edition == 1 ? subCentre_ : b);
  return 1;
}

void GribParam::fallbackIndex(int a, int b)
{
  index_ = (a < 0 ? 0 : a) * 1000000 + (b < 0 ? 0 : b) * 1000 + param_;
}

bool GribParam::matches(int edition, int source, int a, int b, int param) const
{
  return edition_ == edition && source_ == source && table_ == a && param_ == param &&
         (edition == 1 ? subCentre_ == b : category_ == b);
}

void GribParam::toVariable(Variable& var) const
{
  Variable named;
  VarName names;
  if (abbr_[0] && names.get(abbr_, named)) {
    var.set(abbr_, named.getName(), index_);
  } else {
    var.set(abbr_[0] ? abbr_ : "", desc_, index_);
  }
  var.setUnits(units_);
}

void GribParam::print() const
{
  std::printf(
      "GribParam: edition %d index %d source %d table %d category %d param %d type %d %s [%s] %s\n",
      edition_, index_, source_, table_, category_, param_, type_, abbr_, units_, desc_);
}

}  // namespace KOL
