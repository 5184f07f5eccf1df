// Building bulletin feeds for the ingest tests: framing, the real bulletins of the shared test
// data cut into heading and body, feeds through a pipe, and a scratch ingest.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/TestData.h"
#include "obs/WmoIngest.h"

namespace wmofeed {

constexpr char SOH = '\x01';
constexpr char ETX = '\x03';
const std::string EOL = "\r\r\n";
const std::string START = std::string(1, SOH) + EOL;

struct Bulletin {
  std::string heading;
  std::string body;  // everything after the heading line, up to the ETX
};

// SOH CR CR LF, the sequence number, the heading, the body and ETX.
std::string frame(int seq, const Bulletin& b, bool etx = true);
// Text lines joined with CR CR LF line ends.
std::string lines(const std::vector<std::string>& text);
// Real bulletins of the shared data: METAR collectives, TEMP and PILOT parts, GRIB messages.
std::vector<Bulletin> metars();
std::vector<Bulletin> upperAir();
std::vector<Bulletin> gribs();
// A feed of at least size bytes of the real bulletins above, mixed; at every multiple of block
// a line end is split or a start line begins on its last byte, in turn.
std::string mixedFeed(long size, long block);
// Occurrences of text in s.
int count(const std::string& s, const std::string& text);
// Index lines of a header index file.
std::vector<std::string> indexLines(const std::string& path);

// A named pipe that a thread fills with a feed in odd-sized pieces once a reader opens it.
class PipeFeed {
 public:
  PipeFeed(const std::string& path, std::string feed);
  ~PipeFeed();

 private:
  std::string path_;
  std::string feed_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// A quiet test whose path resources point into a scratch directory.
class IngestTest : public KOLTest::QuietTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Points the path resources at a directory, "" unsets them.
  static void paths(const std::string& to);
  std::string write(const std::string& name, const std::string& text);
  std::string read(const std::string& name) const { return KOLTest::readFile(dir.file(name)); }
  // Files the feed at path with the rules; the log goes to the scratch directory.
  void ingest(KOL::WmoIngest& w, const std::string& rules, const std::string& path);

  KOLTest::TempDir dir;
};

}  // namespace wmofeed
