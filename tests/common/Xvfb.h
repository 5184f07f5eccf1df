// A private X server for the window tests: Xvfb on a free display number, started by the test and
// stopped by its own process id.
#pragma once

#include <sys/types.h>

#include <string>

#include "common/Raster.h"

namespace KOLTest {

class Xvfb {
 public:
  Xvfb();
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  // False (with the reason) when Xvfb is not installed or did not come up.
  bool running() const { return pid_ > 0; }
  const std::string& reason() const { return reason_; }
  // ":N"
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_, reason_;
};

// A window captured with xwd (an empty raster when xwd fails).
Raster captureWindow(const std::string& display, unsigned long window);

}  // namespace KOLTest
