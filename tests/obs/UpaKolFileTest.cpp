// The own upper-air file: records written and read back keep every value the format holds, and
// the reader refuses other files and survives broken ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/String.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace {

using KOL::UpaKolFile;
using KOL::UpaRawinData;

std::vector<UpaRawinData> decodeAll(const std::string& path)
{
  std::vector<UpaRawinData> out;
  std::vector<std::string> keys;
  KOL::UpaWmoFile f;
  f.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  if (!f.open(path.c_str())) return out;
  KOL::UpaWmoData part;
  while (f.read(part)) {
    std::string key = KOL::UpaTool::partKey(part.text);
    size_t i = 0;
    while (i < keys.size() && keys[i] != key) ++i;
    if (i == keys.size()) {
      keys.push_back(key);
      out.emplace_back();
    }
    KOL::UpaTool::decode(part, out[i]);
  }
  for (UpaRawinData& r : out) r.sort();
  return out;
}

// Every shared report file written and read back: reading gives the same record text again, and
// the standard levels keep their values within the code's resolution.
TEST(UpaKolFileTest, SharedReportsRoundTrip)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  const char* files[] = {"real_USUS01_KWBC_061200_72403_72440.txt",
                         "real_72694_TTAA_TTBB_PPBB_TTCC.txt", "real_02963_20060410_12Z.txt",
                         "teaching_72214_TTAA_TTBB_PPBB_TTCC_TTDD_PPDD.txt",
                         "ENCODED_72456_TOP_20070504_12Z.pilot.txt"};
  for (const char* name : files) {
    std::vector<UpaRawinData> records =
        decodeAll(KOLTest::dataFile(std::string("upperair/") + name));
    ASSERT_FALSE(records.empty()) << name;
    std::string path = dir.file("out.upa");
    UpaKolFile out;
    out.setDate(records[0].getDate());
    ASSERT_EQ(out.open(path.c_str(), UpaKolFile::WRITE), 1);
    for (const UpaRawinData& r : records) ASSERT_EQ(out.write(r), 1);
    out.close();
    ASSERT_TRUE(UpaKolFile::checkType(path.c_str()));

    UpaKolFile in;
    ASSERT_EQ(in.open(path.c_str(), UpaKolFile::READ), 1);
    EXPECT_EQ(in.getVersion(), 5);
    EXPECT_EQ(in.getDate().getSeconds(), records[0].getDate().getSeconds()) << in.getDatestr();
    for (const UpaRawinData& r : records) {
      UpaRawinData back;
      ASSERT_EQ(in.read(back), 1) << name;
      EXPECT_EQ(UpaKolFile::formatRecord(back), UpaKolFile::formatRecord(r)) << name;
      EXPECT_STREQ(back.getWmo(), r.getWmo());
      // Significant levels at standard pressures are left to the standard levels.
      auto own = [](const UpaRawinData& x) {
        int n = 0;
        for (int i = 0; i < x.getNumSig(); ++i) n += !KOL::UpaLevel::isMandatory(x.getSig(i)->pres);
        return n;
      };
      EXPECT_EQ(own(back), own(r)) << name;
      for (int i = 0; i < r.getNumMan(); ++i) {
        const KOL::UpaLevel& l = *r.getMan(i);
        if (!(l.type & KOL::UpaLevel::MANDATORY) || (l.type & KOL::UpaLevel::SURFACE)) continue;
        int j = back.getManPr(l.pres);
        ASSERT_GE(j, 0) << name << " " << l.pres;
        const KOL::UpaLevel& b = *back.getMan(j);
        if (l.validHght()) {
          EXPECT_NEAR(b.hght, l.hght, 10) << name << " " << l.pres;
        }
        if (l.validTemp()) {
          EXPECT_NEAR(b.temp, l.temp, 0.11) << name << " " << l.pres;
        }
        if (l.validWind()) {
          EXPECT_NEAR(b.spd, l.spd, 1) << name << " " << l.pres;
        }
      }
    }
    UpaRawinData extra;
    EXPECT_EQ(in.read(extra), 0);
    ASSERT_EQ(in.rewind(), 1);
    KOL::String id;
    ASSERT_EQ(in.readId(id), 1);
    EXPECT_STREQ(id.get(), records[0].getId());
  }
}

TEST(UpaKolFileTest, RecordLayout)
{
  UpaRawinData r;
  r.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  KOL::UpaTool::decode(
      "TTAA 56121 72403 99013 08642 30503 00195 10258 34010 92839 06869 01021 "
      "88105 67767 27049 77159 26573=",
      r);
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
  UpaRawinData r;
  r.setDate(KOL::Date(2026, 10, 7, 0, 0, 0));
  KOL::UpaTool::decode("UUAA WLXX5 56121 99405 70632 12345 99013 08642 30503 00195 10258 34010 "
                       "92839 06869 01021 85530 06078 31519=",
                       r);
  KOL::UpaTool::decode("UUBB WLXX5 56128 99405 70632 12345 00013 08642 11004 10458 22963 08458=",
                       r);
  r.sort();
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

TEST_F(UpaKolFileBadTest, RefusesAndSurvivesBadFiles)
{
  KOLTest::TempDir dir;
  std::string other = dir.file("other.txt");
  KOLTest::writeFile(other, "KOLSFC\nsomething\n");
  UpaKolFile f;
  EXPECT_FALSE(UpaKolFile::checkType(other.c_str()));
  EXPECT_EQ(f.open(other.c_str(), UpaKolFile::READ), 0);
  EXPECT_EQ(f.open(dir.file("missing.upa").c_str(), UpaKolFile::READ), 0);
  std::string empty = dir.file("empty.upa");
  KOLTest::writeFile(empty, "");
  EXPECT_FALSE(UpaKolFile::checkType(empty.c_str()));

  // A record cut in the middle: what is there is read, then the end.
  std::string cut = dir.file("cut.upa");
  KOLTest::writeFile(cut, "KOLUPAx\n12Z  6 OCT 2026\n72403:KIAD 00195 10258 34010 92839 06");
  ASSERT_EQ(f.open(cut.c_str(), UpaKolFile::READ), 1);
  UpaRawinData r;
  EXPECT_EQ(f.read(r), 1);
  EXPECT_STREQ(r.getId(), "KIAD");
  ASSERT_GE(r.getManPr(1000), 0);
  EXPECT_EQ(f.read(r), 0);
  // Garbage groups give missing values, never a crash.
  for (const char* text : {"KOLUPA+\n\nK1 a b c d e f g h $\n", "KOLUPAx\nx\n:::: $\n",
                           "KOLUPAx\nx\n99999:K 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 "
                           "5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 $\n"}) {
    KOLTest::writeFile(cut, text);
    if (f.open(cut.c_str(), UpaKolFile::READ)) f.read(r);
  }
}

}  // namespace
