// The programs' listings against the independent extractor's JSON of the shared samples; products
// cut from filed bulletins; the events a run of warnings leaves in force.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <ostream>

#include <string>
#include <vector>

#include "common/TestData.h"
#include "obs/text/TextProduct.h"
#include "obs/text/TextProductFile.h"
#include "obs/text/Vtec.h"
#include "obs/text/WarnEvents.h"
#include "obs/text/WarnProduct.h"

using namespace KOL;
using KOLTest::dataFile;
using KOLTest::dataFiles;

namespace {

const std::string COMPARE = std::string(KOL_SOURCE_DIR) + "/tests/common/json_same.py";

// The listing of a program over files, and json_same.py's verdict against expected files ("" when
// equal).
std::string compare(const std::string& program, const std::string& files,
                    const std::string& expected, const std::string& options = "")
{
  KOLTest::TempDir dir;
  const std::string out = dir.file("listing.json");
  KOLTest::run(KOLTest::programPath(program) + " -li " + files + " > " + out + " 2>/dev/null");
  int status = 0;
  std::string verdict = KOLTest::run(
      "/usr/bin/python3 " + COMPARE + " " + options + " " + out + " " + expected + " 2>&1",
      &status);
  return status == 0 ? "" : verdict.empty() ? "no verdict" : verdict;
}

struct Folder {
  const char* folder;
  const char* program;
};

void PrintTo(const Folder& f, std::ostream* os) { *os << f.folder << " by " << f.program; }

class SharedSamples : public ::testing::TestWithParam<Folder> {};

TEST_P(SharedSamples, ListingEqualsTheIndependentExtraction)
{
  KOL_REQUIRE_DATA();
  const Folder f = GetParam();
  int files = 0;
  for (const auto& exp : dataFiles(std::string("textprod/") + f.folder, ".expected.json")) {
    const std::string src = exp.substr(0, exp.size() - 14);
    EXPECT_EQ(compare(f.program, src, exp), "") << src;
    ++files;
  }
  EXPECT_GT(files, 0) << f.folder;
}

INSTANTIATE_TEST_SUITE_P(TextProducts, SharedSamples,
                         ::testing::Values(Folder{"warnings", "kolwarn"},
                                           Folder{"watches", "kolwarn"},
                                           Folder{"tropical", "kolwarn"},
                                           Folder{"fronts", "kolfront"}, Folder{"mos", "kolmos"}),
                         [](const auto& info) { return std::string(info.param.folder); });

// Products as the ingest files them raw: SOH, sequence line, body in CR CR LF, ETX.
std::string filed(const std::vector<std::string>& names)
{
  std::string out;
  int seq = 100;
  for (const auto& name : names) {
    std::string text = KOLTest::readFile(dataFile("textprod/warnings/" + name));
    if (!text.empty() && text[0] == '\x01') text = text.substr(1);
    std::string body;
    for (char c : text) {
      if (c == '\r' || c == '\x03') continue;
      if (c == '\n') body += "\r\r";
      body += c;
    }
    out += "\x01\r\r\n" + std::to_string(++seq) + " \r\r\n" + body + "\x03";
  }
  return out;
}

const std::vector<std::string> SEQUENCE = {"pyiem_TOROAX_0.txt", "pyiem_TOROAX_1.txt",
                                           "pyiem_TOROAX_2.txt", "pyiem_TOROAX_3.txt"};

std::string expectedOf(const std::vector<std::string>& names)
{
  std::string out;
  for (const auto& n : names) out += " " + dataFile("textprod/warnings/" + n + ".expected.json");
  return out;
}

TEST(TextProductFile, FiledBulletinsListAsTheirProducts)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  KOLTest::writeFile(dir.file("raw.txt"), filed(SEQUENCE));
  EXPECT_EQ(compare("kolwarn", dir.file("raw.txt"), expectedOf(SEQUENCE), "--ignore file"), "");

  // The ingest's own filing: "** heading ***" separators, LF line ends, no sequence line.
  std::string separated;
  for (const auto& name : SEQUENCE) {
    std::string text = KOLTest::readFile(dataFile("textprod/warnings/" + name));
    size_t heading = text.find("WFUS") != std::string::npos ? text.find("WFUS") : text.find("WWUS");
    size_t eol = text.find('\n', heading);
    separated +=
        "** " + text.substr(heading, eol - heading) + " ***\n" + text.substr(eol + 1) + "\n";
  }
  KOLTest::writeFile(dir.file("sep.txt"), separated);
  EXPECT_EQ(compare("kolwarn", dir.file("sep.txt"), expectedOf(SEQUENCE), "--ignore file"), "");
}

TEST(TextProductFile, TruncatedOrUnreadableProductsCostOneLineEach)
{
  KOL_REQUIRE_DATA();
  KOLTest::TempDir dir;
  std::string text = filed({"pyiem_TOROAX_0.txt"}) + "\x01\r\r\n999 \r\r\nNOTHING HERE\r\r\n\x03" +
                     filed({"pyiem_TOROAX_1.txt"});
  text += filed({"pyiem_TOROAX_3.txt"}).substr(0, 300);  // cut inside its UGC/VTEC block
  KOLTest::writeFile(dir.file("cut.txt"), text);
  int status = 0;
  std::string err = KOLTest::run(KOLTest::programPath("kolwarn") + " -li " + dir.file("cut.txt") +
                                     " 2>&1 >" + dir.file("out.json"),
                                 &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
  EXPECT_NE(err.find("has no end"), std::string::npos) << err;
  EXPECT_NE(err.find("nothing readable"), std::string::npos) << err;
  std::string out = KOLTest::readFile(dir.file("out.json"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;  // the cut one keeps its start
}

TEST(Vtec, OnlyWholeCodesAreRead)
{
  Vtec v;
  ASSERT_TRUE(v.parse("  /O.EXT.KFFC.FF.W.0032.000000T0000Z-220904T1500Z/ "));
  EXPECT_EQ(v.eventKey(), "KFFC.FF.W.0032");
  EXPECT_EQ(Vtec::isoTime(v.begin), "");
  EXPECT_EQ(Vtec::isoTime(v.end), "2022-09-04T15:00Z");
  EXPECT_EQ(Vtec::isoTime("991231T2359Z"), "1999-12-31T23:59Z");
  EXPECT_FALSE(v.parse("/O.EXT.KFFC.FF.W.0032.000000T0000Z-220904T1500"));
  EXPECT_FALSE(v.parse("/00000.0.ER.000000T0000Z.000000T0000Z.000000T0000Z.OO/"));
}

// A warning's life: NEW, then CAN for part of it with CON for the rest, a correction, EXP.
TEST(WarnEvents, CorrectionsReplaceAndCancellationsRemove)
{
  KOL_REQUIRE_DATA();
  TextProductFile file;
  WarnEvents events;
  const std::time_t at = Vtec::seconds("240426T2215Z");
  std::vector<size_t> active, zones, points;
  for (const auto& name : SEQUENCE) {
    ASSERT_TRUE(file.open(dataFile("textprod/warnings/" + name).c_str()));
    TextProduct p;
    WarnProduct w;
    ASSERT_TRUE(file.read(p) && w.parse(p));
    events.add(w);
    active.push_back(events.validAt(at).size());
    const WarnEvents::Event* e = events.find("KOAX.TO.W.0038");
    zones.push_back(e ? e->zones.size() : 0);
    points.push_back(e ? e->polygon.size() : 0);
  }
  EXPECT_EQ(active, (std::vector<size_t>{1, 1, 1, 0}));
  EXPECT_EQ(zones, (std::vector<size_t>{2, 1, 1, 0}));
  EXPECT_EQ(points, (std::vector<size_t>{4, 4, 4, 0}));
  EXPECT_TRUE(events.validAt(Vtec::seconds("240426T2300Z")).empty());
}

}  // namespace
