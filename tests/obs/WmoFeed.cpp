#include "obs/WmoFeed.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/Kol.h"

namespace wmofeed {

std::string frame(int seq, const Bulletin& b, bool etx)
{
  char number[8];
  std::snprintf(number, sizeof number, "%03d", seq % 1000);
  std::string out = START + number + EOL + b.heading + EOL + b.body;
  if (etx) out += ETX;
  return out;
}

std::string lines(const std::vector<std::string>& text)
{
  std::string out;
  for (const std::string& line : text) out += line + EOL;
  return out;
}

namespace {

// The bulletins of a framed feed (start line, sequence, heading, body, ETX).
std::vector<Bulletin> split(const std::string& feed)
{
  std::vector<Bulletin> out;
  for (size_t at = feed.find(START); at != std::string::npos;) {
    size_t next = feed.find(START, at + START.size());
    std::string one = feed.substr(at, next == std::string::npos ? next : next - at);
    at = next;
    size_t seq_end = one.find(EOL, START.size());
    size_t head_end = seq_end == std::string::npos ? seq_end : one.find(EOL, seq_end + 3);
    size_t etx = one.rfind(ETX);
    if (head_end == std::string::npos || etx == std::string::npos || etx < head_end) continue;
    out.push_back({one.substr(seq_end + 3, head_end - seq_end - 3),
                   one.substr(head_end + 3, etx - head_end - 3)});
  }
  return out;
}

// A report file turned into body lines with CR CR LF ends.
std::string bodyOf(const std::string& text)
{
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    out.push_back(line);
  }
  return lines(out);
}

long messageLength(const std::string& s, size_t at)
{
  auto octet = [&](size_t i) { return static_cast<long>(static_cast<unsigned char>(s[at + i])); };
  if (at + 16 > s.size()) return -1;
  if (octet(7) < 2) return (octet(4) << 16) | (octet(5) << 8) | octet(6);
  long len = 0;
  for (int i = 8; i < 16; i++) len = (len << 8) | octet(i);
  return len;
}

}  // namespace

std::vector<Bulletin> metars()
{
  return split(KOLTest::readFile(KOLTest::dataFile("metar/metpy_2020010600_sao.wmo")));
}

std::vector<Bulletin> upperAir()
{
  const char* files[] = {"real_72694_TTAA_TTBB_PPBB_TTCC.txt", "real_02963_20060410_12Z.txt",
                         "real_83779_20230223_12Z.txt",
                         "teaching_72214_TTAA_TTBB_PPBB_TTCC_TTDD_PPDD.txt",
                         "ENCODED_72456_TOP_20070504_12Z.pilot.txt"};
  const char* headings[] = {"USUS45 KWBC 060000", "USEU01 EFKL 101200", "USSA02 SBBR 231200",
                            "USUS44 KWBC 171200", "UGUS41 KWBC 041200"};
  std::vector<Bulletin> out;
  for (int i = 0; i < 5; i++)
    out.push_back({headings[i], bodyOf(KOLTest::readFile(
                                    KOLTest::dataFile(std::string("upperair/") + files[i])))});
  // A file that keeps its own sequence and heading lines: one bulletin per heading.
  std::string us =
      KOLTest::readFile(KOLTest::dataFile("upperair/real_USUS01_KWBC_061200_72403_72440.txt"));
  std::istringstream in(us);
  Bulletin current;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.size() >= 18 && line[0] == 'U' && line[6] == ' ' && line[11] == ' ') {
      if (!current.heading.empty()) out.push_back(current);
      current = {line, ""};
    } else if (!current.heading.empty() && !(line.size() == 3 && isdigit(line[0]))) {
      current.body += line + EOL;
    }
  }
  if (!current.heading.empty()) out.push_back(current);
  return out;
}

std::vector<Bulletin> gribs()
{
  std::vector<Bulletin> out =
      split(KOLTest::readFile(KOLTest::dataFile("grib/wmo_framed_stream.bin")));
  struct Source {
    const char* file;
    const char* heading;
  };
  const Source sources[] = {{"grib/g1_regular_ll_sfc.grib", "HTXA98 KWBC 061200"},
                            {"grib/g2_regular_latlon_surface.grib2", "YTXA98 KWBC 061200"},
                            {"grib/g1_reduced_ll.grib1", "HUXA50 ECMF 061200"},
                            {"grib/g2_cfrzr_and_cprat.grib2", "YRXA40 KWBC 061200"}};
  for (const Source& s : sources) {
    std::string data = KOLTest::readFile(KOLTest::dataFile(s.file));
    for (size_t at = data.find("GRIB"); at != std::string::npos; at = data.find("GRIB", at)) {
      long len = messageLength(data, at);
      if (len <= 0 || at + len > data.size()) break;
      out.push_back({s.heading, data.substr(at, len) + EOL});
      at += len;
    }
  }
  return out;
}

std::string mixedFeed(long size, long block)
{
  std::vector<Bulletin> pool = metars();
  pool.resize(std::min<size_t>(pool.size(), 400));
  for (const auto& more : {upperAir(), gribs()}) pool.insert(pool.end(), more.begin(), more.end());
  std::string feed;
  int seq = 1;
  bool split_line_end = true;
  for (size_t i = 0; static_cast<long>(feed.size()) < size; i++) {
    std::string one = frame(seq, pool[i % pool.size()]);
    seq = seq % 999 + 1;
    long next = (static_cast<long>(feed.size() + 2) / block + 1) * block;
    if (static_cast<long>(feed.size() + one.size()) + 100 < next) {
      feed += one;
      continue;
    }
    // A bulletin padded up to the boundary.
    std::string head = frame(seq, {"SXUS50 KWBC 061200", ""}, false);
    seq = seq % 999 + 1;
    long have = static_cast<long>(feed.size() + head.size());
    long pad = split_line_end ? next - 2 - have : next - 1 - have - 4;
    feed += head + std::string(pad, 'P') + EOL + ETX;
    split_line_end = !split_line_end;
  }
  return feed;
}

int count(const std::string& s, const std::string& text)
{
  int n = 0;
  for (size_t at = s.find(text); at != std::string::npos; at = s.find(text, at + text.size())) n++;
  return n;
}

std::vector<std::string> indexLines(const std::string& path)
{
  std::vector<std::string> out;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

PipeFeed::PipeFeed(const std::string& path, std::string feed) : path_(path), feed_(std::move(feed))
{
  mkfifo(path_.c_str(), 0600);
  thread_ = std::thread([this] {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    int fd = open(path_.c_str(), O_WRONLY);
    static const size_t pieces[] = {4099, 1, 65536, 777, 200000, 3};
    for (size_t at = 0, i = 0; fd >= 0 && at < feed_.size(); i++) {
      size_t n = std::min(pieces[i % 6], feed_.size() - at);
      ssize_t put = write(fd, feed_.data() + at, n);
      if (put <= 0) break;
      at += static_cast<size_t>(put);
    }
    if (fd >= 0) close(fd);
    done_ = true;
  });
}

// A reader that stopped early (a failed test) must not leave the writer waiting.
PipeFeed::~PipeFeed()
{
  int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
  char buf[65536];
  while (!done_ && fd >= 0) {
    if (read(fd, buf, sizeof buf) <= 0) usleep(1000);
  }
  if (thread_.joinable()) thread_.join();
  if (fd >= 0) close(fd);
  unlink(path_.c_str());
}

const char* const PATHS[] = {"data_path", "raw_path", "model_path", "text_path"};

void IngestTest::SetUp()
{
  QuietTest::SetUp();
  paths(dir.path());
}

void IngestTest::TearDown()
{
  paths("");
  QuietTest::TearDown();
}

void IngestTest::paths(const std::string& to)
{
  for (const char* name : PATHS) KOL::Kol::resrc.set(name, to.empty() ? nullptr : to.c_str());
}

std::string IngestTest::write(const std::string& name, const std::string& text)
{
  KOLTest::writeFile(dir.file(name), text);
  return dir.file(name);
}

void IngestTest::ingest(KOL::WmoIngest& w, const std::string& rules, const std::string& path)
{
  w.setParam(("logfile=" + dir.file("ingest.log")).c_str());
  ASSERT_EQ(w.readProdFile(write("rules.prd", rules).c_str()), 1);
  ASSERT_EQ(w.process(path.c_str()), 1);
}

}  // namespace wmofeed
