// A regular file read through a read-only mapping that slides along it, one window at a time,
// so that its bytes can be scanned and handed on (written out) without being copied into the
// program first, while only one window is ever mapped. The mapping is held under a read lease:
// a process that opens the file for writing or cuts it short must first wait for the lease to
// be given up (see intact), so that no mapped page can vanish under the reader. Files that
// cannot be leased (another process writes them, another owner, no lease support) are not
// mapped.
#pragma once

#include <sys/types.h>

namespace KOL::wmo {

class MappedWindow {
 public:
  // Bytes mapped at a time (at most; less at the end of the file). The pages read count in the
  // resident memory of the process until the window moves on: a few megabytes keep that small
  // and the mappings few (one per window).
  static constexpr long WINDOW = 2L << 20;

  MappedWindow() = default;
  MappedWindow(const MappedWindow&) = delete;
  MappedWindow& operator=(const MappedWindow&) = delete;
  ~MappedWindow() { detach(); }

  // Takes a descriptor open for reading only (not owned) and leases its file; false when it is
  // not a regular file or cannot be leased.
  bool attach(int fd);
  // Unmaps the window and gives the lease up.
  void detach();
  bool isAttached() const { return fd_ >= 0; }
  // False once another process has asked to write or cut the file: the caller must be done
  // with the mapped bytes and detach soon (the other process waits until then).
  bool intact() const;
  // Maps the bytes from file offset from on, up to window bytes, in place of the previous
  // window; the count, 0 at the end of the file, -1 when the bytes cannot be mapped.
  long map(long from, long window = WINDOW);
  // The first mapped byte (the one at from).
  const unsigned char* data() const { return data_; }

 private:
  void unmap();

  int fd_ = -1;
  off_t size_ = 0;
  void* base_ = nullptr;
  size_t length_ = 0;
  const unsigned char* data_ = nullptr;
};

}  // namespace KOL::wmo
