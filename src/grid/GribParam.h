// One GRIB parameter as the parameter tables describe it: the numbers that identify it in a
// message (centre, table or discipline, category, number), its abbreviation, units and
// description, and the library's variable index it resolves to. Edition 1 parameters are looked
// up in "grib_var.lup", edition 2 parameters in "grib2_var.lup" (database directory).
#pragma once

#include "core/Const.h"

namespace KOL {

class Variable;

class GribParam {
 public:
  static constexpr int ABBR_SIZE = 20;
  static constexpr int UNITS_SIZE = 30;
  static constexpr int DESC_SIZE = 80;
  static constexpr const char* ED1_FILE = "grib_var.lup";
  static constexpr const char* ED2_FILE = "grib2_var.lup";

  GribParam() { init(); }
  void init();

  // Edition 1: centre, sub-centre, table version and parameter number. Edition 2: centre,
  // discipline, category and parameter number. 1 when the table has the parameter; otherwise 0
  // with a warning, the index then being a*1000000 + b*1000 + parameter (a, b: table version and
  // sub-centre, or discipline and category).
  int find1(int centre, int subCentre, int table, int param);
  int find2(int centre, int discipline, int category, int param);

  // Abbreviation, long name, index and units into a variable.
  void toVariable(Variable& var) const;

  int getIndex() const { return index_; }
  int getSource() const { return source_; }
  int getTable() const { return table_; }
  int getCategory() const { return category_; }
  int getParam() const { return param_; }
  int getType() const { return type_; }
  int getEdition() const { return edition_; }
  const char* getAbbr() const { return abbr_; }
  const char* getUnits() const { return units_; }
  const char* getDesc() const { return desc_; }
  // True when this entry was looked up with the same edition and numbers.
  bool matches(int edition, int source, int a, int b, int param) const;
  void print() const;

 private:
  int lookup(int edition, int a, int b);
  void fallbackIndex(int a, int b);
  int edition_;
  int index_;
  int source_;
  int subCentre_;
  int table_;     // table version (edition 1) or discipline (edition 2)
  int category_;  // sub-centre (edition 1) or category (edition 2)
  int param_;
  int type_;
  char abbr_[ABBR_SIZE];
  char units_[UNITS_SIZE];
  char desc_[DESC_SIZE];
};

}  // namespace KOL
