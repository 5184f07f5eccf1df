// Feeds arbitrary bytes to the map readers through MapFile's own detection: the own text and
// binary formats, KML and shapefiles. The first byte picks how the rest is stored: one file
// read as it is found, or split at the second byte's share into a .shp and its .shx index.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Kol.h"
#include "graphics/MapFile.h"

using namespace KOL;

namespace {

std::string base;

void removeScratch()
{
  for (const char* ext : {".map", ".mdb", ".shp", ".shx", ".dbf"}) unlink((base + ext).c_str());
}

const std::string& scratchBase()
{
  if (base.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    base = std::string(tmp && *tmp ? tmp : "/tmp") + "/kolfuzz_map_" + std::to_string(getpid());
    std::atexit(removeScratch);
  }
  return base;
}

void store(const std::string& path, const uint8_t* data, size_t n)
{
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return;
  std::fwrite(data, 1, n, fp);
  std::fclose(fp);
}

void readAll(const std::string& path)
{
  MapFile in;
  if (!in.open(path.c_str())) return;
  MapFileHeader h;
  EarthPoint e;
  EarthPoints pts;
  for (int i = 0; in.readHeader(h); ++i) {
    if (i % 3 == 0)
      in.skipData();
    else if (i % 3 == 1)
      in.readData(pts);
    else
      while (in.readData(e)) {
      }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2) return 0;
  const uint32_t mask = Kol::getMessageMask();
  Kol::setMessageMask(0);
  const std::string& b = scratchBase();
  removeScratch();
  if (data[0] % 2 == 0) {
    store(b + ".map", data + 1, size - 1);
    readAll(b + ".map");
  } else {
    const size_t body = size - 2, cut = body * data[1] / 255;
    store(b + ".shp", data + 2, cut);
    store(b + ".shx", data + 2 + cut, body - cut);
    readAll(b + ".shp");
  }
  Kol::setMessageMask(mask);
  return 0;
}
