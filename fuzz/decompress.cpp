// Feeds arbitrary bytes to the zlib and bzip2 stream wrappers the way the radar and satellite
// readers do: small output areas, repeated calls, streams back to back. Input: one byte choosing
// the output chunk size, then the compressed data.
#include <cstdint>

#include "core/BZlib.h"
#include "core/Buffer.h"
#include "core/Kol.h"
#include "core/Zlib.h"

using namespace KOL;

namespace {

constexpr int MAX_OUTPUT = 1 << 22;
constexpr int MAX_CALLS = 100000;

void inflateAll(const Buffer& data, int chunk)
{
  Buffer in(data), out(chunk);
  Zlib z;
  for (int calls = 0; calls < MAX_CALLS && out.getUsed() < MAX_OUTPUT; calls++) {
    if (out.getFree() == 0) out.check(out.getUsed() + chunk);
    out.seek(out.getUsed());
    int before = in.getLeft(), used = out.getUsed();
    int status = z.decomp(in, out);
    if (status != Z_OK && status != Z_STREAM_END) break;
    if (in.getLeft() == before && out.getUsed() == used) break;
  }
}

void bunzipAll(const Buffer& data, int chunk)
{
  Buffer in(data), out(chunk);
  BZlib z;
  for (int calls = 0; calls < MAX_CALLS && out.getUsed() < MAX_OUTPUT; calls++) {
    int before = in.getLeft(), used = out.getUsed();
    int status = z.decomp(in, out);
    if (status < 0) break;
    if (in.getLeft() == before && out.getUsed() == used) break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1) return 0;
  Kol::setMessageMask(0);
  int chunk = 1 + data[0] * 64;
  Buffer in;
  in.add(data + 1, static_cast<int>(size - 1));
  inflateAll(in, chunk);
  bunzipAll(in, chunk);
  return 0;
}
