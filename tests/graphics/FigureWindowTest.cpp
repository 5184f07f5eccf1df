// A figure in a real window under a private Xvfb: keys typed with xdotool reach the figure
// through the device's main loop, zoom the map and save the picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/TestData.h"
#include "common/Xvfb.h"
#include "core/Kol.h"
#include "graphics/Drawing.h"
#include "graphics/Figure.h"
#include "graphics/Plot.h"
#include "graphics/XWindow.h"

using KOL::Domain;
using KOL::Figure;
using KOL::Plot;
using KOL::Point;

namespace {

// Draws a cross and, on the first idle moments, types the keys; leaves the loop when the
// picture was saved or after a while.
class Typist : public KOL::Drawing, public KOL::Listener {
 public:
  std::string command;
  int draws = 0, idles = 0;
  Plot* plot = nullptr;
  std::string saved;

  int draw(Plot& p) override
  {
    ++draws;
    p.setLineColor("red");
    p.drawLine(Point(-5, -5), Point(5, 5));
    p.drawLine(Point(-5, 5), Point(5, -5));
    return 1;
  }
  int callback(const char* event, const char* data, const void*) override
  {
    if (std::string(event) != "Idle") {
      if (std::getenv("KOL_DEBUG_EVENTS")) std::fprintf(stderr, "%s %s\n", event, data);
      return 0;
    }
    if (++idles == 1) KOLTest::run(command + " &");
    if (idles > 150 || (draws >= 2 && !KOLTest::readFile(saved).empty()))
      plot->getGraph().unmanage();
    return 1;
  }
};

class FigureWindowTest : public KOLTest::DatabaseTest {};

TEST_F(FigureWindowTest, KeysZoomAndSaveThroughTheMainLoop)
{
  int status = 0;
  KOLTest::run("command -v xdotool", &status);
  if (status != 0) GTEST_SKIP() << "xdotool is not installed";
  KOLTest::Xvfb server;
  if (!server.running()) GTEST_SKIP() << server.reason();
  KOLTest::TempDir dir;
  KOL::Kol::resrc.set("image_path", dir.path().c_str());

  Figure fig;
  ASSERT_TRUE(fig.open(("ge=300x300,ti=Zoomtest,de=w,co=" + server.display()).c_str()));
  ASSERT_EQ(fig.startPlot(Domain("xy,0,0,11,11,1,1")), 1);
  Typist t;
  t.plot = &fig.getPlot();
  t.saved = dir.file("Zoomt.png");
  fig.addDrawing(t);
  fig.endPlot();
  ASSERT_EQ(t.draws, 1);
  // the pixel of plot point (2.5, 2.5): zoom there, then save
  const Point px = fig.getPlot().toDevice(Point(2.5f, 2.5f));
  if (std::getenv("KOL_DEBUG_EVENTS")) std::fprintf(stderr, "pixel %f %f\n", px.x, px.y);
  auto* w = static_cast<KOL::XWindow*>(fig.getPlot().getDevice());
  const std::string id = std::to_string(w->getWindow());
  const std::string env = "DISPLAY=" + server.display() + " xdotool ";
  // keys typed (not sent to the window) carry the pointer's position
  t.command = "sleep 0.3; " + env + "mousemove --window " + id + " " +
              std::to_string(static_cast<int>(px.x + 0.5f)) + " " +
              std::to_string(static_cast<int>(px.y + 0.5f)) + " 2>/dev/null; " + env +
              "key alt+z 2>/dev/null; sleep 0.3; " + env + "key alt+v 2>/dev/null";
  ASSERT_EQ(fig.getPlot().addCallback("AnyEvent", &t, nullptr), 1);
  fig.manage();
  KOL::Kol::resrc.set("image_path", "");
  Domain d;
  fig.getPlot().getPanelDomain(0, d);
  EXPECT_NEAR(d.dx, 0.5, 1e-6) << "zoomed by 2";
  Point centre;
  d.tranCenter(centre);
  EXPECT_NEAR(centre.x, 2.5, 0.1) << "about the pointer";
  EXPECT_NEAR(centre.y, 2.5, 0.1);
  EXPECT_GE(t.draws, 2) << "redrawn after the zoom";
  EXPECT_FALSE(KOLTest::readFile(t.saved).empty()) << "alt+v saved the picture";
  if (const char* keep = std::getenv("KOL_KEEP_PICTURES"))
    KOLTest::run("cp " + t.saved + " " + keep + "/figure_window.png");
}

}  // namespace
