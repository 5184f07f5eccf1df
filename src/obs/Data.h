// A table of station values: one row per station (identifier and location) and one column per
// field, numeric (floats) or text (strings), each field described by an info text and a variable
// spec. Columns rather than records, so that analysis can walk one variable over all
// stations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Date.h"
#include "geo/EarthPoint.h"
#include "layers/VarSpec.h"

namespace KOL {

class Datum;

class Data {
 public:
  enum FieldType : int { NUMERIC = 1, TEXT = 2 };
  static constexpr int DEFAULT_CAPACITY = 400;

  Data() : Data(1) {}
  explicit Data(int nfields);

  // Empties the table to one numeric field.
  void init();
  void copy(const Data& other) { *this = other; }
  // The fields of other, without its rows.
  void copyInfo(const Data& other);
  // Empties every row (strings freed, numbers missing); the fields stay.
  void clear();

  // Rebuilds the table with n numeric fields and no rows.
  int setFields(int n);
  // Switches a field between NUMERIC and TEXT with a fresh column.
  int setType(int field, int type);
  int getType(int field) const;
  int getNumFields() const { return static_cast<int>(fields_.size()); }

  // Grows the capacity to n rows (or by half), keeping the rows.
  int expand(int n);
  int expand() { return expand(capacity_ + capacity_ / 2); }
  int getCount() const { return count_; }
  int getCapacity() const { return capacity_; }

  // Appends a row; the values go into the first (and second) numeric fields. The new row index.
  int add(const char* id, const EarthPoint& p, float v);
  int add(const char* id, const EarthPoint& p, float first, float second);
  int addValue(const EarthPoint& p, float v) { return add("", p, v); }
  // Identifier, location, values 0 and 1, and the text when the first field is text.
  int add(const Datum& d);
  // Appends the rows of other, its field going to toField (the same index when not given).
  int add(const Data& other, int field) { return add(other, field, field); }
  int add(const Data& other, int field, int toField);

  void setSource(const char* s) { source_ = s ? s : ""; }
  const char* getSource() const { return source_.c_str(); }
  void setDate(const Date& d) { date_ = d; }
  const Date& getDate() const { return date_; }
  void setDatim(const char* s) { datim_ = s ? s : ""; }
  const char* getDatim() const { return datim_.c_str(); }
  void setInfo(const char* s) { info_ = s ? s : ""; }
  const char* getInfo() const { return info_.c_str(); }
  int setInfo(int field, const char* s);
  const char* getInfo(int field) const;
  int searchInfo(const char* s) const;
  // Both also rebuild the field's info text from its VarSpec.
  int setUnits(int field, const char* units);
  int setVarSpec(int field, const VarSpec& spec);
  const char* getUnits(int field) const;
  const VarSpec* getVarSpec(int field) const;

  // The first row with that identifier, -1 when none.
  int getIndex(const char* id) const;
  int setId(int row, const char* id);
  const char* getId(int row) const;
  int setLoc(int row, const EarthPoint& p);
  int setLoc(int row, float lat, float lon) { return setLoc(row, EarthPoint(lat, lon)); }
  int getLoc(int row, EarthPoint& p) const;
  EarthPoint getLoc(int row) const;
  int setValue(int row, float v) { return setValue(row, 0, v); }
  int setValue(int row, int field, float v);
  float getValue(int row) const { return getValue(row, 0); }
  float getValue(int row, int field) const;
  int setString(int row, const char* s) { return setString(row, 0, s); }
  int setString(int row, int field, const char* s);
  const char* getString(int row) const { return getString(row, 0); }
  const char* getString(int row, int field) const;

  void print() const;
  void printData() const;
  void printData(int row) const;

 private:
  struct Field {
    std::string info;
    VarSpec var;
    int type = NUMERIC;
    std::vector<float> values;
    std::vector<std::optional<std::string>> strings;
  };

  void resizeColumns();
  void resetColumn(Field& f) const;
  // Makes row usable for a setter: extends the count and grows the capacity; false for row < 0.
  bool reach(int row);
  int numericField(int nth) const;
  bool valid(int field, int type) const;

  std::string info_, datim_, source_;
  Date date_;
  std::vector<Field> fields_;
  std::vector<std::string> ids_;
  std::vector<EarthPoint> locs_;
  int count_ = 0;
  int capacity_ = DEFAULT_CAPACITY;
};

}  // namespace KOL
