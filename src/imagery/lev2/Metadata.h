// The metadata messages of an Archive II volume that say something about the radar (NOAA ICD for
// the RDA/RPG, document 2620002): RDA status data (Message 2, both the open RDA and the legacy
// layout) and RDA adaptation data (Message 18, which comes in segments). Performance data
// (Message 3) and the clutter filter maps (Messages 13 and 15) are recognised and passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "imagery/Lev2Data.h"

namespace KOL::lev2 {

// A Message 2 body; orda is bit 3 of the message header's channel byte.
Lev2Status readStatus(const uint8_t* b, std::size_t len, bool orda);

// Message 18's segments by segment number (from 1), joined and read; not present when the first
// segments are missing or the data do not begin with the adaptation file's name (legacy RDAs).
Lev2Adaptation readAdaptation(const std::map<int, std::vector<uint8_t>>& segments);

}  // namespace KOL::lev2
