// The library's own upper-air file "KOLUPA": a text file of station records in a TEMP-like
// code, one record per station's decoded parts (UpaRawinData), after a magic line and the date
// label. New files are version 5 ("KOLUPAx"); versions 3 ("KOLUPA") and 4 ("KOLUPA+") are
// read too.
//
// What the record format cannot hold: heights finer than a decametre from 500 hPa up,
// temperatures to the parity of their tenth, dew-point depressions above 5 C finer than a degree
// (and beyond 48 C), wind directions finer than 5 degrees and fractions of knots, heights of the
// tropopause and maximum wind, the marks of a second tropopause or maximum wind (their values
// stay, as significant levels and winds by pressure), the station elevation and the observation
// time of each record (the file has one date). Pressures of the tropopause, the maximum wind and
// the winds given by pressure (the 21212 sections) are written to the tenth of a hPa. Levels
// with the balloon's time and displacement add a section for them after the winds (upa/Track.h),
// which readers without it skip; it matches levels by pressure, so levels from 1000 hPa down,
// whose pressures the record writes in whole hPa, lose theirs.
#pragma once

#include <string>
#include <string_view>

#include "core/Date.h"
#include "core/File.h"

namespace KOL {

class String;
class UpaRawinData;

class UpaKolFile {
 public:
  enum Mode : int { READ = 0, WRITE = 1 };
  static constexpr int VERSION = 5;

  UpaKolFile() = default;
  UpaKolFile(const UpaKolFile&) = delete;
  UpaKolFile& operator=(const UpaKolFile&) = delete;
  ~UpaKolFile() { close(); }

  // Whether a file is one: not empty, its first word beginning "KOLUPA".
  static bool checkType(const char* name);
  // mode READ refuses a file of another type; WRITE creates the file and writes its head with
  // the date set before (setDate).
  int open(const char* name, int mode);
  int close();
  bool isOpen() const { return file_.isOpen(); }
  int rewind();

  // The next record; 0 at the end of the file or on a record that cannot be read.
  int read(UpaRawinData& r);
  int write(const UpaRawinData& r);
  // The identifier of the next record, which is skipped.
  int readId(String& id);

  void setDate(const Date& d) { date_ = d; }
  const Date& getDate() const { return date_; }
  const std::string& getDatestr() const { return label_; }
  int getVersion() const { return version_; }

  // The five-character groups (see the class comment for their limits).
  static std::string encodePH(float p, float h);
  static int decodePH(std::string_view group, float& p, float& h);
  static std::string encodeTD(float t, float td);
  static int decodeTD(std::string_view group, float& t, float& td);
  static std::string encodeWD(float dir, float spd);
  static int decodeWD(std::string_view group, float& dir, float& spd);

  // A whole record as text, and back; used by write and read.
  static std::string formatRecord(const UpaRawinData& r, int version = VERSION);
  static int parseRecord(std::string_view text, int version, UpaRawinData& r);

 private:
  int readHead();
  // The text of the next record, up to its line ending in "$"; 0 at the end.
  int readRecord(std::string& text);

  File file_;
  int mode_ = READ;
  int version_ = VERSION;
  Date date_;
  std::string label_;
  std::string name_;
};

}  // namespace KOL
