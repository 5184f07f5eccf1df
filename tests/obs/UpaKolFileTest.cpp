// The own upper-air file: records written and read back keep every value the format holds, and
// the reader refuses other files and survives broken ones.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>

#include "common/TestData.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"

namespace {

using KOL::Const;
using KOL::UpaKolFile;
using KOL::UpaRawinData;

// The record of the parts, sorted.
UpaRawinData record(std::initializer_list<const char*> parts)
{
  UpaRawinData r;
  r.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  for (const char* part : parts) KOL::UpaTool::decode(part, r);
  r.sort();
  return r;
}

KOL::UpaData merged(const UpaRawinData& r)
{
  KOL::UpaData d;
  KOL::UpaTool::merge(r, d);
  return d;
}

// The record read back from its text merges into the same sounding, the level kinds aside when
// with_types is false; back is what was read.
void expectSameAfterTrip(const UpaRawinData& r, UpaRawinData& back, bool with_types = true)
{
  ASSERT_EQ(UpaKolFile::parseRecord(UpaKolFile::formatRecord(r), 5, back), 1);
  const KOL::UpaData before = merged(r), after = merged(back);
  ASSERT_EQ(after.getNum(), before.getNum());
  for (int i = 0; i < before.getNum(); ++i) {
    KOL::UpaLevel a = *after.getLevel(i), b = *before.getLevel(i);
    if (!with_types) a.type = b.type = 0;
    EXPECT_EQ(a, b) << before.getPres(i);
  }
}

TEST(UpaKolFileTest, RecordLayout)
{
  UpaRawinData r =
      record({"TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92839 06869 "
              "01021 88105 67767 27049 77159 26573="});
  r.setLoc(38.93f, -77.45f);
  std::string text = UpaKolFile::formatRecord(r);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "72403:72403:38.93:-77.45 00195 10258 34010 92839 06869 01021 X X X");
  EXPECT_NE(text.find("105.0 67767 27049 159.0 26573\n"), std::string::npos) << text;
  EXPECT_NE(text.find("013 08642 X\n00 30503 $\n"), std::string::npos) << text;
}

// Ships keep call sign and position; the older versions' records read back the same levels.
TEST(UpaKolFileTest, ShipsAndOlderVersions)
{
  const UpaRawinData r =
      record({"UUAA WLXX5 56121 99405 70632 12345 99013 08642 30503 00195 "
              "10258 34010 92839 06869 01021 85530 06078 31519=",
              "UUBB WLXX5 56128 99405 70632 12345 00013 08642 11004 10458 "
              "22963 08458="});
  UpaRawinData back;
  ASSERT_EQ(UpaKolFile::parseRecord(UpaKolFile::formatRecord(r), 5, back), 1);
  EXPECT_STREQ(back.getId(), "WLXX5");
  EXPECT_STREQ(back.getWmo(), "99999");
  EXPECT_NEAR(back.getLat(), 40.5, 1e-3);
  EXPECT_NEAR(back.getLon(), -63.2, 1e-3);
  EXPECT_EQ(UpaKolFile::formatRecord(back), UpaKolFile::formatRecord(r));
  for (int version : {3, 4}) {
    std::string text = UpaKolFile::formatRecord(r, version);
    UpaRawinData old;
    ASSERT_EQ(UpaKolFile::parseRecord(text, version, old), 1) << text;
    EXPECT_STREQ(old.getId(), "WLXX5");
    EXPECT_EQ(old.getManPr(925) >= 0, version != 3) << text;
    ASSERT_GE(old.getManPr(850), 0) << text;
    EXPECT_NEAR(old.getMan(old.getManPr(850))->temp, 6.0, 1e-4);
    EXPECT_EQ(old.getNumSig(), 3) << text;
    EXPECT_FLOAT_EQ(old.getMan(old.getSfc())->pres, 1013) << text;
  }
}

class UpaKolFileBadTest : public KOLTest::QuietTest {};

TEST_F(UpaKolFileBadTest, RefusesOtherFilesAndReadsWhatACutFileHolds)
{
  KOLTest::TempDir dir;
  std::string path = dir.file("other.txt");
  KOLTest::writeFile(path, "KOLSFC\nsomething\n");
  UpaKolFile f;
  EXPECT_FALSE(UpaKolFile::checkType(path.c_str()));
  EXPECT_EQ(f.open(path.c_str(), UpaKolFile::READ), 0);
  EXPECT_EQ(f.open(dir.file("missing.upa").c_str(), UpaKolFile::READ), 0);
  KOLTest::writeFile(path, "KOLUPAx\n12Z  6 OCT 2026\n72403:KIAD 00195 10258 34010 92839 06");
  ASSERT_EQ(f.open(path.c_str(), UpaKolFile::READ), 1);
  UpaRawinData r;
  EXPECT_EQ(f.read(r), 1);
  EXPECT_STREQ(r.getId(), "KIAD");
  EXPECT_GE(r.getManPr(1000), 0);
  EXPECT_EQ(f.read(r), 0);
}

// What has no slot of its own keeps its values: second tropopauses (02963) and maximum winds,
// part C's in tenths, PILOT winds given by pressure beside heights.
TEST(UpaKolFileTest, LevelsWithoutASlotKeepTheirValues)
{
  const char* const ttcc = "TTCC 60125 02963 70814 49784 21533 88906 55183 23040 77152 26018=";
  const UpaRawinData r = record(
      {"TTAA 60121 02963 99992 01608 24005 00038 ///// ///// 92660 03107 24509 85325 06535 28003 "
       "70813 17557 29013 50524 36956 24509 88411 48335 23510 88210 50184 22021 77300 23045 "
       "66250 24060=",
       ttcc, "TTBB 60128 02963 00992 01608 11954 01504 21212 00992 24005 11894 23510 22784 25510=",
       "PPBB 60128 02963 90012 24005 22510 25510="});
  UpaRawinData back;
  expectSameAfterTrip(r, back, false);  // the extra tropopauses and maximum winds lose their marks
  const KOL::UpaData after = merged(back);
  // Pressure, direction and speed of the second tropopause and maximum wind, the PILOT winds.
  for (auto [p, dir, spd] : {std::tuple{210, 220, 21}, {250, 240, 60}, {894, 235, 10}}) {
    const int i = after.findPres(p);
    ASSERT_GE(i, 0) << p;
    EXPECT_EQ(after.getDir(i), dir) << p;
    EXPECT_EQ(after.getSpd(i), spd) << p;
  }
  // The first of each kind keeps its mark and its exact pressure.
  EXPECT_EQ(back.getMan(back.getTrop())->pres, 411);
  EXPECT_EQ(back.getMan(back.getMaxWnd())->pres, 300);
  expectSameAfterTrip(record({ttcc}), back);
  EXPECT_FLOAT_EQ(back.getMan(back.getTrop())->pres, 90.6f);
  EXPECT_FLOAT_EQ(back.getMan(back.getMaxWnd())->pres, 15.2f);
  // Without a surface the record's first significant level is not taken for one.
  expectSameAfterTrip(record({ttcc, "TTDD 6012/ 02963 11686 49184 22546 53183="}), back);
  EXPECT_EQ(back.getSfc(), Const::MISS);
  EXPECT_EQ(back.getNumSig(), 2);
}

// Exact pressures that are not numbers, or out of range, give nothing.
TEST_F(UpaKolFileBadTest, HostileExactPressures)
{
  for (const char* text :
       {"72403:K . 99999 X X X X\nX X\nX\n. 27015 nan. 27015 1e30.0 27015 -5.0 27015 $\n",
        "72403:K 1e9.0 10258 34010 .5 34010\nX\n... 27015 0.0 27015 2000.0 27015 $\n",
        "72403:K 00195 10258 34010 nan.0 10258 34010 inf.0 34010\n99.9.9 10258 X\n"}) {
    UpaRawinData r;
    EXPECT_EQ(UpaKolFile::parseRecord(text, 5, r), 1) << text;
    for (int i = 0; i < r.getNumWnd(); ++i)
      EXPECT_TRUE(!r.getWnd(i)->validPres() || (r.getWnd(i)->pres > 0 && r.getWnd(i)->pres < 2000))
          << text;
    for (int i = 0; i < r.getNumMan(); ++i)
      EXPECT_TRUE(r.getMan(i)->pres > 0 && r.getMan(i)->pres < 2000) << text;
  }
}

}  // namespace
