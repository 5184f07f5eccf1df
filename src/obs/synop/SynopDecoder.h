// Decodes the groups of one SYNOP-family report, section by section in the order the code sets,
// into the surface record. Each group is tried with one pattern at the current word and accepted
// only when the pattern takes the whole five-figure group and its blank.
#pragma once

namespace KOL {

class ReportScan;
class SfcWmoData;

class SynopDecoder {
 public:
  SynopDecoder(ReportScan& r, int format) : r_(r), format_(format) {}
  SynopDecoder(const SynopDecoder&) = delete;
  SynopDecoder& operator=(const SynopDecoder&) = delete;

  // 1 when a station identifier was found, else 0.
  int decode(const SfcWmoData& w);

 private:
  bool group(const char* name, const char* pattern, ...);
  void sectionWord();
  void dayHour();
  bool station();
  void buoy();
  void position();
  void indicators();
  void wind();
  void section1();
  void temperature(const char* pattern, const char* name, float& out);
  void dewPoint();
  void pressure();
  void tendency();
  void precipitation(int amount, int period);
  void presentWeather();
  void cloudTypes();
  void obsTime();
  void section2();
  void seaTemperature();
  bool skip(const char* leads);
  bool skipTo(const char* const* words);
  void section3();
  void skipFiveGroups();
  void gusts();
  void applyTime();

  ReportScan& r_;
  int format_;
  bool knots_ = false;
  bool automatic_ = false;                  // weather by the automatic stations' table
  int day_ = -1, hour_ = -1, minute_ = -1;  // from the report groups
};

}  // namespace KOL
