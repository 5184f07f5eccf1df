// Station models on a Lambert map of the United States, drawn off-screen and read back from the
// pixels: stations where PROJ puts them, each value in its place around the station, wind barbs
// pointing to where the wind comes from with the right feathers on the right side. With
// KOL_KEEP_PICTURES set to a directory, the pictures are kept there for a person to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Proj.h"
#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "layers/DatumPlot.h"
#include "obs/Datum.h"

using KOL::DatumPlot;
using KOL::EarthPoint;
using KOL::Plot;
using KOL::Point;
using KOLTest::Raster;

namespace {

constexpr double PI = 3.14159265358979;

const char* USA = "lamb:25:-95:25:25,38,-95,41,27,1.2,1.2";

struct Station {
  const char* id;
  float lat, lon;
};
const std::vector<Station> STATIONS = {
    {"KDEN", 39.86f, -104.67f}, {"KORD", 41.98f, -87.90f},  {"KMIA", 25.79f, -80.29f},
    {"KSEA", 47.45f, -122.31f}, {"KBOS", 42.36f, -71.01f},  {"KOKC", 35.39f, -97.60f},
    {"KATL", 33.64f, -84.43f},  {"KPHX", 33.43f, -112.01f},
};

class StationModelPictureTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    if (!KOLTest::haveProj()) GTEST_SKIP() << "PROJ's proj and cs2cs not installed";
  }
  void open(const char* domain, const std::string& keepAs = "")
  {
    const char* keep = std::getenv("KOL_KEEP_PICTURES");
    const std::string out = keep && !keepAs.empty() ? std::string(keep) + "/" + keepAs : "";
    ASSERT_TRUE(plot.open(("de=i," + out + ",sz=1000x700").c_str()));
    map = domain;
    redraw();
  }
  // A clear page and the map window, wherever the panel now is.
  void redraw()
  {
    plot.clear();
    ASSERT_EQ(plot.setDomain(map), 1);
    const KOL::Rect clip = plot.getGraph().getGTran(Plot::MAP).getClipRect();
    pxHeight = std::fabs(clip.y2 - clip.y1);
  }
  Raster picture()
  {
    EXPECT_EQ(plot.getImage(shot), 1);
    return KOLTest::toRaster(shot);
  }
  std::vector<Point> projPixels(const std::vector<EarthPoint>& pts)
  {
    return KOLTest::projPixels(plot, pts);
  }
  // The page angle of true north at a point (radians clockwise from up), from PROJ.
  double northAngle(const EarthPoint& e)
  {
    const std::vector<Point> p = projPixels({e, EarthPoint(e.lat + 0.01f, e.lon)});
    return std::atan2(p[1].x - p[0].x, -(p[1].y - p[0].y));
  }
  // The datum size in pixels: the map's height (scale 1).
  float sizePx() const { return pxHeight; }

  Plot plot;
  DatumPlot dp;
  KOL::Image shot;
  const char* map = USA;
  float pxHeight = 0;
};

// One report: the values a station model shows and where.
struct Report {
  Station at;
  float temp, dew, pressureCode, visibility;
  const char* wx;
  const char* cover;
  float dir, speed;
};

void drawModel(DatumPlot& dp, Plot& plot, const Report& r)
{
  const EarthPoint e(r.at.lat, r.at.lon);
  dp.draw(plot, e, 2, r.temp, "ul,%1.0f,red");
  dp.draw(plot, e, 2, r.dew, "ll,%1.0f,darkgreen");
  dp.draw(plot, e, 2, r.pressureCode, "ur,%03.0f,blue");
  dp.draw(plot, e, 2, r.visibility, "xy=-4.4 0,%1.0f,purple");
  dp.draw(plot, e, 0, r.wx, "wx,cl,magenta");
  dp.draw(plot, e, 0, r.cover, "cloud,cc,black");
  dp.draw(plot, e, 0, r.dir, r.speed, "cbarb,black");
}

TEST_F(StationModelPictureTest, EachValueInItsPlaceAroundTheStation)
{
  open(USA, "station_models.png");
  const std::vector<Report> reports = {
      {STATIONS[5], 23, 12, 132, 7, "61", "8", 250, 25},
      {STATIONS[1], -4, -9, 987, 2, "71", "8", 20, 15},
      {STATIONS[0], 8, -12, 205, 10, "05", "8", 300, 55},
  };
  for (const Report& r : reports) drawModel(dp, plot, r);
  const Raster pic = picture();
  std::vector<EarthPoint> pts;
  for (const Report& r : reports) pts.emplace_back(r.at.lat, r.at.lon);
  const std::vector<Point> where = projPixels(pts);
  const float s = sizePx();
  const float dx = 0.012f * s, far = 0.02f * s, text = 0.018f * s;
  struct Expect {
    const char* what;
    uint32_t color;
    int halign;    // 3: right edge at the anchor, 1: left edge
    float ax, ay;  // anchor, as offsets from the station in pixels (y down)
    float slack;   // the glyph's own margin and the spacing after the last character
  };
  const float symbol = 0.03f * s;
  const std::vector<Expect> expects = {
      {"temperature", 0xFF0000, 3, -dx, -far, 0.4f * text},
      {"dew point", 0x006400, 3, -dx, far, 0.4f * text},
      {"pressure", 0x0000FF, 1, dx, -far, 0.4f * text},
      {"visibility", 0xA020F0, 3, -4.4f * dx, 0, 0.4f * text},
      {"weather", 0xFF00FF, 3, -dx, 0, 0.45f * symbol},
  };
  for (size_t i = 0; i < reports.size(); i++) {
    const Point st = where[i];
    SCOPED_TRACE(reports[i].at.id);
    for (const Expect& x : expects) {
      const KOLTest::Ink k = KOLTest::inkOf(
          pic, x.color, 30, static_cast<int>(st.x - 3 * s / 20), static_cast<int>(st.y - s / 10),
          static_cast<int>(st.x + s / 10), static_cast<int>(st.y + s / 10));
      ASSERT_GT(k.count, 5) << x.what;
      const float anchorX = st.x + x.ax, anchorY = st.y + x.ay;
      if (x.halign == 3) {
        EXPECT_LE(k.x2, anchorX + 1) << x.what << " ends at the anchor";
        EXPECT_GE(k.x2, anchorX - x.slack) << x.what;
      } else {
        EXPECT_GE(k.x1, anchorX - 1) << x.what << " starts at the anchor";
        EXPECT_LE(k.x1, anchorX + x.slack) << x.what;
      }
      EXPECT_NEAR((k.y1 + k.y2) / 2.0, anchorY, x.slack) << x.what << " centred on its row";
    }
    // overcast: the circle is filled at the station
    EXPECT_GT(pic.ink(static_cast<int>(st.x), static_cast<int>(st.y)), 0.9f);
    // the barb's shaft starts at the circle's edge and points to where the wind comes from
    const double a = northAngle(pts[i]) + reports[i].dir * PI / 180;
    auto along = [&](float d) {
      return Point(st.x + d * static_cast<float>(std::sin(a)),
                   st.y - d * static_cast<float>(std::cos(a)));
    };
    const float r0 = 0.01f * s, len = 0.05f * s;
    // grey or black pixels near a point (the barb is black; the values around it are coloured)
    auto black = [&](const Point& p) {
      int n = 0;
      for (int y = static_cast<int>(p.y) - 2; y <= static_cast<int>(p.y) + 2; y++)
        for (int x = static_cast<int>(p.x) - 2; x <= static_cast<int>(p.x) + 2; x++) {
          const uint32_t c = pic.at(x, y);
          const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
          n += std::max({r, g, b}) - std::min({r, g, b}) < 40 && std::min({r, g, b}) < 160;
        }
      return n;
    };
    for (float f : {0.3f, 0.6f}) {
      EXPECT_GT(black(along(r0 + f * len)), 0) << "shaft toward the source " << f;
      EXPECT_EQ(black(along(-(r0 + f * len))), 0) << "nothing downwind " << f;
    }
  }
  plot.close();
}

struct BarbCase {
  float speed;
  int nearRuns, farRuns;
  bool pennant;
};

// Feathers counted along the shaft, at a size where each stroke is a few pixels apart.
void countFeathers(const Raster& pic, const Point& st, double angle, float len, const BarbCase& c,
                   const std::string& label)
{
  auto px = [&](float along, float across) {
    const double ax = std::sin(angle), ay = -std::cos(angle);
    const double nx = std::sin(angle + PI / 2), ny = -std::cos(angle + PI / 2);
    return Point(static_cast<float>(st.x + ax * along + nx * across),
                 static_cast<float>(st.y + ay * along + ny * across));
  };
  const KOLTest::Runs nearRuns =
      KOLTest::runsAlong(pic, px(0.25f * len, 0.125f * len), px(1.25f * len, 0.125f * len));
  const KOLTest::Runs farRuns =
      KOLTest::runsAlong(pic, px(0.25f * len, 0.28f * len), px(1.25f * len, 0.28f * len));
  const KOLTest::Runs other =
      KOLTest::runsAlong(pic, px(0.25f * len, -0.125f * len), px(1.25f * len, -0.125f * len));
  EXPECT_EQ(nearRuns.count, c.nearRuns) << label;
  EXPECT_EQ(farRuns.count, c.farRuns) << label;
  EXPECT_EQ(other.count, 0) << label << ": nothing on the other side";
  const KOLTest::Runs downwind =
      KOLTest::runsAlong(pic, px(-0.5f * len, -0.3f * len), px(-0.5f * len, 0.3f * len));
  EXPECT_EQ(downwind.count, 0) << label << ": nothing downwind";
  EXPECT_EQ(nearRuns.longest > 0.06f * len, c.pennant) << label << ": a pennant is solid";
}

const std::vector<BarbCase> BARBS = {
    {5, 1, 0, false}, {10, 1, 1, false}, {50, 1, 1, true}, {65, 3, 2, true}};

TEST_F(StationModelPictureTest, BarbsOf5To65KnotsFromEveryQuarter)
{
  open(USA);
  for (const Station& stn : {STATIONS[0], STATIONS[1], STATIONS[5]}) {
    const EarthPoint e(stn.lat, stn.lon);
    const double north = northAngle(e);
    const Point st = projPixels({e})[0];
    for (float dir : {10.0f, 100.0f, 200.0f, 290.0f})
      for (const BarbCase& c : BARBS) {
        redraw();
        // four times the usual size: a 130-pixel shaft
        dp.draw(plot, e, 0, dir, c.speed, "wbarb,sc=4,black,wi=2");
        const Raster pic = picture();
        const std::string label =
            std::string(stn.id) + " from " + std::to_string(dir) + " at " + std::to_string(c.speed);
        countFeathers(pic, st, north + dir * PI / 180, 0.05f * 4 * sizePx(), c, label);
      }
  }
  plot.close();
}

}  // namespace
