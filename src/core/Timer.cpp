#include "core/Timer.h"

#include <unistd.h>

namespace KOL {

void Timer::init()
{
  gettimeofday(&start, nullptr);
  last = start;
  slept = 0;
}

float Timer::elapsed()
{
  gettimeofday(&last, nullptr);
  return (float)(last.tv_sec - start.tv_sec) + (float)(last.tv_usec - start.tv_usec) * 1e-6f;
}

float Timer::sleep(float s)
{
  if (!(s > 0)) return 0;
  slept += s;
  // usleep takes at most a second's worth of microseconds on some systems.
  double rest = s;
  while (rest >= 1) {
    ::sleep(1);
    rest -= 1;
  }
  if (rest > 0) usleep((useconds_t)(rest * 1e6));
  return slept;
}

}  // namespace KOL
