#include "obs/Pan.h"

#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/File.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/wmo/Net.h"

namespace KOL {

void Pan::init()
{
  sock = -1;
  kind = UNUSABLE;
  name[0] = 0;
  port = DEFAULT_PORT;
  count = 0;
  addr = sockaddr_in{};
}

void Pan::close()
{
  if (sock >= 0) ::close(sock);
  init();
}

int Pan::set(const char* word)
{
  close();
  if (!StrLib::valid(word)) return 0;
  if (!StrLib::equal(word, "sock:", 5)) {
    StrLib::copy(name, NAME_SIZE, word);
    kind = NOTICE_FILE;
    return 1;
  }
  const char* spec = word + 5;
  const char* colon = std::strrchr(spec, ':');
  StrLib::copy(name, NAME_SIZE, spec, colon ? static_cast<int>(colon - spec) : -1);
  if (colon) {
    auto [end, ec] = std::from_chars(colon + 1, colon + std::strlen(colon), port);
    if (ec != std::errc() || *end || port <= 0 || port > 65535) port = DEFAULT_PORT;
  }
  if (!wmo::resolveHost(name, addr)) {
    Kol::outWarning("WmoIngest: unable to determine PAN destination: %s\n", name);
    return 0;
  }
  addr.sin_port = htons(static_cast<uint16_t>(port));
  sock = socket(AF_INET, SOCK_DGRAM, 0);
  if (sock < 0) return 0;
  kind = DATAGRAM;
  return 1;
}

int Pan::nextCount()
{
  int n = count;
  count = (count + 1) % 1000;
  return n;
}

int Pan::send(const char* text)
{
  if (kind == DATAGRAM && sock >= 0) {
    Kol::outDebug(4, "PAN: sendto %d %s %d -- %s\n", sock, name, port, text);
    size_t n = std::strlen(text) + 1;
    return sendto(sock, text, n, 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) ==
           static_cast<ssize_t>(n);
  }
  if (kind == NOTICE_FILE) {
    Kol::outDebug(4, "PAN: file %d %s -- %s\n", sock, name, text);
    File f;
    if (!f.open(name, "a")) return 0;
    return f.printf("%s\n", text) > 0;
  }
  return 0;
}

void Pan::print() const
{
  static const char* const kinds[] = {"unusable", "file", "socket"};
  std::printf("PAN %s %s:%d count: %d\n", kinds[kind], name, port, count);
}

}  // namespace KOL
