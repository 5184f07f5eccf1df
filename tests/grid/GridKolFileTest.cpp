// The native grid file on hand-made files: every header version and data format, external
// data in every row and column order, several grids in one file, GridFile's detection and
// GridRead's selectors, and broken files that must be refused without a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "grid/GridKolFile.h"
#include "grid/GridRead.h"
#include "grid/GridSpec.h"
#include "grid/Grids.h"

using namespace KOL;

namespace {

constexpr float M = Const::FMISS;

// A 3 x 2 Lambert grid of 850 mb temperature 12 h after 12Z 15 JAN 2024; value (i, j) is
// 10 j + i + 0.25, with (1, 1) missing.
Grid sample()
{
  Grid g;
  g.setDomain(Domain("lamb:25:-95:25:25:,40.000000,-100.000000,3,2,0.400000,0.400000"));
  g.allocData();
  for (int j = 0; j < 2; j++)
    for (int i = 0; i < 3; i++) g.setValue(i, j, 10.0f * j + i + 0.25f);
  g.setValue(1, 1, M);
  g.setDate(Date(2024, 1, 15, 12, 0, 0));
  g.setDatim("12Z 15 JAN 2024");
  g.setInfo("850 mb Temperature");
  g.setLevel("850mb");
  g.setForeTime("h12");
  g.setVar("temp");
  g.getVarSpec().setUnits("deg C");
  g.setModel(84);
  g.setGridNum(211);
  return g;
}

class GridKolFileTest : public KOLTest::DatabaseTest {
 protected:
  std::string write(const std::string& name, const std::string& text)
  {
    std::string path = tmp.file(name);
    KOLTest::writeFile(path, text);
    return path;
  }
  KOLTest::TempDir tmp;
};

TEST_F(GridKolFileTest, VersionsAndFormatsWriteAndReadBack)
{
  struct Row {
    int version, format;
    const char* firstLine;
    const char* infoLine;
  } rows[] = {
      {4, GridKolFile::TEXT, "KOLGRID4", "850 mb Temperature"},
      {4, GridKolFile::BINARY, "KOLGRID4B", "850 mb Temperature"},
      {3, GridKolFile::TEXT, "KOLGRID", "2-850 mb Temperature"},
      {3, GridKolFile::BINARY, "KOLGRID", "3-850 mb Temperature"},
  };
  const Grid in = sample();
  for (const Row& r : rows) {
    const std::string path = tmp.file("g");
    GridKolFile out;
    out.setVer(r.version);
    ASSERT_TRUE(out.open(path.c_str(), GridKolFile::WRITE, r.format));
    ASSERT_TRUE(out.write(in));
    out.close();
    const std::string text = KOLTest::readFile(path);
    EXPECT_EQ(text.substr(0, text.find('\n')), r.firstLine);
    EXPECT_NE(text.find(std::string("\n") + r.infoLine + "\n"), std::string::npos) << text;
    // Units with blanks are written with "_".
    EXPECT_NE(text.find(" 84 211 100 850 "), std::string::npos) << text;
    EXPECT_NE(text.find(":deg_C\n"), std::string::npos) << text;

    GridKolFile back(path.c_str());
    Grid g;
    ASSERT_TRUE(back.read(g)) << r.firstLine;
    EXPECT_EQ(back.getVer(), r.version);
    EXPECT_EQ(back.getFormat(), r.format);
    EXPECT_EQ(g.getNx(), 3);
    EXPECT_EQ(g.getNy(), 2);
    for (int j = 0; j < 2; j++)
      for (int i = 0; i < 3; i++) EXPECT_EQ(g.getValue(i, j), in.getValue(i, j)) << i << "," << j;
    EXPECT_EQ(g.getDate().getSeconds(), in.getDate().getSeconds());
    EXPECT_STREQ(g.getDatim(), "12Z 15 JAN 2024");
    EXPECT_STREQ(g.getInfo(), "850 mb Temperature");
    EXPECT_TRUE(g.getLevel() == in.getLevel());
    EXPECT_EQ(g.getForeTime().toCode(), in.getForeTime().toCode());
    EXPECT_STREQ(g.getVar().getAbbr(), "temp");
    EXPECT_STREQ(g.getUnits(), "deg_C");
    EXPECT_EQ(g.getModel(), 84);
    EXPECT_EQ(g.getGridNum(), 211);
    EXPECT_EQ(g.getSource(), 1);
    EXPECT_EQ(g.getProj(), 4);
    EXPECT_FLOAT_EQ(g.getDomainVal().param[2], 25.0f);
    EXPECT_FLOAT_EQ(g.getDomainVal().clon, -100.0f);
  }
}

TEST_F(GridKolFileTest, TextValuesUseTheValueFormat)
{
  const std::string path = tmp.file("g");
  GridKolFile out;
  out.setFormat("%.1f");
  ASSERT_TRUE(out.open(path.c_str(), GridKolFile::WRITE, GridKolFile::TEXT));
  ASSERT_TRUE(out.write(sample()));
  out.close();
  const std::string text = KOLTest::readFile(path);
  EXPECT_NE(text.find("\n0.2\n1.2\n2.2\n10.2\n-9999.0\n12.2\n"), std::string::npos) << text;
  // The default keeps every bit of a float.
  GridKolFile def;
  ASSERT_TRUE(def.open(path.c_str(), GridKolFile::WRITE, GridKolFile::TEXT));
  ASSERT_TRUE(def.write(sample()));
  def.close();
  EXPECT_NE(KOLTest::readFile(path).find("\n2.50000000e-01\n"), std::string::npos);
}

TEST_F(GridKolFileTest, OlderHeadersAndProjectionLines)
{
  struct Row {
    std::string text;
    int version, format, proj;
    float clat, clon, dx, dy, plon;
    const char* info;
  } rows[] = {
      // Version 2: no code line, no prefix: polar stereographic with one spacing.
      {"KOLGRID\n12Z 15 JAN 2024\nSea level pressure\n60 -105 1.5 9 2 2\n1\n2\n3\n4\n", 2,
       GridKolFile::TEXT, 1, 60, -105, 1.5f, 1.5f, -105, "Sea level pressure"},
      // Version 2 with a code line (the reader accepts both).
      {"KOLGRID\n12Z 15 JAN 2024\nHeights\n1 2 1 0 100 500 0 7:m\nLL 45 10 2.5 2.5 2 "
       "2\n1\n2\n3\n4\n",
       2, GridKolFile::TEXT, 2, 45, 10, 2.5f, 2.5f, 10, "Heights"},
      // Version 3 binary, info after its format number.
      {std::string(
           "KOLGRID\n12Z 15 JAN 2024\n3-Temperature\n1 3 1 0 100 500 0 11\nPS:-100 50 -90 1 1 2 2\n"
           "\x3f\x80\x00\x00\x40\x00\x00\x00\x40\x40\x00\x00\x40\x80\x00\x00\n",
           99),
       3, GridKolFile::BINARY, 1, 50, -90, 1, 1, -100, "Temperature"},
      {"KOLGRID\n12Z 15 JAN 2024\n2-Temperature\n1 3 1 0 100 500 0 11\nME 0 30 1 1 2 "
       "2\n1\n2\n3\n4\n",
       3, GridKolFile::TEXT, 3, 0, 30, 1, 1, Const::FMISS, "Temperature"},
      // Version 1: longitudes were positive west; the standard longitude is taken first.
      {"KOLGRID1\n12Z 15 JAN 2024\nOld\nPS 60 105 1 1 2 2\n1\n2\n3\n4\n", 1, GridKolFile::TEXT, 1,
       60, -105, 1, 1, 105, "Old"},
      {"KOLGRID2\n12Z 15 JAN 2024\nLambert\n1 2 1 0 100 500 0 11\nLC:25:-95:25:25:63.7 40 -95 1 1 "
       "2 2\n"
       "1\n2\n3\n4\n",
       2, GridKolFile::TEXT, 4, 40, -95, 1, 1, -95, "Lambert"},
  };
  for (const Row& r : rows) {
    const std::string path = write("old", r.text);
    GridKolFile f(path.c_str());
    Grid g;
    ASSERT_TRUE(f.read(g)) << r.text;
    EXPECT_EQ(f.getVer(), r.version) << r.text;
    EXPECT_EQ(f.getFormat(), r.format) << r.text;
    EXPECT_STREQ(g.getInfo(), r.info);
    const DomainVal& d = g.getDomainVal();
    EXPECT_EQ(d.proj, r.proj) << r.text;
    EXPECT_FLOAT_EQ(d.clat, r.clat) << r.text;
    EXPECT_FLOAT_EQ(d.clon, r.clon) << r.text;
    EXPECT_FLOAT_EQ(d.dx, r.dx) << r.text;
    EXPECT_FLOAT_EQ(d.dy, r.dy) << r.text;
    if (r.plon != Const::FMISS) {
      EXPECT_FLOAT_EQ(d.param[1], r.plon) << r.text;
    }
    EXPECT_FLOAT_EQ(g.getValue(0, 0), 1.0f) << r.text;
    EXPECT_FLOAT_EQ(g.getValue(1, 1), 4.0f) << r.text;
    EXPECT_EQ(g.getDate().getSeconds(), Date(2024, 1, 15, 12, 0, 0).getSeconds());
  }
}

TEST_F(GridKolFileTest, OldProjectionLinesAreWrittenWithTheirPrefix)
{
  struct Row {
    const char* domain;
    const char* line;
  } rows[] = {
      {"latlon:,45.000000,10.000000,3,2,2.500000,2.500000",
       "LL 45.000000 10.000000 2.500000 2.500000 3 2"},
      {"pstereo:90:-105,60.000000,-100.000000,3,2,1.000000,1.000000",
       "PS:-105.000000 60.000000 -100.000000"},
      {"pstereo:90,60.000000,-100.000000,3,2,1.000000,1.000000", "PS 60.000000 -100.000000"},
      {"lamb:25:-95:25:25:,40.000000,-100.000000,3,2,0.400000,0.400000",
       "LC:25.000000:-95.000000:25.000000:25.000000:-9999.000000 40.000000"},
      {"merc:,0.000000,30.000000,3,2,1.000000,1.000000", "ME 0.000000 30.000000"},
  };
  for (const Row& r : rows) {
    Grid g = sample();
    g.setDomain(Domain(r.domain));
    g.allocData();
    const std::string path = tmp.file("v3");
    GridKolFile out;
    out.setVer(3);
    ASSERT_TRUE(out.open(path.c_str(), GridKolFile::WRITE, GridKolFile::TEXT));
    ASSERT_TRUE(out.write(g));
    out.close();
    EXPECT_NE(KOLTest::readFile(path).find(r.line), std::string::npos) << KOLTest::readFile(path);
    Grid back;
    ASSERT_TRUE(GridKolFile(path.c_str()).read(back)) << r.domain;
    EXPECT_EQ(back.getProj(), g.getProj()) << r.domain;
    EXPECT_FLOAT_EQ(back.getDomainVal().clon, g.getDomainVal().clon) << r.domain;
  }
}

TEST_F(GridKolFileTest, ExternalDataInEveryOrder)
{
  // Values 1..6 in file order; the orders say where each lands on a 3 x 2 grid.
  const float raw[] = {1, 2, 3, 4, 5, 6};
  std::string bin(reinterpret_cast<const char*>(raw), sizeof raw);
  KOLTest::writeFile(tmp.file("data.bin"), "skip" + bin);
  KOLTest::writeFile(tmp.file("data.txt"), "1 2 3\n4 5 6\n");
  struct Row {
    const char* kind;
    const char* file;
    int offset, colOrder, rowOrder;
    float first[3];  // row 0 after reading
  } rows[] = {
      {"B", "data.bin", 4, 1, 1, {1, 2, 3}},
      {"B", "data.bin", 4, 1, 0, {4, 5, 6}},  // rows stored from the last one up
      {"B", "data.bin", 4, 0, 1, {3, 2, 1}},
      {"A", "data.txt", 0, 0, 0, {6, 5, 4}},
  };
  for (const Row& r : rows) {
    const std::string line = std::string(r.kind) + " " + r.file + " " + std::to_string(r.offset) +
                             " " + std::to_string(r.colOrder) + " " + std::to_string(r.rowOrder) +
                             "\n";
    const std::string path = write("ext.grd",
                                   "KOLGRID\n12Z 15 JAN 2024\n4-External\n1 3 1 0 100 500 0 11\n"
                                   "LL 45 10 1 1 3 2\n" +
                                       line);
    GridKolFile f(path.c_str());
    Grid g;
    ASSERT_TRUE(f.read(g)) << line;
    EXPECT_EQ(f.getFormat(), GridKolFile::EXTERNAL);
    for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(g.getValue(i, 0), r.first[i]) << line << i;
  }
  // A data file that is not there refuses the grid.
  const std::string path = write("gone.grd",
                                 "KOLGRID\nx\n4-External\n1 3 1 0 100 500 0 11\nLL 45 10 1 1 3 2\n"
                                 "B nowhere.bin 0 1 1\n");
  Grid g;
  EXPECT_FALSE(GridKolFile(path.c_str()).read(g));
  // External data is never written.
  EXPECT_FALSE(
      GridKolFile().open(tmp.file("w").c_str(), GridKolFile::WRITE, GridKolFile::EXTERNAL));
}

TEST_F(GridKolFileTest, SeveralGridsReadInTurnAndBySelector)
{
  const std::string path = tmp.file("three.grd");
  const char* levels[] = {"850mb", "700mb", "500mb"};
  for (int k = 0; k < 3; k++) {
    Grid g = sample();
    g.setLevel(levels[k]);
    g.setValue(0, 0, float(k));
    GridFile out(path.c_str(), k == 0 ? GridFile::WRITE : GridFile::APPEND,
                 GridFile::NATIVE_BINARY);
    ASSERT_TRUE(out.write(g)) << k;
  }
  GridFile f(path.c_str());
  ASSERT_EQ(f.getType(), GridFile::NATIVE_TEXT);
  Grid g;
  ASSERT_TRUE(f.peek(g));
  EXPECT_EQ(g.getValue(0, 0), 0.0f);
  for (int k = 0; k < 3; k++) {
    ASSERT_TRUE(f.read(g)) << k;
    EXPECT_EQ(g.getValue(0, 0), float(k));
  }
  EXPECT_FALSE(f.read(g));
  f.rewind();
  ASSERT_TRUE(f.read(g, "#2"));
  EXPECT_EQ(g.getValue(0, 0), 2.0f);
  f.rewind();
  ASSERT_TRUE(f.read(g, "h12:700mb:temp"));
  EXPECT_EQ(g.getValue(0, 0), 1.0f);

  Grids set;
  set.addSpec("h12:500mb:temp");
  set.addSpec("h12:850mb:temp");
  f.rewind();
  EXPECT_EQ(f.read(set), 2);
  EXPECT_EQ(set.getGrid(0).getValue(0, 0), 2.0f);
  EXPECT_EQ(set.getGrid(1).getValue(0, 0), 0.0f);

  // GridRead: a selector after the file name, or an index.
  GridRead reader;
  ASSERT_TRUE(reader.read((path + "+h12:500mb:temp").c_str(), g));
  EXPECT_EQ(g.getValue(0, 0), 2.0f);
  ASSERT_TRUE(reader.read((path + "#1").c_str(), g));
  EXPECT_EQ(g.getValue(0, 0), 1.0f);
  EXPECT_STREQ(reader.getPath(), path.c_str());
  EXPECT_FALSE(reader.read((path + "+h12:300mb:temp").c_str(), g));
  Grids found, none;
  found.addSpec("h12:500mb:temp");
  none.addSpec("h12:300mb:temp");
  EXPECT_EQ(reader.read(path.c_str(), Date(), found), 1);
  EXPECT_EQ(found.getGrid(0).getValue(0, 0), 2.0f);
  EXPECT_EQ(reader.read(path.c_str(), Date(), none), 0);
  EXPECT_FALSE(reader.read(tmp.file("missing").c_str(), g));
}

TEST_F(GridKolFileTest, DetectionAndModes)
{
  const std::string grib =
      write("behind_header", std::string(100, 'x') + "GRIB" + std::string(50, '\0'));
  EXPECT_EQ(GridFile::checkType(grib.c_str()), GridFile::GRIB);
  const std::string cdf = write("x.nc", std::string("CDF\x01", 4) + std::string(50, '\0'));
  EXPECT_EQ(GridFile::checkType(cdf.c_str()), GridFile::NETCDF);
  EXPECT_FALSE(GridFile().open(cdf.c_str()));
  EXPECT_EQ(GridFile::checkType(write("text", "hello\n").c_str()), GridFile::UNKNOWN);
  EXPECT_EQ(GridFile::checkType(tmp.file("absent").c_str()), GridFile::UNKNOWN);
  EXPECT_EQ(GridFile::checkType("-"), GridFile::NATIVE_TEXT);
  // Writing needs a type; reads are refused in write mode and writes in read mode.
  EXPECT_FALSE(GridFile().open(tmp.file("w").c_str(), GridFile::WRITE, GridFile::UNKNOWN));
  GridFile w(tmp.file("w").c_str(), GridFile::WRITE, GridFile::NATIVE_TEXT);
  Grid g = sample();
  EXPECT_FALSE(w.read(g));
  EXPECT_TRUE(w.write(g));
  w.close();
  GridFile r(tmp.file("w").c_str());
  EXPECT_FALSE(r.write(g));
  EXPECT_TRUE(r.read(g));
  GridKolFile k;
  EXPECT_FALSE(k.open(tmp.file("w").c_str(), 3, 1));
}

TEST_F(GridKolFileTest, BrokenFilesAreRefused)
{
  // A good binary file, then copies cut or altered.
  const std::string good = tmp.file("good");
  ASSERT_TRUE(GridFile().write(good.c_str(), GridFile::NATIVE_BINARY, sample()));
  const std::string bytes = KOLTest::readFile(good);
  const std::string head = bytes.substr(0, bytes.size() - 25);
  std::string huge = bytes;
  huge.replace(huge.find(",3,2,"), 5, ",300000,200000,");
  const char* texts[] = {
      "",
      "KOLGRIB\n",
      "KOLGRIDX\nx\ny\n",
      "KOLGRID4\n12Z 15 JAN 2024\n",
      "KOLGRID4\n12Z 15 JAN 2024\ninfo\n1 2 3\n",
      "KOLGRID4\n12Z 15 JAN 2024\ninfo\n1 4 1 0 100 500 0 11\nnonsense,1,2\n",
      "KOLGRID4\n12Z 15 JAN 2024\ninfo\n1 4 1 0 100 500 0 11\nlatlon:,0,0,-3,2,1,1\n1\n",
      "KOLGRID4\n12Z 15 JAN 2024\ninfo\n1 4 1 0 100 500 0 11\nlatlon:,0,0,3,2,1,1\n1\n2\n",
      "KOLGRID\nx\n2-info\nLL 0 0 1 1 2 2\n",
  };
  Grid g;
  for (const char* t : texts) EXPECT_FALSE(GridKolFile(write("bad", t).c_str()).read(g)) << t;
  EXPECT_FALSE(GridKolFile(write("cut", head).c_str()).read(g));
  EXPECT_FALSE(GridKolFile(write("huge", huge).c_str()).read(g));
  // Values that do not scan stay missing.
  ASSERT_TRUE(GridKolFile(write("odd",
                                "KOLGRID4\nx\ni\n1 4 1 0 100 500 0 11\nlatlon:,0,0,2,1,1,1\n"
                                "abc\n7\n")
                              .c_str())
                  .read(g));
  EXPECT_EQ(g.getValue(0, 0), M);
  EXPECT_EQ(g.getValue(1, 0), 7.0f);
}

}  // namespace
