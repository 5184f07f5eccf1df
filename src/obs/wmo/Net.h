// Host names of feed sources and notice destinations resolved to IPv4 addresses.
#pragma once

#include <netinet/in.h>

namespace KOL::wmo {

// A host that begins with a letter is looked up by name, any other is read as a dotted
// address. The port of addr is left alone. false when the host cannot be resolved.
bool resolveHost(const char* host, sockaddr_in& addr);

}  // namespace KOL::wmo
