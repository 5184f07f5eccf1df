// The image block of a metafile ("I", translate, scale, rows of RRGGBB samples, "grestore"),
// read back into an image and drawn.
#pragma once

#include <cstdio>
#include <string>

namespace KOL {

class Graph;

// Whole lines of any length from a stream.
class LineReader {
 public:
  explicit LineReader(std::FILE* f) : fp(f) {}
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  bool next();
  const char* get() const { return buf ? buf : ""; }

 private:
  std::FILE* fp;
  char* buf = nullptr;
  size_t cap = 0;
};

namespace MetaImage {

// Reads the block after its "I" line and draws it on g; false for a malformed block.
bool replay(LineReader& in, Graph& g);

}  // namespace MetaImage
}  // namespace KOL
