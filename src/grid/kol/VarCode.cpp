#include "grid/kol/VarCode.h"

#include <cstdio>

#include "core/Const.h"
#include "layers/VarName.h"

namespace KOL::kol {

namespace {

// Indices of the name table stay below this, leaving room for the modifier offsets.
constexpr int INDEX_LIMIT = 1000;

struct Fold {
  long base;
  int type;
  int sign;       // the member's sign; 0 for a fold without a member number
  long unit;      // what one member (or percentile) adds
  int maxMember;  // members from 1 (or 0 for percentiles) below this
};

// Offsets Variable::toIndCode adds, largest first so that the first fit is the right one. The
// statistical ones (1000 to 4999 above an index) are left out: GRIB edition 2 parameters that
// the tables do not name arrive with codes in that range (category * 1000 + number), and such
// a code is far more often one of those than a statistic of a named variable. Probabilities
// keep only a whole threshold and are left as codes.
constexpr Fold FOLDS[] = {
    {1950000000, Variable::PERCENTILE, 1, 10000, 101},
    {19340000, Variable::ENS_MEMBER, 1, 1000, 20},
    {19320000, Variable::ENS_MEMBER, -1, 1000, 20},
    {19300000, Variable::ENS_MEMBER, 0, 1000, 1},
    {19001000, Variable::ENS_DEV, 0, 1000, 1},
    {19000000, Variable::ENS_MEAN, 0, 1000, 1},
};

bool unfold(int code, VarName& names, Variable& var)
{
  for (const Fold& f : FOLDS) {
    const long rest = static_cast<long>(code) - f.base;
    if (rest < 0) continue;
    const long member = rest / f.unit;
    const int ind = static_cast<int>(rest % f.unit);
    const long firstMember = f.type == Variable::ENS_MEMBER && f.sign ? 1 : 0;
    if (member < firstMember || member >= f.maxMember || ind >= INDEX_LIMIT) return false;
    Variable v;
    if (!names.get(ind, v)) return false;
    v.setType(f.type, f.sign ? float(f.sign * member) : Const::FMISS, Const::FMISS);
    if (v.toIndCode() != code) return false;
    var = v;
    return true;
  }
  return false;
}

}  // namespace

Variable variableOf(int code)
{
  VarName names;
  Variable var;
  if (names.get(code, var)) return var;
  if (unfold(code, names, var)) return var;
  var.init();
  char text[Variable::ABBR_SIZE];
  std::snprintf(text, sizeof text, "%d", code);
  var.set(text, text, code);
  return var;
}

}  // namespace KOL::kol
