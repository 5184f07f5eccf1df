// The variable-name table "variable.lup" of the database directory: abbreviation, index codes,
// long name and usual units of every quantity the library names. A VarName is a small cache of
// recently used lines; lookups that miss go to the table, which is read once per process and
// directory and kept. Copies start with an empty cache.
#pragma once

#include <vector>

#include "core/Const.h"

namespace KOL {

class String;
class Variable;

// One line of the table. The first code is the variable's index, the others alternate codes
// under which the same quantity arrives (GRIB parameter codes).
struct VarNameItem {
  static constexpr int CODES = 5;
  static constexpr int ABBR_SIZE = 30;
  static constexpr int NAME_SIZE = 50;
  static constexpr int UNITS_SIZE = 20;

  int stamp;
  int codes[CODES];
  char abbr[ABBR_SIZE];
  char name[NAME_SIZE];
  char units[UNITS_SIZE];

  VarNameItem() { init(); }
  void init();
  // Reads one table line: codes, abbreviation and long name, the name optionally followed by the
  // usual units in square brackets. 0 for a comment or a line of another form.
  int decode(const char* line);
  void print() const;
};

class VarName {
 public:
  static constexpr int SLOTS = 40;
  static constexpr const char* FILE_NAME = "variable.lup";

  VarName() { init(); }
  VarName(const VarName&) { init(); }
  VarName& operator=(const VarName&)
  {
    init();
    return *this;
  }

  void init();
  // Fills the index and long name of a variable from its abbreviation, or the abbreviation and
  // long name from an index; 1 when found.
  int get(const char* abbr, Variable& var);
  int get(int ind, Variable& var);
  int get(const char* abbr, VarNameItem& item);
  // The abbreviation of an index; "" when unknown.
  const char* get(int ind);
  const char* getAbbr(int ind) { return get(ind); }
  // name followed by " [units]" when there are units.
  static int makeLabel(const char* name, const char* units, String& out);

  void print() const;

 private:
  // The slot holding the abbreviation (or primary index when abbr is null), loading it from the
  // table on a miss; null when the table does not have it.
  const VarNameItem* find(const char* abbr, int ind);
  const VarNameItem* search(const char* abbr, int ind) const;
  VarNameItem* freeSlot();
  const VarNameItem* load(const char* abbr, int ind);

  std::vector<VarNameItem> slots_;
  int counter_;
};

}  // namespace KOL
