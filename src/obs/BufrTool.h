// Turns the subsets of BUFR surface messages (land SYNOP of the 307xxx templates and their
// regional forms, ship 308xxx, buoy 315xxx and the older 001003/001020/001005 buoys) into surface
// records with the same variables and units as the SYNOP text decoder gives: temperatures in C,
// wind in knots, pressure in hPa, visibility in statute miles, cloud heights in feet. As with
// the text reports, a land station with a WMO number gets its place from the station table;
// ships, buoys and stations known only by a WIGOS identifier keep the place they send.
#pragma once

namespace KOL {

class BufrMessage;
class SfcData;

class BufrTool {
 public:
  // Data categories 0 (surface land) and 1 (surface sea).
  static bool isSurface(const BufrMessage& m);
  // One subset; 1 when it names a station (WMO number, WIGOS identifier, call sign or buoy)
  // and has its time, else 0.
  static int toSfc(const BufrMessage& m, int subset, SfcData& s);
};

}  // namespace KOL
