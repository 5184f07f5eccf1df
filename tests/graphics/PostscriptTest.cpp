// The PostScript device: its parameters and header, and the page Ghostscript renders from it.
#include <gtest/gtest.h>

#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/Postscript.h"
#include "imagery/Image.h"

using namespace KOL;
using KOLTest::TempDir;

namespace {

class PostscriptTest : public KOLTest::DatabaseTest {
 protected:
  TempDir dir;
};

std::string page(const std::string& path, const std::string& params, void (*draw)(Graph&) = nullptr)
{
  Graph g("postscript", (path + params).c_str());
  EXPECT_EQ(g.open(), 1);
  if (draw) draw(g);
  g.close();
  return KOLTest::readFile(path);
}

TEST_F(PostscriptTest, EncapsulatedPortraitHasNoRotationNorSaveObject)
{
  const std::string ps = page(dir.file("plot.ps"), ",port,eps");
  EXPECT_EQ(ps.rfind("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 756 576\n", 0), 0u) << ps;
  EXPECT_EQ(ps.find("rotate"), std::string::npos);
  EXPECT_EQ(ps.find("translate"), std::string::npos);
  EXPECT_EQ(ps.find("saveobj"), std::string::npos);
  EXPECT_NE(ps.find("%%End of plot\nshowpage\n%%EOF\n"), std::string::npos);
}

TEST_F(PostscriptTest, ParametersSetPaperScaleAndColour)
{
  struct Case {
    const char* params;
    float w, h, scale, lwidth;
    bool colour, portrait;
  };
  const Case cases[] = {
      {"", 756, 576, 1, 1, false, false},
      {",a4", 806.4f, 561.6f, 1, 1, false, false},
      {",A3,port", 15.4f * 72, 11.2f * 72, 1, 1, false, true},
      {",sz=5:4,scale=0.8,lwidth=2.5", 360, 288, 0.8f, 2.5f, false, false},
      {",color,land", 756, 576, 1, 1, true, false},
      {",color,gray", 756, 576, 1, 1, false, false},
      {",sz=bad,scale=x", 756, 576, 1, 1, false, false},
  };
  for (const Case& c : cases) {
    Postscript p;
    p.setParam((std::string("out.ps") + c.params).c_str());
    EXPECT_STREQ(p.getOutput(), "out.ps");
    EXPECT_NEAR(p.getWidth(), c.w, 1e-3) << c.params;
    EXPECT_NEAR(p.getHeight(), c.h, 1e-3) << c.params;
    EXPECT_FLOAT_EQ(p.getScale(), c.scale) << c.params;
    EXPECT_FLOAT_EQ(p.getLineFactor(), c.lwidth) << c.params;
    EXPECT_EQ(p.isColor(), c.colour) << c.params;
    EXPECT_EQ(p.isPortrait(), c.portrait) << c.params;
    Rect r;
    p.getCoords(r);
    EXPECT_EQ(r.y1, p.getHeight()) << "device y must run upward";
    EXPECT_EQ(r.y2, 0);
  }
}

TEST_F(PostscriptTest, LineStylesAndGreyLevels)
{
  const std::string path = dir.file("s.ps");
  Postscript p;
  p.setParam(path.c_str());
  ASSERT_EQ(p.open(), 1);
  p.setLineStyle(1, 3);
  p.drawLine(1, 0, 0, 10, 10);
  p.setLineStyle(1, 7);  // no pattern of its own: the previous dash stays
  p.setColor(1, Postscript::packColor(0.5f, 0.5f, 0.5f));
  p.setLineWidth(1, 0);
  p.drawLine(1, 0, 0, 10, 10);
  p.close();
  const std::string ps = KOLTest::readFile(path);
  EXPECT_NE(ps.find("%%PL:2\n0.00 setgray\n1.0 dot lw\n[3 6] 0 setdash\nnp\n0.00 0.00 mv\n"
                    "10.00 10.00 ln\nstroke\n%%PL:2\n0.50 setgray\n1.0 dot lw\nnp\n"),
            std::string::npos)
      << ps;
}

TEST_F(PostscriptTest, ImageSamplesAreGreyOrColourRowsOverTheClipBox)
{
  KOL::Image img(100, 2, 8);  // indexed: row 0 mid-grey (0.5, 0.5, 0.5), row 1 red
  img.allocData();
  img.allocColors(2);
  img.setColor(0, 0.5f, 0.5f, 0.5f);
  img.setColor(1, 1, 0, 0);
  for (int i = 0; i < 100; ++i) img.setPixel(i, 1, 1);
  for (const bool colour : {false, true}) {
    const std::string path = dir.file("img.ps");
    Postscript p;
    p.setParam((path + (colour ? ",color" : "")).c_str());
    ASSERT_EQ(p.open(), 1);
    p.setClip(10.1f, 20.1f, 99.9f, 21.9f);  // widened by 0.1: a 90 x 2 box at (10, 20)
    ASSERT_EQ(p.drawImage(img, 0, 0), 1);   // image pixel (0, 0) at the box's top-left
    p.close();
    const std::string ps = KOLTest::readFile(path);
    const size_t at = ps.find(
        "gsave\n10 20 translate\n90 2 scale\n/picstr 90 string def\n"
        "90 2 8 [ 90 0 0 -2 0 2 ]\n{ currentfile picstr readhexstring pop }\n");
    ASSERT_NE(at, std::string::npos) << ps;
    const std::string grey = "7F", red = colour ? "FF0000" : "54";
    const std::string mid = colour ? "7F7F7F" : grey;  // not black
    std::string rows;
    for (const std::string& s : {mid, red}) {
      for (int i = 0; i < 90; ++i) rows += s + (i == 79 ? "\n" : "");
      rows += "\n";
    }
    EXPECT_NE(ps.find((colour ? "false 3 colorimage\n" : "image\n") + rows + "grestore\n", at),
              std::string::npos)
        << (colour ? "colour" : "grey");
  }
}

TEST_F(PostscriptTest, AppendedPlotEndsAtItsEndComment)
{
  const std::string path = dir.file("old.ps");
  KOLTest::writeFile(path, "%!PS-Adobe-1.0\n% earlier page\n");
  page("+" + path, "");
  const std::string ps = KOLTest::readFile(path);
  EXPECT_EQ(ps.rfind("%!PS-Adobe-1.0\n% earlier page\n%!PS-Adobe-1.0\n", 0), 0u);
  EXPECT_EQ(ps.substr(ps.size() - 14), "%%End of plot\n");
}

TEST_F(PostscriptTest, LandscapePagesRenderAndStayInsideTheirBox)
{
  KOL_REQUIRE_GS();
  for (const char* params : {",eps,color", ",color", ",port,color", ",eps,port,scale=0.5"}) {
    const std::string path = dir.file("land.ps");
    Graph g("postscript", (path + params).c_str());
    ASSERT_EQ(g.open(), 1);
    g.setFillColor(g.getColor("blue"));
    g.drawFill(g.getMaxViewport());  // the whole drawing area
    g.close();
    std::string errors;
    const bool eps = std::string(params).find("eps") != std::string::npos;
    const KOLTest::Raster r = KOLTest::renderPs(path, eps, &errors);
    EXPECT_EQ(errors, "") << params;
    ASSERT_TRUE(r.valid()) << params;
    // blue, or its grey level (0.8 b / 2.7) on a grey page
    const uint32_t fill =
        std::string(params).find("color") != std::string::npos ? 0x0000FF : 0x4C4D4C;
    if (eps) {  // the bounding box encloses exactly the page area
      EXPECT_EQ(r.at(1, 1), fill) << params;
      EXPECT_EQ(r.at(r.width - 2, r.height - 2), fill) << params;
    } else {  // on the paper from a quarter inch in; letter paper is narrower than 10.5 inches
      EXPECT_EQ(r.at(30, r.height - 30), fill) << params;
      EXPECT_GT(r.inked(), 550 * 550) << params;
    }
  }
}

}  // namespace
