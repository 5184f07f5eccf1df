// Decodes the body of one METAR or SPECI report, group by group in the order the format sets,
// into the surface record; the remarks are handed to RemarkDecoder. Unrecognised groups are
// skipped where the next group can still be found.
#pragma once

namespace KOL {

class ReportScan;
class SfcWmoData;

class MetarDecoder {
 public:
  explicit MetarDecoder(ReportScan& r) : r_(r) {}
  MetarDecoder(const MetarDecoder&) = delete;
  MetarDecoder& operator=(const MetarDecoder&) = delete;

  // 0 for a NIL report, else 1.
  int decode(const SfcWmoData& w);

  // Knots per unit of a wind group ("KT", "KTS", "MPS", "KMH"; a missing unit is KMH).
  static float speedFactor(const char* unit);
  // Statute miles per unit of a visibility group ("SM", "NM", "KM").
  static float visFactor(const char* unit);
  // Statute miles of a visibility in metres; 9999 (10 km or more) is missing.
  static float metres(int m);
  // The group is a weather group: intensity or proximity, then pairs of letters of the code.
  static bool isWeather(const char* group);

 private:
  void header(const SfcWmoData& w);
  void skipCorrection();
  void time();
  bool applyTime(int day, int hour, int minute);
  void wind();
  bool windGroup(int kind, const char* pattern);
  void visibility();
  bool fraction();
  void rvr();
  void weather();
  bool weatherEnds() const;
  void clouds();
  bool layer(int i);
  bool layerWord(char* word, int& h);
  void temperature();
  bool temperatureGroup();
  void pressure();
  bool altimeter();
  void remarks();

  ReportScan& r_;
  bool cavok_ = false;
};

}  // namespace KOL
