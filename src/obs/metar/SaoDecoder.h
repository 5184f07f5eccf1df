// Decodes one older North American SA or SP report: station and kind, time, automatic-station
// words, sky layers with their heights, visibility, weather in the SA form, the slash-separated
// block of sea-level pressure, temperature, dew point, wind and altimeter, then the remarks.
#pragma once

namespace KOL {

class ReportScan;
class SfcWmoData;

class SaoDecoder {
 public:
  explicit SaoDecoder(ReportScan& r) : r_(r) {}
  SaoDecoder(const SaoDecoder&) = delete;
  SaoDecoder& operator=(const SaoDecoder&) = delete;

  // Always 1: whatever could be read is kept.
  int decode(const SfcWmoData& w);

  // Inches of mercury from the three-digit altimeter code.
  static float decodeAlt(int code);

 private:
  void header(const SfcWmoData& w);
  void sky();
  bool layer(int i);
  void visibility();
  void weather();
  void slashBlock();
  float temperature(float v) const;
  bool wind();
  // Moves past the rest of a slash-block field and its closing "/".
  void skipField();

  ReportScan& r_;
};

}  // namespace KOL
