// Areas of several rings (an outline with a hole) on every device: the hole stays empty, whether
// the device fills paths of several rings itself or takes the one bridged polygon.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/ImageDevice.h"
#include "graphics/MetaFile.h"
#include "imagery/Image.h"

using namespace KOL;

namespace {

// An image device drawing areas of several rings as a device without paths does.
class Bridged : public ImageDevice {
 public:
  int drawFillPath(int type, Points& pts, const std::vector<int>& counts) override
  {
    return Device::drawFillPath(type, pts, counts);
  }
};

// A square frame, 1 to 9 round a hole from 3 to 7, and a square from 10 to 12 on its own, in
// a window of 0 to 13.
void drawFrame(Graph& g)
{
  g.setWindow(Rect(0, 0, 13, 13));
  g.setFillColor(g.getColor("blue"));
  Points pts;
  for (const Point& p : {Point(1, 1), Point(1, 9), Point(9, 9), Point(9, 1),   // outline
                         Point(3, 3), Point(7, 3), Point(7, 7), Point(3, 7)})  // hole
    pts.add(p);
  EXPECT_EQ(g.drawFillPath(pts, {4, 4}), 1);
  Points single;
  for (const Point& p : {Point(10, 10), Point(10, 12), Point(12, 12), Point(12, 10)}) single.add(p);
  EXPECT_EQ(g.drawFillPath(single, {4}), 1);
}

// Blue on the frame and the single square, white in the hole and outside.
void expectFrame(Graph& g, const KOLTest::Raster& r, bool yUp, const std::string& what)
{
  SCOPED_TRACE(what);
  ASSERT_TRUE(r.valid());
  auto at = [&](float x, float y) {
    const Point d = g.toDevice(x, y);
    const int row = yUp ? r.height - 1 - static_cast<int>(d.y) : static_cast<int>(d.y);
    return r.at(static_cast<int>(d.x), row);
  };
  EXPECT_EQ(at(2, 2), 0x0000FFu) << "frame";
  EXPECT_EQ(at(8, 5), 0x0000FFu) << "frame";
  EXPECT_EQ(at(5, 5), 0xFFFFFFu) << "hole";
  EXPECT_EQ(at(11, 11), 0x0000FFu) << "single square";
  EXPECT_EQ(at(9.5f, 5), 0xFFFFFFu) << "outside";
  EXPECT_EQ(at(11, 5), 0xFFFFFFu) << "between the bridge's ends";
}

KOLTest::Raster imageOf(Graph& g)
{
  Image img;
  g.getImage(img);
  return KOLTest::toRaster(img);
}

class FillPathTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override
  {
    QuietTest::SetUp();
    Kol::setDatabasePath(KOLTest::databaseDir().c_str());
  }
  KOLTest::TempDir dir;
};

TEST_F(FillPathTest, HolesStayEmptyOnRasterDevices)
{
  Graph direct("image", ",sz=260x260");
  ASSERT_EQ(direct.open(), 1);
  drawFrame(direct);
  expectFrame(direct, imageOf(direct), false, "image device");

  Graph bridged;
  auto dev = std::make_unique<Bridged>();
  dev->setParam(",sz=260x260");
  bridged.setDevice(std::move(dev));
  ASSERT_EQ(bridged.open(), 1);
  drawFrame(bridged);
  expectFrame(bridged, imageOf(bridged), false, "one bridged polygon");
}

TEST_F(FillPathTest, MetafileRecordsTheRingsAndReplaysThem)
{
  const std::string meta = dir.file("frame.meta");
  {
    Graph g("meta", ("m," + meta + ",sz=260x260").c_str());
    ASSERT_EQ(g.open(), 1);
    drawFrame(g);
  }
  const std::string text = KOLTest::readFile(meta);
  EXPECT_NE(text.find("\nFP 2 4 4 "), std::string::npos) << text;
  EXPECT_NE(text.find("\nFP 1 4 "), std::string::npos);
  Graph r("image", ",sz=260x260");
  ASSERT_EQ(r.open(), 1);
  r.setWindow(Rect(0, 0, 13, 13));
  ASSERT_EQ(MetaFile::replay(meta.c_str(), r), 1);
  expectFrame(r, imageOf(r), false, "replayed metafile");

  const std::string bad = dir.file("bad.meta");
  for (const char* record : {"FP 2 4 1,1 2,2 3,3 4,4\n", "FP 0\n", "FP 1 99999999999 1,1\n"}) {
    KOLTest::writeFile(bad, std::string("KOLMETA2\nSZ 10 10\n") + record);
    EXPECT_EQ(MetaFile::replay(bad.c_str(), r), 0) << record;
  }
}

TEST_F(FillPathTest, PostScriptFillsOnePathEvenOdd)
{
  KOL_REQUIRE_GS();
  const std::string ps = dir.file("frame.eps");
  Graph g("postscript", (ps + ",port,eps,color").c_str());
  ASSERT_EQ(g.open(), 1);
  drawFrame(g);
  g.getDeviceObject()->close();
  const std::string text = KOLTest::readFile(ps);
  EXPECT_NE(text.find("%%FP:2:8\n"), std::string::npos);
  EXPECT_NE(text.find("cp\neofill\n"), std::string::npos);
  std::string errors;
  const KOLTest::Raster r = KOLTest::renderPs(ps, true, &errors);
  EXPECT_EQ(errors, "");
  expectFrame(g, r, true, "Ghostscript");
}

TEST_F(FillPathTest, PlotterGivesEachRingASubpolygon)
{
  const std::string out = dir.file("frame.hpgl");
  {
    Graph g("hpgl", out.c_str());
    ASSERT_EQ(g.open(), 1);
    drawFrame(g);
  }
  const std::string text = KOLTest::readFile(out);
  const size_t start = text.find("FT1;PM0;PU");
  ASSERT_NE(start, std::string::npos) << text;
  const size_t sub = text.find(";PM1;PU", start), end = text.find("PM2;FP;PU;\n", start);
  EXPECT_LT(sub, end) << "the hole is the second subpolygon of the first area";
  EXPECT_EQ(text.find("PM1;", end), std::string::npos) << "the single square has one";
}

}  // namespace
