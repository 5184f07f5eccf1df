#include "graphics/meta/MetaImage.h"

#include <cstdlib>
#include <cstring>

#include "graphics/Graph.h"

namespace KOL {

LineReader::~LineReader() { std::free(buf); }

bool LineReader::next()
{
  if (!fp) return false;
  return ::getline(&buf, &cap, fp) > 0;
}

namespace MetaImage {

bool replay(LineReader& in, Graph&)
{
  while (in.next())
    if (std::strncmp(in.get(), "grestore", 8) == 0) return true;
  return false;
}

}  // namespace MetaImage
}  // namespace KOL
