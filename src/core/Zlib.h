// A thin stream wrapper over zlib. Decompression accepts zlib and gzip streams and goes on into
// the next stream when one ends, so blocks stored back to back decode with repeated calls.
#pragma once

#include <zlib.h>

namespace KOL {

class Buffer;

class Zlib {
 public:
  enum Mode : int { COMPRESS = 0, DECOMPRESS = 1 };

  Zlib() : Zlib(DECOMPRESS) {}
  explicit Zlib(int mode);
  Zlib(const Zlib&) = delete;
  Zlib& operator=(const Zlib&) = delete;
  ~Zlib() { finish(); }

  // Starts a fresh stream in the current mode.
  int init();
  void set(const void* in, int inLen, void* out, int outLen);
  // One decompression step over the current areas; the zlib status.
  int decomp();
  // Input from in's index to its used count, output from out's index up to its size; in's
  // index moves past the consumed bytes, out's used count to the end of the output.
  int decomp(Buffer& in, Buffer& out);
  // One compression step (flush as for deflate); -1 in decompress mode.
  int comp(int flush);
  // Releases the stream; init() starts another.
  void finish();

  int getStatus() const { return status_; }
  int getAvailIn() const { return static_cast<int>(stream_.avail_in); }
  int getAvailOut() const { return static_cast<int>(stream_.avail_out); }
  void print() const;

 private:
  static constexpr int FINISHED = 4;  // status after finish(), beside zlib's own codes

  void warnOnError(int previous) const;

  int mode_ = DECOMPRESS;
  z_stream stream_{};
  int status_ = Z_OK;
  bool ready_ = false;
};

}  // namespace KOL
