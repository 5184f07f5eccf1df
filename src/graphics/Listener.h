// What receives device events (expose, key, button, redraw, idle): the one operation a window
// device calls back on the caller's thread.
#pragma once

namespace KOL {

class Listener {
 public:
  virtual ~Listener() = default;
  virtual int callback(const char* event, const char* data, const void* client) = 0;
};

}  // namespace KOL
