#include "layers/image/ImageLoop.h"

#include <algorithm>

#include "core/NameConv.h"
#include "core/String.h"
#include "core/Strings.h"

namespace KOL::imageplot {

std::vector<std::string> lastFiles(const char* convention, int n)
{
  NameConv conv;
  Strings paths;
  String pattern;
  std::vector<std::string> out;
  if (!convention || n < 1 || !conv.set(convention)) return out;
  for (int i = 0, k = conv.listFiles(paths, pattern); i < k; ++i)
    if (const char* p = paths.getString(i); p && *p) out.emplace_back(p);
  std::sort(out.begin(), out.end());
  if (out.size() > static_cast<size_t>(n)) out.erase(out.begin(), out.end() - n);
  return out;
}

}  // namespace KOL::imageplot
