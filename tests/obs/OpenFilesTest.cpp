// Files kept open between bulletins: least recently used closed first, one writer at a time,
// and files moved away behind the ingest's back started anew.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/TestData.h"
#include "core/Kol.h"
#include "obs/WmoIngest.h"
#include "obs/wmo/OpenFiles.h"

using KOL::Kol;
using KOL::WmoIngest;
using KOL::wmo::OpenFiles;

namespace {

void put(std::FILE* fp, const char* text)
{
  ASSERT_NE(fp, nullptr);
  std::fputs(text, fp);
  std::fflush(fp);
}

}  // namespace

TEST(OpenFiles, LeastRecentlyUsedClosedFirstAndHeldFilesKept)
{
  KOLTest::TempDir dir;
  std::string a = dir.file("a"), b = dir.file("b"), c = dir.file("sub/dir/c");
  OpenFiles files(2, 0);
  put(files.get(a.c_str()), "a1");
  put(files.get(b.c_str()), "b1");
  put(files.get(a.c_str()), "a2");
  // Missing directories are made; b, the least recently used, makes room.
  put(files.get(c.c_str()), "c1");
  EXPECT_TRUE(files.holds(a.c_str()));
  EXPECT_FALSE(files.holds(b.c_str()));
  EXPECT_EQ(files.size(), 2);
  put(files.get(b.c_str()), "b2");
  EXPECT_FALSE(files.holds(a.c_str()));
  EXPECT_EQ(KOLTest::readFile(a), "a1a2");
  EXPECT_EQ(KOLTest::readFile(b), "b1b2");
  EXPECT_EQ(KOLTest::readFile(c), "c1");

  // A held file is neither handed out twice nor closed to make room.
  std::FILE* held = files.take(b.c_str());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(files.take(b.c_str()), nullptr);
  put(files.get(a.c_str()), "a3");
  put(files.get(c.c_str()), "c2");
  EXPECT_TRUE(files.holds(b.c_str()));
  files.release(b.c_str());
  EXPECT_EQ(files.take(b.c_str()), held);

  files.closeAll();
  EXPECT_EQ(files.size(), 0);
  // Under a plain file nothing can be opened.
  uint32_t mask = Kol::getMessageMask();
  Kol::setMessageLevel(Kol::ERROR + 1);
  EXPECT_EQ(files.get((a + "/x").c_str()), nullptr);
  Kol::setMessageMask(mask);
  EXPECT_EQ(files.size(), 0);
}

TEST(OpenFiles, FileRemovedOrRenamedIsStartedAnew)
{
  KOLTest::TempDir dir;
  std::string a = dir.file("a");
  OpenFiles files(4, 64);
  put(files.get(a.c_str()), "one");
  ASSERT_EQ(std::rename(a.c_str(), dir.file("a.old").c_str()), 0);
  put(files.get(a.c_str()), "two");
  ASSERT_EQ(std::remove(a.c_str()), 0);
  put(files.get(a.c_str()), "three");
  EXPECT_EQ(KOLTest::readFile(dir.file("a.old")), "one");
  EXPECT_EQ(KOLTest::readFile(a), "three");
}

// Bulletins filed through the ingest steps, the output and index moved away between them.
TEST(OpenFiles, IngestRecreatesMovedOutputsAndTakesBackCutShortBulletins)
{
  KOLTest::TempDir dir;
  uint32_t mask = Kol::getMessageMask();
  Kol::setMessageLevel(Kol::ERROR);
  KOLTest::writeFile(dir.file("rules.prd"),
                     "SA....  >>  " + dir.file("out/SA.wmo") + " " + dir.file("out/SA.idx") + "\n");
  WmoIngest w(("logfile=none"));
  ASSERT_EQ(w.readProdFile(dir.file("rules.prd").c_str()), 1);
  auto file = [&](const char* heading, const char* text) {
    w.setHeading(heading, "");
    ASSERT_TRUE(w.isSelected());
    w.action();
    w.saveHeader("", heading, "");
    w.saveLine(text, static_cast<int>(std::string(text).size()));
  };
  std::string out = dir.file("out/SA.wmo"), idx = dir.file("out/SA.idx");
  file("SAUS70 KWBC 041853", "ONE\n");
  w.close();
  file("SAUS70 KWBC 041854", "TWO\n");
  w.close();
  const std::string first = "** SAUS70 KWBC 041853 ***\nONE\n\n";
  const std::string second = "** SAUS70 KWBC 041854 ***\nTWO\n\n";
  EXPECT_EQ(KOLTest::readFile(out), first + second);
  EXPECT_EQ(KOLTest::readFile(idx),
            "      0 SAUS70 KWBC 041853 / \n     31 SAUS70 KWBC 041854 / \n");

  ASSERT_EQ(std::rename(out.c_str(), (out + ".1").c_str()), 0);
  ASSERT_EQ(std::remove(idx.c_str()), 0);
  file("SAUS70 KWBC 041855", "THREE\n");
  w.close();
  EXPECT_EQ(KOLTest::readFile(out), "** SAUS70 KWBC 041855 ***\nTHREE\n\n");
  EXPECT_EQ(KOLTest::readFile(idx), "      0 SAUS70 KWBC 041855 / \n");
  EXPECT_EQ(KOLTest::readFile(out + ".1"), first + second);

  // Cut short: taken back through the file still open, with no index line.
  file("SAUS70 KWBC 041856", "FOUR\n");
  w.getRule(0).rollback();
  w.getRule(0).clearBulletin();
  file("SAUS70 KWBC 041857", "FIVE\n");
  w.close();
  EXPECT_EQ(KOLTest::readFile(out),
            "** SAUS70 KWBC 041855 ***\nTHREE\n\n** SAUS70 KWBC 041857 ***\nFIVE\n\n");
  EXPECT_EQ(KOLTest::readFile(idx),
            "      0 SAUS70 KWBC 041855 / \n     33 SAUS70 KWBC 041857 / \n");
  Kol::setMessageMask(mask);
}
