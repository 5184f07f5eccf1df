// Feeds arbitrary bytes to the products-file reader, then selects and names a bulletin whose
// heading and identifier come from the same bytes, and matches the first line as a pattern.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "obs/Product.h"
#include "obs/WmoIngest.h"
#include "obs/WmoParse.h"

using namespace KOL;

namespace {

// One scratch file per process (a plain array, still there when the removal at exit runs).
char scratch[256];

void removeScratch() { unlink(scratch); }

const char* scratchPath()
{
  if (!scratch[0]) {
    const char* tmp = std::getenv("TMPDIR");
    std::snprintf(scratch, sizeof scratch, "%s/kolfuzz_prd_%d.prd", tmp && *tmp ? tmp : "/tmp",
                  static_cast<int>(getpid()));
    std::atexit(removeScratch);
  }
  return scratch;
}

// Notice destinations by host name would ask a name server: they become notice files.
std::string withoutHosts(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t at = text.find("sock:"); at != std::string::npos; at = text.find("sock:", at))
    text[at] = 'x';
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text = withoutHosts(data, size);
  FILE* fp = std::fopen(scratchPath(), "wb");
  if (!fp) return 0;
  std::fwrite(text.data(), 1, text.size(), fp);
  std::fclose(fp);

  uint32_t mask = Kol::getMessageMask();
  Kol::setMessageMask(0);
  WmoIngest w("logfile=none");
  w.readProdFile(scratchPath());
  std::string first = text.substr(0, text.find('\n'));
  std::string heading = first.substr(0, 100), awips = first.size() > 20 ? first.substr(20) : "";
  w.setHeading(heading.c_str(), awips.c_str());
  w.isSelected();
  char name[Product::FILE_SIZE];
  for (int i = 0; i < w.getNumRules(); i++) {
    Product& r = w.getRule(i);
    if (r.getSel()) w.setAction(r.getFileTemplate(), r.getOffset(), name, sizeof name);
    WmoParse::compare(heading.c_str(), awips.c_str(), r.getPattern());
  }
  WmoParse::compare(heading.c_str(), awips.c_str(), first.c_str());
  WmoParse::checkZone(first.c_str(), heading.c_str());
  WmoParse::lineClass(first.c_str());
  Kol::setMessageMask(mask);
  return 0;
}
