#include "graphics/MapHook.h"

namespace KOL::MapHook {

int drawDefault(Plot&, const char*) { return 0; }

}  // namespace KOL::MapHook
