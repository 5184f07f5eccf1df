// Reads filed bulletins (or a raw feed capture, whatever its line ends) and cuts them into single
// surface reports for the METAR, SAO and SYNOP decoders. Headings set the bulletin time, the
// default report format and the country; section lines ("METAR", "AAXX 17121", ...) set the kind
// of the reports under them.
#pragma once

#include <deque>
#include <string>

#include "core/Date.h"
#include "core/File.h"

namespace KOL {

class Filename;
class SfcWmoData;

class SfcWmoFile {
 public:
  static constexpr int LINE_SIZE = 160;
  static constexpr int HEADING_SIZE = 18;
  static constexpr int WORD_SIZE = 12;
  static constexpr int UNDETERMINED = 4;  // country of a heading that names none

  SfcWmoFile() { init(); }
  explicit SfcWmoFile(const char* name);
  SfcWmoFile(const SfcWmoFile&) = delete;
  SfcWmoFile& operator=(const SfcWmoFile&) = delete;

  void init();
  // 0 when the file can be opened, -1 otherwise.
  static int checkType(const char* name);
  // A file name, or "-" for standard input. 1 when open.
  int open(const char* name);
  // The first file of the name, with the date of the name.
  int open(Filename& name);
  // The next report; 0 at the end of the file.
  int read(SfcWmoData& out);
  // A bulletin heading or filing separator: 1, with the heading's time, format and country read.
  int checkHeader(const char* line);
  // The report format a line starts (1 to 10), or 0.
  int checkStart(const char* line);
  // The line ends a report ("=" as its last character).
  static bool checkEnd(const char* line);
  // The date near the reports; headings give its day, hour and minute. Unset, the date in the
  // file's name serves, else the reports are taken to be recent (ReportDateTool).
  void setDate(const Date& d) { date_ = d; }
  int getDate(Date& d) const;
  // The report format before any heading or section line (METAR by default).
  void setFormat(int format) { start_format_ = format; }
  // The heading's group after its time ("CCA", "RRB", ...) of the last report; empty if none.
  const char* getBbb() const { return bbb_; }
  // The last report corrects an earlier one ("CCx" heading, or "COR" after the report word).
  bool isCorrection() const { return correction_; }
  void rewind();
  int close();
  bool isOpen() const { return open_; }

 private:
  void resetBulletin();
  bool nextLine();
  bool sectionLine(const char* first, const char* second, int words);
  bool reportLine(const char* first, const char* second, int words, const char* line);
  void append(std::string& text, const char* words) const;
  void fill(SfcWmoData& out) const;

  const Date& reference() const { return date_.isSet() ? date_ : name_date_; }

  File file_;
  Date date_;
  Date name_date_;  // the date the file's name tells, unset when none
  std::string line_;
  std::deque<std::string> json_;  // reports of a line of JSON still to come
  bool pending_;                  // line_ holds a report start not handed out yet
  bool framing_;                  // the last line was bulletin framing
  char heading_[HEADING_SIZE + 1];
  int day_, hour_, minute_;
  int format_;        // of the reports under the current section
  int report_;        // of the report the last start line began
  int start_format_;  // before any heading
  int country_;
  char kind_[WORD_SIZE];    // section word carried to the reports: "METAR", "AAXX", ...
  char second_[WORD_SIZE];  // SYNOP day, hour and wind unit group
  char id_[WORD_SIZE];
  char bbb_[WORD_SIZE];
  bool correction_;
  int line_no_;
  bool open_;
};

}  // namespace KOL
