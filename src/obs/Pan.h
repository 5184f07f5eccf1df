// One destination of product arrival notices: a UDP listener ("sock:host[:port]") that gets each
// notice as one datagram, or a notice file that gets one line per notice.
#pragma once

#include <netinet/in.h>

namespace KOL {

class Pan {
 public:
  static constexpr int NAME_SIZE = 80;
  static constexpr int DEFAULT_PORT = 5000;
  enum Kind : int { UNUSABLE = 0, NOTICE_FILE = 1, DATAGRAM = 2 };

  Pan() { init(); }
  Pan(const Pan&) = delete;
  Pan& operator=(const Pan&) = delete;
  ~Pan() { close(); }

  void init();
  // A word of a "@PAN" line other than "id=N". 0 when the destination is unusable.
  int set(const char* word);
  // Sends one notice; 0 when it could not be delivered.
  int send(const char* text);
  // The number the next notice carries (0 ... 999), then advances.
  int nextCount();
  void close();

  int getKind() const { return kind; }
  const char* getName() const { return name; }
  int getPort() const { return port; }
  int getCount() const { return count; }
  void print() const;

 private:
  int sock;
  int kind;
  char name[NAME_SIZE];
  int port;
  int count;
  sockaddr_in addr;
};

}  // namespace KOL
