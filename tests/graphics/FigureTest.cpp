// Figures over layers that find data by date or forecast hour: how many frames, for which
// dates, which are skipped, and what the key events do to the domain.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Const.h"
#include "core/Date.h"
#include "core/Kol.h"
#include "graphics/Drawing.h"
#include "graphics/Figure.h"
#include "graphics/Plot.h"

using namespace KOL;

namespace {

// A device that also notes its frames and cursors.
class FrameDevice : public KOLTest::RecordingDevice {
 public:
  explicit FrameDevice(std::vector<std::string>* log)
      : RecordingDevice(400, 400, false, log), log_(log)
  {
  }
  int newFrame() override
  {
    log_->push_back("newFrame");
    return 1;
  }
  int deleteFrame(int n) override
  {
    log_->push_back("deleteFrame " + std::to_string(n));
    return 1;
  }

 private:
  std::vector<std::string>* log_;
};

// A layer with data at some dates: setFilename finds the latest at or before the date asked.
class Layer : public KOL::Drawing {
 public:
  int loop = 1, sync = 0, frames = 1, offset = 0;
  std::vector<long> dates;
  std::vector<std::string> drawn;  // the date or forecast of every draw
  std::string fcst;
  long found = Const::MISS;

  int setFilename(Date& d, const char*) override
  {
    found = Const::MISS;
    for (long t : dates)
      if (t <= d.getSeconds() && (found == Const::MISS || t > found)) found = t;
    return found != Const::MISS;
  }
  int getDate(Date& d) override
  {
    if (found == Const::MISS) return 0;
    d.set(found);
    return 1;
  }
  int setForeTime(const char* f) override
  {
    fcst = f ? f : "";
    return 1;
  }
  int getLoopType() override { return loop; }
  int getNumFrames() override { return frames; }
  int getDateOffset() override { return offset; }
  int getSync() override { return sync; }
  int draw(Plot& p) override
  {
    if (loop == 2)
      drawn.push_back("f" + fcst);
    else
      drawn.push_back(found == Const::MISS ? "none" : Date(found).format("%H%M"));
    p.drawLine(Point(0, 0), Point(1, 1));
    return 1;
  }
};

long at(int h, int m = 0) { return Date(2024, 1, 15, h, m, 0).getSeconds(); }

class FigureTest : public KOLTest::DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    KOL::Kol::resrc.set("current", "");
    ASSERT_TRUE(fig.open(std::make_unique<FrameDevice>(&log), ""));
    ASSERT_EQ(fig.startPlot(Domain("xy,0,0,11,11,1,1")), 1);
  }
  int count(const std::string& s) const
  {
    int n = 0;
    for (const std::string& l : log) n += l == s;
    return n;
  }
  std::vector<std::string> log;
  Figure fig;
};

TEST_F(FigureTest, ForecastRangeMakesAForecastLoop)
{
  EXPECT_EQ(fig.setForeTime("0-12/3"), 1);
  EXPECT_EQ(fig.getForeTime(), "0,3,6,9,12");
  Layer layer;
  layer.loop = 2;
  layer.dates = {at(0)};  // one model run
  fig.addDrawing(layer);
  fig.endPlot();
  EXPECT_EQ(fig.getNumFrames(), 5);
  EXPECT_EQ(fig.getLoopType(), 2);
  EXPECT_EQ(layer.drawn, (std::vector<std::string>{"f0", "f3", "f6", "f9", "f12"}));
  EXPECT_EQ(count("newFrame"), 5);
  EXPECT_EQ(fig.getState(), 1);

  fig.setForeTime("6,18,24");
  EXPECT_EQ(fig.getForeTime(), "6,18,24");
  EXPECT_EQ(fig.setForeTime("12-0/3"), 0);
}

TEST_F(FigureTest, DateLoopSkipsFramesWhoseDataRepeats)
{
  Layer layer;
  layer.dates = {at(7), at(8), at(10), at(11), at(12)};  // nothing new at 09:00
  fig.addDrawing(layer);
  fig.setDate(Date(at(12)), 3600, 6);
  fig.endPlot();
  EXPECT_EQ(layer.drawn, (std::vector<std::string>{"0700", "0800", "1000", "1100", "1200"}));
  EXPECT_EQ(count("newFrame"), 5);
  EXPECT_EQ(fig.getDataDate().getSeconds(), at(12));
}

TEST_F(FigureTest, FramesWithoutDataAreSkippedButASingleFrameDrawsAnyway)
{
  Layer layer;
  layer.dates = {at(11)};
  fig.addDrawing(layer);
  fig.setDate(Date(at(12)), 3600, 3);  // 10:00 finds nothing
  fig.endPlot();
  EXPECT_EQ(layer.drawn, (std::vector<std::string>{"1100"}));

  Layer empty;
  std::vector<std::string> log2;
  Figure single;
  ASSERT_TRUE(single.open(std::make_unique<FrameDevice>(&log2), ""));
  single.addDrawing(empty);
  single.setDate(Date(at(12)));
  single.endPlot();
  EXPECT_EQ(empty.drawn, (std::vector<std::string>{"none"}));
}

TEST_F(FigureTest, SyncLayerSetsTheLoop)
{
  struct Synced : Layer {
    int getInitDate(Date& d) override
    {
      d.set(at(18));
      return 1;
    }
  } sync;
  sync.sync = 1;
  sync.frames = 3;
  sync.offset = 1800;
  sync.dates = {at(17), at(17, 30), at(18)};
  Layer other;  // looping but not in sync: it follows the sync layer's dates
  other.dates = {at(12)};
  fig.addDrawing(other);
  fig.addDrawing(sync);
  fig.endPlot();
  EXPECT_EQ(fig.getNumFrames(), 3);
  EXPECT_EQ(fig.getDateOffset(), 1800);
  EXPECT_EQ(fig.getDate().getSeconds(), at(18));
  EXPECT_EQ(sync.drawn, (std::vector<std::string>{"1700", "1730", "1800"}));
  EXPECT_EQ(other.drawn.size(), 3u);
}

TEST_F(FigureTest, ZoomPanAndUnzoomKeys)
{
  Layer layer;
  layer.loop = 0;
  fig.addDrawing(layer);
  fig.endPlot();
  const size_t drawn = layer.drawn.size();
  Plot& plot = fig.getPlot();
  // the pixel of plot point (2.5, -1.5)
  const Point px = plot.toDevice(Point(2.5f, -1.5f));
  const std::string key = "z-Alt:" + std::to_string(static_cast<int>(px.x + 0.5f)) + ":" +
                          std::to_string(static_cast<int>(px.y + 0.5f));
  fig.callback("KeyPress", key.c_str(), nullptr);
  Domain d;
  plot.getPanelDomain(0, d);
  Point centre;
  d.tranCenter(centre);
  EXPECT_NEAR(centre.x, 2.5, 0.05);
  EXPECT_NEAR(centre.y, -1.5, 0.05);
  EXPECT_NEAR(d.dx, 0.5, 1e-6);
  EXPECT_EQ(layer.drawn.size(), drawn + 1) << "redrawn from the first frame";

  const Point c = plot.toDevice(Point(2.5f, -1.5f));
  const std::string unzoom = "Z-Alt-Shft:" + std::to_string(static_cast<int>(c.x + 0.5f)) + ":" +
                             std::to_string(static_cast<int>(c.y + 0.5f));
  fig.callback("KeyPress", unzoom.c_str(), nullptr);
  plot.getPanelDomain(0, d);
  EXPECT_NEAR(d.dx, 1.0, 1e-6);

  fig.callback("KeyPress", "u-Alt:0:0", nullptr);
  plot.getPanelDomain(0, d);
  d.tranCenter(centre);
  EXPECT_NEAR(centre.x, 0.0, 1e-6);
  EXPECT_NEAR(d.dx, 1.0, 1e-6);
  EXPECT_EQ(layer.drawn.size(), drawn + 3);

  fig.callback("KeyPress", "r-Alt:0:0", nullptr);
  fig.callback("Redraw", "400:400", nullptr);
  EXPECT_EQ(layer.drawn.size(), drawn + 5);
  fig.callback("KeyPress", "z-Alt:garbage", nullptr);
  EXPECT_EQ(layer.drawn.size(), drawn + 5);
}

TEST_F(FigureTest, IdleRefreshRedrawsWhenNewDataArrives)
{
  Layer layer;
  layer.dates = {at(11), at(12)};
  fig.setParam("ref=2");
  fig.addDrawing(layer);
  fig.setDate(Date(at(12)), 3600, 2);
  fig.endPlot();
  ASSERT_EQ(layer.drawn.size(), 2u);
  log.clear();
  layer.dates.push_back(at(13));
  EXPECT_EQ(fig.callback("Idle", "", nullptr), 1);
  EXPECT_EQ(layer.drawn.back(), "1300");
  EXPECT_EQ(count("deleteFrame 0"), 1) << "the oldest frame gives way";
  EXPECT_EQ(count("newFrame"), 1);
  // not again before the interval has passed, nor when nothing new came
  EXPECT_EQ(fig.callback("Idle", "", nullptr), 0);
  KOL::Kol::sleep(2.1f);
  EXPECT_EQ(fig.callback("Idle", "", nullptr), 0);
  EXPECT_EQ(layer.drawn.size(), 3u);
}

TEST_F(FigureTest, EveryFrameStartsOnTheWholePlot)
{
  // the first layer draws on the whole plot in each frame, though the frame before ended on the
  // right-hand panel: each frame's first line starts at the same place
  Layer whole, right;
  whole.dates = right.dates = {at(11), at(12)};
  fig.addDrawing(whole);
  fig.addPanel("2x1+1+0");
  fig.addDrawing(right);
  fig.setDate(Date(at(12)), 3600, 2);
  fig.endPlot();
  ASSERT_EQ(whole.drawn.size(), 2u);
  std::vector<float> firstX;
  bool fresh = false;
  for (const std::string& l : log) {
    float x = 0;
    if (l == "newFrame") {
      fresh = true;
    } else if (fresh && std::sscanf(l.c_str(), "line %*d %*d %f", &x) == 1) {
      firstX.push_back(x);
      fresh = false;
    }
  }
  ASSERT_EQ(firstX.size(), 2u);
  EXPECT_NEAR(firstX[1], firstX[0], 0.5f);
}

}  // namespace
