// One station record of the own surface file as text: written with the fixed field widths and
// scale factors of the format, and read back without scanf so that files of a whole hour are
// read at disk speed.
//
// What the format cannot hold (it is read by other programs, so it stays as it is): the name,
// platform, report type, flag, low cloud amount and wave period; temperatures finer than a tenth
// of a degree Fahrenheit, and -9.9 F (written "-99", the missing marker); wind directions finer
// than ten degrees (five from 100 kt on) and whole knots only; altimeters outside 25.01 to 35.00
// inches and sea-level pressures whose last three digits are read in the wrong hundred (below
// 950 or above 1050 hPa with an altimeter that does not tell); a tendency without its type;
// amounts finer than a hundredth of an inch; a location finer than a tenth of a degree; a
// weather text with blanks or one that begins with "-"; comments holding "$".
#pragma once

#include <string>
#include <string_view>

namespace KOL {

class Date;
class SfcData;

namespace sfc {

// Appends the record and its line end.
void writeRecord(const SfcData& s, std::string& out);
// Reads one record line with the file date; false when the line has no identifier.
bool readRecord(std::string_view line, const Date& fileDate, SfcData& s);

}  // namespace sfc
}  // namespace KOL
