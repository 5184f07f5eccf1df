// The metafile: its records, and replay onto another device.
#include <gtest/gtest.h>

#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/MetaFile.h"
#include "imagery/Image.h"

using namespace KOL;
using KOLTest::TempDir;

namespace {

class MetaFileTest : public KOLTest::DatabaseTest {
 protected:
  // The records after the header (from "#KOL Plot" on, without the last line).
  static std::string body(const std::string& text)
  {
    const size_t start = text.find("#KOL Plot: ");
    const size_t from = text.find('\n', start) + 1;
    const size_t end = text.rfind("#End of plot\n");
    return text.substr(from, end - from);
  }
  TempDir dir;
};

TEST_F(MetaFileTest, RecordsAreWrittenOnlyWhenAttributesChange)
{
  const std::string path = dir.file("a.meta");
  MetaFile m;
  m.setParam(("," + path + ",sz=100x50").c_str());
  m.setTitle("test");
  ASSERT_EQ(m.open(), 1);
  m.setColor(1, 255);
  m.setColor(1, 255);
  m.setLineWidth(2, 0);
  m.setLineWidth(2, -3);
  m.setLineStyle(1, 2);
  m.setFillStyle(3, 4);
  m.drawLine(1, 1, 2, 3, 4);
  Points pts;
  pts.add(Point(0, 0));
  pts.add(Point(10, 0));
  pts.add(Point(10, 5.5f));
  m.drawLine(2, pts);
  m.drawFill(3, pts);
  m.setClip(1, 2, 30, 40);
  Point at(5, 6);
  m.drawText(at, "hello world");
  m.message("note");
  m.close();
  const std::string text = KOLTest::readFile(path);
  EXPECT_EQ(
      text.rfind("KOLMETA2\n#Title: KOL Graphics Display\n#Creator: KOL MetaFile Processor-2.0\n"
                 "#CreationDate: ",
                 0),
      0u);
  EXPECT_NE(text.find("\n#Begin plot\nSZ 100.000000 50.000000\n#KOL Plot: test\n"),
            std::string::npos);
  EXPECT_EQ(body(text),
            "LCLR 255\n"
            "MWID 1.00\n"  // first set after opening: one record, and no LWID
            "LSTY 2\nFSTY 4\nL 2 1.000000,2.000000 3.000000,4.000000\n"
            "L 3 0.000000,0.000000 10.000000,0.000000 10.000000,5.500000 \n"
            "F 3 0.000000,0.000000 10.000000,0.000000 10.000000,5.500000 \n"
            "CL 1.000000 2.000000 30.000000 40.000000\nT 5.000000,6.000000 hello world\n#note\n");
}

TEST_F(MetaFileTest, ImageBlocksStartWithWhiteRowsForANegativeOffset)
{
  const std::string path = dir.file("i.meta");
  MetaFile m;
  m.setParam(("," + path + ",sz=3x4").c_str());
  ASSERT_EQ(m.open(), 1);
  Image img(2, 2, 24);
  img.allocData();
  img.setPixel(0, 0, 0xFF0000);
  img.setPixel(1, 0, 0x00FF00);
  img.setPixel(0, 1, 0x0000FF);
  img.setPixel(1, 1, 0x102030);
  m.drawImage(img, -1, -1);  // pixel (-1, -1) at the box corner: a white row and column first
  Image empty;
  EXPECT_EQ(m.drawImage(empty, 0, 0), 0);
  m.close();
  EXPECT_EQ(body(KOLTest::readFile(path)),
            "I\n0 0 translate\n3 4 scale\nFFFFFFFFFFFFFFFFFF\nFFFFFFFF000000FF00\n"
            "FFFFFF0000FF102030\nFFFFFFFFFFFFFFFFFF\ngrestore\n");
}

TEST_F(MetaFileTest, ReplayRefusesWhatIsNotAMetafileAndStopsAtABadRecord)
{
  Graph g("meta", ("m," + dir.file("out.meta")).c_str());
  ASSERT_EQ(g.open(), 1);
  EXPECT_EQ(MetaFile::replay(dir.file("missing").c_str(), g), 0);
  const std::string bad = dir.file("bad.meta");
  KOLTest::writeFile(bad, "%!PS\n");
  EXPECT_EQ(MetaFile::replay(bad.c_str(), g), 0);
  const char* broken[] = {
      "KOLMETA2\nSZ 10 10\nL 3 1,1 2,2\n",    // fewer points than counted
      "KOLMETA2\nSZ 10 10\nL 2 1,nan 2,2\n",  // not a number
      "KOLMETA2\nSZ 10 10\nI\n0 0 translate\n2 1 scale\nFFFFFF\ngrestore\n",  // short image
      "KOLMETA2\nSZ 10 10\nI\n0 0 translate\n99999 99999 scale\n",            // huge image
      "KOLMETA2\nSZ 10 10\nF 99999999999 1,1\n",
  };
  for (const char* text : broken) {
    KOLTest::writeFile(bad, text);
    EXPECT_EQ(MetaFile::replay(bad.c_str(), g), 0) << text;
  }
  KOLTest::writeFile(bad,
                     "KOLMETA2\nSZ 10 10\nLCLR 255\nUNKNOWN record\nL 2 1,1 2,2\n#End of plot\n");
  EXPECT_EQ(MetaFile::replay(bad.c_str(), g), 1) << "unknown records are skipped";
}

}  // namespace
