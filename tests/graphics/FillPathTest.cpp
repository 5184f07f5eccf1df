// Areas of several rings (an outline with a hole) on every device: the hole stays empty, whether
// the device fills paths of several rings itself or takes the one bridged polygon.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Scene.h"
#include "common/Raster.h"
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

KOLTest::Raster imageOf(Graph& g)
{
  Image img;
  g.getImage(img);
  return KOLTest::toRaster(img);
}

class FillPathTest : public KOLTest::DatabaseTest {
 protected:
  KOLTest::TempDir dir;
};

TEST_F(FillPathTest, HolesStayEmptyOnRasterDevices)
{
  Graph direct("image", ",sz=260x260");
  ASSERT_EQ(direct.open(), 1);
  KOLTest::drawFrame(direct);
  {
    SCOPED_TRACE("image device");
    KOLTest::expectFrame(direct, imageOf(direct), KOLTest::PixelMap{260, false});
  }

  Graph bridged;
  auto dev = std::make_unique<Bridged>();
  dev->setParam(",sz=260x260");
  bridged.setDevice(std::move(dev));
  ASSERT_EQ(bridged.open(), 1);
  KOLTest::drawFrame(bridged);
  {
    SCOPED_TRACE("one bridged polygon");
    KOLTest::expectFrame(bridged, imageOf(bridged), KOLTest::PixelMap{260, false});
  }
}

TEST_F(FillPathTest, MetafileRecordsTheRingsAndReplaysThem)
{
  const std::string meta = dir.file("frame.meta");
  {
    Graph g("meta", ("m," + meta + ",sz=260x260").c_str());
    ASSERT_EQ(g.open(), 1);
    KOLTest::drawFrame(g);
  }
  const std::string text = KOLTest::readFile(meta);
  EXPECT_NE(text.find("\nFP 2 4 4 "), std::string::npos) << text;
  EXPECT_NE(text.find("\nFP 1 4 "), std::string::npos);
  Graph r("image", ",sz=260x260");
  ASSERT_EQ(r.open(), 1);
  r.setWindow(Rect(0, 0, 13, 13));
  ASSERT_EQ(MetaFile::replay(meta.c_str(), r), 1);
  {
    SCOPED_TRACE("replayed metafile");
    KOLTest::expectFrame(r, imageOf(r), KOLTest::PixelMap{260, false});
  }
}

TEST_F(FillPathTest, PostScriptFillsOnePathEvenOdd)
{
  KOL_REQUIRE_GS();
  const std::string ps = dir.file("frame.eps");
  Graph g("postscript", (ps + ",port,eps,color").c_str());
  ASSERT_EQ(g.open(), 1);
  KOLTest::drawFrame(g);
  g.getDeviceObject()->close();
  const std::string text = KOLTest::readFile(ps);
  EXPECT_NE(text.find("%%FP:2:8\n"), std::string::npos);
  EXPECT_NE(text.find("cp\neofill"), std::string::npos);
  std::string errors;
  const KOLTest::Raster r = KOLTest::renderPs(ps, true, &errors);
  EXPECT_EQ(errors, "");
  {
    SCOPED_TRACE("Ghostscript");
    KOLTest::expectFrame(g, r, KOLTest::PixelMap{static_cast<float>(r.height), true});
  }
}

TEST_F(FillPathTest, PlotterGivesEachRingASubpolygon)
{
  const std::string out = dir.file("frame.hpgl");
  {
    Graph g("hpgl", out.c_str());
    ASSERT_EQ(g.open(), 1);
    KOLTest::drawFrame(g);
  }
  const std::string text = KOLTest::readFile(out);
  const size_t start = text.find("FT1;PM0;PU");
  ASSERT_NE(start, std::string::npos) << text;
  const size_t sub = text.find(";PM1;PU", start), end = text.find("PM2;FP;PU;\n", start);
  EXPECT_LT(sub, end) << "the hole is the second subpolygon of the first area";
  EXPECT_EQ(text.find("PM1;", end), std::string::npos) << "the single square has one";
}

}  // namespace
