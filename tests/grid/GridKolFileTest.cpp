// The native grid file on hand-made files: versions, formats, external data, several grids,
// detection, selectors, and broken files.
#include <gtest/gtest.h>

#include <algorithm>
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

// A 3 x 2 Lambert grid of 850 mb temperature; value (i, j) is 10 j + i + 0.25, (1, 1) missing.
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

TEST_F(GridKolFileTest, VersionsFormatsAndValueFormat)
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
    ASSERT_TRUE(out.open(path.c_str(), GridKolFile::WRITE, r.format) && out.write(in));
    out.close();
    const std::string text = KOLTest::readFile(path);
    EXPECT_EQ(text.substr(0, text.find('\n')), r.firstLine);
    EXPECT_NE(text.find(std::string("\n") + r.infoLine + "\n"), std::string::npos) << text;
    // Units with blanks are written with "_".
    EXPECT_TRUE(text.find(" 84 211 100 850 ") != std::string::npos &&
                text.find(":deg_C\n") != std::string::npos)
        << text;
    GridKolFile back(path.c_str());
    Grid g;
    ASSERT_TRUE(back.read(g)) << r.firstLine;
    EXPECT_TRUE(back.getVer() == r.version && back.getFormat() == r.format);
    ASSERT_TRUE(g.getCount() == 6 && std::equal(g.getData(), g.getData() + 6, in.getData()));
    EXPECT_EQ(g.getDate().getSeconds(), in.getDate().getSeconds());
    EXPECT_EQ(std::string(g.getDatim()) + "|" + g.getInfo(), "12Z 15 JAN 2024|850 mb Temperature");
    EXPECT_TRUE(g.getLevel() == in.getLevel());
    EXPECT_EQ(g.getForeTime().toCode(), in.getForeTime().toCode());
    EXPECT_EQ(std::string(g.getVar().getAbbr()) + " " + g.getUnits(), "temp deg_C");
    EXPECT_TRUE(g.getModel() == 84 && g.getGridNum() == 211 && g.getSource() == 1);
    EXPECT_TRUE(Domain::compare(Domain(g.getDomainVal()), Domain(in.getDomainVal())));
  }

  const std::string path = tmp.file("g");
  GridKolFile out;
  out.setFormat("%.1f");
  ASSERT_TRUE(out.open(path.c_str(), GridKolFile::WRITE, GridKolFile::TEXT));
  ASSERT_TRUE(out.write(sample()));
  out.close();
  const std::string text = KOLTest::readFile(path);
  EXPECT_NE(text.find("\n0.2\n1.2\n2.2\n10.2\n-9999.0\n12.2\n"), std::string::npos) << text;
}

// Projection, centre, spacings and projection longitude of a domain.
std::string summary(const DomainVal& d)
{
  char text[100];
  std::snprintf(text, sizeof text, "%d %g %g %g %g %g", d.proj, d.clat, d.clon, d.dx, d.dy,
                d.param[1]);
  return text;
}

TEST_F(GridKolFileTest, OlderHeadersAndProjectionLines)
{
  const std::string head = "KOLGRID\n12Z 15 JAN 2024\n", values = "\n1\n2\n3\n4\n";
  const struct {
    std::string text;
    int version, format;
    const char* domain;  // summary()
    const char* info;
  } rows[] = {
      // Version 2: no code line, no prefix: polar stereographic with one spacing.
      {head + "Sea level pressure\n60 -105 1.5 9 2 2" + values, 2, GridKolFile::TEXT,
       "1 60 -105 1.5 1.5 -105", "Sea level pressure"},
      // Version 2 with a code line (the reader accepts both).
      {head + "Heights\n1 2 1 0 100 500 0 7:m\nLL 45 10 2.5 2.5 2 2" + values, 2, GridKolFile::TEXT,
       "2 45 10 2.5 2.5 10", "Heights"},
      // Version 3 binary, info after its format number.
      {head + "3-Temperature\n1 3 1 0 100 500 0 11\nPS:-100 50 -90 1 1 2 2\n" +
           std::string("\x3f\x80\x00\x00\x40\x00\x00\x00\x40\x40\x00\x00\x40\x80\x00\x00\n", 17),
       3, GridKolFile::BINARY, "1 50 -90 1 1 -100", "Temperature"},
      {head + "2-Temperature\n1 3 1 0 100 500 0 11\nME 0 30 1 1 2 2" + values, 3, GridKolFile::TEXT,
       "3 0 30 1 1 30", "Temperature"},
      // Version 1: longitudes were positive west; the standard longitude is taken first.
      {"KOLGRID1\n12Z 15 JAN 2024\nOld\nPS 60 105 1 1 2 2" + values, 1, GridKolFile::TEXT,
       "1 60 -105 1 1 105", "Old"},
      {"KOLGRID2\n12Z 15 JAN 2024\nLambert\n1 2 1 0 100 500 0 11\nLC:25:-95:25:25:63.7 40 -95 1 1 "
       "2 2" +
           values,
       2, GridKolFile::TEXT, "4 40 -95 1 1 -95", "Lambert"}};
  for (const auto& r : rows) {
    GridKolFile f(write("old", r.text).c_str());
    Grid g;
    ASSERT_TRUE(f.read(g)) << r.text;
    EXPECT_TRUE(f.getVer() == r.version && f.getFormat() == r.format) << r.text;
    EXPECT_STREQ(g.getInfo(), r.info);
    EXPECT_EQ(summary(g.getDomainVal()), r.domain);
    EXPECT_TRUE(g.getValue(0, 0) == 1 && g.getValue(1, 1) == 4) << r.text;
    EXPECT_EQ(g.getDate().getSeconds(), Date(2024, 1, 15, 12, 0, 0).getSeconds());
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
    EXPECT_TRUE(std::equal(r.first, r.first + 3, g.getData())) << line;
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
  EXPECT_TRUE(f.peek(g) && g.getValue(0, 0) == 0);
  for (int k = 0; k < 3; k++) EXPECT_TRUE(f.read(g) && g.getValue(0, 0) == k) << k;
  EXPECT_FALSE(f.read(g));
  f.rewind();
  EXPECT_TRUE(f.read(g, "#2") && g.getValue(0, 0) == 2);
  f.rewind();
  EXPECT_TRUE(f.read(g, "h12:700mb:temp") && g.getValue(0, 0) == 1);
  Grids set;
  set.addSpec("h12:500mb:temp");
  set.addSpec("h12:850mb:temp");
  f.rewind();
  EXPECT_EQ(f.read(set), 2);
  EXPECT_TRUE(set.getGrid(0).getValue(0, 0) == 2 && set.getGrid(1).getValue(0, 0) == 0);
  // GridRead: a selector after the file name, or an index.
  GridRead reader;
  EXPECT_TRUE(reader.read((path + "+h12:500mb:temp").c_str(), g) && g.getValue(0, 0) == 2);
  EXPECT_TRUE(reader.read((path + "#1").c_str(), g) && g.getValue(0, 0) == 1);
  EXPECT_STREQ(reader.getPath(), path.c_str());
  EXPECT_FALSE(reader.read((path + "+h12:300mb:temp").c_str(), g));
  Grids found, none;
  found.addSpec("h12:500mb:temp");
  none.addSpec("h12:300mb:temp");
  EXPECT_TRUE(reader.read(path.c_str(), Date(), found) == 1 && found.getValue(0, 0, 0) == 2);
  EXPECT_EQ(reader.read(path.c_str(), Date(), none), 0);
  EXPECT_FALSE(reader.read(tmp.file("missing").c_str(), g));
}

TEST_F(GridKolFileTest, DetectionAndModes)
{
  const std::string grib =
      write("behind_header", std::string(100, 'x') + "GRIB" + std::string(50, '\0'));
  EXPECT_EQ(GridFile::checkType(grib.c_str()), GridFile::GRIB);
  const std::string cdf = write("x.nc", std::string("CDF\x01", 4) + std::string(50, '\0'));
  EXPECT_TRUE(GridFile::checkType(cdf.c_str()) == GridFile::NETCDF &&
              !GridFile().open(cdf.c_str()));
  EXPECT_EQ(GridFile::checkType(write("text", "hello\n").c_str()), GridFile::UNKNOWN);
  EXPECT_EQ(GridFile::checkType(tmp.file("absent").c_str()), GridFile::UNKNOWN);
  EXPECT_EQ(GridFile::checkType("-"), GridFile::NATIVE_TEXT);
  // Writing needs a type; reads are refused in write mode and writes in read mode.
  EXPECT_FALSE(GridFile().open(tmp.file("w").c_str(), GridFile::WRITE, GridFile::UNKNOWN));
  GridFile w(tmp.file("w").c_str(), GridFile::WRITE, GridFile::NATIVE_TEXT);
  Grid g = sample();
  EXPECT_TRUE(!w.read(g) && w.write(g));
  w.close();
  GridFile r(tmp.file("w").c_str());
  EXPECT_TRUE(!r.write(g) && r.read(g));
  EXPECT_FALSE(GridKolFile().open(tmp.file("w").c_str(), 3, 1));
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
  EXPECT_TRUE(g.getValue(0, 0) == M && g.getValue(1, 0) == 7);
}

}  // namespace
