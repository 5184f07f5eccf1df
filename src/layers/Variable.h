// One quantity as a variable spec names it: the abbreviation (temp, hght, pcp), the
// long name and index from the name table, the units wanted, and an optional statistical
// modifier written before the name (accum_pcp, prob[>0.5]pcp, ens[-2]t, perc[90]wspd).
#pragma once

#include "core/Const.h"

namespace KOL {

class String;

class Variable {
 public:
  static constexpr int ABBR_SIZE = 40;
  static constexpr int NAME_SIZE = 40;
  static constexpr int UNITS_SIZE = 20;

  // Modifier codes.
  enum Type : int {
    PLAIN = 0,
    ACCUM = 1,
    MEAN = 2,
    MAX = 3,
    MIN = 4,
    PROB_BELOW = 5,
    PROB_ABOVE = 6,
    PROB_BETWEEN = 9,
    ENS_MEMBER = 10,
    ENS_MEAN = 11,
    ENS_DEV = 12,
    ENS_PROB_BELOW = 13,
    ENS_PROB_ABOVE = 14,
    ENS_PROB_BETWEEN = 15,
    PERCENTILE = 16
  };

  Variable() { init(); }
  explicit Variable(const char* text);

  void init();
  // Reads a name with its optional modifier; 0 for an empty or invalid text (nothing changed
  // but the reset).
  int decode(const char* text);
  int set(const char* text) { return decode(text); }
  void set(const char* abbr, const char* name, int ind);
  void setName(const char* name);
  void setAbbr(const char* abbr);
  void setUnits(const char* units);
  void setInd(int ind) { ind_ = ind; }
  void setType(int type) { type_ = type; }
  void setType(int type, float lower, float upper);

  int getType() const { return type_; }
  int getInd() const { return ind_; }
  float getLower() const { return lower_; }
  float getUpper() const { return upper_; }
  const char* getAbbr() const { return abbr_; }
  const char* getName() const { return name_; }
  const char* getUnits() const { return units_; }
  bool isSet() const { return abbr_[0] != '\0'; }

  // Long form for file names and keys (mean_temp, prob[%]_pcp[_above_0.5]).
  int toString(String& out) const;
  // Human label: the modifier's words and the long name (Max Temperature).
  int toLabel(String& out) const;
  // The modifier as written before the name, followed by the abbreviation (prob[>0.5]pcp).
  int toAbbrCode(String& out) const;
  // The modifier and its values folded into one integer key with the index; Const::MISS when
  // the index is unknown or the key does not fit.
  int toIndCode() const;

  bool operator==(const Variable& o) const;
  void print() const;

 private:
  // The text after a modifier prefix; null when the prefix's bracket is not closed.
  const char* decodeModifier(const char* text);
  const char* decodeProb(const char* bracket);
  const char* decodeEnsProb(const char* bracket);
  const char* decodeEns(const char* bracket);
  const char* decodePerc(const char* bracket);
  // The threshold of a probability type as one integer, negative ones folded as for ensembles.
  long threshold(bool ensemble) const;

  int type_;
  int ind_;
  float lower_;
  float upper_;
  char abbr_[ABBR_SIZE];
  char name_[NAME_SIZE];
  char units_[UNITS_SIZE];
};

}  // namespace KOL
