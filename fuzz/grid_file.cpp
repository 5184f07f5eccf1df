// Feeds arbitrary bytes to GridFile as a file: type detection, then the native grid file's
// header versions, projection lines, code line and value sections (text, binary, external),
// several grids in turn, peeks and selectors.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "grid/Grid.h"
#include "grid/GridFile.h"

namespace {

// One scratch file for the whole run.
const std::string& scratch()
{
  static std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/kol_fuzz_grid_XXXXXX";
    int fd = mkstemp(p.data());
    if (fd >= 0) close(fd);
    return p;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  KOL::Kol::setMessageLevel(0);
  FILE* fp = std::fopen(scratch().c_str(), "wb");
  if (!fp) return 0;
  if (size) std::fwrite(data, 1, size, fp);
  std::fclose(fp);
  KOL::GridFile gf;
  if (!gf.open(scratch().c_str())) return 0;
  KOL::Grid g;
  for (int n = 0; n < 8; n++) {
    if (!gf.peek(g)) break;
    if (!gf.read(g)) break;
    float lo, hi;
    g.getRange(lo, hi);
  }
  gf.rewind();
  gf.read(g, "#1");
  gf.rewind();
  gf.read(g, "h12:500mb:hght");
  return 0;
}
