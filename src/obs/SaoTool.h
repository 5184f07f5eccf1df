// Decodes the older North American SA and SP surface reports into surface records; like the
// METAR decoder it keeps whatever it recognises and never fails.
#pragma once

namespace KOL {

class SfcData;
class SfcWmoData;

class SaoTool {
 public:
  // One report cut from a bulletin; always 1.
  static int decode(const SfcWmoData& report, SfcData& out);
  // Bare report text (at most 400 characters) with a bulletin time of now.
  static int decode(const char* text, SfcData& out);
  // Inches of mercury from the three-digit altimeter code: above 500, code / 100 + 20; from 0
  // to 500, code / 100 + 30; negative codes are missing.
  static float decodeAlt(int code);
};

}  // namespace KOL
