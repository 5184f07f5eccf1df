// Turns the subsets of BUFR surface messages (land SYNOP of the 307xxx templates and their
// regional forms, ship 308xxx, buoy 315xxx and the older 001003/001020/001005 buoys) into surface
// records with the same variables and units as the SYNOP text decoder gives: temperatures in C,
// wind in knots, pressure in hPa, visibility in statute miles, cloud heights in feet. As with
// the text reports, a land station with a WMO number gets its place from the station table;
// ships, buoys and stations known only by a WIGOS identifier keep the place they send.
//
// Upper-air subsets (TEMP 309052/309057 with their high-resolution levels, the converted
// 309050/309051 forms, the older 309007, PILOT on height levels, wind profilers on heights
// above the station or sea level) become the parts record of a
// station: standard levels, surface, tropopause and maximum wind in the mandatory list,
// significant temperature levels, significant wind levels; levels flagged as none of these
// (high resolution) fill the significant list evenly up to its size. Pressures in hPa, heights
// in metres (wind levels on heights in feet, as PILOT parts keep them), temperatures in C, wind
// in knots. The record's date is the launch time rounded to the hour, as text parts give it.
#pragma once

#include <string>

namespace KOL {

class BufrMessage;
class SfcData;
class UpaRawinData;

class BufrTool {
 public:
  // Data categories 0 (surface land) and 1 (surface sea).
  static bool isSurface(const BufrMessage& m);
  // One subset; 1 when it names a station (WMO number, WIGOS identifier, call sign or buoy)
  // and has its time, else 0.
  static int toSfc(const BufrMessage& m, int subset, SfcData& s);

  // Data category 2 (vertical soundings other than satellite).
  static bool isUpperAir(const BufrMessage& m);
  // The station and time of an upper-air subset as the text parts key them ("72403 0112"): the
  // launch time rounded to the hour, or with synoptic to the nearest three hours (the nominal
  // time some text parts give); "" when the subset has neither station nor time, or no levels
  // on time offsets, pressures or heights.
  static std::string upaKey(const BufrMessage& m, int subset, bool synoptic = false);
  // Adds the levels of an upper-air subset to a record (filling the values of levels it already
  // has); 1 when it had a station, a time and a level, else 0.
  static int toUpa(const BufrMessage& m, int subset, UpaRawinData& r);
};

}  // namespace KOL
