// What ingest needs to know of a GRIB or BUFR message from its first bytes: its total length,
// and for GRIB the product identifier "GRIB%d S%d M%d G%d T%d L%d H%d V%d" (edition, centre,
// model, grid, forecast time code, level type code, level code, variable code) that rules and
// header index files select on.
#pragma once

#include <string>

namespace KOL::wmo {

// The bytes a GRIB message must show before it can be summarised: 45 for edition 1, 200 for
// edition 2; 8 while the edition is not known.
int gribBytesNeeded(const unsigned char* p, int n);
// The total length of the GRIB or BUFR message that begins at p; -1 when not known.
long messageLength(const unsigned char* p, int n);
// The product identifier of the GRIB message at p; fields beyond the n bytes are -9999.
std::string gribSummary(const unsigned char* p, int n);

}  // namespace KOL::wmo
