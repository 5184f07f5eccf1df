// Conversion of values between units of measurement by name (C to F, m/s to kt, "10^3 m" to m),
// with the factors read from the units file "units.lup" of the database directory and the
// ten most recent conversions cached; also the tidying and relabelling of unit texts.
#pragma once

namespace KOL {

class String;

// One cached conversion: value in "to" = (value in "from" * from_mult * factor + offset) / to_mult.
struct UnitData {
  static constexpr int NAME_SIZE = 15;  // 14 characters
  static constexpr int EXPR_SIZE = 40;  // 39 characters

  char from[NAME_SIZE];
  char to[NAME_SIZE];
  char expression[EXPR_SIZE];
  float factor;
  float offset;
  float from_mult;
  float to_mult;
  bool valid;
  int stamp;

  UnitData() { init(); }
  void init();
  void print() const;
};

class Unit {
 public:
  static constexpr int CACHE_SIZE = 10;
  static constexpr int UNIT_SIZE = 50;  // longest unit text taken from a label

  Unit() { init(); }
  // Empties the cache.
  void init();

  // True for two empty names, equal names, or a known conversion.
  bool valid(const char* from, const char* to);
  // The value in the unit to; -9999 when the conversion is unknown.
  float convert(float v, const char* from, const char* to);
  // Searches the units file for the pair of base units; 1 when found.
  int readFile(const char* from, const char* to, UnitData& data);
  // Whether the pair is in the cache.
  bool cached(const char* from, const char* to) const;
  int getNum() const { return num_; }

  // A label for values of unit scaled by factor: "10^-5 K/m" or "5e-05 K/m".
  static int scale(const char* unit, float factor, const char* suffix, String& out);
  // Splits "Temperature [K]" or "Temperature (K)" into name and unit; 1 when a unit was found.
  static int parse(const char* label, String& name, String& unit);
  // Replaces the unit of a label: "%s [%s]".
  static int change(String& label, const char* unit);
  static bool equal(const char* a, const char* b);
  // Drops the first "kg/kg", then the first "g/g", and turns "/s/s" into "/s^2".
  static int simplify(char* unit);
  static int simplify(String& unit);

  void print() const;

 private:
  // The slot of a pair in the cache, -1 when absent.
  int find(const char* from, const char* to) const;
  // A slot for a new entry: the next free one, else the oldest.
  int nextSlot();
  // Looks a pair up (cache, then file) and caches it; the entry, or null when the base units
  // are equal and scale receives the ratio of their multipliers (NaN when undefined).
  const UnitData* lookup(const char* from, const char* to, double& scale);

  UnitData cache_[CACHE_SIZE];
  UnitData scratch_;  // the lookup of names too long to cache
  int num_;
  int last_stamp_;
};

}  // namespace KOL
