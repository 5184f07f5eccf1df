// The heading pattern language shared by ingest rules and the readers of filed bulletins, and
// what a pattern allows for the first two heading characters (so that a large rule table need
// only try the rules that can match a heading).
#pragma once

#include <bitset>
#include <cstdint>

namespace KOL::wmo {

// A heading and product identifier against a pattern; see WmoParse::compare.
bool matchHeading(const char* heading, const char* awips, const char* pattern);

// The first characters of a heading as a rule index looks at them (a heading beginning "**"
// counts from its fourth character): up to 16 of them packed in two words, zeros after the end.
struct HeadingKey {
  const char* text;    // where the characters begin in the heading
  uint64_t word[2];    // the characters, the first in the lowest byte
  uint64_t within[2];  // 0xff for each character before the end of the heading
};
HeadingKey headingKey(const char* heading);

// The characters each of the first heading characters may be for pattern to match; positions
// the pattern does not fix (after '*', '-', '/' or a group) allow anything.
struct LeadChars {
  static constexpr int SIZE = 12;
  std::bitset<256> at[SIZE];
  // The positions that allow one character only, as a key holds them: most rules name their
  // characters, and two word compares then turn nearly all headings away.
  uint64_t fixed[2] = {0, 0};
  uint64_t fixed_mask[2] = {0, 0};
  bool sets = false;  // some position allows a choice of characters
  // Whether heading h (at least one character) may match, judged by its first characters.
  bool admits(const char* h) const
  {
    for (int i = 0; i < SIZE && h[i]; i++)
      if (!at[i].test(static_cast<unsigned char>(h[i]))) return false;
    return true;
  }
  bool admits(const HeadingKey& k) const
  {
    uint64_t differ = ((k.word[0] ^ fixed[0]) & fixed_mask[0] & k.within[0]) |
                      ((k.word[1] ^ fixed[1]) & fixed_mask[1] & k.within[1]);
    return !differ && (!sets || admits(k.text));
  }
};
LeadChars leadChars(const char* pattern);

}  // namespace KOL::wmo
