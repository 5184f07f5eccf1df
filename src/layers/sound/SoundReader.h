// Finds one station's sounding in a set of files: the library's own upper-air files and filed
// bulletins or plain texts of TEMP and PILOT parts (and the BUFR soundings among them), each
// recognised by its content. The parts of one station and time are decoded together and merged
// into one sounding.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"

namespace KOL {

class UpaData;

namespace sound {

// The sounding of station id (identifier or WMO number, any case; the first sounding when id is
// empty) from files; day and hour of parts are placed relative to reference. 0 with a message
// in problem when no file can be read or the station is not in them.
int readSounding(const std::vector<std::string>& files, const char* id, const Date& reference,
                 UpaData& out, std::string& problem);

}  // namespace sound
}  // namespace KOL
