// Decodes the remarks of a METAR or SAO report: each round tries every known remark group once,
// in a fixed order, at the current position; a round in which nothing fits moves the next word
// into the record's comment. Which groups are tried depends on the country rules of the report;
// SAO reports add the older group forms.
#pragma once

namespace KOL {

class ReportScan;

class RemarkDecoder {
 public:
  RemarkDecoder(ReportScan& r, bool sao) : r_(r), sao_(sao) {}
  RemarkDecoder(const RemarkDecoder&) = delete;
  RemarkDecoder& operator=(const RemarkDecoder&) = delete;

  // Reads remarks to the end of the text.
  void decode();

  // A temperature in tenths, where 1000 and above mean 1000 minus the value: degrees.
  static float tenths(float v);

 private:
  bool round();
  bool common();
  bool national();
  bool supplementary();
  bool precipitation();
  bool plainWords();
  bool extremes();
  bool older();

  bool seaLevel();
  bool weatherText();
  bool temperature();
  bool cloudTypes(const char* pattern, int min_count);
  bool tendency();
  bool precip(char lead, const char* pattern, int slot, const char* trace);
  // A group kept as n words of comment when the pattern matches it completely.
  bool words(char lead, const char* pattern, int n, const char* trace);
  // The pattern matched at least n fields and ended at a group boundary; accepts it.
  bool fits(int n);

  ReportScan& r_;
  bool sao_;
};

}  // namespace KOL
