#include "core/Range.h"

#include <cstdio>

namespace KOL {

void Range::print() const { std::printf("Range: %g %g\n", min, max); }

}  // namespace KOL
