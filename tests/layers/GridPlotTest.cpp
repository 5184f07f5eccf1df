// The grid plot layer: forecast-time lists, naming conventions from the model or the resources,
// its parameter keys, the preferred domain of a missing file, and a real NAM field read and
// drawn: functions of two fields agree with ecCodes' values, and the colour at the pixel of a
// grid point is the colour of its value's band.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "NamLoop.h"
#include "common/Domains.h"
#include "common/TestData.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "geo/DomainTool.h"
#include "graphics/Figure.h"
#include "graphics/Plot.h"
#include "grid/GridFile.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"
#include "layers/GridPlot.h"

using KOL::Const;
using KOL::GridPlot;
using KOL::Kol;

namespace {

constexpr const char* NAM = "grib/g2_nam.t00z.awp21100.tm00.grib2";

// Resources set for one test and removed afterwards.
class ResourceScope {
 public:
  ~ResourceScope()
  {
    for (const std::string& n : names_) Kol::resrc.set(n.c_str(), "");
  }
  void set(const char* name, const char* value)
  {
    names_.push_back(name);
    Kol::resrc.set(name, value);
  }

 private:
  std::vector<std::string> names_;
};

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
  ResourceScope resources;
  KOL::Plot plot;
};

TEST_F(GridPlotTest, NamingConventionFromModelOrResources)
{
  {
    GridPlot layer;
    EXPECT_STREQ(layer.getNameConv(), "grid") << "no model and no in_file";
    EXPECT_EQ(layer.setModel("NAM"), 1);
    EXPECT_STREQ(layer.getNameConv(), "grid_nam");
    EXPECT_EQ(layer.getModelSpec().getProcess(), 84);
    EXPECT_EQ(layer.setModel("nosuchmodel"), 0);
    EXPECT_STREQ(layer.getNameConv(), "") << "a model without a convention has none";
  }
  resources.set("in_file", "grib");
  EXPECT_STREQ(GridPlot().getNameConv(), "grib");
  resources.set("model", "gfs");
  EXPECT_STREQ(GridPlot().getNameConv(), "grid_gfs") << "the model wins over in_file";
}

// A model's files found by its convention in the grid path: the run of a date, read and drawn at
// the forecast hour asked for.
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

// The keys; a variable list has commas of its own: quoted (the whole token or its value) or
// inside brackets, parentheses and braces they do not end the token, and its words are no keys
// of the sub-layers. Forecast-time ranges become lists.
TEST_F(GridPlotTest, ParameterKeysAndListsWithCommas)
{
  GridPlot layer("mo=nam,va=500:hght[dam],le=850,ft=0-12/6,tz=EST,ho=12,map_fill,nolabel");
  EXPECT_STREQ(layer.getModel(), "nam");
  EXPECT_EQ(layer.getHour(), "12");
  EXPECT_FALSE(layer.getContour().getLabel()) << "the contour layer takes the string too";
  layer.setParam("map_line");
  EXPECT_EQ(layer.getMapMode(), 0);
  struct {
    const char* params;
    const char* variable;
    const char* level;
    const char* fore;
    int mapMode;
  } cases[] = {
      {"mo=nam,va=500:hght[dam],le=850,ft=0-12/6,map_fill", "500:hght[dam]", "850", "0,6,12", 1},
      {"\"va=500:hght[dam],500:temp[C,cf]\",le=850,ft=0-24/6", "500:hght[dam],500:temp[C,cf]",
       "850", "0,6,12,18,24", -1},
      {"gs=\"500:hght,500:temp\",map_fill,ft=\"6,18\"", "500:hght,500:temp", "", "6,18", 1},
      {"va=avort(500:uwnd,500:vwnd)[,cf],le=500,ft=f12", "avort(500:uwnd,500:vwnd)[,cf]", "500",
       "f12", -1},
      {"va={500:hght,500:temp}[,ln],map_line,ft=12", "{500:hght,500:temp}[,ln]", "", "12", 0},
      {"va=500:temp[C,cf]", "500:temp[C,cf]", "", "", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    GridPlot l(c.params);
    EXPECT_EQ(l.getVariable(), c.variable);
    EXPECT_EQ(l.getLevel(), c.level);
    EXPECT_EQ(l.getMapMode(), c.mapMode);
    if (*c.fore) {
      EXPECT_EQ(l.getForeTime(), c.fore);
    }
  }
  GridPlot fives;
  fives.setForeTime("0-12/5");
  EXPECT_EQ(fives.getForeTime(), "0,5,10");
  GridPlot quoted("va=\"500:hght,nolabel\"");
  EXPECT_TRUE(quoted.getContour().getLabel()) << "a name in the list is no contour key";
}

// Before anything is drawn, a file named without a date tells the date of its fields (the
// figure names each frame by it) and the domain of its first grid; a file that is not there
// tells none, and prefers the United States.
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
  EXPECT_EQ(d.nx, 93);
  EXPECT_EQ(d.ny, 65);
  EXPECT_EQ(d.proj, 4) << "Lambert conformal";
  // a missing file: no date, the United States, and nothing drawn
  GridPlot missing;
  missing.setFilename("/nonexistent/dir/file.grib2");
  EXPECT_EQ(missing.getDate(date), 0);
  KOL::Domain us;
  EXPECT_EQ(missing.getDomain(d), 0);
  ASSERT_EQ(KOL::DomainTool::decode(us, "us"), 1);
  EXPECT_EQ(d.proj, us.proj);
  EXPECT_FLOAT_EQ(d.clat, us.clat);
  EXPECT_FLOAT_EQ(d.clon, us.clon);
  ASSERT_TRUE(plot.open("bg=white,de=i,,sz=200x150"));
  EXPECT_EQ(missing.draw(plot), 0);
}

// Thickness of the 1000-500 hPa layer from the two height fields of one file, and the
// temperature in Celsius from its Kelvin field and a constant: both reach the functions.
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

// Two panels side by side: each is drawn in its own place and keeps its own labels.
TEST_F(GridPlotTest, PanelsCarryTheirOwnLabels)
{
  KOL_REQUIRE_DATA();
  GridPlot layer;
  drawNam(layer, "panel[2x1+0+0],500:hght[dam],panel[2x1+1+0],prmsl[mb]", "400x200");
  if (HasFatalFailure()) return;
  EXPECT_EQ(plot.getNumPanels(), 3) << "the page and the two panels";
  EXPECT_EQ(plot.getPanel(), 2);
  EXPECT_EQ(plot.getNumLabels(), 3) << "information, date and range of the right panel only";
  EXPECT_TRUE(layer.getPipeline().slotGrid(0).isData());
  EXPECT_TRUE(layer.getPipeline().slotGrid(1).isData());
}

// Sea-level pressure filled in two bands, below and above 1012 hPa: at the pixel of a grid point
// well inside a band (its value at least 2 hPa from the edge) the picture has that band's colour.
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
  if (const char* keep = std::getenv("KOL_KEEP_PICTURES"))
    plot.saveImage((std::string(keep) + "/gridplot_bands.png").c_str(), "PNG");
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
    const bool blue = c.blue > 0.9f && c.red < 0.1f && c.green < 0.1f;
    const bool green = c.green > 0.4f && c.red < 0.1f && c.blue < 0.1f;
    ++checked;
    right += mb < 1012.0 ? blue : green;
    wrong += mb < 1012.0 ? green : blue;
  }
  EXPECT_GT(checked, 2000);
  EXPECT_EQ(wrong, 0) << "a point drawn in the other band's colour";
  // the rest lie under coastlines, borders and high/low marks
  EXPECT_GT(right, checked * 8 / 10);
}

// A loop over forecast hours through the figure: each frame reads its own hour and carries the
// labels of what it draws, not those of the frames before it.
TEST_F(GridPlotTest, FramesOfAForecastLoop)
{
  KOL_REQUIRE_DATA();
  if (!KOLTest::haveGribSet()) GTEST_SKIP() << "ecCodes' grib_set is not installed";
  KOLTest::TempDir dir;
  const std::string file = KOLTest::namLoopFile(dir);
  ASSERT_FALSE(file.empty());
  GridPlot layer;
  layer.setVariable("prmsl[mb,cf]");
  ASSERT_EQ(layer.setFilename(file.c_str()), 1);
  KOL::Figure fig;
  ASSERT_TRUE(fig.open("bg=white,de=i,,sz=320x240"));
  KOL::Domain d;
  ASSERT_EQ(layer.getDomain(d), 1);
  fig.startPlot(d);
  fig.setForeTime("0-12/6");
  fig.addDrawing(layer);
  ASSERT_EQ(fig.endPlot(), 1);
  KOL::Plot& p = fig.getPlot();
  EXPECT_EQ(p.getNumFrames(), 3);
  EXPECT_EQ(p.getNumLabels(), 3) << "information, date and range of the last frame only";
  EXPECT_FLOAT_EQ(layer.getForeHour(), 12.0f);
  float lo, hi;
  ASSERT_TRUE(layer.getPipeline().slotGrid(0).getRange(lo, hi));
  EXPECT_NEAR(hi, 1044.0f, 1.0f) << "the 12-hour field, 16 hPa above the analysis";
  // the frames are different pictures: the 12-hour field is the analysis 16 hPa higher, so with
  // its levels 16 hPa higher too its bands look alike; the labels tell the frames apart
  KOL::Image first, last;
  p.setFrame(0);
  ASSERT_EQ(p.getImage(first), 1);
  p.setFrame(2);
  ASSERT_EQ(p.getImage(last), 1);
  int differ = 0;
  KOL::RGB a, b;
  for (int j = 0; j < first.getHeight(); j += 2)
    for (int i = 0; i < first.getWidth(); i += 2) {
      first.getRGB(i, j, a);
      last.getRGB(i, j, b);
      differ += a.red != b.red || a.green != b.green || a.blue != b.blue;
    }
  EXPECT_GT(differ, 200);
}

}  // namespace
