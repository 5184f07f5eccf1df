#include "obs/SfcWmoFile.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/Const.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/ReportDateTool.h"
#include "core/StrLib.h"
#include "obs/MetarTool.h"
#include "obs/SfcWmoData.h"
#include "obs/sfc/JsonReports.h"

namespace KOL {

namespace {

constexpr int MISS = Const::MISS;
constexpr int MAX_WORDS = 4;
constexpr int MAX_FURTHER_LINES = 4;
constexpr int READ_SIZE = 4096;

bool is(const char* word, const char* text) { return !std::strcmp(word, text); }

// The first words of a line, each cut to the given size; the number of words on the line.
int firstWords(const char* line, char (*words)[SfcWmoFile::WORD_SIZE])
{
  int n = 0;
  for (int i = 0; i < MAX_WORDS; ++i) words[i][0] = '\0';
  while (*line) {
    while (*line == ' ') ++line;
    if (!*line) break;
    int len = 0;
    while (line[len] && line[len] != ' ') ++len;
    if (n < MAX_WORDS) StrLib::copy(words[n], SfcWmoFile::WORD_SIZE, line, len);
    ++n;
    line += len;
  }
  return n;
}

int headingCountry(const char* heading)
{
  static const char* const USA[] = {"SAUS", "SAUE", "SAUM", "SAUW", "SAUC", "SACA",
                                    "SAXX", "SAHW", "SAPA", "SAPQ", "SAAK"};
  if (!std::strncmp(heading, "SACN", 4) || !std::strncmp(heading, "SPCN", 4))
    return SfcWmoData::CANADA;
  if (!std::strncmp(heading, "SAMX", 4)) return SfcWmoData::MEXICO;
  for (const char* p : USA)
    if (!std::strncmp(heading, p, 4)) return SfcWmoData::USA;
  return SfcWmoFile::UNDETERMINED;
}

int headingFormat(const char* heading, int current)
{
  if (!std::strncmp(heading, "SA", 2)) return SfcWmoData::METAR;
  if (!std::strncmp(heading, "SP", 2)) return SfcWmoData::SPECI;
  for (const char* p : {"SI", "SM", "SN", "SS"})
    if (!std::strncmp(heading, p, 2)) return SfcWmoData::SYNOP;
  return current;
}

bool synopFamily(int format) { return format >= SfcWmoData::SYNOP && format <= SfcWmoData::CMAN; }

// Bulletin framing that ends any report: start and end of message, and the capture separators.
bool framing(const std::string& raw)
{
  return raw.find('\x01') != std::string::npos || raw.find('\x03') != std::string::npos ||
         raw.compare(0, 4, "ZCZC") == 0 || raw.compare(0, 4, "NNNN") == 0;
}

// Control characters become blanks and trailing white space goes, so that every line end
// (CR CR LF, CR LF, LF) reads the same.
void clean(std::string& line)
{
  for (char& c : line)
    if (static_cast<unsigned char>(c) < ' ' || c == 127) c = ' ';
  size_t end = line.find_last_not_of(' ');
  line.resize(end == std::string::npos ? 0 : end + 1);
}

bool blank(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }

bool reportWord(std::string_view w)
{
  for (const char* k : {"METAR", "SPECI", "AAXX", "BBXX", "OOXX", "ZZYY"})
    if (w == k) return true;
  return false;
}

// Report archives write each report on a line of its own after the report's time: a word of
// twelve figures (yyyymmddhhmm), or comma-separated fields (station, year, month, day, hour,
// minute) ending in a comma right before the report.
void dropSourcePrefix(std::string& line)
{
  size_t end = line.find(' ');
  if (end == std::string::npos) return;
  std::string_view first(line.data(), end);
  size_t comma = first.rfind(',');
  if (comma != std::string_view::npos && reportWord(first.substr(comma + 1))) {
    line.erase(0, comma + 1);
    return;
  }
  if (first.size() != 12 || first.find_first_not_of("0123456789") != std::string_view::npos) return;
  size_t next = line.find_first_not_of(' ', end);
  size_t stop = line.find(' ', next);
  std::string_view second(line.data() + next,
                          (stop == std::string::npos ? line.size() : stop) - next);
  if (reportWord(second)) line.erase(0, next);
}

}  // namespace

SfcWmoFile::SfcWmoFile(const char* name)
{
  init();
  open(name);
}

void SfcWmoFile::init()
{
  file_.close();
  date_ = Date();
  name_date_ = Date();
  line_.clear();
  json_.clear();
  pending_ = framing_ = false;
  open_ = false;
  start_format_ = SfcWmoData::METAR;
  line_no_ = 0;
  resetBulletin();
}

void SfcWmoFile::resetBulletin()
{
  heading_[0] = kind_[0] = second_[0] = id_[0] = bbb_[0] = '\0';
  correction_ = false;
  day_ = hour_ = minute_ = MISS;
  format_ = report_ = start_format_;
  country_ = UNDETERMINED;
}

int SfcWmoFile::checkType(const char* name)
{
  File f;
  return name && f.open(name, "r") ? 0 : -1;
}

int SfcWmoFile::open(const char* name)
{
  close();
  if (!name || !file_.open(name, "r")) {
    Kol::outWarning("SfcWmoFile: Unable to open file: %s\n", name ? name : "(null)");
    return 0;
  }
  name_date_ = Date();
  ReportDateTool::fromName(name, name_date_);
  open_ = true;
  return 1;
}

int SfcWmoFile::open(Filename& name)
{
  const char* file = name.getName(0);
  if (!open(file)) return 0;
  Date d;
  if (name.getDate(d)) date_ = d;
  return 1;
}

int SfcWmoFile::close()
{
  file_.close();
  open_ = pending_ = false;
  line_.clear();
  json_.clear();
  line_no_ = 0;
  resetBulletin();
  return 1;
}

void SfcWmoFile::rewind()
{
  if (!open_) return;
  file_.rewind();
  pending_ = false;
  json_.clear();
  line_no_ = 0;
  resetBulletin();
}

int SfcWmoFile::getDate(Date& d) const
{
  d = reference();
  return d.isSet() ? 1 : 0;
}

// The next line into line_, whole however long; framing lines come back empty with the
// bulletin state reset.
bool SfcWmoFile::nextLine()
{
  line_.clear();
  if (!json_.empty()) {
    line_ = std::move(json_.front());
    json_.pop_front();
  } else {
    char buf[READ_SIZE];
    int n = 0;
    while ((n = file_.getLine(buf, sizeof buf)) > 0) {
      line_.append(buf, n);
      if (line_.back() == '\n') break;
    }
    if (line_.empty()) return false;
    // A line of JSON stands for the reports it holds, one line each.
    std::vector<std::string> reports = sfc::jsonReports(line_);
    if (!reports.empty()) {
      json_.assign(reports.begin() + 1, reports.end());
      line_ = std::move(reports.front());
    }
  }
  ++line_no_;
  framing_ = framing(line_);
  if (framing_) {
    resetBulletin();
    line_.clear();
    return true;
  }
  clean(line_);
  dropSourcePrefix(line_);
  return true;
}

int SfcWmoFile::checkHeader(const char* line)
{
  if (!line) return 0;
  bool separator =
      !std::strncmp(line, "** ", 3) && StrLib::isAlpha(line[3]) && StrLib::isAlpha(line[4]);
  bool heading =
      StrLib::check(line, "uuuudd uuuu dddddd") || StrLib::check(line, "uuuu uuuu dddddd");
  if (!separator && !heading) return 0;
  resetBulletin();
  const char* text = separator ? line + 3 : line;
  StrLib::copy(heading_, sizeof heading_, text, HEADING_SIZE);
  StrLib::trimWS(heading_);
  char words[MAX_WORDS][WORD_SIZE];
  firstWords(text, words);
  // A filing separator closes with "***", no part of the heading.
  if (separator && std::strcmp(words[3], "***") == 0) words[3][0] = '\0';
  StrLib::copy(bbb_, sizeof bbb_, words[3]);
  int d, h, m;
  if (std::sscanf(words[2], "%2d%2d%2d", &d, &h, &m) == 3 && d >= 1 && d <= 31 && h < 24 &&
      m < 60) {
    day_ = d;
    hour_ = h;
    minute_ = m;
  }
  Kol::outDebug(3, "%s: %s - %d %d %d\n", separator ? "WMO*" : "WMO", heading_, day_, hour_,
                minute_);
  format_ = headingFormat(heading_, format_);
  country_ = headingCountry(heading_);
  return 1;
}

// A line that names the kind of the reports below it.
bool SfcWmoFile::sectionLine(const char* first, const char* second, int words)
{
  static const struct {
    const char* word;
    int format;
  } ALONE[] = {{"METAR", SfcWmoData::METAR},
               {"SPECI", SfcWmoData::SPECI},
               {"BBXX", SfcWmoData::SHIP},
               {"OOXX", SfcWmoData::MOBIL}};
  for (const auto& a : ALONE) {
    bool metarPair = words == 2 && a.format <= SfcWmoData::SPECI && StrLib::isDigit(second[0]);
    if (is(first, a.word) && (words == 1 || metarPair)) {
      format_ = a.format;
      StrLib::copy(kind_, sizeof kind_, first);
      second_[0] = '\0';
      return true;
    }
  }
  if (words != 2 || std::strlen(second) != 5) return false;
  int format = is(first, "AAXX")   ? SfcWmoData::SYNOP
               : is(first, "BBXX") ? SfcWmoData::SHIP
               : is(first, "CMAN") ? SfcWmoData::CMAN
                                   : 0;
  if (!format) return false;
  format_ = format;
  StrLib::copy(kind_, sizeof kind_, first);
  StrLib::copy(second_, sizeof second_, second);
  return true;
}

int SfcWmoFile::checkStart(const char* line)
{
  if (!line) return 0;
  char words[MAX_WORDS][WORD_SIZE];
  int n = firstWords(line, words);
  if (!n) return 0;
  id_[0] = '\0';
  if (sectionLine(words[0], words[1], n)) return 0;
  return reportLine(words[0], words[1], n, line) ? report_ : 0;
}

// Whether the line starts a report; sets the report's format (in format_ when it changes
// with the line) and its identifier.
bool SfcWmoFile::reportLine(const char* first, const char* second, int words, const char* line)
{
  if (is(first, "METAR") || is(first, "SPECI") || is(first, "LWIS")) {
    char all[MAX_WORDS][WORD_SIZE];
    firstWords(line, all);
    const char* station = is(all[1], "COR") ? all[2] : all[1];
    if (!*station) return false;
    report_ = first[0] == 'S' ? SfcWmoData::SPECI : SfcWmoData::METAR;
    StrLib::copy(id_, sizeof id_, station);
    return true;
  }
  static const struct {
    const char* word;
    int format;
    int station;  // the word that holds the station
  } SYNOPS[] = {{"AAXX", SfcWmoData::SYNOP, 2},
                {"BBXX", SfcWmoData::SHIP, 1},
                {"ZZYY", SfcWmoData::DRIBU, 1},
                {"OOXX", SfcWmoData::MOBIL, 1},
                {"CMAN", SfcWmoData::CMAN, 2}};
  for (const auto& s : SYNOPS) {
    if (!is(first, s.word) || words <= s.station) continue;
    char all[MAX_WORDS][WORD_SIZE];
    firstWords(line, all);
    report_ = s.format;
    kind_[0] = second_[0] = '\0';
    // "AAXX YYGGi" in front of the first report holds for the reports after it.
    if (s.format == SfcWmoData::SYNOP && std::strlen(all[1]) == 5) {
      StrLib::copy(kind_, sizeof kind_, first);
      StrLib::copy(second_, sizeof second_, all[1]);
    }
    StrLib::copy(id_, sizeof id_, all[s.station]);
    if (report_ == SfcWmoData::SHIP && StrLib::isNum(id_)) report_ = SfcWmoData::BUOY;
    return true;
  }
  if (words >= 2) {
    for (const char* k : {"SA", "RS", "SM", "AMOS", "SP", "USP"}) {
      if (!is(second, k)) continue;
      report_ = is(k, "SP") || is(k, "USP") ? SfcWmoData::SP : SfcWmoData::SA;
      StrLib::copy(id_, sizeof id_, first);
      return true;
    }
  }
  report_ = format_;
  if (synopFamily(format_)) {
    // Ships' and mobile stations' call signs are of any length; land stations have five
    // figures.
    size_t n = std::strlen(first);
    bool ship = format_ == SfcWmoData::SHIP || format_ == SfcWmoData::BUOY;
    bool sign = ship || format_ == SfcWmoData::MOBIL;
    bool start = words >= 2 && (sign ? n >= 3 : n == 5) && std::strlen(second) == 5 &&
                 StrLib::isDigit(second[0]) && StrLib::isDigit(second[1]);
    if (!start) return false;
    StrLib::copy(id_, sizeof id_, first);
    if (ship) report_ = StrLib::isNum(id_) ? SfcWmoData::BUOY : SfcWmoData::SHIP;
    return true;
  }
  if (format_ != SfcWmoData::METAR && format_ != SfcWmoData::SPECI) return false;
  if (!std::strncmp(line, "  ", 2) || words < 2 || std::strlen(first) != 4) return false;
  if (is(first, "PCPN") || is(first, "TSNO") || is(second, "RMK")) return false;
  // A NIL report stands for a report too; otherwise the time group follows the station.
  bool nil = !std::strncmp(second, "NIL", 3);
  if (!nil && (std::strlen(second) <= 3 || !StrLib::isDigit(second[0]))) return false;
  StrLib::copy(id_, sizeof id_, first);
  return true;
}

bool SfcWmoFile::checkEnd(const char* line)
{
  if (!line) return false;
  int n = StrLib::length(line);
  while (n > 0 && StrLib::isSpace(line[n - 1])) --n;
  return n > 0 && line[n - 1] == '=';
}

void SfcWmoFile::append(std::string& text, const char* words) const
{
  while (*words == ' ') ++words;
  if (!*words) return;
  if (!text.empty()) text += ' ';
  text += words;
}

int SfcWmoFile::read(SfcWmoData& out)
{
  out.init();
  if (!open_) return 0;
  int format = 0;
  // Find a report start, reading headings and section lines on the way.
  while (!format) {
    if (!pending_) {
      if (!nextLine()) return 0;
      Kol::outDebug(4, "LINE-%d:%s:\n", line_no_, line_.c_str());
      if (checkHeader(line_.c_str())) continue;
    }
    pending_ = false;
    format = checkStart(line_.c_str());
  }
  std::string text;
  bool own = !std::strncmp(line_.c_str(), "METAR", 5) || !std::strncmp(line_.c_str(), "SPECI", 5) ||
             !std::strncmp(line_.c_str(), "CMAN", 4) || !std::strncmp(line_.c_str(), "AAXX", 4) ||
             format == SfcWmoData::SA || format == SfcWmoData::SP;
  if (!own) {
    append(text, kind_);
    append(text, second_);
  }
  append(text, line_.c_str());
  correction_ =
      !std::strncmp(bbb_, "CC", 2) || (line_.size() > 10 && line_.compare(6, 4, "COR ") == 0);
  out.setId(id_);
  out.format = format;
  fill(out);
  Kol::outDebug(4, "LINE:%d:%s:\n", line_no_, line_.c_str());
  // Further lines, blank ones not counted, up to the "=" that ends the report.
  for (int further = 0; !checkEnd(line_.c_str()) && further < MAX_FURTHER_LINES;) {
    if (!nextLine()) break;
    if (framing_) break;
    if (blank(line_)) continue;
    if (checkHeader(line_.c_str())) break;
    if (!synopFamily(format) && checkStart(line_.c_str())) {
      pending_ = true;
      break;
    }
    Kol::outDebug(4, "LINE+%d:%s:\n", line_no_, line_.c_str());
    append(text, line_.c_str());
    ++further;
  }
  if (!pending_) line_.clear();
  size_t end = text.find('=');
  if (end != std::string::npos) text.resize(end);
  while (!text.empty() && (text.back() == ' ' || text.back() == '=')) text.pop_back();
  out.setData(text.c_str());
  return 1;
}

void SfcWmoFile::fill(SfcWmoData& out) const
{
  out.setWmo(heading_);
  out.date = reference();
  out.day = day_;
  out.hour = hour_;
  out.minute = minute_;
  int country = country_;
  bool metar = out.format == SfcWmoData::METAR || out.format == SfcWmoData::SPECI;
  if (country == UNDETERMINED) country = metar ? MetarTool::locationOf(out.id) : 0;
  out.location = country == UNDETERMINED ? 0 : country;
}

}  // namespace KOL
