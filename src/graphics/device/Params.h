// Splitting of device parameter texts ("file,port,scale=0.8").
#pragma once

#include <string>
#include <vector>

namespace KOL::Params {

// The comma-separated fields of text (empty fields kept); none for a null text.
std::vector<std::string> split(const char* text);
// The number in field from character index `from` on; fallback when there is none or it is not
// a positive finite number.
float number(const char* field, int from, float fallback);

}  // namespace KOL::Params
