#include "core/resrc/ResrcPattern.h"

namespace KOL::ResrcPattern {

std::string qualify(std::string_view prog, std::string_view instance, std::string_view resource)
{
  std::string q;
  if (!instance.empty() && instance[0] == '+') {
    q.append(prog).append(".").append(instance.substr(1));
  } else {
    q.append(instance.empty() ? prog : instance);
  }
  return q.append(".").append(resource);
}

bool match(std::string_view pattern, std::string_view qualified)
{
  size_t j = 0;
  for (size_t i = 0; i < pattern.size(); i++) {
    if (pattern[i] == '*') {
      size_t end = pattern.find('*', i + 1);
      std::string_view piece =
          pattern.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
      j = qualified.find(piece, j);
      if (j == std::string_view::npos) return false;
    } else {
      if (j >= qualified.size() || qualified[j] != pattern[i]) return false;
      j++;
    }
  }
  return j == qualified.size();
}

std::string_view resource(std::string_view pattern)
{
  size_t last = pattern.find_last_of(".*");
  return last == std::string_view::npos ? pattern : pattern.substr(last + 1);
}

}  // namespace KOL::ResrcPattern
