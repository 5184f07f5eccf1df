// kolupa on a real bulletin file and on standard input: tables, CSV with units, the own file by
// name and by naming convention.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/TestData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"

namespace {

std::string kolupa(const std::string& args, int* status)
{
  return KOLTest::run(KOLTest::programPath("kolupa") + " -file_path=" + KOLTest::databaseDir() +
                          " -date=202610070000 " + args + " 2>&1",
                      status);
}

TEST(KolupaTest, BulletinsToTableAndCsv)
{
  KOL_REQUIRE_DATA();
  std::string in = KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt");
  int status = -1;
  std::string table = kolupa(in, &status);
  EXPECT_EQ(status, 0);
  // Two soundings, stations named from the table, levels from the surface up.
  EXPECT_NE(table.find("Station KIAD  WMO 72403  2026-10-06 1200Z  lat 38.93  lon -77.45"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("Station KSGF  WMO 72440"), std::string::npos);
  EXPECT_NE(table.find(" 1013.0      95    8.6    4.4   305     3  SFC+MAN+SIG+WND"),
            std::string::npos)
      << table.substr(0, 600);

  // The same from standard input, with a part no one can read.
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("in.txt"), KOLTest::readFile(in) + "\nTTAA garbage\n");
  std::string csv = kolupa("-out=csv < " + dir.file("in.txt"), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(csv.find("kolupa: unreadable part: TTAA garbage"), std::string::npos) << csv;
  EXPECT_NE(csv.find("station,wmo,date,time_utc,lat_deg,lon_deg,elev_m,pres_hPa,hght_m,temp_C,"
                     "dewp_C,wdir_deg,wspd_kt,kind,elapsed_s,dlat_deg,dlon_deg\n"),
            std::string::npos);
  EXPECT_NE(
      csv.find("KIAD,72403,2026-10-06,1200,38.93,-77.45,95,500.0,5790,-10.7,-22.7,290,35,MAN"),
      std::string::npos)
      << csv.substr(0, 400);
}

TEST(KolupaTest, WritesOwnFile)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  std::string in = KOLTest::dataFile("upperair/teaching_72214_TTAA_TTBB_PPBB_TTCC_TTDD_PPDD.txt");
  int status = -1;
  kolupa("-out=" + dir.file("s.upa") + " " + in, &status);
  EXPECT_EQ(status, 0);
  KOL::UpaKolFile f;
  ASSERT_EQ(f.open(dir.file("s.upa").c_str(), KOL::UpaKolFile::READ), 1);
  KOL::UpaRawinData r;
  ASSERT_EQ(f.read(r), 1);
  EXPECT_STREQ(r.getId(), "KTLH");
  EXPECT_EQ(f.getDate().getDay(), 17);

  // By the naming convention, into the directory of "con_path"; day 17 near the date given,
  // 7 October, is in October.
  std::string out = kolupa("-con_path=" + dir.path() + " -out=upa_cvt " + in, &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_TRUE(KOL::UpaKolFile::checkType(dir.file("2026101712_upa.cvt").c_str())) << out;
}

TEST(KolupaTest, IndicesAsTextAndCsv)
{
  KOL_REQUIRE_DATA();
  std::string in = KOLTest::dataFile("upperair/ENCODED_72357_OUN_20110522_12Z.txt");
  int status = -1;
  std::string text = kolupa("-indices -date=201105221200 " + in, &status);
  EXPECT_EQ(status, 0) << text;
  // Three parcels, each under both rules, then the sounding and wind blocks.
  for (const char* want :
       {"Parcel: using surface\n", "Parcel: using 100 mb layer\n", "Parcel: using max temp\n",
        "Positive area up to the highest positive layer:\n", "Total Totals:", "Helicity 0-3 km:"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text.substr(0, 2000);
  EXPECT_EQ(text.find("nan"), std::string::npos);

  std::string csv = kolupa("-indices -out=csv -parcel=900:20:15 -date=201105221200 " + in, &status);
  EXPECT_EQ(status, 0) << csv;
  const size_t row = csv.find('\n') + 1;
  EXPECT_EQ(csv.rfind("station,wmo,date,time_utc,sfc_li_C,sfc_cape_J_kg,", 0), 0u) << csv;
  EXPECT_NE(csv.substr(0, row).find(",given_top_cape_J_kg,"), std::string::npos);
  EXPECT_EQ(std::count(csv.begin(), csv.begin() + row, ','),
            std::count(csv.begin() + row, csv.end(), ','));
  EXPECT_EQ(csv.compare(row, 27, "KOUN,72357,2011-05-22,1200,"), 0) << csv;
}

}  // namespace
