// printf-style formatting into a std::string of the exact length, for texts assembled piece by
// piece (labels, codes, message lines).
#pragma once

#include <cstdarg>
#include <string>

namespace KOL::text {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list ap) __attribute__((format(printf, 1, 0)));

}  // namespace KOL::text
