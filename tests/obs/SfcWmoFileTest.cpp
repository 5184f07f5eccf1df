// Cutting reports out of bulletins: headings, section lines, report starts and ends, reports
// over several lines (blank lines between them), and the line ends of every kind of capture.
#include "obs/SfcWmoFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Const.h"
#include "obs/SfcWmoData.h"

using KOL::SfcWmoData;
using KOL::SfcWmoFile;

namespace {

struct Cut {
  std::string id, data, heading;
  int format, location, day, hour, minute;
  bool correction;
};

std::vector<Cut> cut(const std::string& text)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("in.txt"), text);
  SfcWmoFile file;
  EXPECT_TRUE(file.open(dir.file("in.txt").c_str()));
  std::vector<Cut> out;
  SfcWmoData w;
  while (file.read(w))
    out.push_back(
        {w.id, w.data, w.wmo, w.format, w.location, w.day, w.hour, w.minute, file.isCorrection()});
  return out;
}

TEST(SfcWmoFileTest, HeadingsSetTimeFormatAndCountry)
{
  SfcWmoFile f;
  const struct {
    const char* line;
    int header;
  } lines[] = {{"SAUS70 KWBC 060000", 1},
               {"SACN31 CWAO 052300 RRA", 1},
               {"SAEW KAWN 020100 RRG", 1},
               {"** SA CWAO ***", 1},
               {"SAUS70 KWBC 0600", 0},
               {"KORD 041851Z 27015KT", 0},
               {"METAR", 0},
               {"", 0}};
  for (const auto& l : lines) EXPECT_EQ(f.checkHeader(l.line), l.header) << l.line;
  EXPECT_TRUE(SfcWmoFile::checkEnd("KORD 041851Z 27015KT="));
  EXPECT_TRUE(SfcWmoFile::checkEnd("  91003 91108=   "));
  EXPECT_FALSE(SfcWmoFile::checkEnd("KORD 041851Z = 27015KT"));
  EXPECT_FALSE(SfcWmoFile::checkEnd(nullptr));

  std::vector<Cut> r =
      cut("SACN31 CWAO 052300\nMETAR\nCYUL 052300Z 27015KT 15SM FEW020 M05/M10 A2992=\n"
          "SAMX10 MMMX 052300\nMETAR MMMX 052300Z 27015KT 9999 SCT020 10/M10 A3002=\n"
          "SAZZ99 KWBC 060000\nKABC 052355Z 27015KT 10SM CLR 10/M10 A3002=\n"
          "SPXX99 EGRR 060000 CCA\nSPECI EGLL 060005Z 27015KT 9999 SCT020 10/M10 Q1013=\n");
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].data, "METAR CYUL 052300Z 27015KT 15SM FEW020 M05/M10 A2992");
  EXPECT_EQ(r[0].heading, "SACN31 CWAO 052300");
  EXPECT_EQ(r[0].location, SfcWmoData::CANADA);
  EXPECT_EQ(r[0].day * 10000 + r[0].hour * 100 + r[0].minute, 52300);
  EXPECT_EQ(r[1].location, SfcWmoData::MEXICO);
  EXPECT_EQ(r[2].location, SfcWmoData::USA);  // undetermined heading, US station
  EXPECT_EQ(r[2].data, "KABC 052355Z 27015KT 10SM CLR 10/M10 A3002");
  EXPECT_EQ(r[3].format, SfcWmoData::SPECI);
  EXPECT_EQ(r[3].location, 0);
  EXPECT_TRUE(r[3].correction);
  EXPECT_FALSE(r[0].correction);
}

TEST(SfcWmoFileTest, ReportsOverSeveralLines)
{
  std::vector<Cut> r =
      cut("SAUS70 KWBC 060000\nMETAR\n"
          "KMHL 052355Z AUTO 29004KT 10SM CLR 06/M02 A3023 RMK AO2 TSNO\n"
          "     PWINO=\n"
          "KABC NIL=\n"
          "KDEF 052355Z 29004KT\n"
          "KGHI 052355Z 29004KT 10SM=\n"
          "WXL SA 1400 AUTO8 M M M 046/01/00/0401/M/M 1005 6-4MM=\n"
          "  PCPN 0000 not a start=\n");
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0].data, "METAR KMHL 052355Z AUTO 29004KT 10SM CLR 06/M02 A3023 RMK AO2 TSNO PWINO");
  EXPECT_EQ(r[1].data, "METAR KABC NIL");
  // A report without "=" ends where the next report starts.
  EXPECT_EQ(r[2].data, "METAR KDEF 052355Z 29004KT");
  EXPECT_EQ(r[3].id, "KGHI");
  EXPECT_EQ(r[4].id, "WXL");
  EXPECT_EQ(r[4].format, SfcWmoData::SA);
  EXPECT_EQ(r[4].data, "WXL SA 1400 AUTO8 M M M 046/01/00/0401/M/M 1005 6-4MM");

  // SYNOP: blank lines between a report's lines do not count toward the lines it may take.
  r =
      cut("SMRO01 YRBK 171200 CCA\n\nAAXX 17121\n\n15015 01597 71702 333\n\n4/000\n\n\n\n"
          "55304 0//// 20643\n\n3//// 69977\n\n91003 91108=\n");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].data,
            "AAXX 17121 15015 01597 71702 333 4/000 55304 0//// 20643 3//// 69977 91003 91108");
  EXPECT_TRUE(r[0].correction);

  // Ships: a numeric station is a buoy; a report line of its own carries its kind word.
  r =
      cut("SMVD01 KWBC 061200\nBBXX\nWDC123 06121 99412 70725 41/96 72315 10100=\n"
          "41001 06121 99345 50152 41/96 72315=\n"
          "AAXX 06121 72451 32966 82706 10122=\n");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].format, SfcWmoData::SHIP);
  EXPECT_EQ(r[0].data, "BBXX WDC123 06121 99412 70725 41/96 72315 10100");
  EXPECT_EQ(r[1].format, SfcWmoData::BUOY);
  EXPECT_EQ(r[2].format, SfcWmoData::SYNOP);
  EXPECT_EQ(r[2].id, "72451");
}

TEST(SfcWmoFileTest, NothingToReadAndLongLines)
{
  SfcWmoFile f;
  SfcWmoData w;
  EXPECT_EQ(f.read(w), 0);
  EXPECT_EQ(SfcWmoFile::checkType("/no/such/file"), -1);
  EXPECT_TRUE(cut("").empty());
  // A very long line is read whole, the report text kept to its size.
  std::vector<Cut> r = cut("KABC 052355Z " + std::string(5000, 'A') + "=\n");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].data.size(), SfcWmoData::DATA_SIZE - 1u);
}

}  // namespace
