// Reading a metafile back: each record becomes the Graph call that makes the same picture.
#pragma once

namespace KOL {

class Graph;

namespace MetaReplay {

int replay(const char* file, Graph& g);

}  // namespace MetaReplay
}  // namespace KOL
