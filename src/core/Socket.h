// UDP and TCP endpoints for live data feeds: a datagram receiver or sender, a stream server that
// accepts one connection at a time, or a stream client, with line reading over a small buffer.
#pragma once

#include <netinet/in.h>

#include <functional>

namespace KOL {

class Socket {
 public:
  enum Mode : int { DATAGRAM = 1, STREAM = 4 };
  enum Kind : int {
    NONE = 0,
    DATAGRAM_RECEIVER = 2,
    DATAGRAM_SENDER = 3,
    STREAM_SERVER = 5,
    STREAM_CLIENT = 6
  };

  Socket() { init(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() { close(); }

  void init();
  // spec is "host:port" (sender or client) or a port alone (receiver or server); mode 1 datagram,
  // 4 stream. A stream server waits here for its first connection.
  int open(const char* spec, int mode);
  // Accepts the next connection of a stream server.
  int reconnect();
  // Asked each second while a stream server waits for a connection; returning false gives
  // the wait up (the open or reconnect fails).
  void setWaitCheck(std::function<bool()> check) { keep_waiting_ = std::move(check); }
  // Received bytes; 0 for kinds that do not receive, -1 when closed or on error.
  int read(void* bytes, int n);
  // The descriptor that read() receives on, for waiting with poll(); -1 when there is none.
  int getDescriptor() const { return receiveSocket(); }
  // The next line with its newline (not terminated); n when the line is longer.
  int readLine(char* bytes, int n);
  int write(const void* bytes, int n);
  int close();

  bool isOpen() const { return open_; }
  int getKind() const { return kind_; }
  int getPort() const { return port_; }
  // Bind attempts and the wait between them (20 attempts, 15 seconds apart by default).
  void setBindRetry(int attempts, int seconds);

 private:
  static constexpr int HOST_SIZE = 80;
  static constexpr int BUF_SIZE = 1000;

  int parseSpec(const char* spec);
  int bindPort();
  int connectTo();
  int receiveSocket() const;
  int fill();

  int kind_ = NONE;
  char host_[HOST_SIZE] = "";
  int port_ = 0;
  int fd_ = -1;
  int conn_ = -1;
  char buf_[BUF_SIZE] = {};
  int fill_ = 0;
  int pos_ = 0;
  bool open_ = false;
  sockaddr_in peer_{};
  int bind_attempts_ = 20;
  int bind_wait_ = 15;
  std::function<bool()> keep_waiting_;
};

}  // namespace KOL
