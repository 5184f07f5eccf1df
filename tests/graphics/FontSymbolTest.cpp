// Stroke fonts and weather symbols: the shipped files, broken files, and stroke and device text
// where its alignment puts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "common/RecordingDevice.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/GFont.h"
#include "graphics/Graph.h"
#include "graphics/Symbol.h"

using namespace KOL;
using KOLTest::RecordingDevice;

namespace {

class FontSymbolTest : public KOLTest::DatabaseTest {
 protected:
  std::string data(const char* name) { return KOLTest::databaseDir() + "/" + name; }
  KOLTest::TempDir dir;
};

// Ink extent of a glyph in font units.
struct Extent {
  int xmin = 1000, xmax = -1000, ymin = 1000, ymax = -1000, points = 0;
};

Extent extent(GFont& f, int c)
{
  Extent e;
  f.setChar(c);
  Point p;
  while (f.get(p)) {
    e.xmin = std::min(e.xmin, static_cast<int>(p.x)),
    e.xmax = std::max(e.xmax, static_cast<int>(p.x));
    e.ymin = std::min(e.ymin, static_cast<int>(p.y)),
    e.ymax = std::max(e.ymax, static_cast<int>(p.y));
    ++e.points;
  }
  return e;
}

TEST_F(FontSymbolTest, ShippedFontsHoldEveryPrintableCharacterOnTheBaseline)
{
  for (const char* name : {"modern.fnt", "roman.fnt", "italic.fnt", "script.fnt"}) {
    GFont f;
    ASSERT_EQ(f.open(name, data(name).c_str()), 1) << name;
    for (int c = 33; c < 127; ++c) {
      ASSERT_TRUE(f.hasChar(c)) << name << " " << static_cast<char>(c);
      const Extent e = extent(f, c);
      EXPECT_GT(e.points, 1) << name << " " << static_cast<char>(c);
      EXPECT_EQ(e.xmin, 0) << name << " " << static_cast<char>(c);
      EXPECT_EQ(f.getWidth(c), e.xmax);
      EXPECT_GE(e.ymin, -40) << name << " " << static_cast<char>(c);
      EXPECT_LE(e.ymax, 175) << name << " " << static_cast<char>(c);
    }
    // capitals stand on the baseline (35) and are one cell (105) high
    const Extent h = extent(f, 'H');
    EXPECT_EQ(h.ymin, 35) << name;
    EXPECT_NEAR(h.ymax - h.ymin, 105, 6) << name;
    EXPECT_EQ(f.getWidth(' '), GFont::SPACE_WIDTH);
    EXPECT_FALSE(f.hasChar(200));
  }
}

TEST_F(FontSymbolTest, BrokenFontFilesKeepTheGlyphsBeforeTheFault)
{
  const std::string path = dir.file("bad.fnt");
  struct Case {
    const char* text;
    bool ok, haveA, haveB;
  };
  const Case cases[] = {
      {"105 A 128 0 50 100 255 B 128 0 60 60 254", true, true, true},
      {"105 A 128 0 50 100 255 B 128 0 60 9999 254", false, true, false},  // y out of range
      {"105 A 128 0 50 100 255 B 400 0 254", false, true, false},          // x out of range
      {"105 A 128 0 50 100 255 B 128 0 60", false, true, false},           // cut short
      {"105 A 128 0 50 100 255 BB 128 0 254", false, true, false},         // not a character
      {"", false, false, false},
  };
  for (const Case& c : cases) {
    KOLTest::writeFile(path, c.text);
    GFont f;
    EXPECT_EQ(f.open("bad.fnt", path.c_str()), c.ok ? 1 : 0) << c.text;
    EXPECT_EQ(f.hasChar('A'), c.haveA) << c.text;
    EXPECT_EQ(f.hasChar('B'), c.haveB) << c.text;
  }
  GFont none;
  EXPECT_EQ(none.open("nofont.fnt", dir.file("nofont.fnt").c_str()), 0);
  EXPECT_EQ(none.setChar('A'), 0);
  Point p;
  EXPECT_EQ(none.get(p), 0);
}

// The window-coordinate box of everything drawn on d (then forgotten).
Rect inkBox(const Graph& g, RecordingDevice& d)
{
  Rect box;
  box.setu(1e9f, 1e9f, -1e9f, -1e9f);
  Point wp;
  for (const Points& pts : d.lines)
    for (const Point& p : pts) {
      g.tranPlotWindow(p, wp);
      box.setu(std::min(box.x1, wp.x), std::min(box.y1, wp.y), std::max(box.x2, wp.x),
               std::max(box.y2, wp.y));
    }
  d.lines.clear();
  return box;
}

TEST_F(FontSymbolTest, StrokeTextIsAsTallAsItsHeightAndAligned)
{
  auto dev = std::make_unique<RecordingDevice>(1000, 1000, false, nullptr);
  RecordingDevice* d = dev.get();
  Graph g;
  g.setDevice(std::move(dev));
  ASSERT_EQ(g.open(), 1);
  g.setWindow(Rect(0, 0, 100, 100));
  g.setTextHeight(10);
  struct Case {
    int h, v;
    float top, bottom, left;  // in window units, for "HH" at (50, 50)
  };
  const float w = g.getTextWidth("HH");
  EXPECT_GT(w, 10);
  EXPECT_LT(w, 25);
  const Case cases[] = {{1, 0, 60, 50, 50}, {2, 0, 60, 50, 50 - w / 2}, {3, 0, 60, 50, 50 - w},
                        {1, 2, 50, 40, 50}, {1, 3, 55, 45, 50},         {1, 1, 48, 38, 50}};
  for (const Case& c : cases) {
    g.setTextAlign(c.h, c.v);
    ASSERT_EQ(g.drawText(50, 50, "HH"), 1);
    const Rect box = inkBox(g, *d);
    EXPECT_NEAR(box.y2, c.top, 0.3) << c.h << "," << c.v;
    EXPECT_NEAR(box.y1, c.bottom, 0.3) << c.h << "," << c.v;
    EXPECT_NEAR(box.x1, c.left, 0.3) << c.h << "," << c.v;
    // the width is the ink's: no gap after the last glyph
    EXPECT_NEAR(box.x2, c.left + w, 0.3) << c.h << "," << c.v;
  }
  // three lines, bottom-aligned: the first 2 x 1.3 heights up, the last on the anchor
  g.setTextAlign(1, 0);
  g.drawText(50, 50, "H\nH\nH");
  const Rect lines = inkBox(g, *d);
  EXPECT_NEAR(lines.y2, 50 + 26 + 10, 0.3);
  EXPECT_NEAR(lines.y1, 50, 0.3);
  // rotated a quarter turn (up vector pointing left), the text runs upward
  g.setTextDirection(-1, 0);
  g.drawText(50, 50, "HH");
  const Rect turned = inkBox(g, *d);
  EXPECT_NEAR(turned.y2, 50 + g.getTextWidth("HH"), 0.5);
  EXPECT_NEAR(turned.x1, 40, 0.3);
}

TEST_F(FontSymbolTest, HardwareTextGoesToTheDeviceAndARefusedFontFallsBack)
{
  std::vector<std::string> log;
  auto dev = std::make_unique<RecordingDevice>(1000, 1000, false, &log);
  RecordingDevice* d = dev.get();
  Graph g;
  g.setDevice(std::move(dev));
  ASSERT_EQ(g.open(), 1);
  g.setWindow(Rect(0, 0, 100, 100));
  g.setTextHeight(5);
  EXPECT_EQ(g.setFont("helvetica"), 1);
  EXPECT_EQ(g.getFont().getType(), GFont::HARDWARE);
  // {10} became the pixel size: 5 / 100 of 1000 pixels
  EXPECT_NE(
      std::find(log.begin(), log.end(), "font -*-helvetica-medium-r-normal-*-50-*-*-*-*-*-*-*"),
      log.end());
  g.setTextAlign(2, 3);
  g.drawText(50, 50, "one\ntwo");
  EXPECT_NE(std::find(log.begin(), log.end(), "talign 2 2"), log.end());
  // centred vertically: (2 - 1) / 2 = 0 lines up, so the first line is on the anchor
  EXPECT_NE(std::find(log.begin(), log.end(), "text 500,500 one"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "text 500,565 two"), log.end());
  d->accept = false;
  EXPECT_EQ(g.setFont("times"), 1);
  EXPECT_EQ(g.getFont().getType(), GFont::STROKE) << "a refused font falls back to modern";
  EXPECT_TRUE(g.getFont().hasChar('A'));
}

TEST_F(FontSymbolTest, SymbolsAreFoundByPrefixAndStayInTheirBox)
{
  Symbol s;
  ASSERT_EQ(s.read(data("wx.smb").c_str()), 1);
  EXPECT_GE(s.getNum(), 150);
  for (int i = 0; i < 100; ++i) {
    const std::string name = (i < 10 ? "0" : "") + std::to_string(i);
    EXPECT_EQ(s.setSymb(name.c_str()), 1) << name;
  }
  for (const char* name :
       {"pw9", "cl5", "cm7", "ch3", "n8", "n9", "pt8", "coldpip", "warmpip", "star", "hurricane"})
    EXPECT_EQ(s.setSymb(name), 1) << name;
  EXPECT_EQ(s.setSymb("nosuch"), 0);
  EXPECT_EQ(s.setSymb("6"), 0);
  for (int i = 0; i < s.getNum(); ++i) {
    ASSERT_EQ(s.setSymb(s.getName(i)), 1);
    if (std::string(s.getName(i)) == "pw0") continue;  // nothing to show
    EXPECT_FALSE(s.getParts().empty()) << s.getName(i);
    for (const Symbol::Part& part : s.getParts())
      for (const Point& p : part.pts) {
        EXPECT_GE(p.x, -0.01f) << s.getName(i);
        EXPECT_LE(p.x, 1.01f) << s.getName(i);
        EXPECT_GE(p.y, -0.01f) << s.getName(i);
        EXPECT_LE(p.y, 1.01f) << s.getName(i);
      }
  }
}

}  // namespace
