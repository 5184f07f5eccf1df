// The grid layers: plot, contours, vectors and images of grids, real NAM fields against ecCodes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "LayerPicture.h"
#include "common/Domains.h"
#include "common/Proj.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "geo/DomainTool.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"
#include "layers/GridCont.h"
#include "layers/GridPlot.h"
#include "layers/GridVect.h"
#include "layers/ImagePlot.h"
#include "layers/image/GridPaint.h"

namespace {

using KOL::Const;
using KOL::ContPlot;
using KOL::EarthPoint;
using KOL::Grid;
using KOL::GridCont;
using KOL::GridPlot;
using KOL::GridPoint;
using KOL::GridVect;
using KOL::Kol;
using KOL::Plot;
using KOL::Point;
using KOLTest::lambert;

constexpr const char* NAM = "grib/g2_nam.t00z.awp21100.tm00.grib2";

struct Point3 {
  double lat, lon, value;
};

// ecCodes' decoding of one field: latitude, longitude and value of every point.
std::vector<Point3> ecCodesPoints(const std::string& file, const std::string& where)
{
  std::vector<Point3> pts;
  std::istringstream in(KOLTest::run("grib_get_data -w " + where + " " + file + " 2>/dev/null"));
  std::string line;
  std::getline(in, line);
  Point3 p;
  while (std::getline(in, line))
    if (std::sscanf(line.c_str(), "%lf %lf %lf", &p.lat, &p.lon, &p.value) == 3) pts.push_back(p);
  return pts;
}

bool haveEcCodes() { return std::system("command -v grib_get_data >/dev/null 2>&1") == 0; }

class GridPlotTest : public KOLTest::DatabaseTest {
 protected:
  // The list drawn from the NAM file on its own domain on a picture of the given size.
  void drawNam(GridPlot& layer, const char* list, const char* size)
  {
    layer.setVariable(list);
    ASSERT_EQ(layer.setFilename(KOLTest::dataFile(NAM).c_str()), 1);
    ASSERT_TRUE(plot.open((std::string("bg=white,de=i,,sz=") + size).c_str()));
    KOL::Domain d;
    ASSERT_EQ(layer.getDomain(d), 1);
    plot.setDomain(d);
    ASSERT_EQ(layer.draw(plot), 1);
  }
  KOLTest::ResourceScope resources;
  KOL::Plot plot;
};

// A model's files by its convention in the grid path: a run's forecast hour read and drawn.
TEST_F(GridPlotTest, ModelFilesByConvention)
{
  KOLTest::TempDir dir;
  resources.set("grid_path", dir.path().c_str());
  ASSERT_EQ(std::system(("mkdir -p " + dir.file("nam")).c_str()), 0);
  KOL::GridFile out;
  ASSERT_TRUE(out.open(dir.file("nam/2024011512_nam.grd").c_str(), KOL::GridFile::WRITE,
                       KOL::GridFile::NATIVE_BINARY));
  for (const char* fore : {"anal", "h6"}) {
    KOL::Grid g;
    g.setDomain(KOLTest::lambert(6, 5, 0.8f));
    g.allocData();
    for (int j = 0; j < 5; ++j)
      for (int i = 0; i < 6; ++i) g.setValue(i, j, fore[0] == 'a' ? 5500.0f : 5600.0f);
    g.setDate(KOL::Date(2024, 1, 15, fore[0] == 'a' ? 12 : 18, 0, 0));
    g.setLevel("500mb");
    g.setForeTime(fore);
    g.setVar("hght");
    g.getVarSpec().setUnits("m");
    ASSERT_EQ(out.write(g), 1);
  }
  out.close();

  GridPlot layer("mo=nam,ft=6");
  layer.setVariable("500:hght[m]");
  ASSERT_EQ(layer.setFilename("#2024011512"), 1) << layer.getFilename().getName();
  EXPECT_EQ(std::string(layer.getFilename().getName()), dir.file("nam/2024011512_nam.grd"));
  ASSERT_TRUE(plot.open("bg=white,de=i,,sz=200x150"));
  plot.setDomain(KOLTest::lambert(6, 5, 0.8f));
  ASSERT_EQ(layer.draw(plot), 1);
  const KOL::Grid& h = layer.getPipeline().slotGrid(0);
  ASSERT_TRUE(h.isData());
  EXPECT_FLOAT_EQ(h.getValue(2, 2), 5600.0f) << "the 6-hour forecast, not the analysis";
}

// The keys; a variable list's own commas (quoted, or in brackets) do not end its token.
TEST_F(GridPlotTest, ParameterKeysAndListsWithCommas)
{
  GridPlot layer("mo=nam,va=500:hght[dam],le=850,ft=0-12/6,tz=EST,ho=12,map_fill,nolabel");
  EXPECT_STREQ(layer.getModel(), "nam");
  EXPECT_EQ(layer.getHour(), "12");
  EXPECT_FALSE(layer.getContour().getLabel()) << "the contour layer takes the string too";
  // the parameters, and the variable, level, forecast times and map mode they give
  const std::vector<std::tuple<const char*, const char*, const char*, const char*, int>> cases = {
      {"\"va=500:hght[dam],500:temp[C,cf]\",le=850,ft=0-24/6", "500:hght[dam],500:temp[C,cf]",
       "850", "0,6,12,18,24", -1},
      {"gs=\"500:hght,500:temp\",map_fill,ft=\"6,18\"", "500:hght,500:temp", "", "6,18", 1},
      {"va=avort(500:uwnd,500:vwnd)[,cf],le=500,ft=f12", "avort(500:uwnd,500:vwnd)[,cf]", "500",
       "f12", -1},
      {"va={500:hght,500:temp}[,ln],map_line,ft=12", "{500:hght,500:temp}[,ln]", "", "12", 0},
  };
  for (const auto& [params, variable, level, fore, mapMode] : cases) {
    SCOPED_TRACE(params);
    GridPlot l(params);
    EXPECT_EQ(l.getVariable(), variable);
    EXPECT_EQ(l.getLevel(), level);
    EXPECT_EQ(l.getMapMode(), mapMode);
    EXPECT_EQ(l.getForeTime(), fore);
  }
  GridPlot quoted("va=\"500:hght,nolabel\"");
  EXPECT_TRUE(quoted.getContour().getLabel()) << "a name in the list is no contour key";
}

// A file named without a date tells its fields' date and domain; a missing one the US's.
TEST_F(GridPlotTest, FileNamedWithoutADateTellsItsFieldsDateAndDomain)
{
  KOL_REQUIRE_DATA();
  GridPlot layer;
  ASSERT_EQ(layer.setFilename(KOLTest::dataFile(NAM).c_str()), 1);
  KOL::Date date;
  ASSERT_EQ(layer.getDate(date), 1);
  EXPECT_EQ(date.format("%Y-%m-%d %H:%M"), "2018-09-17 00:00");
  KOL::Domain d;
  ASSERT_EQ(layer.getDomain(d), 1);
  EXPECT_EQ(d.nx * 100 + d.ny, 9365);
  EXPECT_EQ(d.proj, 4) << "Lambert conformal";
  // a missing file: no date, the United States, and nothing drawn
  GridPlot missing;
  missing.setFilename("/nonexistent/dir/file.grib2");
  EXPECT_EQ(missing.getDate(date), 0);
  KOL::Domain us;
  EXPECT_EQ(missing.getDomain(d), 0);
  ASSERT_EQ(KOL::DomainTool::decode(us, "us"), 1);
  EXPECT_EQ(d.proj * 1000 + d.clat, us.proj * 1000 + us.clat);
  ASSERT_TRUE(plot.open("bg=white,de=i,,sz=200x150"));
  EXPECT_EQ(missing.draw(plot), 0);
}

// 1000-500 hPa thickness and the 850 hPa temperature in Celsius, against ecCodes.
TEST_F(GridPlotTest, FunctionsOfFieldsAgreeWithEcCodes)
{
  KOL_REQUIRE_DATA();
  if (!haveEcCodes()) GTEST_SKIP() << "ecCodes' grib_get_data is not installed";
  const std::string file = KOLTest::dataFile(NAM);
  const auto h500 = ecCodesPoints(file, "shortName=gh,level=500");
  const auto h1000 = ecCodesPoints(file, "shortName=gh,level=1000");
  const auto t850 = ecCodesPoints(file, "shortName=t,level=850");
  ASSERT_EQ(h500.size(), 6045u);
  ASSERT_EQ(h1000.size(), h500.size());
  ASSERT_EQ(t850.size(), h500.size());

  GridPlot layer;
  drawNam(layer, "sub(500:hght,1000:hght)[m],sub(850:temp[K],#273.15)[K]", "320x240");
  if (HasFatalFailure()) return;
  const KOL::VarPlot& p = layer.getPipeline();
  const KOL::Grid& thick = p.slotGrid(0);
  const KOL::Grid& celsius = p.slotGrid(3);
  ASSERT_TRUE(thick.isData());
  ASSERT_TRUE(celsius.isData());
  int checked = 0;
  for (size_t k = 0; k < h500.size(); k += 97) {
    KOL::EarthPoint e(static_cast<float>(h500[k].lat), static_cast<float>(h500[k].lon));
    KOL::GridPoint g;
    ASSERT_TRUE(thick.tran(e, g));
    const int i = static_cast<int>(std::lround(g.x)), j = static_cast<int>(std::lround(g.y));
    ASSERT_NEAR(g.x, i, 0.01) << "a grid point of the file";
    ASSERT_NEAR(g.y, j, 0.01);
    EXPECT_NEAR(thick.getValue(i, j), h500[k].value - h1000[k].value, 0.5) << i << "," << j;
    EXPECT_NEAR(celsius.getValue(i, j), t850[k].value - 273.15, 0.01) << i << "," << j;
    ++checked;
  }
  EXPECT_GT(checked, 50);
}

// Sea-level pressure in two bands about 1012 hPa: each grid point's pixel in its band's colour.
TEST_F(GridPlotTest, FillColourAtGridPointsFollowsTheirValues)
{
  KOL_REQUIRE_DATA();
  if (!haveEcCodes()) GTEST_SKIP() << "ecCodes' grib_get_data is not installed";
  const std::string file = KOLTest::dataFile(NAM);
  const auto slp = ecCodesPoints(file, "shortName=prmsl");
  ASSERT_EQ(slp.size(), 6045u);
  GridPlot layer("nolabel");
  drawNam(layer, "prmsl[mb,cf,cof=900=blue/1012=green,nobar]", "640x480");
  if (HasFatalFailure()) return;
  KOL::Image img;
  ASSERT_EQ(plot.getImage(img), 1);
  int checked = 0, right = 0, wrong = 0;
  for (const Point3& s : slp) {
    const double mb = s.value / 100.0;
    if (std::fabs(mb - 1012.0) < 2.0) continue;
    KOL::EarthPoint e(static_cast<float>(s.lat), static_cast<float>(s.lon));
    KOL::Point p;
    if (!plot.getDomain().tran(e, p) || !plot.withinDomainExt(p, -2)) continue;
    const KOL::Point px = plot.toDevice(p);
    KOL::RGB c;
    img.getRGB(static_cast<int>(px.x), static_cast<int>(px.y), c);
    const bool blue = c.blue > 0.9f && c.red < 0.1f && c.green<0.1f, green = c.green> 0.4f &&
                      c.red < 0.1f && c.blue < 0.1f;
    ++checked;
    right += mb < 1012.0 ? blue : green;
    wrong += mb < 1012.0 ? green : blue;
  }
  EXPECT_GT(checked, 2000);
  EXPECT_EQ(wrong, 0) << "a point drawn in the other band's colour";
  // the rest lie under coastlines, borders and high/low marks
  EXPECT_GT(right, checked * 8 / 10);
}

KOL::Domain lambert(float d, int nx = 60, int ny = 45) { return KOLTest::lambert(nx, ny, d); }

KOL::Grid ramp()
{
  KOL::Grid g;
  g.setDomain(lambert(0.8f));
  g.allocData();
  for (int j = 0; j < 45; ++j)
    for (int i = 0; i < 60; ++i) g.setValue(i, j, static_cast<float>(i + j));
  g.setInfo("ramp");
  return g;
}

class GridContTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    ASSERT_TRUE(plot.open("bg=white,de=i,,sz=320x240"));
    KOL::Grid g = ramp();
    plot.setDomain(g.getDomain());
  }
  KOL::Plot plot;
};

TEST_F(GridContTest, OwnKeysContourKeysAndAFile)
{
  GridCont c("nolabel,map_fill,mo=nam,gs=500:hght,cf,int=5,co=black");
  EXPECT_EQ(c.getMapMode(), 1);
  EXPECT_STREQ(c.getModel(), "nam");
  EXPECT_EQ(c.getContPlot().getType(), ContPlot::FILL);
  EXPECT_FLOAT_EQ(c.getContPlot().getInterval(), 5.0f);
  c.setParam("map_line,va=850:temp");
  EXPECT_EQ(c.getMapMode(), 0);
  EXPECT_STREQ(c.getGridSpec(), "850:temp");
  c.reset();  // the next entry starts from the defaults; the layer's own keys stay
  EXPECT_EQ(c.getContPlot().getType(), ContPlot::LINE);
  EXPECT_FALSE(c.getLabel());
  // analyses end along a smooth edge, entry after entry, unless an entry says otherwise
  EXPECT_FALSE(c.getContPlot().getSmoothEdge());
  c.setSmoothEdge(true);
  c.reset();
  EXPECT_TRUE(c.getContPlot().getSmoothEdge());
  c.setParam("noedge");
  EXPECT_FALSE(c.getContPlot().getSmoothEdge());
  // its grid read from a file
  GridCont read("gs=500:hght,ln");
  EXPECT_EQ(read.draw(plot), 0) << "no file";
  if (!KOLTest::haveData()) return;
  read.setFilename(KOLTest::dataFile("grib/g2_nam.t00z.awp21100.tm00.grib2").c_str());
  EXPECT_EQ(read.draw(plot), 1);
  // 500 hPa heights of a September analysis: about 5200 to 5950 m
  EXPECT_GT(read.getContPlot().getFirst(), 5000.0f);
  EXPECT_LT(read.getContPlot().getLast(), 6100.0f);
}

TEST_F(GridContTest, LabelsAndBarFitTheDrawing)
{
  KOL::Grid g = ramp();
  // the label frequency drawn with, the high/low radius and the bar
  const std::vector<std::tuple<const char*, int, int, bool>> cases = {
      {"ln", 2, 4, false},  // lines: labels, highs over a twelfth of the map
      {"cf", 0, 0, true},   // fills: colours and their bar instead of labels, highs and lows
      {"cf,nobar,lab=1:5", 1, 5, false},  // chosen by the user
  };
  for (const auto& [params, freq, radius, bar] : cases) {
    SCOPED_TRACE(params);
    GridCont layer(params);
    EXPECT_EQ(layer.draw(plot, g), 1);
    EXPECT_EQ(layer.getContPlot().getLabelFreq(), freq);
    EXPECT_EQ(layer.getContPlot().getLabelRadius(), radius);
    EXPECT_EQ(layer.getContPlot().getBar(), bar);
  }
  // on a map three times as wide a twelfth is 11 grid points: the search keeps to its widest
  plot.setDomain(lambert(2.4f));
  GridCont wide("ln");
  EXPECT_EQ(wide.draw(plot, g), 1);
  EXPECT_EQ(wide.getContPlot().getLabelRadius(), GridCont::MAX_RADIUS);
}

// Two fields of one time on one map carry the date once; of two times, both dates.
TEST_F(GridContTest, OneDateLabelForFieldsOfOneDate)
{
  GridCont layer("ln");
  auto dates = [&](const char* first, const char* second) {
    plot.clearLabels();
    KOL::Grid g = ramp();
    g.setDatim(first);
    EXPECT_EQ(layer.draw(plot, g), 1);
    g.setDatim(second);
    EXPECT_EQ(layer.draw(plot, g), 1);
    testing::internal::CaptureStdout();
    plot.printLabels();
    const std::string printed = testing::internal::GetCapturedStdout();
    int n = 0;  // date labels: every date here ends so
    for (std::size_t at = printed.find("SEP 18"); at != std::string::npos;
         at = printed.find("SEP 18", at + 1))
      n++;
    return n;
  };
  EXPECT_EQ(dates("NAM analysis for 00Z MON 17 SEP 18", "NAM analysis for 00Z MON 17 SEP 18"), 1);
  EXPECT_EQ(dates("00Z MON 17 SEP 18", "12Z MON 17 SEP 18"), 2);
  // a new set of labels (another frame) dates its first field again
  EXPECT_EQ(dates("00Z MON 17 SEP 18", "00Z MON 17 SEP 18"), 1);
}

// A 600 x 450 field on a 200 x 150 picture is contoured on a lattice of the picture's size.
TEST_F(GridContTest, FineFieldThinnedToThePicturesResolution)
{
  KOL::Grid fine;
  fine.setDomain(lambert(0.05f, 600, 450));
  fine.allocData();
  for (int j = 0; j < 450; ++j)
    for (int i = 0; i < 600; ++i) fine.setValue(i, j, std::sin(i / 60.0f) + std::cos(j / 45.0f));
  KOL::Plot p;
  ASSERT_TRUE(p.open("bg=white,de=i,,sz=200x150"));
  p.setDomain(fine.getDomain());
  KOL::Grid coarse;
  ASSERT_TRUE(GridCont::thinned(fine, p, coarse)) << "a third of a pixel apart";
  EXPECT_EQ(coarse.getNx(), 200);
  EXPECT_EQ(coarse.getNy(), 150);
  EXPECT_NEAR(coarse.getValue(100, 75), fine.getValue(301, 226), 0.01f);
  KOL::Grid nam = ramp();
  EXPECT_FALSE(GridCont::thinned(nam, p, coarse)) << "fewer points than pixels";
  EXPECT_EQ(GridCont("cf,nobar,nolabel").draw(p, fine), 1);
}

constexpr double DEG = 0.017453292519943295;

// A grid like NAM's 211, 40 km apart.
const KOL::Domain LAMBERT = lambert(151, 101, 0.4f);
const char* LAMBERT_PROJ = "+proj=lcc +lat_1=25 +lat_2=25 +lat_0=25 +lon_0=-95 +R=6371220";

// The direction of north (degrees clockwise from up) in a PROJ projection at a place.
double northIn(const std::string& proj, double lat, double lon)
{
  const auto p = KOLTest::projRun("proj -f %.6f " + proj, {{lon, lat}, {lon, lat + 0.01}});
  return std::atan2(p[1].first - p[0].first, p[1].second - p[0].second) / DEG;
}

double turn(double a)
{
  while (a > 180) a -= 360;
  while (a <= -180) a += 360;
  return a;
}

class GridVectTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    ASSERT_TRUE(plot.open("bg=white,de=i,,sz=400x300"));
  }
  Plot plot;
};

// A grid-north wind must point to the map's north, as PROJ puts it.
TEST_F(GridVectTest, GridNorthTurnedToTheMap)
{
  KOL_REQUIRE_PROJ();
  Grid g;
  g.setDomain(LAMBERT);
  // a map, and its projection for PROJ (null: north is up everywhere)
  const std::tuple<const char*, KOL::Domain, const char*> maps[] = {
      {"latlon", KOLTest::makeDomain(2, Const::FMISS, Const::FMISS, 40, -95, 80, 40, 1.0f),
       nullptr},
      {"polar", KOLTest::makeDomain(1, 90, -105, 45, -105, 41, 31, 1.0f),
       "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105 +R=6371220"},
  };
  const double places[][2] = {{40, -125}, {40, -95}, {45, -70}, {30, -110}, {55, -80}};
  for (const auto& [name, domain, proj] : maps) {
    SCOPED_TRACE(name);
    plot.setDomain(domain);
    for (const auto& pl : places) {
      SCOPED_TRACE(std::to_string(pl[0]) + " " + std::to_string(pl[1]));
      KOL::EarthPoint e(static_cast<float>(pl[0]), static_cast<float>(pl[1]));
      KOL::GridPoint gp;
      ASSERT_TRUE(g.tran(e, gp));
      const int i = static_cast<int>(std::lround(gp.x)), j = static_cast<int>(std::lround(gp.y));
      KOL::EarthPoint at;
      g.tran(KOL::GridPoint(static_cast<float>(i), static_cast<float>(j)), at);
      // the wind towards earth north, in grid components
      const double north = northIn(LAMBERT_PROJ, at.lat, at.lon);
      const float u = static_cast<float>(std::sin(north * DEG)),
                  v = static_cast<float>(std::cos(north * DEG));
      KOL::Point p;
      ASSERT_TRUE(plot.getDomain().tran(at, p));
      const float dir = GridVect::mapDirection(g, i, j, u, v, plot, p);
      const double want = proj ? northIn(proj, at.lat, at.lon) : 0.0;
      EXPECT_NEAR(turn(dir - want), 0.0, 0.2);
    }
  }
}

TEST_F(GridVectTest, SymbolsKeptApart)
{
  Grid g;
  g.setDomain(LAMBERT);
  plot.setDomain(LAMBERT);
  for (const auto& [spacing, step] : {std::pair{0.1f, 1}, {0.4f, 1}, {1.0f, 3}, {2.0f, 5}}) {
    int di, dj;
    GridVect::stride(g, plot, spacing, di, dj);
    EXPECT_EQ(di * 100 + dj, step * 101) << spacing;
  }
}

// Westerlies of 20 m/s drawn in blue: the arrows are there, and only where the wind is.
TEST_F(GridVectTest, ArrowsOnThePicture)
{
  const KOL::Domain d = lambert(31, 21, 2.0f);
  plot.setDomain(d);
  Grid u, v;
  for (Grid* g : {&u, &v}) {
    g->setDomain(d);
    g->allocData();
  }
  for (int j = 0; j < 21; ++j)
    for (int i = 0; i < 31; ++i) {
      u.setValue(i, j, i < 15 ? 20.0f : Const::FMISS);
      v.setValue(i, j, 0.0f);
    }
  u.setDate(KOL::Date(2024, 1, 15, 12, 0, 0));
  GridVect vect("co=blue");
  ASSERT_EQ(vect.draw(plot, u, v), 1);
  EXPECT_EQ(plot.getDate().getSeconds(), u.getDate().getSeconds()) << "the frame takes its date";
  KOL::Image img;
  ASSERT_EQ(plot.getImage(img), 1);
  int west = 0, east = 0;
  KOL::RGB c;
  for (int y = 0; y < img.getHeight(); ++y)
    for (int x = 0; x < img.getWidth(); ++x) {
      img.getRGB(x, y, c);
      // the last arrows start half way across and point east
      if (c.blue > 0.5f && c.red < 0.5f) (x < img.getWidth() * 0.55 ? west : east)++;
    }
  EXPECT_GT(west, 200);
  EXPECT_EQ(east, 0);
  // components that do not match are refused
  Grid small;
  small.setDomain(lambert(5, 5, 2.0f));
  small.allocData();
  EXPECT_EQ(vect.draw(plot, u, small), 0);
}

class ImagePlotTest : public KOLTest::LayerPictureTest {
 protected:
  void SetUp() override
  {
    LayerPictureTest::SetUp();
    KOL::Grid g;
    g.setDomain(grid);
    g.allocData();
    for (int j = 0; j < 11; ++j)
      for (int i = 0; i < 21; ++i) g.setValue(i, j, static_cast<float>(i));  // 0 to 20 eastward
    g.setDate(KOL::Date(2024, 1, 15, 12, 0, 0));
    g.setLevel("sfc");
    g.setForeTime("anal");
    g.setVar("temp");
    g.getVarSpec().setUnits("C");
    KOL::GridFile out;
    ASSERT_EQ(out.write(file.c_str(), g), 1);
  }
  void show(KOL::ImagePlot& layer)
  {
    ASSERT_TRUE(layer.setFilename(file.c_str()));
    draw(layer, "", &map);
  }
  // The picture's colour at grid point (x, y).
  uint32_t at(float x, float y)
  {
    EarthPoint e;
    EXPECT_TRUE(grid.tran(GridPoint(x, y), e));
    return colourAt(e.lat, e.lon);
  }
  static uint32_t classColour(const KOL::ImagePlot& layer, float v)
  {
    return KOLTest::packed(
        layer.getColors().rgb[KOL::imageplot::classOf(layer.getPaint().levels, v)]);
  }

  KOLTest::TempDir dir;
  std::string file = dir.file("field.grd");
  KOL::Domain grid = KOLTest::lambert(21, 11, 0.5f);
  KOL::Domain map = KOLTest::makeDomain(1, 90, -95, 38, -95, 31, 21, 0.5f);
};

TEST_F(ImagePlotTest, PixelsTakeTheClassOfTheValueWhereTheyLieAboveTheCutoff)
{
  for (const char* mode : {"pixoff", "fill"}) {
    SCOPED_TRACE(mode);
    KOL::ImagePlot layer((std::string("va=sfc:temp,int=5,over,nobar,") + mode).c_str());
    show(layer);
    const std::vector<float>& levels = layer.getPaint().levels;
    ASSERT_GE(levels.size(), 5u);
    EXPECT_FLOAT_EQ(levels[1] - levels[0], 5.0f);  // as the fills of int=5
    for (float x : {2.0f, 7.0f, 12.0f, 17.0f}) EXPECT_EQ(at(x, 5), classColour(layer, x)) << x;
    // 0.4 of a cell short of 10: the nearest point reads 10, the bilinear value 9.6
    EXPECT_EQ(at(9.6f, 5), classColour(layer, mode[0] == 'f' ? 9.6f : 10.0f));
    EXPECT_EQ(at(10, 14), 0xFFFFFFu) << "beyond the grid the page is left as it is";
  }
  // below the cutoff and west of the longitude the page too
  KOL::ImagePlot cut("va=sfc:temp,int=5,over,nobar,cutoff=10");
  show(cut);
  EXPECT_EQ(at(4, 5), 0xFFFFFFu);
  EXPECT_EQ(at(14, 5), classColour(cut, 14));
  KOL::ImagePlot west("va=sfc:temp,int=5,over,nobar,maxlon=-95");
  show(west);
  EXPECT_NE(at(5, 5), 0xFFFFFFu);
  EXPECT_EQ(at(15, 5), 0xFFFFFFu);
}

}  // namespace
