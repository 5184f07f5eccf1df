// Reports held in a line of JSON, as aviation-weather data services deliver them: every object
// with a report text ("rawOb" or "raw_text") gives that text, with its report kind ("metarType"
// or "metar_type") in front when the text does not begin with it, and "=" at its end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace KOL {
namespace sfc {

// The reports of the line in the order they come; empty when it holds none.
std::vector<std::string> jsonReports(std::string_view line);

}  // namespace sfc
}  // namespace KOL
