// One variable spec: what a plotted value or grid is (the quantity, with its forecast
// time, level, units and drawing format), read from the short notation users write:
//   temp, 850:temp, f12:500:+hght[m,cf], prob[>0.5]pcp[in], anal:sfc:temp:C
#pragma once

#include "core/ForeTime.h"
#include "grid/Level.h"
#include "layers/VarName.h"
#include "layers/Variable.h"

namespace KOL {

class Date;
class String;
class Timezone;

class VarSpec {
 public:
  static constexpr int FORMAT_SIZE = 100;

  // kind after a decode, and for the pseudo-variables "map" and "panel".
  enum Kind : int { DECODED = 1, PSEUDO = 6 };
  // Drawing types chosen by the format.
  enum Plot : int { NONE = 0, PLOT = 1, DATA = 2, CONTOUR = 3, VECTOR = 4, MAP = 5, PANEL = 6 };
  // Parts merged by update(src, mask).
  enum Mask : int { FORE_TIME = 1, LEVEL = 2, VARIABLE = 4, FORMAT = 8, ALL = 15 };

  VarSpec() { init(); }
  explicit VarSpec(const char* text);

  void init();
  // 1 when the text gave a variable; warnings for a missing "]" or a wrong number of fields.
  int decode(const char* text);
  int set(const char* text) { return decode(text); }

  // The variable by name (a leading digit makes it an index) or index, resolved through the
  // name table; a name not in the table is its own long name, with no index.
  int setVar(const char* name, const char* units);
  int setVar(int ind, const char* units);
  int setVar(const char* name);
  void setVar(const Variable& v) { var = v; }
  void setUnits(const char* units) { var.setUnits(units); }
  // Sets the format and the drawing type it names.
  void setFormat(const char* format);
  void setPlot(int type) { plotType = type; }
  void setForeTime(const ForeTime& f) { foreTime = f; }
  void setLevel(const Level& l) { level = l; }
  void setLiteral(int flag) { literal = flag; }
  void setKind(int k) { kind = k; }
  void setAux(int a) { aux = a; }

  int getKind() const { return kind; }
  int getAux() const { return aux; }
  int getLiteral() const { return literal; }
  bool isLiteral() const { return literal == 1; }
  int getPlot() const { return plotType; }
  const ForeTime& getForeTime() const { return foreTime; }
  const Level& getLevel() const { return level; }
  const Variable& getVar() const { return var; }
  Variable& getVar() { return var; }
  const char* getName() const { return var.getAbbr(); }
  const char* getUnits() const { return var.getUnits(); }
  const char* getFormat() const { return format; }
  bool isSet() const { return kind != Const::MISS; }
  bool hasFormatToken(const char* token) const;

  // "%s:%s:%s" of forecast time, level and variable.
  int toString(String& out) const;
  // The level, the variable's label with its units and any forecast period, for plot labels.
  int toInfoLabel(String& out) const;
  // The date label of a plot showing this VarSpec at a date (prefix in fmt).
  int toDateLabel(const Date& date, const char* fmt, String& out) const;
  int toDateLabel(const Date& date, const Timezone& tz, const char* fmt, String& out) const;

  // Completes the forecast time and level: set parts of the argument are merged in, a relative
  // forecast time being applied to an absolute one.
  void update(const ForeTime& f);
  void update(const Level& l);
  void update(const ForeTime& f, const Level& l);
  void update(const VarSpec& src, int mask = ALL);

  // Merges two forecast times the way update does: dst receives src's parts.
  static void mergeForeTime(ForeTime& dst, const ForeTime& src);

  void print() const;

 private:
  void decodeFields(const char* spec);
  void decodeForeTime(char* text);
  void decodeVariable(const char* text);
  void decodeBracket(const char* bracket);
  // Splits text into the variable part and the bracket part; false when there is no bracket.
  static bool splitBracket(const char* text, char* spec, char* bracket);

  int kind;
  int aux;
  int literal;
  int plotType;
  ForeTime foreTime;
  Level level;
  Variable var;
  char format[FORMAT_SIZE];
  VarName names;
};

}  // namespace KOL
