// Decodes WMO SYNOP reports (land, ship, drifting buoy, mobile land and C-MAN) into surface
// records. Decoding is tolerant: every group is tried in its place, a group that does not fit is
// left for the next test, and only a missing station identifier fails. Flag bit 4 of the record
// marks an automatic station.
#pragma once

namespace KOL {

class SfcData;
class SfcWmoData;
class String;

class SynopTool {
 public:
  static constexpr int FLAG_AUTOMATIC = 4;

  // One report cut from a bulletin; 1 when a station identifier was found, else 0.
  static int decode(const SfcWmoData& report, SfcData& out);
  // Bare report text (at most 400 characters), with the bulletin time now; a leading section
  // word ("AAXX", "BBXX", "ZZYY", "OOXX", "CMAN") sets the report format, SYNOP otherwise.
  static int decode(const char* text, SfcData& out);

  // Feet of the cloud-base code h; missing outside 0 to 9.
  static float ceiling(int h);
  // Statute miles of the visibility code VV; missing for codes without a value.
  static float visibility(int vv);
  // The cloud-base code of a height in feet.
  static int toCeilingCode(float feet);
  // The weather field of present-weather code ww, for manned and automatic stations: "!" and
  // the METAR abbreviation, or empty for codes without one.
  static int weather(int ww, String& text);
  static int autoweather(int ww, String& text);
};

}  // namespace KOL
