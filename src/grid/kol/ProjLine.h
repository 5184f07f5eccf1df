// The projection line of native grid files before version 4: an optional two-letter projection
// prefix with parameters, then centre latitude and longitude, spacings and size.
#pragma once

#include <string>

namespace KOL {
class DomainVal;
}

namespace KOL::kol {

// 0 when the line does not have that form. Version 1 files give longitudes west-positive.
int decodeProjLine(const char* line, int version, DomainVal& dv);
std::string encodeProjLine(const DomainVal& dv);

}  // namespace KOL::kol
