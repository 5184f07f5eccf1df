// Captures saved with other line ends made the feed's CR CR LF again however the bytes are cut
// into reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "obs/wmo/LineEnds.h"

using KOL::wmo::LineEnds;

namespace {

std::string convert(LineEnds::Kind kind, const std::string& in, size_t cut)
{
  LineEnds ends;
  ends.setKind(kind);
  std::vector<unsigned char> out(3 * in.size() + LineEnds::ROOM);
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  size_t k = ends.convert(p, cut, out.data());
  k += ends.convert(p + cut, in.size() - cut, out.data() + k);
  k += ends.finish(out.data() + k);
  return std::string(reinterpret_cast<const char*>(out.data()), k);
}

}  // namespace

// Every cut of the input gives what one piece gives: CRs and the first LF of a pair wait for
// what follows them. CRs right before a LF belong to its line end, eight at most (the rest of a
// longer run is text); a CR not before a LF, a blank line and an ETX right after the last line
// are kept as they are.
TEST(LineEnds, SameLineEndsWhereverTheReadsEnd)
{
  const std::string feed =
      "\x01\r\r\n001\r\r\nSAUS41 KOKX 060052\r\r\nMTR\rNYC\r\r\n\r\r\n"
      "A\r\r\r\r\r\r\nB=\r\r\n\x03";
  struct Case {
    LineEnds::Kind kind;
    std::string in;
    std::string want;
  } cases[] = {
      {LineEnds::LF,
       "\x01\n001\nSAUS41 KOKX 060052\nMTR\rNYC\n\nA\r\r\r\r\r\r\r\r\r\r\r\r\nB=\n\x03", feed},
      {LineEnds::CR_LF,
       "\x01\r\n001\r\nSAUS41 KOKX 060052\r\nMTR\rNYC\r\n\r\nA\r\r\r\r\r\r\r\r\r\r\r\r\nB=\r\n\x03",
       feed},
      {LineEnds::LF_LF,
       "\x01\n\n001\n\nSAUS41 KOKX "
       "060052\n\nMTR\rNYC\n\n\n\nA\r\r\r\r\r\r\r\r\r\r\r\r\n\nB=\n\n\x03",
       feed},
      // A lone LF in a LF LF capture ends its line too.
      {LineEnds::LF_LF, "A\nB\n\n", "A\r\r\nB\r\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(LineEnds::name(c.kind));
    for (size_t cut = 0; cut <= c.in.size(); cut++)
      ASSERT_EQ(convert(c.kind, c.in, cut), c.want) << "cut at " << cut;
  }
}
