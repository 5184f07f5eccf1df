// Measures elapsed wall-clock time and keeps the total of the pauses a program took.
#pragma once

#include <sys/time.h>

namespace KOL {

class Timer {
 public:
  Timer() { init(); }

  // Starts now with nothing slept.
  void init();
  // Seconds since init().
  float elapsed();
  // Suspends for s seconds (s > 0) and returns the total slept; 0 otherwise.
  float sleep(float s);

 private:
  timeval start;
  timeval last;
  float slept;
};

}  // namespace KOL
