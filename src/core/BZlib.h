// A thin stream wrapper over bzip2. Decompression goes on into the next stream when one ends,
// so streams stored back to back decode with repeated calls.
#pragma once

#include <bzlib.h>

namespace KOL {

class Buffer;

class BZlib {
 public:
  enum Mode : int { COMPRESS = 0, DECOMPRESS = 1 };

  BZlib() : BZlib(DECOMPRESS) {}
  explicit BZlib(int mode);
  BZlib(const BZlib&) = delete;
  BZlib& operator=(const BZlib&) = delete;
  ~BZlib() { finish(); }

  // Starts a fresh stream in the current mode.
  int init();
  void setIn(const void* bytes, int n);
  void setOut(void* bytes, int n);
  // One decompression step over the current areas; the bzip2 status.
  int decomp();
  // Input from in's index to its used count, output appended after out's used bytes (out
  // grows when it is full); in's index moves past the consumed bytes.
  int decomp(Buffer& in, Buffer& out);
  // One compression step (action as for BZ2_bzCompress); -1 in decompress mode.
  int comp(int action);
  // Releases the stream; init() starts another.
  void finish();

  int getStatus() const { return status_; }
  int getAvailIn() const { return static_cast<int>(stream_.avail_in); }
  int getAvailOut() const { return static_cast<int>(stream_.avail_out); }
  void print() const;

 private:
  // Block size of the compressor, in units of 100 kB.
  static constexpr int BLOCK_SIZE = 9;
  static constexpr int MIN_ROOM = 4096;

  int start();
  void warnOnError(int previous) const;

  int mode_ = DECOMPRESS;
  bool inited_ = false;
  bz_stream stream_{};
  int status_ = BZ_OK;
};

}  // namespace KOL
