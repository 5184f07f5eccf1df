// Feeds arbitrary bytes to the bulletin line splitter, then through the whole ingest with rules
// that write each bulletin to a file named from its heading and append it to another.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "obs/WmoData.h"
#include "obs/WmoFile.h"
#include "obs/WmoIngest.h"

using namespace KOL;

namespace {

// One scratch directory per process, with the feed and the rules in it (a plain array, still
// there when the removal at exit runs).
char scratch[256];

void removeScratch() { std::system((std::string("rm -rf '") + scratch + "'").c_str()); }

const char* scratchDir()
{
  if (!scratch[0]) {
    const char* tmp = std::getenv("TMPDIR");
    std::snprintf(scratch, sizeof scratch, "%s/kolfuzz_wmo_%d", tmp && *tmp ? tmp : "/tmp",
                  static_cast<int>(getpid()));
    std::system((std::string("mkdir -p '") + scratch + "'").c_str());
    std::atexit(removeScratch);
  }
  return scratch;
}

bool writeFile(const std::string& path, const void* data, size_t size)
{
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  if (size) std::fwrite(data, 1, size, fp);
  return std::fclose(fp) == 0;
}

// Every byte ends up in a line, the last bytes too when no line end follows them.
void splitLines(const std::string& feed, size_t size)
{
  WmoFile in;
  if (!in.open(feed.c_str())) return;
  WmoData line;
  size_t total = 0;
  while (in.read(line)) {
    if (line.getLength() < 0 || line.getLength() > WmoData::DATA_SIZE) std::abort();
    total += line.getLength();
  }
  if (total != static_cast<size_t>(in.getTotalBytes())) std::abort();
  // Bytes made the feed's (line ends, framing) are not the file's own.
  if (!in.converts() && total != size) std::abort();
}

void ingest(const std::string& feed)
{
  std::string dir = scratchDir();
  // Written per bulletin, and appended to files kept open with index files beside them.
  std::string rules =
      ". > " + dir + "/out/%pT_%pL_%e\n. >> " + dir + "/out/%pL/%pT " + dir + "/out/%pL/%pT.idx\n";
  if (!writeFile(dir + "/rules.prd", rules.data(), rules.size())) return;
  WmoIngest w("logfile=none");
  w.readProdFile((dir + "/rules.prd").c_str());
  w.process(feed.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string feed = std::string(scratchDir()) + "/feed";
  if (!writeFile(feed, data, size)) return 0;
  uint32_t mask = Kol::getMessageMask();
  Kol::setMessageMask(0);
  splitLines(feed, size);
  ingest(feed);
  Kol::setMessageMask(mask);
  return 0;
}
