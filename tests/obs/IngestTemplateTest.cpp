// The quick paths of ingest: the rule index's first look and the block-wise text filter.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "obs/wmo/HeadingPattern.h"
#include "obs/wmo/Template.h"

using namespace KOL;

// The first look never turns away a heading the pattern accepts.
TEST(IngestIndex, FirstLookNeverTurnsAwayAMatch)
{
  for (const char* p : {"SA...._KAAA", "*KAAA", "-US", ".A", "[ABS]A..", "[^C]AUS", "(SA|SP)US",
                        "(|SA)", "_SA", "", "S?US7", "SAUS/MTR", "SAUS70 KAAA 061200",
                        "SAUS70 KAAA 0612", "[]A", "SAUS70 KAAA 061200X"}) {
    wmo::LeadChars lead = wmo::leadChars(p);
    for (const char* h :
         {"SAUS70 KAAA 061200", "SPUS70 KAAA 061200", "** SAUS70 KAAA", "**", "**SAUS70 KAAA",
          "**S", "*", "S", "SA", "CAUS70 KBBB", " SA", "SAUS70 KAAB", "SAUS70 KAAA 061200 RRA"}) {
      wmo::HeadingKey key = wmo::headingKey(h);
      bool match = wmo::matchHeading(h, "MTRXXX", p);
      bool admit = !key.text[0] || lead.admits(key);
      EXPECT_TRUE(admit || !match) << p << " / " << h;
    }
  }
  wmo::LeadChars lead = wmo::leadChars("SA...._KAAA");
  EXPECT_FALSE(lead.admits(wmo::headingKey("SAUS70 KAAB 061200")));
  EXPECT_FALSE(lead.admits(wmo::headingKey("** SPUS70 KAAA")));
  EXPECT_TRUE(lead.admits(wmo::headingKey("** SAUS70 KAAA")));
  EXPECT_TRUE(lead.admits(wmo::headingKey("SAUS70 KA")));  // too short to tell
}

TEST(IngestFilter, CopyFiltersAsInPlace)
{
  std::mt19937 random(7);
  const std::string alphabet = "ABZ 09=/\r\n\x01\x03\x7f\x80\xff";
  for (int n = 0; n < 80; n++) {
    for (int round = 0; round < 8; round++) {
      std::string text(n, 'A');
      // From all printable to mostly not.
      for (char& c : text)
        if (static_cast<int>(random() % 8) < round) c = alphabet[random() % alphabet.size()];
      for (int mode = 0; mode <= 3; mode++) {
        std::string in_place = text + '\0';
        int k = wmo::filterLine(in_place.data(), n, mode);
        std::string copy(n + 1, '?');
        int m = wmo::filterCopy(text.data(), n, copy.data(), mode);
        ASSERT_EQ(m, k) << n << " " << mode;
        EXPECT_EQ(copy.substr(0, m + 1), in_place.substr(0, k + 1)) << n << " " << mode;
      }
    }
  }
}
