// kolmetar on bulletins from standard input, whose headings set the day, hour and country rules.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"

namespace {

std::string kolmetar(const std::string& args, const std::string& input, int* status)
{
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("in.txt"), input);
  return KOLTest::run(KOLTest::programPath("kolmetar") + " " + args + " < " + dir.file("in.txt"),
                      status);
}

TEST(KolmetarTest, BulletinsSetDaysAndCountries)
{
  // A Canadian bulletin: the precise temperature group is read, the US hourly amount is not.
  const std::string input =
      "\x01\r\r\n123 \r\r\nSACN31 CWAO 052300\r\r\nMETAR\r\r\n"
      "CYUL 052300Z 27015KT 15SM FEW020 M05/M10 A2992 RMK SLP132 T10521101 P0012=\r\r\n"
      "\r\r\n\x03"
      "\x01\r\r\n124 \r\r\nSACN96 CWAO 051400 RRB\r\r\n"
      "WXL SA 1400 AUTO8 M M M 046/01/00/0401/M/M 1005 6-4MM=\r\r\n\x03";
  int status = -1;
  // Read as text with its framing, and through the bulletin parser.
  for (const char* in : {"", "-in=wmo "}) {
    std::string csv = kolmetar(std::string(in) + "-out=csv -date=202001060000", input, &status);
    EXPECT_EQ(status, 0) << in;
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "station,type,date,time_utc,temp_C,dewp_C,wdir_deg,wspd_kt,gust_kt,vis_mi,alt_inHg,"
              "slp_hPa,weather,sky_ft,flight_cat,prec1h_mm,report");
    EXPECT_NE(csv.find("CYUL,METAR,2020-01-05,2300,-5.2,-10.1,270,15.0,,15.000,29.920,1013.2,,"
                       "FEW@2000,VFR,,"),
              std::string::npos)
        << in << csv;
    EXPECT_NE(csv.find("WXL,SA,2020-01-05,1400,1.0,0.0,40,1.0,,,,1004.6,"), std::string::npos)
        << in << csv;
    EXPECT_EQ(csv.find("123"), std::string::npos) << in << "sequence lines are no reports";
  }

  // A bulletin without a report is no input.
  std::string err =
      kolmetar("2>&1", "\x01\r\r\n123 \r\r\nSAUS70 KWBC 060000\r\r\nMETAR\r\r\n\x03", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(err.find("no report"), std::string::npos) << err;
}

}  // namespace
