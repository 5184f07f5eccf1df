// The numeric key of a grid, used to pick grids out of files: model, grid number, forecast time
// code, level type and level codes, the variable code with four alternates, and the units
// wanted. Read from the same notation as variable specs (500:hght, f12:sfc:temp:C) or
// from "#" and an index (#3, #3:K). Unset fields are Const::MISS and match anything.
#pragma once

#include "core/Const.h"

namespace KOL {

class VarSpec;

class GridSpec {
 public:
  static constexpr int VARS = 5;
  static constexpr int UNITS_SIZE = 20;

  GridSpec() { init(); }
  explicit GridSpec(const char* text);

  void init();
  void set(int model, int grid, int foreTimeCode, int levelType, int levelCode, int varCode);
  int set(const char* text) { return decode(text); }
  // The key of a grid spec: forecast time, level and variable codes and the units.
  void set(const VarSpec& spec);
  // Accepts any text; fields it does not give stay unset. 1 when something was set.
  int decode(const char* text);
  // Variable slot k (0 the variable's own code, 1-4 alternates); 0 for k outside 0-4.
  int setVar(int k, int code);
  void setUnits(const char* units);
  void setIndex(int i) { index = i; }
  void setForeTime(int code) { fore_time = code; }
  void setLevel(int type, int code)
  {
    level_type = type;
    level_code = code;
  }

  int getIndex() const { return index; }
  int getModel() const { return model; }
  int getGrid() const { return grid; }
  int getForeTime() const { return fore_time; }
  int getLevelType() const { return level_type; }
  int getLevelCode() const { return level_code; }
  int getVar(int k = 0) const { return k >= 0 && k < VARS ? var[k] : Const::MISS; }
  const char* getUnits() const { return units; }

  // Whether a grid keyed grid answers the request req.
  static bool equal(const GridSpec& req, const GridSpec& grid);
  // Whether two variable codes name the same quantity: equal, or the same parameter of the
  // common part of GRIB edition 1 tables 1 to 3.
  static bool sameVar(int a, int b);
  bool isSet() const;
  bool isVarSet() const { return var[0] != Const::MISS; }
  void print() const;

 private:
  int index;
  int model;
  int grid;
  int fore_time;
  int level_type;
  int level_code;
  int var[VARS];
  char units[UNITS_SIZE];
};

}  // namespace KOL
