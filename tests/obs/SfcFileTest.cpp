// The surface files: the own format's fields and limits, the variants written and read back,
// type detection, the independent readers ncdump and xmllint, and damaged files.
#include "obs/SfcFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Floats.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "core/Kol.h"
#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcData.h"
#include "obs/SfcKolFile.h"
#include "obs/SfcUniFile.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

using KOL::Date;
using KOL::SfcData;
using KOL::SfcFile;

namespace {

constexpr float MISS = KOL::Const::FMISS;
const Date HOUR(2020, 1, 6, 0, 0, 0);

std::string row(const SfcData& s)
{
  std::string out;
  KOL::SfcUniFile::recordRow(s, out);
  return out;
}

bool writeAll(const std::string& name, int type, const std::vector<SfcData>& records)
{
  SfcFile f;
  f.setDate(HOUR);
  if (!f.open(name.c_str(), SfcFile::WRITE, type)) return false;
  for (const SfcData& s : records)
    if (!f.write(s)) return false;
  return f.close() == 1;
}

std::vector<SfcData> readAll(const std::string& name, int* type = nullptr)
{
  std::vector<SfcData> out;
  SfcFile f(name.c_str());
  if (type) *type = f.getType();
  SfcData s;
  while (f.read(s)) out.push_back(s);
  return out;
}

// One record through the own format: the record line written, and the record read back.
SfcData readBack(const SfcData& s, std::string* line = nullptr)
{
  KOLTest::TempDir dir;
  std::string name = dir.file("one.cvt");
  EXPECT_TRUE(writeAll(name, SfcFile::KOL, {s}));
  std::string text = KOLTest::readFile(name);
  if (line) *line = text.substr(text.find('\n', text.find('\n') + 1) + 1);
  std::vector<SfcData> r = readAll(name);
  EXPECT_EQ(r.size(), 1u);
  return r.empty() ? SfcData() : r[0];
}

SfcData station(const char* id)
{
  SfcData s;
  s.setId(id);
  s.date = Date(2020, 1, 5, 23, 55, 0);
  return s;
}

// The weather tables of the decoders come from the repository's database directory.
class SfcFileTest : public ::testing::Test {
  KOLTest::DatabaseScope database_;
};

TEST_F(SfcFileTest, OwnFormatFieldsAndLimits)
{
  SfcData s = station("KORD");
  s.temp = 20;
  s.wdir = 275;
  s.wspd = 15;
  s.alt = 29.92f;
  s.slp = 1013.2f;
  std::string line;
  SfcData r = readBack(s, &line);
  EXPECT_EQ(line, "KORD 680 -99 2715 992 132 -99 -99M - @2355 $\n");
  EXPECT_EQ(r.dewp, MISS);
  EXPECT_FLOAT_EQ(r.wdir, 270);
  EXPECT_EQ(r.getTime(), 2355);

  s.wspd = 105;
  s.alt = 30.12f;
  r = readBack(s, &line);
  EXPECT_EQ(line, "KORD 680 -99 275105  12 132 -99 -99M - @2355 $\n");
  EXPECT_FLOAT_EQ(r.wdir, 275);
  EXPECT_FLOAT_EQ(r.wspd, 105);
  EXPECT_FLOAT_EQ(r.alt, 30.12f);

  // The last three digits of the pressure are read in the hundred the altimeter tells.
  s.alt = 28.0f;
  EXPECT_FLOAT_EQ(readBack(s).slp, 913.2f);
  s.alt = MISS;
  s.slp = 1049.9f;
  s.temp = -20;  // cold: a 5xx..9xx value is above 1000
  EXPECT_FLOAT_EQ(readBack(s).slp, 1049.9f);
  s.slp = 1060.4f;  // not reduced to three digits
  EXPECT_FLOAT_EQ(readBack(s).slp, 1060.4f);
}

TEST_F(SfcFileTest, OwnFormatOptionalGroups)
{
  SfcData s = station("15015");
  s.wmo = 15015;
  s.vis = 0.75f;
  s.setCldCover(0, 'F');
  s.setCldHeight(0, 2000);
  s.setCldCover(1, '8');
  s.setCldHeight(1, 12000);
  s.setCldCover(2, 'b');
  s.setWeather("!-RA_BR");
  s.ptend_type = 8;
  s.ptend = -1.2f;
  s.prec[SfcData::PREC1] = 2.54f;
  s.prec[SfcData::PREC6] = 0;
  s.prec[SfcData::PREC24] = 25.4f;
  s.maxt = 14.4f;
  s.mint6 = -5;
  s.snow = 12.7f;
  for (int i = 0; i < 3; ++i) s.setCldType(i, "53-"[i]);
  s.gust = 25;
  s.sun = 60;
  s.sst = 12.3f;
  s.wave_hgt = 2.5f;
  s.elev = 503;
  s.lat = 41.2f;
  s.lon = -72.5f;
  s.setComment("AO2 SLP132 ");
  std::string line;
  SfcData r = readBack(s, &line);
  EXPECT_EQ(line,
            "15015 -99 -99 -999 -99 -99 0.75 20F,120:8,-99b !-RA_BR @2355 L412,-725 P8-12 p10 "
            "r 0 R100 X57.9 n23.0 S5.0 C53- G25 s60 t12.3 h2.5 e503 #AO2 SLP132  $\n");
  EXPECT_EQ(r.wmo, 15015);
  ASSERT_EQ(r.ncld, 3);
  EXPECT_EQ(r.getCldCover(1), '8');
  EXPECT_EQ(r.getCldType(2), '-');
  EXPECT_STREQ(r.wx, "!-RA_BR");
  EXPECT_STREQ(r.platform, "SHIP");
  EXPECT_EQ(r.ptend_type, 8);
  EXPECT_STREQ(r.comment, "AO2 SLP132 ");
  // The elevation is given after the location, which sets 0.
  KOLTest::expectNear(KOLTest::floats(r.vis, r.getCldHeight(1), r.getCldHeight(2), r.lat, r.lon,
                                      r.ptend, r.prec[0], r.prec[1], r.prec[2], r.prec[4], r.maxt,
                                      r.mint6, r.snow, r.gust, r.sun, r.sst, r.wave_hgt, r.elev),
                      {0.75f, 12000, MISS, 41.2f, -72.5f, -1.2f, 2.54f, MISS, 0, 25.4f, 14.4f, -5,
                       12.7f, 25, 60, 12.3f, 2.5f, 503},
                      0.03f);
}

TEST_F(SfcFileTest, OwnFormatHeaderAppendAndRewind)
{
  KOLTest::TempDir dir;
  std::string name = dir.file("append.cvt");
  SfcData a = station("KAAA"), b = station("KBBB");
  {
    KOL::SfcKolFile f;
    f.setDate(HOUR);
    ASSERT_EQ(f.open(name.c_str(), KOL::SfcKolFile::APPEND), 1);
    EXPECT_EQ(f.write(a), 1);
  }
  {
    KOL::SfcKolFile f(name.c_str(), KOL::SfcKolFile::APPEND);
    EXPECT_EQ(f.write(b), 1);
  }
  KOL::SfcKolFile f(name.c_str(), KOL::SfcKolFile::READ);
  ASSERT_TRUE(f.isOpen());
  Date d;
  EXPECT_EQ(f.getDate(d), 1);
  EXPECT_EQ(d.getSeconds(), HOUR.getSeconds());
  SfcData s;
  ASSERT_EQ(f.read(s), 1);
  EXPECT_STREQ(s.id, "KAAA");
  ASSERT_EQ(f.read(s), 1);
  EXPECT_STREQ(s.id, "KBBB");
  EXPECT_EQ(f.read(s), 0);
  EXPECT_EQ(f.rewind(), 1);
  ASSERT_EQ(f.read(s), 1);
  EXPECT_STREQ(s.id, "KAAA");

  // Writing without a date is refused; appending to a file of another kind too.
  KOL::SfcKolFile undated(dir.file("undated.cvt").c_str(), KOL::SfcKolFile::WRITE);
  EXPECT_EQ(undated.write(a), 0);
  KOLTest::writeFile(dir.file("other.txt"), "something else\n");
  EXPECT_EQ(KOL::SfcKolFile(dir.file("other.txt").c_str(), KOL::SfcKolFile::APPEND).isOpen(),
            false);
  EXPECT_EQ(KOLTest::readFile(dir.file("other.txt")), "something else\n");
}

TEST_F(SfcFileTest, TypeDetectionAndWords)
{
  KOLTest::TempDir dir;
  std::vector<SfcData> one = {station("KORD")};
  const struct {
    const char* word;
    int type;
  } types[] = {
      {"kol", SfcFile::KOL}, {"CDF", SfcFile::CDF}, {"xml", SfcFile::XML}, {"XmlC", SfcFile::XMLC}};
  for (const auto& t : types) {
    EXPECT_EQ(SfcFile::getType(t.word), t.type);
    std::string name = dir.file(std::string("f.") + t.word);
    ASSERT_TRUE(writeAll(name, t.type, one)) << t.word;
    EXPECT_EQ(SfcFile::checkType(name.c_str()), t.type) << t.word;
    int found = 0;
    EXPECT_EQ(readAll(name, &found).size(), 1u) << t.word;
    EXPECT_EQ(found, t.type);
  }
  EXPECT_EQ(SfcFile::checkType("/no/such/file"), -1);
  KOLTest::writeFile(dir.file("text"), "id,temp.C\nKXYZ,12.5\n");
  EXPECT_EQ(SfcFile::checkType(dir.file("text").c_str()), 0);
  EXPECT_EQ(SfcFile::checkType(dir.path().c_str()), 0) << "a directory is no surface file";
  EXPECT_EQ(SfcFile().open(dir.path().c_str()), 0);
  SfcFile f;
  EXPECT_EQ(f.open(dir.file("text").c_str()), 0);
  // The plain table is read when asked for.
  ASSERT_EQ(f.open(dir.file("text").c_str(), SfcFile::READ, SfcFile::UNI), 1);
  SfcData s;
  ASSERT_EQ(f.read(s), 1);
  EXPECT_STREQ(s.id, "KXYZ");
  EXPECT_FLOAT_EQ(s.temp, 12.5f);
  EXPECT_EQ(f.write(s), 0);
}

// Every report of the real captures, decoded (once for all tests).
const std::vector<SfcData>& realRecords()
{
  static const std::vector<SfcData> records = [] {
    std::vector<SfcData> out;
    const char* files[] = {"metar/metpy_2020010600_sao.wmo", "synop/synop2bufr_gts_WX.00",
                           "synop/A_SMRO01YRBK171200_C_EDZW_20230117120502_51362175.txt",
                           "synop/A_SMRO01YRBK171800_C_EDZW_20230117180502_51662689.txt"};
    for (const char* name : files) {
      KOL::SfcWmoFile file;
      EXPECT_TRUE(file.open(KOLTest::dataFile(name).c_str()));
      file.setDate(HOUR);
      KOL::SfcWmoData w;
      while (file.read(w)) {
        SfcData s;
        bool ok = w.format == KOL::SfcWmoData::SA   ? KOL::SaoTool::decode(w, s)
                  : w.format <= KOL::SfcWmoData::SP ? KOL::MetarTool::decode(w, s)
                                                    : KOL::SynopTool::decode(w, s);
        if (ok) out.push_back(s);
      }
    }
    return out;
  }();
  return records;
}

TEST_F(SfcFileTest, RealReportsThroughEveryVariant)
{
  KOL_REQUIRE_DATA();
  const std::vector<SfcData>& records = realRecords();
  ASSERT_GT(records.size(), 15000u);
  KOLTest::TempDir dir;
  // The variants keep every value exactly.
  for (int type : {SfcFile::CDF, SfcFile::XML, SfcFile::XMLC}) {
    std::string name = dir.file("all." + std::to_string(type));
    ASSERT_TRUE(writeAll(name, type, records)) << type;
    std::vector<SfcData> back = readAll(name);
    ASSERT_EQ(back.size(), records.size()) << type;
    int differ = 0;
    for (size_t i = 0; i < records.size(); ++i)
      if (row(back[i]) != row(records[i]) && ++differ < 5)
        ADD_FAILURE() << type << "\n" << row(records[i]) << row(back[i]);
    EXPECT_EQ(differ, 0) << type;
  }
  // The own format keeps its resolution, and what it read back it reads back the same again.
  std::string name = dir.file("all.cvt");
  ASSERT_TRUE(writeAll(name, SfcFile::KOL, records));
  std::vector<SfcData> once = readAll(name);
  ASSERT_EQ(once.size(), records.size());
  ASSERT_TRUE(writeAll(dir.file("again.cvt"), SfcFile::KOL, once));
  std::vector<SfcData> twice = readAll(dir.file("again.cvt"));
  ASSERT_EQ(twice.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(row(once[i]), row(twice[i]));
  auto near = [](float a, float b, float tol) {
    return (a == MISS) == (b == MISS) && (a == MISS || std::fabs(a - b) <= tol);
  };
  // Values the format cannot tell are left out: the -9.9 F marker, other days (only the hour
  // and minute are stored), a wind without direction, a pressure whose hundred is unknown.
  auto fahrenheitMarker = [](float c) { return std::lround((c * 9 / 5 + 32) * 10) == -99; };
  for (size_t i = 0; i < records.size(); ++i) {
    const SfcData &a = records[i], &b = once[i];
    ASSERT_STREQ(a.id, b.id);
    const bool otherDay = std::labs(a.getSeconds() - HOUR.getSeconds()) >= 6 * 3600;
    EXPECT_TRUE(otherDay || a.getSeconds() == b.getSeconds()) << a.id;
    EXPECT_TRUE(fahrenheitMarker(a.temp) || near(a.temp, b.temp, 0.03f)) << a.id;
    EXPECT_TRUE(fahrenheitMarker(a.dewp) || near(a.dewp, b.dewp, 0.03f)) << a.id;
    EXPECT_TRUE(a.wdir == MISS || near(a.wspd, b.wspd, 0.5f)) << a.id;
    bool hundredKnown = a.alt != MISS || a.temp == MISS || a.temp >= -10;
    EXPECT_TRUE(!hundredKnown || a.slp <= 950 || a.slp >= 1050 || near(a.slp, b.slp, 0.06f))
        << a.id << " " << a.slp << " " << b.slp;
    EXPECT_TRUE(near(a.alt, b.alt, 0.0101f)) << a.id;  // truncated to hundredths
    EXPECT_TRUE(near(a.vis, b.vis, 0.06f)) << a.id;    // tenths from 5 miles on
    EXPECT_STREQ(a.wx, b.wx) << a.id;
    EXPECT_STREQ(a.comment, b.comment) << a.id;
    EXPECT_EQ(a.ncld, b.ncld) << a.id;
    for (int k = 0; k < SfcData::NUM_PREC; ++k)
      EXPECT_TRUE(near(a.prec[k], b.prec[k], 0.13f)) << a.id << " " << k;
  }
}

TEST_F(SfcFileTest, IndependentReadersAcceptTheVariants)
{
  KOL_REQUIRE_DATA();
  const std::vector<SfcData>& records = realRecords();
  KOLTest::TempDir dir;
  std::string cdf = dir.file("obs.nc"), xml = dir.file("obs.xml"), xmlc = dir.file("obs.xmlc");
  ASSERT_TRUE(writeAll(cdf, SfcFile::CDF, records));
  ASSERT_TRUE(writeAll(xml, SfcFile::XML, records));
  ASSERT_TRUE(writeAll(xmlc, SfcFile::XMLC, records));
  if (KOLTest::run("command -v ncdump").empty()) {
    ADD_FAILURE() << "ncdump not installed (netcdf-bin)";
  } else {
    int status = -1;
    std::string header = KOLTest::run("ncdump -h " + cdf, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(header.find("recNum = " + std::to_string(records.size()) + " ;"), std::string::npos)
        << header.substr(0, 300);
    EXPECT_NE(header.find(":title = \"Surface converted data\""), std::string::npos);
    EXPECT_NE(header.find("WX:long_name = \"WMO table 4677\""), std::string::npos);
    // The first station's temperature as ncdump reads it.
    std::string t = KOLTest::run("ncdump -v T " + cdf + " | sed -n '/^ T =/,/;/p'", &status);
    size_t eq = t.find('=');
    ASSERT_NE(eq, std::string::npos);
    float first = std::stof(t.substr(eq + 1));
    EXPECT_FLOAT_EQ(first, records[0].temp == MISS ? -9999 : records[0].temp) << t.substr(0, 80);
  }
  if (KOLTest::run("command -v xmllint").empty()) {
    ADD_FAILURE() << "xmllint not installed (libxml2-utils)";
  } else {
    for (const std::string& f : {xml, xmlc}) {
      int status = -1;
      KOLTest::run("xmllint --noout " + f + " 2>&1", &status);
      EXPECT_EQ(status, 0) << f;
      std::string count = KOLTest::run("xmllint --xpath 'count(/kolsfc/obs)' " + f, &status);
      EXPECT_EQ(count, std::to_string(records.size()) + "\n") << f;
    }
  }
}

class SfcFileBadInputTest : public KOLTest::QuietTest {};

TEST_F(SfcFileBadInputTest, DamagedFiles)
{
  KOLTest::TempDir dir;
  std::vector<SfcData> records;
  for (const char* id : {"KAAA", "KBBB", "KCCC"}) {
    records.push_back(station(id));
    records.back().temp = 10;
  }
  // An own file cut in the middle of a record: the records before it are all there.
  std::string kol = dir.file("cut.cvt");
  ASSERT_TRUE(writeAll(kol, SfcFile::KOL, records));
  std::string text = KOLTest::readFile(kol);
  KOLTest::writeFile(kol, text.substr(0, text.size() - 20));
  std::vector<SfcData> back = readAll(kol);
  ASSERT_GE(back.size(), 2u);
  EXPECT_STREQ(back[1].id, "KBBB");
  EXPECT_FLOAT_EQ(back[1].temp, 10);
  KOLTest::writeFile(kol, "KOLSFC\n");
  EXPECT_TRUE(readAll(kol).empty());
  KOLTest::writeFile(kol, "KOLSFC\nnot a date\nKXYZ garbage \x01\xff @99 P L, $\n\n");
  back = readAll(kol);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].temp, MISS);

  KOLTest::writeFile(dir.file("bad.xml"), "<?xml version=\"1.0\"?><other/>");
  EXPECT_EQ(SfcFile().open(dir.file("bad.xml").c_str()), 0);
}

}  // namespace
