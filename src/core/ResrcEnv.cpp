#include "core/ResrcEnv.h"

#include <cstdlib>
#include <string>

#include "core/Resrc.h"
#include "core/String.h"

namespace KOL {

namespace {

std::string qualifiedVariable(const Resrc& resrc, const char* resource)
{
  std::string prog = resrc.get("prog", "");
  std::string name = resrc.get("name", "");
  if (!name.empty() && name[0] == '+') return "kol_" + prog + "_" + name.substr(1) + "_" + resource;
  return "kol_" + (name.empty() ? prog : name) + "_" + resource;
}

}  // namespace

int ResrcEnv::get(const Resrc& resrc, const char* resource, const char* env, String& value)
{
  String variable;
  return get(resrc, resource, env, value, variable);
}

int ResrcEnv::get(const Resrc& resrc, const char* resource, const char* env, String& value,
                  String& variable)
{
  if (!resource) return 0;
  const std::string candidates[] = {qualifiedVariable(resrc, resource), env ? env : "",
                                    std::string("kol") + resource};
  for (const std::string& var : candidates) {
    const char* found = var.empty() ? nullptr : std::getenv(var.c_str());
    if (found) {
      value.copy(found);
      variable.copy(var.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace KOL
