// The heading pattern language shared by ingest rules and the readers of filed bulletins, and
// what a pattern allows for the first two heading characters (so that a large rule table need
// only try the rules that can match a heading).
#pragma once

#include <bitset>

namespace KOL::wmo {

// A heading and product identifier against a pattern; see WmoParse::compare.
bool matchHeading(const char* heading, const char* awips, const char* pattern);

// The characters each of the first heading characters may be for pattern to match (a
// heading beginning "**" counts from its fourth character); positions the pattern does not
// fix (after '*', '-', '/' or a group) allow anything.
struct LeadChars {
  static constexpr int SIZE = 12;
  std::bitset<256> at[SIZE];
  // Whether heading h (at least one character) may match, judged by its first characters.
  bool admits(const char* h) const
  {
    for (int i = 0; i < SIZE && h[i]; i++)
      if (!at[i].test(static_cast<unsigned char>(h[i]))) return false;
    return true;
  }
};
LeadChars leadChars(const char* pattern);

}  // namespace KOL::wmo
