// Feeds arbitrary bytes to GribFile as a file: stream kind detection, transmission headers,
// the forward search for messages, peeks, selection and reads into grids.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "grid/GribFile.h"
#include "grid/Grid.h"

namespace {

// One scratch file for the whole run.
const std::string& scratch()
{
  static std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/kol_fuzz_grib_XXXXXX";
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
  KOL::GribFile gf;
  if (!gf.open(scratch().c_str())) return 0;
  gf.setParam("wrap,max_bad=3");
  KOL::Grid g;
  for (int n = 0; n < 16; n++) {
    if (!gf.peek(g)) break;
    gf.read(g);
  }
  gf.rewind();
  gf.read("#1", g);
  return 0;
}
