// The quick paths of ingest: the rule index's first look, the block-wise text filter, the times
// kept for name templates and the routes kept per heading.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/Date.h"
#include "core/Kol.h"
#include "obs/wmo/HeadingPattern.h"
#include "obs/wmo/RouteCache.h"
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

// The times a template is expanded on follow a change of second, offset, set date or heading
// time, and a heading time is worked out again on a new reference time.
TEST(IngestTimes, KeptTimesFollowWhatTheyComeFrom)
{
  wmo::TimeMemo memo;
  Date feb(2024, 2, 29, 23, 10, 0);
  EXPECT_EQ(memo.reference(feb, 0).getSeconds(), feb.getSeconds());
  EXPECT_EQ(memo.reference(feb, 3600).getSeconds(), feb.getSeconds() - 3600);
  memo.reference(feb, 0);
  Date t = memo.headingTime(29, 22, 5);
  EXPECT_EQ(t.getMonth(), 2);
  EXPECT_EQ(t.getHour(), 22);
  EXPECT_EQ(t.getMinute(), 5);
  EXPECT_EQ(memo.headingTime(29, 23, 5).getHour(), 23);

  Date mar(2024, 3, 30, 10, 0, 0);
  EXPECT_EQ(memo.reference(mar, 0).getSeconds(), mar.getSeconds());
  t = memo.headingTime(29, 23, 5);
  EXPECT_EQ(t.getMonth(), 3);
  EXPECT_EQ(t.getDay(), 29);

  // A heading time that does not fit gives the reference time.
  EXPECT_EQ(memo.headingTime(45, 23, 5).getSeconds(), mar.getSeconds());

  // Unset: the clock.
  long before = Date::getCurrentSeconds();
  long now = memo.reference(Date(), 60).getSeconds();
  EXPECT_GE(now, before - 60);
  EXPECT_LE(now, Date::getCurrentSeconds() - 60);

  // Unset with a fixed current time: a heading day ahead of it is last month's, not next.
  const long saved = Kol::init_time;
  Kol::init_time = Date(2027, 1, 1, 0, 30, 0).getSeconds();
  EXPECT_EQ(memo.reference(Date(), 0).getSeconds(), Kol::init_time);
  EXPECT_EQ(memo.headingTime(31, 23, 50).format("%Y-%m-%d %H:%M"), "2026-12-31 23:50");
  EXPECT_EQ(memo.headingTime(1, 0, 25).format("%Y-%m-%d %H:%M"), "2027-01-01 00:25");
  Kol::init_time = saved;
}

// A route is found again by its heading and identifier together, keeps its names until they are
// made anew, and the routes kept stay bounded: the ones not used lately go first.
TEST(IngestRoutes, FoundByHeadingAndIdentifierAndBounded)
{
  wmo::RouteCache routes;
  bool known = true;
  wmo::Route& a = routes.find("SAUS70 KWBC 060000", "METAR", known);
  EXPECT_FALSE(known);
  a.selected = true;
  int file = a.addName("/data/KWBC_SAUS70.txt");
  routes.find("SAUS70 KWBC 060000", "SPECI", known);
  EXPECT_FALSE(known);
  // The identifier is not run into the heading.
  routes.find("SAUS70 KWBC 060000M", "ETAR", known);
  EXPECT_FALSE(known);
  wmo::Route& again = routes.find("SAUS70 KWBC 060000", "METAR", known);
  EXPECT_TRUE(known);
  EXPECT_EQ(&again, &a);
  EXPECT_TRUE(again.selected);
  EXPECT_STREQ(again.name(file), "/data/KWBC_SAUS70.txt");
  again.forgetNames();
  int other = again.addName("/data/other.txt");
  EXPECT_STREQ(again.name(other), "/data/other.txt");
  EXPECT_EQ(routes.size(), 3);

  // Unused since the last sweep: gone at the next.
  routes.sweep();
  routes.find("SAUS70 KWBC 060000", "METAR", known);
  routes.sweep();
  EXPECT_EQ(routes.size(), 1);
  routes.find("SAUS70 KWBC 060000", "METAR", known);
  EXPECT_TRUE(known);
  routes.find("SAUS70 KWBC 060000", "SPECI", known);
  EXPECT_FALSE(known);

  // Headings beyond the bound push the idle ones out; the one in use stays.
  for (size_t i = 0; i < 3 * wmo::RouteCache::MAX_ROUTES; i++) {
    routes.find(("SAUS" + std::to_string(i) + " KWBC 060000").c_str(), "", known);
    EXPECT_FALSE(known);
    routes.find("SAUS70 KWBC 060000", "METAR", known);
    ASSERT_TRUE(known) << i;
    ASSERT_LE(routes.size(), static_cast<int>(wmo::RouteCache::MAX_ROUTES));
  }
  routes.clear();
  EXPECT_EQ(routes.size(), 0);
  routes.find("SAUS70 KWBC 060000", "METAR", known);
  EXPECT_FALSE(known);
}
