// Reading filed bulletins back: heading patterns, zone lists, line classes, and the walk
// through data files with and without their header index files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "obs/WmoFeed.h"
#include "obs/WmoIngest.h"
#include "obs/WmoParse.h"

using KOL::Kol;
using KOL::WmoParse;
using namespace wmofeed;

TEST(WmoParse, HeadingPatterns)
{
  struct Case {
    const char* heading;
    const char* awips;
    const char* pattern;
    bool match;
  };
  const char* grib = "GRIB1 S7 M39 G211 T12 L100 H500 V2011";
  const Case cases[] = {
      {"SAUS70 KWBC 041853", "", "(SA|SP)...._KWBC", true},
      {"SXUS70 KWBC 041853", "", "(SA|SP)...._KWBC", false},
      {"SAUS70 KWBC 041853", "", "SAUS70 KWBC 041853 RRA", false},
      {"SAUS70 KWBC 041853", "", "S?[TU]*_KWBC", true},
      {"SAUS70 KWBC 041853", "", "S?[A-Z]", false},  // a set lists characters, no ranges
      {"SAUS70 KWBC 041853", "", "S[AP]-_KWBC 04", true},
      {"SAUS70 KWBC 041853", "", "[^F]A*K", true},
      {"SAUS70 KWBC 041853", "", "[^S]A", false},
      {"SAUS70 KWBC 041853", "", "SA*Q", false},
      {"SA", "", "SA(X|Y)", true},  // alternatives at the end of the heading
      {"SAZ", "", "SA(X|Y)", false},
      {"** SAUS70 KWBC 041853", "", "SAUS70", true},
      {"FXUS61 KBOX 041900", "  AFDBOX", "FXUS.._KBOX/AFD", true},
      {"FXUS61 KBOX 041900", "AFDBOX", "FXUS.._KBOX/ZFP", false},
      {"HTNA50 KWBC 061200", grib, "H..... KWBC/M39 G211", true},
      {"HTNA50 KWBC 061200", grib, "H/G211 H500 V2011", true},
      {"HTNA50 KWBC 061200", grib, "H/G212", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WmoParse::compare(c.heading, c.awips, c.pattern), c.match)
        << c.heading << " / " << c.awips << " : " << c.pattern;
}

TEST(WmoParse, ZoneListsAndLineClasses)
{
  struct Zone {
    const char* line;
    const char* zone;
    bool covers;
  };
  const Zone zones[] = {
      {"KSZ043>047-050-061200-", "KSZ045", true},
      {"KSZ043>047-050-061200-", "KSZ048", false},
      {"KSZ050-", "KSZ045", false},
      {"KSZ050-", "KSZ050", false},  // too short to read: the time group is expected behind
      {"KSC001-003-KSZ007>009-061200-", "KSZ008", false},  // the line is a county list
      {"KSC001-003-KSZ007>009-061200-", "KSC003", true},
      {"KSZ001-MOZ002-KSZ007>009-061200-", "KSZ008", true},
      {"MOZALL-061200-", "MOZ123", true},
  };
  for (const Zone& z : zones)
    EXPECT_EQ(WmoParse::checkZone(z.line, z.zone), z.covers) << z.line << " " << z.zone;

  struct Line {
    const char* text;
    int cls;
  };
  const Line lines[] = {
      {"KBOS 041854Z 27010KT 10SM FEW250 M02/M18 A3012=", WmoParse::TEXT},
      {"= - ...", WmoParse::SYMBOLS},
      {"$$", WmoParse::DOLLAR},
      {"KSZ043>047-050-061200-", WmoParse::ZONE},
      {"/O.NEW.KTOP.WS.W.0001.240105T0000Z-240106T0000Z/", WmoParse::EVENT},
      {"...WINTER STORM WARNING IN EFFECT...", WmoParse::HEADLINE},
      {"$$ KSZ043", WmoParse::DOLLAR},
  };
  for (const Line& l : lines) EXPECT_EQ(WmoParse::lineClass(l.text), l.cls) << l.text;
}

namespace {

class Parse : public IngestTest {
 protected:
  // Files the bulletins with one rule; the data and index files are f.wmo and f.idx.
  void file(const std::vector<Bulletin>& bulletins, const char* flags = ">>")
  {
    std::string feed;
    for (size_t i = 0; i < bulletins.size(); i++)
      feed += frame(static_cast<int>(i + 1), bulletins[i]);
    KOL::WmoIngest w;
    ingest(w, std::string(". ") + flags + " %D/f.wmo %D/f.idx\n", write("feed", feed));
  }
  // Opens f.wmo, with its index unless told not to.
  void open(WmoParse& p, bool index = true)
  {
    KOL::Filename f;
    f.set(dir.file("f.wmo").c_str());
    if (index) f.setHeader(dir.file("f.idx").c_str());
    ASSERT_EQ(p.open(f), 1);
  }
  // Every delivered line as "heading|class|text", and the count of products begun.
  std::vector<std::string> readAll(WmoParse& p, int* products = nullptr)
  {
    std::vector<std::string> out;
    char text[200];
    int n = 0;
    while (int cls = p.getLine(text, sizeof text)) {
      n += p.isNewProd();
      out.push_back(std::string(p.getHeader()) + "|" + std::to_string(cls) + "|" + text);
    }
    if (products) *products = n;
    return out;
  }
};

const std::vector<Bulletin> SAMPLE = {
    {"SAUS70 KWBC 041853", lines({"METAR", "KBOS 041854Z 27010KT=", "KJFK 041851Z 31008KT="})},
    {"WWUS53 KTOP 041900", lines({"WSWTOP", "KSZ050-061200-", "...SNOW...", "zone 50 text", "$$",
                                  "KSZ043>047-050-061200-", "/O.NEW.KTOP.WS.W.0001.2401/",
                                  "zone 45 text", "$$", "after the segments"})},
    {"SPUS70 KWBC 041900", lines({"SPECI", "KBOS 041900Z 27020G30KT="})},
};

}  // namespace

TEST_F(Parse, IndexAndScanningDeliverTheSameLines)
{
  file(SAMPLE);
  for (const char* pattern : {"", "S[AP]....", "WW....", "(SA|SP)...._KWBC/MET"}) {
    SCOPED_TRACE(pattern);
    WmoParse indexed, scanned("nohdr");
    open(indexed);
    open(scanned, false);
    indexed.setHeader(pattern);
    scanned.setHeader(pattern);
    int n1 = 0, n2 = 0;
    std::vector<std::string> a = readAll(indexed, &n1), b = readAll(scanned, &n2);
    EXPECT_EQ(a, b);
    EXPECT_EQ(n1, n2);
    EXPECT_FALSE(a.empty());
  }
  WmoParse p;
  open(p);
  p.setHeader("S[AP]....");
  int products = 0;
  std::vector<std::string> got = readAll(p, &products);
  const std::vector<std::string> want = {
      "SAUS70 KWBC 041853|16|KBOS 041854Z 27010KT=", "SAUS70 KWBC 041853|16|KJFK 041851Z 31008KT=",
      "SPUS70 KWBC 041900|16|KBOS 041900Z 27020G30KT="};
  EXPECT_EQ(got, want);
  EXPECT_EQ(products, 2);
  EXPECT_STREQ(p.getAwip(), "SPECI");
}

TEST_F(Parse, IdentifiersZonesAndDollarMode)
{
  file(SAMPLE);
  WmoParse p;
  open(p);
  p.setId("KBOS");
  std::vector<std::string> got = readAll(p);
  ASSERT_EQ(got.size(), 3u);  // from the first KBOS line on, in each product that has one
  EXPECT_EQ(got[0], "SAUS70 KWBC 041853|16|KBOS 041854Z 27010KT=");
  EXPECT_EQ(got[2], "SPUS70 KWBC 041900|16|KBOS 041900Z 27020G30KT=");

  WmoParse zone;
  open(zone);
  zone.setId("zn:KSZ045");
  got = readAll(zone);
  const std::vector<std::string> segment = {"WWUS53 KTOP 041900|19|KSZ043>047-050-061200-",
                                            "WWUS53 KTOP 041900|20|/O.NEW.KTOP.WS.W.0001.2401/",
                                            "WWUS53 KTOP 041900|16|zone 45 text",
                                            "WWUS53 KTOP 041900|18|$$"};
  EXPECT_EQ(got, segment);

  WmoParse dollar("dollar");
  open(dollar);
  dollar.setHeader("WW");
  got = readAll(dollar);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[1], "WWUS53 KTOP 041900|22|...SNOW...");
  EXPECT_EQ(got[3], "WWUS53 KTOP 041900|18|$$");
}

// Bulletins filed as received (SOH framing), several files in a list, and a missing index.
TEST_F(Parse, RawFilesListsAndMissingIndex)
{
  file(SAMPLE, "R>>");
  std::string raw = KOLTest::readFile(dir.file("f.wmo"));
  EXPECT_EQ(raw.rfind(START, 0), 0u);
  KOLTest::writeFile(dir.file("g.wmo"), raw);
  WmoParse p;
  KOL::Filename f;
  f.setFile((dir.file("f.wmo") + "," + dir.file("g.wmo")).c_str());
  ASSERT_EQ(f.getNumFiles(), 2);
  ASSERT_EQ(p.open(f), 1);
  p.setHeader("SA");
  std::vector<std::string> got = readAll(p);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0], "SAUS70 KWBC 041853|16|KBOS 041854Z 27010KT=");
  EXPECT_EQ(p.getFileInd(), 1);

  WmoParse indexed;
  KOL::Filename one;
  one.set(dir.file("f.wmo").c_str());
  one.setHeader(dir.file("missing.idx").c_str());
  ASSERT_EQ(indexed.open(one), 1);
  indexed.setHeader("SP");
  got = readAll(indexed);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "SPUS70 KWBC 041900|16|KBOS 041900Z 27020G30KT=");
}
