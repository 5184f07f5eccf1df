// Reports that name only day, hour and minute are dated by the file's name, else the filed
// bulletin's date, else the latest such day not more than a day ahead of now.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "obs/MetarTool.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

using namespace KOL;

namespace {

constexpr const char* AROUND_JULY_1 =
    "METAR KDEN 011153Z 18010KT 10SM 20/10 A3001=\n"
    "METAR KBOS 302356Z 27005KT 10SM 22/15 A2998=\n";

std::string when(const Date& d) { return d.isSet() ? d.format("%Y-%m-%d %H:%M") : "unset"; }

// Now fixed at a date far from the captures, so that only the rule under test can date them.
class ReportDates : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    saved_ = Kol::init_time;
    now("2026-12-07T22:40:00");
  }
  void TearDown() override
  {
    Kol::init_time = saved_;
    QuietTest::TearDown();
  }
  static void now(const char* iso) { Kol::init_time = Date(iso).getSeconds(); }

  // The dates of the METAR reports of a capture, in file order.
  std::vector<std::string> metarDates(const std::string& name, const std::string& text,
                                      const Date& given = Date())
  {
    KOLTest::writeFile(dir.file(name), text);
    SfcWmoFile f;
    EXPECT_TRUE(f.open(dir.file(name).c_str()));
    f.setDate(given);
    std::vector<std::string> out;
    SfcWmoData w;
    while (f.read(w)) {
      SfcData s;
      MetarTool::decode(w, s);
      out.push_back(when(s.date));
    }
    return out;
  }

  // The date of each part of a TEMP file.
  static std::vector<std::string> partDates(const std::string& path)
  {
    UpaWmoFile f;
    EXPECT_TRUE(f.open(path.c_str())) << path;
    std::vector<std::string> out;
    UpaWmoData part;
    while (f.read(part)) {
      UpaRawinData r;
      UpaTool::decode(part, r);
      out.push_back(when(r.getDate()));
    }
    return out;
  }

  KOLTest::TempDir dir;
  long saved_ = 0;
};

using V = std::vector<std::string>;

}  // namespace

TEST_F(ReportDates, MetarCapturesNamedByDate)
{
  const V july{"2019-07-01 11:53", "2019-06-30 23:56"};
  EXPECT_EQ(metarDates("metpy_metar_20190701_1200.txt", AROUND_JULY_1), july);
  // A date given wins over the name.
  EXPECT_EQ(metarDates("metar_20190801.txt", AROUND_JULY_1, Date("2019-07-01T12:00:00")), july);
  // A heading places its reports, and the name places the heading.
  EXPECT_EQ(metarDates("sa_20200101.txt",
                       "SAUS70 KWBC 312300\nMETAR KDEN 312253Z 18010KT 10SM 20/10 A3001=\n"),
            V{"2019-12-31 22:53"});
}

TEST_F(ReportDates, BareMetarCapturesAreRecent)
{
  now("2019-07-01T12:30:00");
  EXPECT_EQ(metarDates("metar.txt", AROUND_JULY_1), (V{"2019-07-01 11:53", "2019-06-30 23:56"}));
  now("2020-01-01T00:20:00");
  EXPECT_EQ(metarDates("metar.txt", "KDEN 312355Z 18010KT=\nKBOS 010015Z 27005KT=\n"),
            (V{"2019-12-31 23:55", "2020-01-01 00:15"}));
  // A day tomorrow is still this month; one two days ahead was last month's.
  now("2019-02-27T20:00:00");
  EXPECT_EQ(metarDates("metar.txt",
                       "SAUS70 KWBC 281200\nMETAR KDEN 281153Z 18010KT=\n"
                       "SAUS70 KWBC 011200\nMETAR KDEN 011153Z 18010KT=\n"),
            (V{"2019-02-28 11:53", "2019-02-01 11:53"}));
}

TEST_F(ReportDates, TempPartsByFileNameElseRecent)
{
  KOL_REQUIRE_DATA();
  EXPECT_EQ(partDates(KOLTest::dataFile("upperair/ENCODED_72201_KEY_20180630_12Z.txt")),
            V(4, "2018-06-30 12:00"));
  // Bulletins of day 06 without a year, read the day after, and a day before.
  const std::string bare = KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt");
  now("2026-10-07T03:00:00");
  EXPECT_EQ(partDates(bare), V(6, "2026-10-06 12:00"));
  now("2026-10-05T12:00:00");
  EXPECT_EQ(partDates(bare), V(6, "2026-10-06 12:00")) << "a day ahead is not the future yet";
}
