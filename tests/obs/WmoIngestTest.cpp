// Ingest: products-file rules, selection, name templates, filing, notices and feed faults.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/Product.h"
#include "obs/WmoFeed.h"
#include "obs/WmoIngest.h"

using KOL::Kol;
using KOL::Product;
using KOL::WmoIngest;
using namespace wmofeed;
namespace fs = std::filesystem;

namespace {

class Ingest : public IngestTest {};

}  // namespace

TEST(Product, FlagsAndActionWords)
{
  struct Case {
    const char* line;
    int action, raw, bin, unique, pan, off;
    const char* file;
    const char* header;
  };
  const Case cases[] = {
      {"SA....  >>  %D/a.wmo %D/a.idx", Product::APPEND, 0, 0, 0, 0, 0, "%D/a.wmo", "%D/a.idx"},
      {"SA.... APPEND a", Product::APPEND, 0, 0, 0, 0, 0, "a", ""},
      {"X BRU> out", Product::WRITE, 1, 1, 1, 0, 0, "out", ""},
      {"X write-30 out", Product::WRITE, 0, 0, 0, 0, -1800, "out", ""},
      {"X P>> f", Product::APPEND, 0, 0, 0, 65535, 0, "f", ""},
      {"X P13>>+5 f", Product::APPEND, 0, 0, 0, 0b1010, 300, "f", ""},
      {"X P1P>> f", Product::APPEND, 0, 0, 0, 0b10, 0, "f", ""},
      {"X |  cat > x.%pT  ", Product::PIPE, 0, 0, 0, 0, 0, "cat > x.%pT", ""},
      {"X PIPE sort", Product::PIPE, 0, 0, 0, 0, 0, "sort", ""},
      {"X PRUN echo %pT", Product::RUN, 0, 0, 0, 65535, 0, "echo %pT", ""},
      {"X # name hdr", Product::FILE_NAME, 0, 0, 0, 0, 0, "name", "hdr"},
      {"X --60", Product::IGNORE, 0, 0, 0, 0, -3600, "", ""},
      {"X >> @later", Product::APPEND, 0, 0, 0, 0, 0, "", ""},
  };
  testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Product p;
    ASSERT_EQ(p.set(c.line), 1);
    EXPECT_EQ(p.getAction(), c.action);
    EXPECT_EQ(p.isRaw(), c.raw);
    EXPECT_EQ(p.isBin(), c.bin);
    EXPECT_EQ(p.isUnique(), c.unique);
    EXPECT_EQ(p.getPan(), c.pan);
    EXPECT_EQ(p.getOffset(), c.off);
    EXPECT_STREQ(p.getFileTemplate(), c.file);
    EXPECT_STREQ(p.getHeaderTemplate(), c.header);
  }
  EXPECT_NE(testing::internal::GetCapturedStderr().find("reserved"), std::string::npos);
  Product p;
  for (const char* bad : {"", "X", "X ?? f", "X Bz> f"}) EXPECT_EQ(p.set(bad), 0) << bad;
  ASSERT_EQ(p.set((std::string(60, 'A') + " > f").c_str()), 1);
  EXPECT_EQ(std::string(p.getPattern()), std::string(39, 'A'));
}

TEST_F(Ingest, ProductsFileLimitsAndNoticeDestinations)
{
  std::string rules = "# comment\n@PAN id=7 sock:127.0.0.1:6001 sock:127.0.0.1 pan.log\n";
  rules += "@PAN id=9 sock:nosuch.invalid\n";
  for (int i = 0; i < 40; i++) rules += "@PAN f" + std::to_string(i) + "\n";
  rules += "SA" + std::string(400, '.') + " >> long\n";
  for (int i = 0; i < 2100; i++) rules += "R" + std::to_string(i) + " >> f\n";
  WmoIngest w("logfile=none");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Kol::setMessageLevel(Kol::WARN);
  EXPECT_EQ(w.readProdFile(write("p.prd", rules).c_str()), 1);
  std::string out = testing::internal::GetCapturedStdout();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("unable to determine PAN destination: nosuch.invalid"), std::string::npos);
  EXPECT_NE(err.find("no room for PAN destination: f36"), std::string::npos);
  EXPECT_EQ(w.getPanId(), 7);
  ASSERT_EQ(w.getNumPans(), 40);
  EXPECT_EQ(w.getPan(0).getKind(), KOL::Pan::DATAGRAM);
  EXPECT_EQ(w.getPan(0).getPort(), 6001);
  EXPECT_EQ(w.getPan(1).getPort(), 5000);
  EXPECT_EQ(w.getPan(2).getKind(), KOL::Pan::NOTICE_FILE);
  EXPECT_EQ(w.getPan(3).getKind(), KOL::Pan::UNUSABLE);
  // The line cut at 300 characters has no action left.
  EXPECT_NE(err.find("not a products file rule: SA...."), std::string::npos);
  EXPECT_EQ(w.getNumRules(), WmoIngest::MAX_RULES);
  EXPECT_STREQ(w.getRule(0).getPattern(), "R0");
  testing::internal::CaptureStdout();
  EXPECT_EQ(w.readProdFile(dir.file("missing.prd").c_str()), 0);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Product file not found"),
            std::string::npos);
  EXPECT_EQ(w.getNumRules(), 0);
  EXPECT_EQ(w.readProdFile("NONE"), 0);
}

TEST_F(Ingest, RuleSelection)
{
  WmoIngest w("logfile=none");
  std::string rules =
      "(SA|SP)...._KWBC  >> a\n"  // 0
      "SAUS..          U>> b\n"   // 1: only when nothing earlier matched
      "SX....          U>> c\n"   // 2
      "WW....          -\n"       // 3: ignored
      "WW....          U>> d\n"   // 4
      "FT*_KBOS        >> e\n"    // 5
      "/MTR            >> f\n"    // 6: AWIPS identifier
      "else            >> g\n"    // 7
      "else            >> h\n";   // 8: the last else rule is taken
  ASSERT_EQ(w.readProdFile(write("r.prd", rules).c_str()), 1);
  struct Case {
    const char* heading;
    const char* awips;
    bool selected;
    std::vector<int> rules;
  };
  const Case cases[] = {
      {"SAUS70 KWBC 041853", "", true, {0}},       {"SPUS70 KWBC 041853", "", true, {0}},
      {"SXUS70 KWBC 041853", "", true, {2}},       {"SAUS70 KOKX 041853", "", true, {1}},
      {"WWUS40 KWNS 041853", "", true, {}},        {"FTUS41 KBOS 041853", "TAFBOS", true, {5}},
      {"FTUS41 KBOX 041853", "TAFBOX", true, {8}}, {"SMUS41 KOKX 041853", "MTRNYC", true, {6}},
      {"** SAUS70 KWBC 041853", "", true, {0}},    {"", "MTRNYC", true, {6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    w.setHeading(c.heading, c.awips);
    EXPECT_EQ(w.isSelected(), c.selected);
    std::vector<int> got;
    for (int i = 0; i < w.getNumRules(); i++)
      if (w.getRule(i).getSel()) got.push_back(i);
    EXPECT_EQ(got, c.rules);
  }
  w.setHeading("FTUS41 KBOX 041853", "");
  w.isSelected();
  EXPECT_EQ(w.getRule(8).getSel(), Product::ELSE);
}

TEST_F(Ingest, NameTemplates)
{
  Kol::resrc.set("data_path", nullptr);
  Kol::resrc.set("my_dir", "/srv/kol");
  WmoIngest w("logfile=none");
  w.setDate(KOL::Date(2024, 3, 4, 19, 7, 0));
  w.setHeading("SAUS70 KWBC 041853 RRA", "MTRBOS  extra");
  struct Case {
    const char* tmpl;
    int offset;
    const char* want;
  };
  const Case cases[] = {
      {"%D/%pl/%6ph.txt", 0, "./kwbc/18.txt"},
      {"%D/%pL/%6ph.txt", 0, "./KWBC/18.txt"},
      {"%Y%m%d%h%n_%y%b%j", 0, "202403041907_24mar064"},
      {"%pY%pm%pd%ph%pn", 0, "202403041853"},
      {"%h", 3600, "18"},
      {"%12pT.%34pT.%5pt.%pt", 0, "SA.US.saus7.saus70"},
      {"%E.%e.%103E.%20e", 0, "MTRBOS.mtrbos.MTR.trbos"},
      {"%{my_dir}/%{unset_res}/%%/%q/%3d%15n", 0, "/srv/kol/./%/q/0300"},
  };
  char out[Product::FILE_SIZE];
  for (const Case& c : cases) {
    w.setAction(c.tmpl, c.offset, out, sizeof out);
    EXPECT_STREQ(out, c.want) << c.tmpl;
  }
  // The heading day belongs to the previous month, and the output is bounded.
  w.setDate(KOL::Date(2024, 3, 1, 0, 10, 0));
  w.setHeading("SAUS70 KWBC 292350", "");
  w.setAction("%pY%pm%pd%ph", 0, out, sizeof out);
  EXPECT_STREQ(out, "2024022923");
  char small[6];
  EXPECT_EQ(w.setAction("%pT%pT", 0, small, sizeof small), 5);
  EXPECT_STREQ(small, "SAUS7");
  Kol::resrc.set("my_dir", nullptr);
}

TEST_F(Ingest, CleanLineModes)
{
  const std::string in = std::string("a/b\r\n\x01\x7f\xff", 8);
  const char* want[] = {"a/b", "a/b\n", "a/b\r\n", "a-bx\nxxx"};
  for (int mode = 0; mode <= 3; mode++) {
    std::string buf = in + '\0';
    int n = WmoIngest::cleanLine(buf.data(), static_cast<int>(in.size()), mode);
    EXPECT_EQ(std::string(buf.c_str(), n), want[mode]) << mode;
  }
}

// Hostile headings: every file stays under the output directory and no command of theirs runs.
TEST_F(Ingest, HeadingsCannotLeaveTheOutputTreeOrReachAShell)
{
  fs::path outer = fs::path(dir.path()) / "out";
  Kol::resrc.set("data_path", outer.c_str());
  const std::string headings[] = {"SA/../.. ../../x 041853",
                                  ".. .. 041853",
                                  "SA$(touch${IFS}PWNED) `touch_PWNED` 041853",
                                  "SA;touch PWNED;# |tee&x 041853",
                                  std::string("SA\x01\x7f\xfe/ KW\nBC 041853\0", 20),
                                  "-rf --help 041853"};
  std::string feed;
  int seq = 1;
  for (const std::string& h : headings) feed += frame(seq++, {h, lines({"../../etc", "X"})});
  std::string rules =
      ". >> %D/%pT/%pL/%E.wmo %D/%pT/%pL/%e.idx\n"
      ". | cat >> " +
      (outer / "piped_%pT_%pL_%E").string() +
      "\n"
      ". @ touch " +
      (outer / "run_%pt_%pl").string() + "\n";
  testing::internal::CaptureStderr();
  WmoIngest w;
  ingest(w, rules, write("feed", feed));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(w.getFiled(), 6);
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
    std::string p = fs::canonical(e.path()).string();
    EXPECT_EQ(p.rfind(fs::canonical(dir.path()).string(), 0), 0u) << p;
    EXPECT_NE(e.path().filename().string(), "PWNED");
    if (e.is_regular_file() && e.path().parent_path() != fs::path(dir.path())) files++;
  }
  EXPECT_GE(files, 12);  // a data and an index file, and a piped file, per heading
  EXPECT_FALSE(fs::exists("PWNED"));
  EXPECT_FALSE(fs::exists(fs::path(dir.path()) / "PWNED"));
}

namespace {

struct Entry {
  std::string data_file;
  long offset;
  std::string heading;
  std::string awips;
};

// Every index line under dir, with the data file it belongs to (same name, data extension).
std::vector<Entry> indexEntries(const std::string& dir)
{
  static const std::map<std::string, std::string> data_ext = {{".idx", ".wmo"}, {".gidx", ".grib"}};
  std::vector<Entry> out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    auto ext = data_ext.find(e.path().extension().string());
    if (ext == data_ext.end()) continue;
    fs::path data = e.path();
    data.replace_extension(ext->second);
    for (const std::string& line : indexLines(e.path().string())) {
      size_t slash = line.find(" / ");
      char* end = nullptr;
      long offset = std::strtol(line.c_str(), &end, 10);
      std::string heading = line.substr(end - line.c_str() + 1, slash - (end - line.c_str()) - 1);
      out.push_back({data.string(), offset, heading, line.substr(slash + 3)});
    }
  }
  return out;
}

std::string trimmed(std::string s)
{
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  return s;
}

// Each index entry points at its bulletin's separator; every heading sent is filed once.
void expectFiledOnce(const std::string& dir, const std::vector<Bulletin>& sent)
{
  std::vector<Entry> entries = indexEntries(dir);
  std::multiset<std::string> want, got;
  for (const Bulletin& b : sent) want.insert(trimmed(b.heading));
  std::map<std::string, std::string> files;
  for (const Entry& e : entries) {
    got.insert(e.heading);
    if (!files.count(e.data_file)) files[e.data_file] = KOLTest::readFile(e.data_file);
    const std::string& data = files[e.data_file];
    std::string separator = "** " + e.heading + " ***\n";
    ASSERT_EQ(data.compare(e.offset, separator.size(), separator), 0)
        << e.data_file << " at " << e.offset;
  }
  EXPECT_EQ(got, want);
}

}  // namespace

// Real METAR, TEMP/PILOT and GRIB bulletins filed by the shipped products file.
TEST_F(Ingest, RealBulletinsAreFiledOnceInTheirFamilyFiles)
{
  KOL_REQUIRE_DATA();
  std::vector<Bulletin> sfc = metars(), upa = upperAir(), grib = gribs(), all;
  ASSERT_EQ(sfc.size(), 2723u);
  ASSERT_GE(upa.size(), 8u);
  ASSERT_GE(grib.size(), 8u);
  ASSERT_LE(grib.size(), sfc.size() / 200);
  std::string feed;
  for (size_t i = 0; i < sfc.size(); i++) {
    all.push_back(sfc[i]);
    if (i % 200 == 0 && i / 200 < upa.size()) all.push_back(upa[i / 200]);
    if (i % 200 == 100 && i / 200 < grib.size()) all.push_back(grib[i / 200]);
  }
  for (size_t i = 0; i < all.size(); i++) feed += frame(static_cast<int>(i % 999) + 1, all[i]);
  WmoIngest w;
  w.setDate(KOL::Date(2020, 1, 6, 1, 0, 0));
  ingest(w, KOLTest::readFile(KOLTest::databaseDir() + "/ingest.prd"), write("feed", feed));
  EXPECT_EQ(w.getFiled(), static_cast<long>(all.size()));
  EXPECT_EQ(w.getIncomplete(), 0);
  expectFiledOnce(dir.path(), all);
  // Families land in their own files.
  for (const Entry& e : indexEntries(dir.path())) {
    char t1 = e.heading[0];
    std::string family = t1 == 'S' ? "/sfc/" : t1 == 'U' ? "/upa/" : "/";
    EXPECT_NE(e.data_file.find(dir.path() + family), std::string::npos) << e.heading;
  }
  // Filed METARs read as text: no CR and no control characters.
  std::string sfc_file = KOLTest::readFile(dir.file("sfc/2020010600_sfc.wmo"));
  EXPECT_GT(sfc_file.size(), 100000u);
  EXPECT_EQ(sfc_file.find('\r'), std::string::npos);
}

TEST_F(Ingest, RawFilingReproducesTheFeedAndChecksSequenceNumbers)
{
  KOL_REQUIRE_DATA();
  std::string feed = KOLTest::readFile(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo"));
  WmoIngest w;
  ingest(w, ". R>> %D/all.raw\n", write("feed", feed));
  EXPECT_TRUE(read("all.raw") == feed);
  fs::remove(dir.file("ingest.log"));

  std::string gaps;
  for (int seq : {997, 998, 999, 1, 2, 5, 999, 0}) gaps += frame(seq, {"SAUS70 KWBC 060000", ""});
  WmoIngest g;
  ingest(g, ". >> %D/x\n", write("feed", gaps));
  std::string log = read("ingest.log");
  EXPECT_NE(log.find("Sequence number gap: 2 - 5"), std::string::npos);
  EXPECT_NE(log.find("Sequence number gap: 5 - 999"), std::string::npos);
  EXPECT_NE(log.find("Sequence number gap: 999 - 0"), std::string::npos);
  EXPECT_EQ(log.find("Sequence number gap: 999 - 1"), std::string::npos);
  EXPECT_EQ(count(log, "Sequence number gap"), 3);
  EXPECT_NE(log.find("Terminating ingest"), std::string::npos);
}

// Headings and identifiers are trimmed and cleaned as StrLib::trimWS and StrLib::clean do.
TEST_F(Ingest, HeadingsAndIdentifiersTrimmedAndCleaned)
{
  const std::string nul(1, '\0');
  const std::vector<std::pair<std::string, std::string>> sent = {
      {"SAUS70 KWBC 060000 \t", "METAR  "},
      {"SAUS71 K\x01"
       "BC 060000",
       "MET\x02"
       "AR"},
      {"SAUS72 KWBC 060000 \x02", "METAR\x7f"},
      {"SAUS73 KWBC" + nul + "060000" + nul, nul + "METAR"},
      {"SAUS74 KWBC 060000\x80\xff", "\x1b[0mMETAR \x03x"},
  };
  std::string feed;
  int seq = 1;
  for (const auto& [heading, awips] : sent)
    feed += frame(seq++, {heading, awips + EOL + "KBOS 060000Z 27010KT=" + EOL});
  WmoIngest w("logfile=none");
  ingest(w, ". >> %D/all.wmo %D/all.idx\n", write("feed", feed));
  std::vector<std::string> got = indexLines(dir.file("all.idx"));
  ASSERT_EQ(got.size(), sent.size());
  auto cleaned = [](std::string text) {
    text += EOL;
    for (char& c : text) c = c ? c : ' ';
    std::vector<char> s(text.begin(), text.end());
    s.push_back(0);
    KOL::StrLib::trimWS(s.data());
    KOL::StrLib::clean(s.data());
    return std::string(s.data());
  };
  for (size_t i = 0; i < sent.size(); i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].substr(8), cleaned(sent[i].first) + " / " + cleaned(sent[i].second));
  }
  EXPECT_EQ(got[0].substr(8), "SAUS70 KWBC 060000 / METAR");
  EXPECT_EQ(got[2].substr(8), "SAUS72 KWBC 060000  / METAR\x7f");
}

// Text is filed whatever became of its ETX, a binary message only when whole.
TEST_F(Ingest, WhatEndsABulletinWithoutItsEtx)
{
  std::string grib = "GRIB" + std::string("\x00\x00\x40\x01", 4) + std::string(52, 'g') + "7777";
  std::string head = START + "001" + EOL;
  Bulletin a{"SAUS70 KWBC 060000", lines({"METAR", "KBOS 060000Z 27010KT="})};
  Bulletin g{"HTXA50 KWBC 060000", grib + EOL};
  std::string cut_grib = head + g.heading + EOL + grib.substr(0, 50);
  std::string short_grib = head + g.heading + EOL + grib.substr(0, 40);
  // A BUFR message whose data hold what looks like the end of a bulletin.
  std::string bufr = "BUFR" + std::string("\x00\x00\x40\x04", 4) + std::string(20, 'b') +
                     "\r\r\n\x03" + std::string(28, 'b') + "7777";
  Bulletin b{"IUSN40 EDZW 060000", bufr + EOL};
  struct Case {
    const char* what;
    std::string feed;
    long filed, incomplete;
    int binaries;       // whole messages in the binary output
    const char* extra;  // in the text output beside the report of KBOS
  };
  const Case cases[] = {
      {"next start line", frame(1, a, false) + frame(2, a), 2, 0, 0, ""},
      {"end of file in a line", frame(1, a) + head + a.heading + EOL + "KJFK 0601", 2, 0, 0,
       "KJFK 0601"},
      {"end of file in the heading", frame(1, a) + head + "SAUS70 KW", 1, 1, 0, ""},
      {"no heading", head + frame(2, a), 1, 1, 0, ""},
      {"binary message cut by a start line", cut_grib + frame(2, a) + frame(3, g), 2, 1, 1, ""},
      {"binary message cut by the end", frame(1, a) + short_grib, 1, 1, 0, ""},
      {"BUFR message with an ETX in its data", frame(1, b, false) + frame(2, a), 2, 0, 1, ""},
      {"BUFR message cut by the end", frame(1, a) + head + b.heading + EOL + bufr.substr(0, 40), 1,
       1, 0, ""},
  };
  std::string rules = write("r.prd", "S..... >> %D/s.wmo %D/s.idx\n[HI]..... B>> %D/g.grib\n");
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string sub = "c" + std::to_string(n++);
    Kol::resrc.set("data_path", dir.file(sub).c_str());
    WmoIngest w("logfile=none");
    ASSERT_EQ(w.readProdFile(rules.c_str()), 1);
    ASSERT_EQ(w.process(write(sub + ".feed", c.feed).c_str()), 1);
    EXPECT_EQ(w.getFiled(), c.filed);
    EXPECT_EQ(w.getIncomplete(), c.incomplete);
    std::string text = read(sub + "/s.wmo");
    EXPECT_NE(text.find("KBOS 060000Z"), std::string::npos);
    EXPECT_NE(text.find(c.extra), std::string::npos) << c.extra;
    EXPECT_EQ(count(text, "** "), static_cast<int>(indexLines(dir.file(sub + "/s.idx")).size()));
    const std::string binary = read(sub + "/g.grib");
    EXPECT_EQ(count(binary, grib) + count(binary, bufr), c.binaries);
  }
}

// A stop finishes the bulletin in progress; index lines are written while the feed is silent.
TEST_F(Ingest, TerminateFinishesTheBulletinInProgress)
{
  std::string fifo = dir.file("feed.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string b1 = frame(1, {"SAUS70 KWBC 060000", lines({"METAR", "KBOS 1"})});
  std::string b2 = frame(2, {"SAUS70 KWBC 060100", lines({"METAR", "KBOS 2"})});
  std::string b3 = frame(3, {"SAUS70 KWBC 060200", lines({"METAR", "KBOS 3"})});
  WmoIngest w;
  w.setParam(("logfile=" + dir.file("ingest.log")).c_str());
  ASSERT_EQ(w.readProdFile(write("r.prd", "S..... >> %D/s.wmo %D/s.idx\n").c_str()), 1);
  int result = -1;
  std::thread reader([&] { result = w.process(fifo.c_str()); });
  int fd = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  auto put = [&](const std::string& s) {
    ASSERT_EQ(::write(fd, s.data(), s.size()), (ssize_t)s.size());
  };
  put(b1 + b2.substr(0, 30));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // Index lines gathered are written once the feed falls silent.
  EXPECT_EQ(indexLines(dir.file("s.idx")).size(), 1u);
  w.terminate();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  put(b2.substr(30) + b3);
  reader.join();
  close(fd);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(indexLines(dir.file("s.idx")).size(), 2u);
  EXPECT_EQ(count(read("s.wmo"), "KBOS"), 2);
}

// Two rules filing each bulletin to one file index their own copies.
TEST_F(Ingest, TwoRulesFilingToOneFileIndexTheirOwnCopies)
{
  std::vector<Bulletin> sent, twice;
  std::vector<std::string> texts;
  std::string feed;
  for (int i = 0; i < 40; i++) {
    // One line longer than an output buffer, which goes out past it.
    texts.emplace_back(i == 7 ? 25000 : 100 + i * 997 % 9000, static_cast<char>('A' + i % 26));
    sent.push_back({"SAUS70 KWBC 0612" + std::to_string(10 + i), lines({"METAR", texts[i] + "="})});
    feed += frame(i + 1, sent.back());
    twice.push_back(sent.back());
    twice.push_back(sent.back());
  }
  WmoIngest w;
  ingest(w, "SA....  >>  %D/s.wmo %D/s.idx\nSA....  >>  %D/s.wmo %D/s.idx\n", write("feed", feed));
  EXPECT_EQ(w.getFiled(), 40);
  expectFiledOnce(dir.path(), twice);
  const std::string data = read("s.wmo");
  for (const std::string& text : texts) EXPECT_EQ(count(data, "\n" + text + "="), 2) << text.size();
}

// A GRIB bulletin's identifier carries edition, centre and process as ecCodes reads them.
TEST_F(Ingest, GribBulletinsAreDescribedAsEcCodesReadsThem)
{
  KOL_REQUIRE_DATA();
  if (KOLTest::run("command -v grib_get").empty()) GTEST_SKIP() << "grib_get not installed";
  std::vector<Bulletin> sent = gribs();
  std::string feed, want;
  for (size_t i = 0; i < sent.size(); i++) feed += frame(static_cast<int>(i + 1), sent[i]);
  for (const char* f :
       {"wmo_framed_stream.bin", "g1_regular_ll_sfc.grib", "g2_regular_latlon_surface.grib2",
        "g1_reduced_ll.grib1", "g2_cfrzr_and_cprat.grib2"})
    want += KOLTest::run("grib_get -f -p edition,centre:i,generatingProcessIdentifier:i " +
                         KOLTest::dataFile(std::string("grib/") + f));
  WmoIngest w;
  ingest(w, "[HY]..... >> %D/g.wmo %D/g.idx\n", write("feed", feed));
  std::string got;
  for (const std::string& line : indexLines(dir.file("g.idx"))) {
    int edition = 0, centre = 0, model = 0;
    ASSERT_EQ(std::sscanf(line.c_str() + line.find(" / ") + 3, "GRIB%d S%d M%d", &edition, &centre,
                          &model),
              3)
        << line;
    got +=
        std::to_string(edition) + " " + std::to_string(centre) + " " + std::to_string(model) + "\n";
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(count(got, "\n"), static_cast<int>(sent.size()));
}
