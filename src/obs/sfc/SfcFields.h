// Every value of a surface record under one name, for the self-describing surface files (XML,
// netCDF, the plain text table) and for listings: a field's name carries its unit ("temp.C"),
// its netCDF variable name and attributes, and how to read and set it as text. Values that are
// missing in a record are not listed.
#pragma once

#include <string>
#include <string_view>

namespace KOL {

class SfcData;

namespace sfc {

struct Field {
  enum Kind : int { FLOAT, INT, LONG, CHAR, TEXT, DATE };
  const char* name;     // XML element and column name
  const char* cdf;      // netCDF variable
  const char* units;    // netCDF units attribute ("" for none)
  const char* meaning;  // netCDF long_name
  Kind kind;
  int size;  // TEXT: the characters held, with the terminator
  float& (*real)(SfcData&);
  int& (*whole)(SfcData&);
  long& (*wide)(SfcData&);
  char* (*text)(SfcData&);
};

// The fields in the order files list them; count() of them.
const Field* fields();
int fieldCount();
// The field of a name, nullptr when unknown.
const Field* findField(std::string_view name);

// The value as text (shortest form that reads back exactly); false when it is missing.
bool getField(const Field& f, const SfcData& s, std::string& out);
// Sets the value from text; false when the text does not fit the field.
bool setField(const Field& f, SfcData& s, std::string_view text);
// After all fields are set: the layer count raised to the layers that hold a value.
void finishRecord(SfcData& s);

// The shortest text of a float that reads back as the same float.
void appendFloat(std::string& out, float v);

}  // namespace sfc
}  // namespace KOL
