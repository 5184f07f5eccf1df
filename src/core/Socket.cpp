#include "core/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/Kol.h"

namespace KOL {

namespace {

constexpr int BACKLOG = 5;
// How long a stream server waits for a connection before its wait check is asked again.
constexpr int WAIT_MS = 1000;

void systemError(const char* what) { Kol::outWarning("%s: %s\n", what, std::strerror(errno)); }

bool readPort(std::string_view s, int& port)
{
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), port);
  return ec == std::errc() && end != s.data() && port > 0 && port < 65536;
}

}  // namespace

void Socket::init()
{
  kind_ = NONE;
  host_[0] = '\0';
  port_ = 0;
  fd_ = conn_ = -1;
  fill_ = pos_ = 0;
  open_ = false;
  peer_ = sockaddr_in{};
}

void Socket::setBindRetry(int attempts, int seconds)
{
  bind_attempts_ = std::max(attempts, 1);
  bind_wait_ = std::max(seconds, 0);
}

// Host and port, or a port alone; 1 when host was given, 0 for a port alone, -1 when invalid.
int Socket::parseSpec(const char* spec)
{
  std::string_view s(spec ? spec : "");
  size_t colon = s.rfind(':');
  std::string_view host = colon == std::string_view::npos ? "" : s.substr(0, colon);
  std::string_view port = colon == std::string_view::npos ? s : s.substr(colon + 1);
  if (!readPort(port, port_) || host.size() >= HOST_SIZE) return -1;
  std::snprintf(host_, sizeof host_, "%.*s", static_cast<int>(host.size()), host.data());
  return host.empty() ? 0 : 1;
}

int Socket::open(const char* spec, int mode)
{
  close();
  int withHost = parseSpec(spec);
  if (withHost < 0 || (mode != DATAGRAM && mode != STREAM)) {
    Kol::outWarning("Socket: invalid address or mode: %s %d\n", spec ? spec : "", mode);
    return 0;
  }
  if (mode == DATAGRAM)
    kind_ = withHost ? DATAGRAM_SENDER : DATAGRAM_RECEIVER;
  else
    kind_ = withHost ? STREAM_CLIENT : STREAM_SERVER;

  fd_ = socket(AF_INET, mode == DATAGRAM ? SOCK_DGRAM : SOCK_STREAM, 0);
  if (fd_ < 0) {
    Kol::outWarning("Socket open failed\n");
    init();
    return 0;
  }
  int ok = 0;
  if (kind_ == DATAGRAM_RECEIVER)
    ok = bindPort();
  else if (kind_ == STREAM_SERVER)
    ok = bindPort() && listen(fd_, BACKLOG) == 0 && reconnect();
  else
    ok = connectTo();
  if (!ok) {
    close();
    return 0;
  }
  open_ = true;
  return 1;
}

int Socket::bindPort()
{
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(static_cast<uint16_t>(port_));
  if (kind_ == STREAM_SERVER) {
    int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  }
  for (int attempt = 1;; attempt++) {
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return 1;
    systemError("socket bind");
    if (attempt >= bind_attempts_) break;
    Kol::outWarning("Socket bind failed, trying again\n");
    if (bind_wait_ > 0) sleep(bind_wait_);
  }
  Kol::outWarning("Socket bind failure\n");
  return 0;
}

// Senders and clients reach a dotted IPv4 address.
int Socket::connectTo()
{
  peer_.sin_family = AF_INET;
  peer_.sin_port = htons(static_cast<uint16_t>(port_));
  if (inet_pton(AF_INET, host_, &peer_.sin_addr) != 1) {
    Kol::outWarning("Socket: not a dotted IPv4 address: %s\n", host_);
    return 0;
  }
  if (kind_ == DATAGRAM_SENDER) return 1;
  if (connect(fd_, reinterpret_cast<sockaddr*>(&peer_), sizeof peer_) == 0) return 1;
  int err = errno;
  Kol::outWarning("Socket error on connect\n");
  errno = err;
  systemError("connect");
  return 0;
}

int Socket::reconnect()
{
  if (kind_ != STREAM_SERVER || fd_ < 0) return 0;
  if (conn_ >= 0) ::close(conn_);
  conn_ = -1;
  fill_ = pos_ = 0;
  // Waiting in poll() rather than in accept() lets a stop request end the wait; the listener
  // does not block, in case a connection goes away between the two.
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    int r = poll(&p, 1, keep_waiting_ ? WAIT_MS : -1);
    if (r < 0 && errno != EINTR) break;
    if (r > 0) {
      conn_ = accept(fd_, nullptr, nullptr);
      if (conn_ >= 0 || (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED)) break;
    }
    if (keep_waiting_ && !keep_waiting_()) return 0;
  }
  if (conn_ < 0) {
    Kol::outWarning("Socket accept failed\n");
    return 0;
  }
  return 1;
}

int Socket::receiveSocket() const
{
  if (kind_ == DATAGRAM_RECEIVER) return fd_;
  if (kind_ == STREAM_SERVER) return conn_;
  // A client receives what its server sends back (a feed it subscribed to).
  if (kind_ == STREAM_CLIENT) return fd_;
  return -1;
}

int Socket::read(void* bytes, int n)
{
  if (!open_) return -1;
  int sock = receiveSocket();
  if (sock < 0 || !bytes || n <= 0) return 0;
  ssize_t got;
  do {
    got = recv(sock, bytes, n, 0);
  } while (got < 0 && errno == EINTR);
  return got < 0 ? -1 : static_cast<int>(got);
}

// Moves the unread bytes to the front and receives more behind them.
int Socket::fill()
{
  if (pos_ > 0) {
    std::memmove(buf_, buf_ + pos_, fill_ - pos_);
    fill_ -= pos_;
    pos_ = 0;
  }
  if (fill_ >= BUF_SIZE) return 0;
  int got = read(buf_ + fill_, BUF_SIZE - fill_);
  if (got > 0) fill_ += got;
  return got;
}

int Socket::readLine(char* bytes, int n)
{
  if (!bytes || n <= 0) return 0;
  for (;;) {
    int left = fill_ - pos_;
    const void* nl = std::memchr(buf_ + pos_, '\n', left);
    int len = nl ? static_cast<int>(static_cast<const char*>(nl) - (buf_ + pos_)) + 1 : left;
    if (nl || len >= n || len == BUF_SIZE) {
      len = std::min(len, n);
      std::memcpy(bytes, buf_ + pos_, len);
      pos_ += len;
      return len;
    }
    int got = fill();
    if (got <= 0) {
      // The peer is gone: what is left is the last line.
      if (left == 0) return got;
      std::memcpy(bytes, buf_ + pos_, left);
      pos_ += left;
      return left;
    }
  }
}

int Socket::write(const void* bytes, int n)
{
  if (!open_ || !bytes || n < 0) return -1;
  ssize_t sent = -1;
  if (kind_ == DATAGRAM_SENDER)
    sent = sendto(fd_, bytes, n, 0, reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_);
  else if (kind_ == STREAM_CLIENT)
    sent = send(fd_, bytes, n, MSG_NOSIGNAL);
  else if (kind_ == STREAM_SERVER && conn_ >= 0)
    sent = send(conn_, bytes, n, MSG_NOSIGNAL);
  return sent < 0 ? -1 : static_cast<int>(sent);
}

int Socket::close()
{
  if (conn_ >= 0) ::close(conn_);
  if (fd_ >= 0) ::close(fd_);
  init();
  return 1;
}

}  // namespace KOL
