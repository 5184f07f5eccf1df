// The fuzzed bytes as a file, for readers that take a file name: one scratch file per run.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Kol.h"
#include "obs/SfcData.h"

namespace fuzz {

inline const char* asFile(const uint8_t* data, size_t size)
{
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/kol_fuzz_file_XXXXXX";
    int fd = mkstemp(p.data());
    if (fd >= 0) close(fd);
    return p;
  }();
  KOL::Kol::setMessageLevel(0);
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return nullptr;
  if (size) std::fwrite(data, 1, size, fp);
  std::fclose(fp);
  return path.c_str();
}

// Every text field terminated within its size, the layer count within the layers.
inline void checkRecord(const KOL::SfcData& s)
{
  if (strnlen(s.id, sizeof s.id) >= sizeof s.id || strnlen(s.wx, sizeof s.wx) >= sizeof s.wx ||
      strnlen(s.comment, sizeof s.comment) >= sizeof s.comment ||
      strnlen(s.name, sizeof s.name) >= sizeof s.name || s.ncld < 0 ||
      s.ncld > KOL::SfcData::MAX_CLD)
    __builtin_trap();
}

// Reads every record a reader gives, checking each.
template <class Reader>
void readAll(Reader& reader)
{
  KOL::SfcData s;
  for (int n = 0; n < 1000000 && reader.read(s); ++n) checkRecord(s);
}

}  // namespace fuzz
