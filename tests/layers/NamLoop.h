// A forecast loop made from the NAM analysis with ecCodes: sea-level pressure at hours 0, 6 and
// 12, each 8 hPa higher than the one before.
#pragma once

#include <string>

#include "common/TestData.h"

namespace KOLTest {

bool haveGribSet();
// The loop file in dir; "" when it could not be made.
std::string namLoopFile(const TempDir& dir);

}  // namespace KOLTest
