// The variable of a native grid file's variable index code: a code of the name table, or an
// index with a statistical or ensemble modifier folded into it (Variable::toIndCode).
#pragma once

#include "layers/Variable.h"

namespace KOL::kol {

// Always a variable whose toIndCode() gives the code back.
Variable variableOf(int code);

}  // namespace KOL::kol
