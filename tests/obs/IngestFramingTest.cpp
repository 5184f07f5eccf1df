// Real files of ZCZC and bare bulletins filed by the ingest: the right headings, and the readers
// read the filed files as they read the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "obs/SfcData.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"
#include "obs/WmoFeed.h"
#include "obs/WmoIngest.h"

using KOL::Kol;
using KOL::WmoIngest;
namespace fs = std::filesystem;

namespace {

const char* const RULES = ". >> %D/%pL_%pT.txt %D/%pL_%pT.hdr\n";

struct Filed {
  std::vector<std::string> headings;  // of the index lines, sorted
  std::vector<std::string> files;     // the data files
};

// What the ingest filed under dir; each index line points at its bulletin's "** heading ***"
// separator.
Filed filedUnder(const std::string& dir)
{
  Filed f;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().extension() != ".hdr") {
      f.files.push_back(e.path().string());
      continue;
    }
    fs::path data = e.path();
    std::string text = KOLTest::readFile(data.replace_extension(".txt").string());
    for (const std::string& line : wmofeed::indexLines(e.path().string())) {
      size_t offset = std::stoul(line), from = line.find_first_not_of(" 0123456789");
      std::string heading = line.substr(from, line.find(" / ") - from);
      EXPECT_EQ(text.compare(offset, heading.size() + 3, "** " + heading), 0) << line;
      f.headings.push_back(heading);
    }
  }
  std::sort(f.headings.begin(), f.headings.end());
  std::sort(f.files.begin(), f.files.end());
  return f;
}

// Records of the surface reader (and what the SYNOP decoder makes of them), and of the upper-air
// reader, as text: equal lists mean equal records.
std::vector<std::string> surfaceRecords(const std::vector<std::string>& paths)
{
  std::vector<std::string> out;
  for (const std::string& path : paths) {
    KOL::SfcWmoFile f;
    EXPECT_EQ(f.open(path.c_str()), 1) << path;
    f.setDate(KOL::Date(2023, 1, 20, 0, 0, 0));
    KOL::SfcWmoData w;
    while (f.read(w)) {
      std::ostringstream s;
      s << w.id << "|" << w.data << "|" << w.wmo << "|" << w.format << "|" << w.location << "|"
        << w.day << " " << w.hour << " " << w.minute << "|" << f.getBbb();
      KOL::SfcData d;
      if (w.format == KOL::SfcWmoData::SYNOP && KOL::SynopTool::decode(w, d))
        s << "|" << d.temp << " " << d.dewp << " " << d.slp << " " << d.wdir << " " << d.wspd;
      out.push_back(s.str());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> upperAirRecords(const std::vector<std::string>& paths)
{
  std::vector<std::string> out;
  for (const std::string& path : paths) {
    KOL::UpaWmoFile f;
    EXPECT_EQ(f.open(path.c_str()), 1) << path;
    f.setDate(KOL::Date(2026, 10, 6, 12, 0, 0));
    KOL::UpaWmoData part;
    while (f.read(part))
      out.push_back(std::string(part.id) + "|" + std::to_string(part.type) + "|" + part.wmo + "|" +
                    part.text);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The heading a DWD file name tells: A_ TTAAii CCCC YYGGgg [BBB] _C_ ...
std::string headingOfName(const std::string& path)
{
  std::string name = fs::path(path).filename().string();
  std::string h = name.substr(2, 6) + " " + name.substr(8, 4) + " " + name.substr(12, 6);
  if (name[18] != '_') h += " " + name.substr(18, 3);
  return h;
}

class IngestFraming : public wmofeed::IngestTest {
 protected:
  // Files a feed into a directory of its own.
  std::string fileInto(WmoIngest& w, const std::string& feed, const std::string& sub,
                       const char* rules = RULES)
  {
    std::string out = dir.file(sub);
    fs::create_directories(out);
    paths(out);
    ingest(w, rules, feed);
    return out;
  }
};

enum Reader { SURFACE, UPPER_AIR };

}  // namespace

TEST_F(IngestFraming, RealFilesOfOtherFramingsAreFiledWhole)
{
  KOL_REQUIRE_DATA();
  struct Case {
    std::string file;
    std::vector<std::string> headings;
    Reader reader;
  };
  std::vector<Case> cases = {
      {"synop/synop2bufr_gts_WX.00", {"SMCU20 MUHV 310000", "SMCU40 MUHV 310000"}, SURFACE},
      {"bulletins/pyiem_METAR_kawn.txt", {"SAEW KAWN 020100 RRG"}, SURFACE},
      {"bulletins/pyiem_METAR_kmwn.txt", {"SAUS70 KWBC 200400"}, SURFACE},
      {"metar/pyiem_sa_SACN96_CWAO.txt", {"SACN96 CWAO 241400 RRB"}, SURFACE},
      {"upperair/real_USUS01_KWBC_061200_72403_72440.txt",
       {"UEUS01 KWBC 061200 RRB", "UKUS01 KWBC 061200 RRD", "USUS01 KWBC 061200 RRB"},
       UPPER_AIR},
  };
  for (const std::string& dwd : {std::string("synop"), std::string("synop/example_with_bufr")})
    for (const auto& e : fs::directory_iterator(KOLTest::dataFile(dwd)))
      if (e.path().filename().string().rfind("A_SM", 0) == 0)
        cases.push_back({fs::relative(e.path(), KOLTest::dataDir()).string(),
                         {headingOfName(e.path().string())},
                         SURFACE});
  ASSERT_EQ(cases.size(), 14u);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string path = KOLTest::dataFile(c.file);
    WmoIngest w("logfile=none,noseq");
    std::string out = fileInto(w, path, "t" + std::to_string(n++));
    EXPECT_EQ(w.getFiled(), static_cast<long>(c.headings.size()));
    EXPECT_EQ(w.getIncomplete(), 0);
    Filed filed = filedUnder(out);
    EXPECT_EQ(filed.headings, c.headings);
    auto records = c.reader == SURFACE ? surfaceRecords : upperAirRecords;
    std::vector<std::string> read = records({path});
    EXPECT_GE(read.size(), c.reader == SURFACE ? 1u : 6u);
    EXPECT_EQ(records(filed.files), read);
    // Filed as they came (R), they are a feed of the usual framing, read alike.
    WmoIngest raw("logfile=none,noseq");
    std::string feed = fileInto(raw, path, "r" + std::to_string(n), ". R>> %D/feed.wmo\n");
    std::string text = KOLTest::readFile(feed + "/feed.wmo");
    EXPECT_EQ(wmofeed::count(text, wmofeed::START), static_cast<int>(c.headings.size()));
    EXPECT_EQ(wmofeed::count(text, "\n"), wmofeed::count(text, wmofeed::EOL));
    EXPECT_EQ(text.back(), wmofeed::ETX);
    EXPECT_EQ(records({feed + "/feed.wmo"}), read);
  }
}

// Parts without a heading are no bulletin: nothing to file them under, and none is made up.
TEST_F(IngestFraming, PartsWithoutAHeadingAreNoBulletin)
{
  KOL_REQUIRE_DATA();
  // An empty file is no capture at all: nothing is said of it.
  KOLTest::writeFile(dir.file("empty"), "");
  const std::vector<std::string> files = {
      dir.file("empty"), KOLTest::dataFile("upperair/ENCODED_72357_OUN_20110522_12Z.txt"),
      KOLTest::dataFile("upperair/teaching_72214_TTAA_TTBB_PPBB_TTCC_TTDD_PPDD.txt")};
  for (size_t k = 0; k < files.size(); k++) {
    SCOPED_TRACE(files[k]);
    WmoIngest w("logfile=none");
    Kol::setMessageLevel(Kol::MESS);
    testing::internal::CaptureStdout();
    std::string out = fileInto(w, files[k], "u" + std::to_string(k));
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(w.getFiled() + w.getIncomplete() + w.getUnselected(), 0);
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_EQ(said, k == 0 ? ""
                           : "WmoIngest: no bulletin in " + files[k] +
                                 " (no line starts one: SOH, ZCZC or a heading)\n");
  }
}
