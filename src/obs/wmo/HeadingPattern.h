// The heading pattern language shared by ingest rules and the readers of filed bulletins, and
// what a pattern allows for the first two heading characters (so that a large rule table need
// only try the rules that can match a heading).
#pragma once

#include <bitset>

namespace KOL::wmo {

// A heading and product identifier against a pattern; see WmoParse::compare.
bool matchHeading(const char* heading, const char* awips, const char* pattern);

// The characters the first two heading characters may be for pattern to match a heading of
// at least two characters (a heading beginning "**" counts from its fourth character).
struct LeadChars {
  std::bitset<256> first;
  std::bitset<256> second;
};
LeadChars leadChars(const char* pattern);

}  // namespace KOL::wmo
