// Feeds arbitrary bytes to the graphics layer's file readers: the metafile replay (onto a graph
// whose metafile device writes nowhere), the stroke font reader, the symbol reader and the colour
// table reader. The first byte picks the reader.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Kol.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorMap.h"
#include "graphics/GFont.h"
#include "graphics/Graph.h"
#include "graphics/MetaFile.h"
#include "graphics/Symbol.h"

using namespace KOL;

namespace {

char scratch[256];

void removeScratch() { unlink(scratch); }

const char* scratchPath()
{
  if (!scratch[0]) {
    const char* tmp = std::getenv("TMPDIR");
    std::snprintf(scratch, sizeof scratch, "%s/kolfuzz_gfx_%d", tmp && *tmp ? tmp : "/tmp",
                  static_cast<int>(getpid()));
    std::atexit(removeScratch);
  }
  return scratch;
}

Graph& graph()
{
  static Graph g;
  if (!g.isOpen()) g.open("meta", "m,/dev/null,sz=756x576");
  return g;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1) return 0;
  FILE* fp = std::fopen(scratchPath(), "wb");
  if (!fp) return 0;
  std::fwrite(data + 1, 1, size - 1, fp);
  std::fclose(fp);
  const uint32_t mask = Kol::getMessageMask();
  Kol::setMessageMask(0);
  switch (data[0] % 4) {
    case 0:
      MetaFile::replay(scratchPath(), graph());
      break;
    case 1: {
      GFont f;
      f.open("fuzz.fnt", scratchPath());
      for (int c = 0; c < 256; ++c) {
        Point p;
        f.setChar(c);
        while (f.get(p)) {
        }
      }
      break;
    }
    case 2: {
      Symbol s;
      s.read(scratchPath());
      for (int i = 0; i < s.getNum(); ++i) s.setSymb(s.getName(i));
      break;
    }
    default: {
      ColorMap m(16);
      ColorFile::readFile(scratchPath(), m);
      m.getInd("#ff00ff");
      break;
    }
  }
  Kol::setMessageMask(mask);
  return 0;
}
