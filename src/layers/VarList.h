// A decoded variable list: variable specs strung together with groups {...}, functions (...)
// and parameter blocks <...>, each followed by an optional [units,format] bracket, and the
// expansion of the macro names a list may use:
//   temp[C,cf],{hght,vort}[,ln],add(temp,#273.15),grad-x(hght)
// Each entry keeps its nesting depth, its kind (parameter, group, function, vector function,
// parameter block) and the index of the data a layer assigned to it.
#pragma once

#include <string>
#include <vector>

#include "core/Unit.h"
#include "layers/VarSpec.h"

namespace KOL {

class GridSpec;
class String;

class VarList {
 public:
  static constexpr int INITIAL_CAPACITY = 40;
  static constexpr int GROWTH = 10;
  static constexpr int STACK_SIZE = 11;
  static constexpr int ITEM_SIZE = 300;
  static constexpr int PASSES = 10;
  static constexpr int FILE_SIZE = 80;

  enum Type : int { PARAM = 1, BLOCK = 2, GROUP = 3, FUNCTION = 4, VECT_FUNCTION = 5 };

  struct Entry {
    int depth = 0;
    int data_index = -1;
    int type = PARAM;
    VarSpec spec;
  };

  VarList() { init(); }
  explicit VarList(const char* text);

  void init();
  // Decodes a list; 1 on success, 0 on a syntax error (the entries before it are kept).
  int decode(const char* text);
  // Decodes a list and expands its macros from the macro file; scratch receives each macro's
  // definition while it is being applied.
  int process(const char* text, VarList& scratch);
  // The macro file (looked for in the database directory).
  void setFile(const char* name);
  const char* getFile() const { return file_.c_str(); }
  // The definition of a macro name, searching the file from its start; 0 when not found.
  int searchFile(const char* name, String& definition) const;

  int getNum() const { return static_cast<int>(entries_.size()); }
  int getCapacity() const { return capacity_; }

  // The cursor.
  void rewind() { cursor_ = 0; }
  int next() { return cursor_ < getNum() ? ++cursor_ : cursor_; }
  bool done() const { return cursor_ >= getNum(); }
  int getCursor() const { return cursor_; }

  int get(int i, VarSpec& spec) const;
  int get(int i, GridSpec& spec) const;
  const VarSpec* getSpec(int i) const { return valid(i) ? &entries_[i].spec : nullptr; }
  int getType(int i) const { return valid(i) ? entries_[i].type : 0; }
  int getLayer(int i) const { return valid(i) ? entries_[i].depth : 0; }
  const char* getName(int i) const { return valid(i) ? entries_[i].spec.getName() : ""; }
  const char* getUnits(int i) const { return valid(i) ? entries_[i].spec.getUnits() : ""; }
  const char* getFormat(int i) const { return valid(i) ? entries_[i].spec.getFormat() : ""; }
  int setPlot(int i, int plotType);
  int setDataIndex(int i, int index);
  int getDataIndex(int i) const { return valid(i) ? entries_[i].data_index : -1; }
  int getType() const { return getType(cursor_); }
  int getLayer() const { return getLayer(cursor_); }
  const char* getName() const { return getName(cursor_); }
  const char* getUnits() const { return getUnits(cursor_); }
  const char* getFormat() const { return getFormat(cursor_); }
  int getDataIndex() const { return getDataIndex(cursor_); }

  // Tests of an entry by index, and of the entry at the cursor.
  bool isParam(int i) const { return getType(i) == PARAM; }
  bool isBlock(int i) const { return getType(i) == BLOCK; }
  bool isGroup(int i) const { return getType(i) == GROUP; }
  bool isFunction(int i) const { return getType(i) == FUNCTION; }
  bool isVectFunction(int i) const { return getType(i) == VECT_FUNCTION; }
  bool isPlot(int i) const { return plotOf(i) == VarSpec::PLOT || plotOf(i) == VarSpec::DATA; }
  bool isData(int i) const { return plotOf(i) == VarSpec::DATA; }
  bool isContour(int i) const { return plotOf(i) == VarSpec::CONTOUR; }
  bool isVector(int i) const { return plotOf(i) == VarSpec::VECTOR; }
  bool isMap(int i) const { return plotOf(i) == VarSpec::MAP; }
  bool isPanel(int i) const { return plotOf(i) == VarSpec::PANEL; }
  bool isFillContour(int i) const;
  bool isParam() const { return isParam(cursor_); }
  bool isBlock() const { return isBlock(cursor_); }
  bool isGroup() const { return isGroup(cursor_); }
  bool isFunction() const { return isFunction(cursor_); }
  bool isVectFunction() const { return isVectFunction(cursor_); }
  bool isPlot() const { return isPlot(cursor_); }
  bool isData() const { return isData(cursor_); }
  bool isContour() const { return isContour(cursor_); }
  bool isVector() const { return isVector(cursor_); }
  bool isMap() const { return isMap(cursor_); }
  bool isPanel() const { return isPanel(cursor_); }
  bool isFillContour() const { return isFillContour(cursor_); }

  // forecast time ":" level ":" name "[" units "," format "]".
  int getString(int i, String& out) const;
  void print() const;

 private:
  class Decoder;

  bool valid(int i) const { return i >= 0 && i < getNum(); }
  int plotOf(int i) const { return valid(i) ? entries_[i].spec.getPlot() : VarSpec::NONE; }
  int append(const char* text, int type, int depth);
  // One expansion pass over the entries that are not literal; whether anything changed.
  bool expandPass(VarList& scratch);
  // Entry i replaced by the one-item definition def.
  void applyOne(int i, const Entry& def);
  // Entry i replaced by the items of a longer definition; the number of entries inserted.
  int applyMany(int i, const VarList& def);

  std::vector<Entry> entries_;
  int capacity_;
  int cursor_;
  std::string file_;  // the macro file, its whole path
  Unit units_;
};

}  // namespace KOL
