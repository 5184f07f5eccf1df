// The parameter text of a data layer split into its tokens. A variable list has commas of its
// own, so a token may be quoted whole ("va=temp,dewp") or in its value (va="temp,dewp"), and
// commas inside brackets, parentheses or braces (va=temp[C,cf]) do not split either.
#pragma once

#include <string>
#include <vector>

#include "geo/Domain.h"

namespace KOL::varplot {

struct LayerParams {
  std::vector<std::string> tokens;  // enclosing quotes of a value removed
  std::string others;               // the text without the variable tokens, for the sub-layers
};

// keys: the variable keys ("va", "gs"), each written with "=" after it.
LayerParams splitParams(const char* text, const std::vector<std::string>& keys);

// The gridding domain a layer is given (a region name or domain text) into out; 0 with the
// layer's warning when it is none, out untouched.
int gridDomain(const char* layer, const char* text, Domain& out);

}  // namespace KOL::varplot
