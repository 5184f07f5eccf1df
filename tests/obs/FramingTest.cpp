// Files of ZCZC ... NNNN bulletins and of bare bulletins, and captures with other line ends: told
// from their first start line, and made the feed's framing however the bytes are cut into reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "obs/wmo/Framing.h"
#include "obs/wmo/LineEnds.h"

using KOL::wmo::Framing;
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

const auto* bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// The input fed in two pieces cut at cut (and the second piece again cut at cut2).
std::string frame(Framing::Kind kind, const std::string& in, size_t cut, size_t cut2)
{
  Framing f;
  f.setKind(kind);
  std::vector<unsigned char> out;
  cut2 = std::max(cut, cut2);
  f.convert(bytes(in), cut, out);
  f.convert(bytes(in) + cut, cut2 - cut, out);
  f.convert(bytes(in) + cut2, in.size() - cut2, out);
  f.finish(out);
  return std::string(out.begin(), out.end());
}

std::string frame(Framing::Kind kind, const std::string& in) { return frame(kind, in, 0, 0); }

}  // namespace

TEST(Framing, HeadingsLookLikeHeadings)
{
  for (const char* h : {"SMRO01 YRBK 171200", "SMRO01 YRBK 171200 CCA", "SAEW KAWN 020100 RRG",
                        "  SACN96 CWAO 241400 RRB \t", "USUS01 KWBC 311259"})
    EXPECT_TRUE(Framing::isHeading(h)) << h;
  // Report lines, and lines that are nearly headings.
  for (const char* h :
       {"METAR KNYC 060051Z AUTO", "KORD 061200Z 18005KT", "AAXX 17121",
        "TTAA 56121 72403 99013 08642", "15015 01597 71702 10057", "SMRO01 YRBK 171200 CCA EXTRA",
        "SMRO0 YRBK 171200", "SMRO01 YRB1 171200", "SMRO01 YRBK 321200", "SMRO01 YRBK 172400",
        "SMRO01 YRBK 171260", "SMRO01 YRBK 1712", "SMRO01 YRBK 171200 CC", "SMRO01 YRBK 171200 123",
        "smro01 yrbk 171200", "SMRO01 YRBK", "ZCZC 123", "NNNN", ""})
    EXPECT_FALSE(Framing::isHeading(h)) << h;
}

// An SOH start line anywhere wins; otherwise the first ZCZC line or heading tells.
TEST(Framing, ToldByTheFirstStartLine)
{
  const auto SOH = Framing::SOH_ETX, ZCZC = Framing::ZCZC, BARE = Framing::BARE;
  struct Case {
    std::string head;
    bool whole;
    Framing::Kind framing;
    LineEnds::Kind ends;
  } cases[] = {
      {"\x01\r\r\n001\r\r\nSAUS70 KWBC 060000\r\r\n", true, SOH, LineEnds::FEED},
      {"SAUS70 KWBC 060000\r\r\nKBOS 1=\r\r\n\x03\x01\r\r\n002\r\r\n", true, SOH, LineEnds::FEED},
      {"ZCZC 123\nSAUS70 KWBC 060000\nNNNN\n\x01\n001\n", true, SOH, LineEnds::LF},
      {"\x01 not a start\nZCZC 123\nSMCU20 MUHV 310000\n", true, ZCZC, LineEnds::LF},
      {"ZCZC 123\nSMCU20 MUHV 310000\n", true, ZCZC, LineEnds::LF},
      {"\n\nZCZC\r\nSMCU20 MUHV 310000\r\n", true, ZCZC, LineEnds::CR_LF},
      {"zczc 001\r\r\nSMCU20 MUHV 310000\r\r\n", true, ZCZC, LineEnds::FEED},
      {"SMRO01 YRBK 171200\n\nAAXX 17121\n\n15015 01597=\n\n", true, BARE, LineEnds::LF_LF},
      {"SMRO01 YRBK 171200\n\nAAXX 17121\n15015 01597=\n", true, BARE, LineEnds::LF},
      {"\n000 \nSAEW KAWN 020100 RRG\nMETAR \n", true, BARE, LineEnds::LF},
      {"TTAA 56121 72403=\n\n375\nUSUS01 KWBC 061200 RRB\n", true, BARE, LineEnds::LF},
      {"METAR KNYC 060051Z AUTO=\nSAUS70 KWBC 060000\nMETAR\n", true, BARE, LineEnds::LF},
      {"SACN96 CWAO 241400 RRB", true, BARE, LineEnds::LF},
      // Report lines are no start line, nor is a heading inside a report.
      {"TTAA 56121 72403 99013 08642\n51515 10164=\n", true, SOH, LineEnds::UNKNOWN},
      {"METAR KNYC 060051Z\nSAUS70 KWBC 060000\n", true, SOH, LineEnds::UNKNOWN},
      {"", true, SOH, LineEnds::UNKNOWN},
      // A stray SOH that starts no line is what it always was: a feed without bulletins.
      {"junk \x01 junk\n", true, SOH, LineEnds::FEED},
      // More bytes are needed to tell.
      {"ZCZC 1", false, SOH, LineEnds::UNKNOWN},
      {"ZCZC 123\n", false, ZCZC, LineEnds::UNKNOWN},
      {"SMRO01 YRBK 171200\n\nAAXX", false, BARE, LineEnds::UNKNOWN},
      {"METAR KNYC 060051Z=\n", false, SOH, LineEnds::UNKNOWN},
      {"junk\x01", false, SOH, LineEnds::UNKNOWN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.head) + (c.whole ? " whole" : " so far"));
    Framing::Head h = Framing::sniff(bytes(c.head), c.head.size(), c.whole);
    EXPECT_EQ(h.framing, c.framing);
    EXPECT_EQ(h.ends, c.ends);
  }
}

// A ZCZC bulletin ends at its NNNN or the next ZCZC, a bare one where the next begins; what lies
// between bulletins is dropped, and a bulletin without a sequence number is numbered on.
TEST(Framing, FramedWhereverTheReadsEnd)
{
  const std::string E = "\r\r\n", S = "\x01\r\r\n", X = "\x03";
  struct Case {
    const char* what;
    Framing::Kind kind;
    std::string in;
    std::string want;
  } cases[] = {
      {"zczc", Framing::ZCZC,
       "junk" + E + "ZCZC 123" + E + "SMCU20 MUHV 310000" + E + "AAXX 31001" + E + "78310 01470" +
           E + "333 10320=" + E + E + E + "nnnn" + E + E + "noise" + E + "ZCZC ABC0124  0310" + E +
           E + "SMCU40 MUHV 310000" + E + "78308 11556=" + E + "ZCZC" + E + "777" + E +
           "SMCU41 MUHV 310000" + E + "78309 nil=" + E + E + "78310 nil=",
       S + "123" + E + "SMCU20 MUHV 310000" + E + "AAXX 31001" + E + "78310 01470" + E +
           "333 10320=" + E + X + S + "0124" + E + "SMCU40 MUHV 310000" + E + "78308 11556=" + E +
           S + "777" + E + "SMCU41 MUHV 310000" + E + "78309 nil=" + E + E + "78310 nil="},
      {"zczc without a number", Framing::ZCZC,
       "ZCZC" + E + "SMCU20 MUHV 310000" + E + "A=" + E + "NNNN" + E + "ZCZC" + E +
           "SMCU20 MUHV 310000" + E + "B=" + E + "NNNN",
       S + "001" + E + "SMCU20 MUHV 310000" + E + "A=" + E + X + S + "002" + E +
           "SMCU20 MUHV 310000" + E + "B=" + E + X},
      {"bare", Framing::BARE,
       E + "SMRO01 YRBK 171200" + E + "AAXX 17121" + E + "15015 01597 333" + E + "555" + E + E +
           "91003=" + E + E + "375" + E + "USUS01 KWBC 061200 RRB" + E + "TTAA 56121=" + E +
           "SAUS70 KWBC 060000" + E + "METAR" + E + "KBOS 1" + E + "SAUS70 KWBC 060000" + E +
           "2=" + E + "777" + E + "888" + E + "SAUS71 KWBC 060000" + E + "KBOS 3" + E + E + E,
       S + "001" + E + "SMRO01 YRBK 171200" + E + "AAXX 17121" + E + "15015 01597 333" + E + "555" +
           E + E + "91003=" + E + X + S + "375" + E + "USUS01 KWBC 061200 RRB" + E +
           "TTAA 56121=" + E + X + S + "376" + E + "SAUS70 KWBC 060000" + E + "METAR" + E +
           "KBOS 1" + E + "SAUS70 KWBC 060000" + E + "2=" + E + "777" + E + X + S + "888" + E +
           "SAUS71 KWBC 060000" + E + "KBOS 3" + E + X},
      {"bare, last line without its end", Framing::BARE,
       "SACN96 CWAO 241400 RRB" + E + "WXL SA 1400 AUTO8=",
       S + "001" + E + "SACN96 CWAO 241400 RRB" + E + "WXL SA 1400 AUTO8=" + E + X},
      {"control characters of the feed's framing in the text", Framing::BARE,
       "SACN96 CWAO 241400" + E + "\x03" + E + "A\x01" + E + "B=",
       S + "001" + E + "SACN96 CWAO 241400" + E + E + "A" + E + "B=" + E + X},
      {"a long line is body text, however it looks and wherever its pieces end", Framing::ZCZC,
       "ZCZC 1" + E + "SMCU20 MUHV 310000" + E + "A=" + E + "ZCZC 7 " + std::string(990, 'x') +
           "\n" + std::string(100, 'y') + E + "NNNN" + E,
       S + "1" + E + "SMCU20 MUHV 310000" + E + "A=" + E + "ZCZC 7 " + std::string(990, 'x') +
           "\n" + std::string(100, 'y') + E + X},
      {"a long line is passed on whole", Framing::BARE,
       "SACN96 CWAO 241400" + E + std::string(3000, 'x') + "\r\r" + std::string(1500, 'y') + "=" +
           E + "SAUS70 KWBC 060000" + E + "C=",
       S + "001" + E + "SACN96 CWAO 241400" + E + std::string(3000, 'x') + "\r\r" +
           std::string(1500, 'y') + "=" + E + X + S + "002" + E + "SAUS70 KWBC 060000" + E +
           "C=" + E + X},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(frame(c.kind, c.in), c.want);
    for (size_t cut = 0; cut <= c.in.size(); cut += 1 + cut / 64)
      for (size_t cut2 = cut; cut2 <= c.in.size(); cut2 += 1 + (cut2 - cut) / 8 + cut2 / 256)
        ASSERT_EQ(frame(c.kind, c.in, cut, cut2), c.want) << "cut at " << cut << ", " << cut2;
  }
}

// A ZCZC heading cut short stays cut; nothing comes of a file of report lines.
TEST(Framing, WhatCutsAFileShort)
{
  const std::string E = "\r\r\n", S = "\x01\r\r\n";
  EXPECT_EQ(frame(Framing::ZCZC, "ZCZC 123" + E + "SMCU2"), S + "123" + E + "SMCU2");
  EXPECT_EQ(frame(Framing::ZCZC, "ZCZC 123" + E + "SMCU20 MUHV 310000" + E + "7831"),
            S + "123" + E + "SMCU20 MUHV 310000" + E + "7831");
  EXPECT_EQ(frame(Framing::ZCZC, "ZCZC 123" + E + "NNNN" + E + "NNNN" + E), "");
  EXPECT_EQ(frame(Framing::ZCZC, "NNNN" + E + "78310 01470=" + E), "");
  EXPECT_EQ(frame(Framing::BARE, "TTAA 56121 72403" + E + "SMRO01 YRBK 171200" + E), "");
}

// Every cut of the input gives what one piece gives; up to eight CRs before a LF belong to its line
// end, a lone CR, a blank line and an ETX after the last line are kept.
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
