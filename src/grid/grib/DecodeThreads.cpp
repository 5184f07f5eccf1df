#include "grid/grib/DecodeThreads.h"

#include <charconv>
#include <cstring>
#include <thread>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/ResrcEnv.h"
#include "core/String.h"

namespace KOL::grib {

namespace {

constexpr const char* RESOURCE = "num_threads";

// The limit's text: the command line or the program beat the environment, which beats a
// resource file; null when none gives one.
const char* limitText(String& env)
{
  const char* text = Kol::resrc.get(RESOURCE);
  if (Kol::resrc.getType(RESOURCE) >= Resrc::ENVIRON && text) return text;
  if (ResrcEnv::get(Kol::resrc, RESOURCE, "kolthreads", env)) return env.get();
  return text;
}

}  // namespace

int decodeThreads()
{
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  String env;
  const char* text = limitText(env);
  int limit = 0;
  if (text) std::from_chars(text, text + std::strlen(text), limit);
  const int n = cores > 0 ? cores : 1;
  return limit > 0 && limit < n ? limit : n;
}

}  // namespace KOL::grib
