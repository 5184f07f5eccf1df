// A regular file read through a read-only mapping that slides along it, one window at a time,
// so that its bytes can be handed on (written out) without being copied into the program
// first, while only one window is ever mapped. The file's size is checked before each window:
// a file that changed while being read is better read with read(2) from then on.
#pragma once

#include <sys/types.h>

namespace KOL::wmo {

class MappedWindow {
 public:
  // Bytes mapped at a time (at most; less at the end of the file).
  static constexpr long WINDOW = 8L << 20;

  MappedWindow() = default;
  MappedWindow(const MappedWindow&) = delete;
  MappedWindow& operator=(const MappedWindow&) = delete;
  ~MappedWindow() { unmap(); }

  // Takes a descriptor open for reading (not owned); false when it is not a regular file.
  bool attach(int fd);
  void detach();
  bool isAttached() const { return fd_ >= 0; }
  // Maps the bytes from file offset from on, up to window bytes; the count, 0 at the end of
  // the file, -1 when the file changed since the last window (size or modification time other
  // than it left them) or cannot be mapped; the previous window is unmapped in any case.
  long map(long from, long window = WINDOW);
  // The first mapped byte (the one at from).
  const unsigned char* data() const { return data_; }
  void unmap();

 private:
  int fd_ = -1;
  void* base_ = nullptr;
  size_t length_ = 0;
  const unsigned char* data_ = nullptr;
  off_t size_ = -1;  // the file's size and modification time when the last window was mapped
  long mtime_ = 0;
  long mtime_ns_ = 0;
};

}  // namespace KOL::wmo
