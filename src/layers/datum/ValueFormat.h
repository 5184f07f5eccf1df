// A station value written with a format from an attribute text. The format comes from data files
// and command lines, so it is checked before printf sees it: one conversion of a number, which
// may be an integer one (the value is then rounded).
#pragma once

#include <string>

namespace KOL::datum {

// The value written with fmt, or with "%1.0f" when fmt is not a single numeric conversion.
std::string formatValue(const char* fmt, float v);

}  // namespace KOL::datum
