#include "obs/wmo/Net.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include "core/StrLib.h"

namespace KOL::wmo {

bool resolveHost(const char* host, sockaddr_in& addr)
{
  if (!host || !*host) return false;
  addr.sin_family = AF_INET;
  if (!StrLib::isAlpha(static_cast<unsigned char>(host[0])))
    return inet_pton(AF_INET, host, &addr.sin_addr) == 1;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
  addr.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

}  // namespace KOL::wmo
