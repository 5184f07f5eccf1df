// How many threads a codec may decode one field on: the machine's cores, lowered by the resource
// "num_threads" or, when no program or command line set it, the environment (kolthreads or
// kolnum_threads, as for any resource).
#pragma once

namespace KOL::grib {

int decodeThreads();

}  // namespace KOL::grib
