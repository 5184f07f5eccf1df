// The source of a bulletin feed, a file, standard input or a TCP connection ("sock:HOST:PORT"
// connects to a feed server, "sock:PORT" waits for a feed to connect), cut into classified
// lines: start line, sequence number, heading, product identifier, body lines and the ETX
// that ends a bulletin. A broken connection is made again. A file is mapped (under a read lease,
// see wmo::MappedWindow) where it can be, read otherwise; lines are handed out as views of the
// bytes in place wherever they can be, so that a feed is not copied line by line. A file saved
// with other line ends than the feed's (see wmo::LineEnds), or whose bulletins are framed
// otherwise (see wmo::Framing), is read as the feed it would have been.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/File.h"
#include "core/Socket.h"
#include "obs/wmo/Framing.h"
#include "obs/wmo/LineEnds.h"
#include "obs/wmo/MappedWindow.h"

namespace KOL {

class WmoData;

class WmoFile {
 public:
  enum Mode : int { NONE = 0, FILE_MODE = 1, SOCKET_MODE = 2 };
  // Bytes asked for per read from a source that is not mapped: a large buffer lets most binary
  // messages be written out of it in one piece.
  static constexpr int CHUNK_SIZE = 1 << 20;

  WmoFile() { init(); }
  WmoFile(const WmoFile&) = delete;
  WmoFile& operator=(const WmoFile&) = delete;
  ~WmoFile() { close(); }

  void init();
  // "sock:" and host and port, "sock:" and a port, a file name or "-"; 1 when open.
  int open(const char* name);
  // The next byte; 0 at the end of the input.
  int read(unsigned char& byte);
  // Up to n bytes; the count.
  int read(void* bytes, int n);
  // The next line, classified. 0 at the end of a file, after its last bytes (a line without a
  // line end) have come as a line of their own; a socket is connected again at its end
  // and the line then has class END_FILE, the result being whether the connection was made.
  // The line may be a view of the source's buffer: its bytes, and those of the lines before
  // it, stay valid until the buffer is refilled (see setBeforeRefill).
  int read(WmoData& line);
  int close();
  bool isOpen() const { return open_; }
  int getMode() const { return mode_; }

  // The next n bytes are the rest of a binary message: an ETX at the start of one of its lines
  // does not end the bulletin.
  void setBinary(long n) { binary_left_ = n > 0 ? n : 0; }
  // Connection attempts when a feed connection ends, and milliseconds between them.
  void setRetry(int attempts, int wait_ms);
  // Asked each second while the source has nothing to read; returning false ends the input.
  void setWaitCheck(std::function<bool()> check) { keep_waiting_ = std::move(check); }
  // The input ended (or the feed never connected) because the wait check said so.
  bool isStopped() const { return stopped_; }
  // Called before the buffer is refilled or moved on: whoever still holds bytes of earlier
  // lines in place must be done with them then.
  void setBeforeRefill(std::function<void()> f) { before_refill_ = std::move(f); }
  // Called before the source waits for input (or for a connection).
  void setBeforeWait(std::function<void()> f) { before_wait_ = std::move(f); }
  // With runs on, the body lines of a text bulletin after its first line come as runs: as many
  // whole lines as the buffer holds (below the line size) that hold neither SOH nor ETX, each
  // run one line of class DATA. What such lines are and how they end is plain without looking at
  // each; only their index (counting a run as one line) differs from reading them one by one.
  void setBodyRuns(bool on) { body_runs_ = on; }
  // The file is being read through a mapping.
  bool isMapped() const { return map_.isAttached(); }
  // The line ends of the file as it was saved (what its first start line shows).
  wmo::LineEnds::Kind getLineEnds() const { return ends_.getKind(); }
  // How the file frames its bulletins (what its first start line shows).
  wmo::Framing::Kind getFraming() const { return frames_.getKind(); }
  // The bytes read are not the file's own: their line ends or framing are made the feed's.
  bool converts() const { return ends_.converts() || frames_.converts(); }

  long getBulletinBytes() const { return bulletin_bytes_; }
  long getTotalBytes() const { return total_bytes_; }
  // When input last arrived (seconds since 1970).
  long getLastInput() const { return last_input_; }
  long getBulletinCount() const { return bulletins_; }

 private:
  int openSocket(const char* spec);
  int openFile(const char* name);
  int refill();
  int refillMapped();
  int readConverted();
  int convert(const unsigned char* raw, size_t n);
  int finishConverted();
  void takeHead(wmo::Framing::Head head, const char* name);
  int sniffInput();
  void leaveMapping();
  void checkLease(WmoData& line);
  bool waitInput();
  bool keepWaiting();
  int readSource(unsigned char* bytes, int n);
  int reconnect();
  // Moves bytes of the chunk into the line up to the end of the line; true when it ended.
  bool scan(WmoData& line);
  bool bodyRun(WmoData& line);
  bool loneEtx() const;
  int lineEnd(const WmoData& line, const unsigned char* p, int n) const;
  void splitStart(WmoData& line);
  int endOfInput(WmoData& line);
  void classify(WmoData& line);
  void take(int n);

  int mode_;
  Socket socket_;
  File file_;
  std::string spec_;  // the socket address, kept to connect again
  int fd_;            // descriptor of a local file or standard input, -1 otherwise
  bool pollable_;     // the descriptor can wait (pipe, terminal, socket)
  std::vector<unsigned char> chunk_;
  std::vector<unsigned char> raw_;  // bytes as read from a file that is converted
  wmo::LineEnds ends_;
  wmo::Framing frames_;
  std::vector<unsigned char> framed_;  // its bytes framed SOH ... ETX
  bool sniffed_;                       // the line ends and framing of the file are known
  wmo::MappedWindow map_;
  const unsigned char* buf_;  // the bytes at hand: chunk_, framed_ or the mapped window
  long offset_;               // file offset of buf_[0] while mapped
  long lease_checked_;        // when the lease was last asked about
  int fill_;
  int pos_;
  unsigned char carry_[2];  // last bytes of a line cut at the line size
  int carry_state_;         // 1 while those bytes may complete the next line's end
  bool pending_start_;      // a start line found at the end of a line comes next
  bool body_runs_;
  int counter_;
  long bulletin_bytes_;
  long total_bytes_;
  long bulletins_;
  long binary_left_;
  bool in_bulletin_;
  long last_input_;
  bool open_;
  bool stopped_;
  int retry_attempts_;
  int retry_wait_;
  std::function<bool()> keep_waiting_;
  std::function<void()> before_refill_;
  std::function<void()> before_wait_;
};

}  // namespace KOL
