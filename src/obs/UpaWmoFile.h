// Reads upper-air parts one at a time out of filed bulletins, a raw feed capture or a text file
// of parts (see upa::PartCutter for the cutting rules). Each part gets the bulletin time: the
// day and hour of its heading completed by the file's date (setDate, else the date in the
// file's name; without either the parts are taken to be recent, see ReportDateTool).
#pragma once

#include <memory>
#include <string>

#include "core/Date.h"
#include "core/File.h"

namespace KOL {

class Filename;
class UpaWmoData;
namespace upa {
class PartCutter;
}

class UpaWmoFile {
 public:
  UpaWmoFile();
  UpaWmoFile(const UpaWmoFile&) = delete;
  UpaWmoFile& operator=(const UpaWmoFile&) = delete;
  ~UpaWmoFile();

  // A file name or "-" for standard input.
  int open(const char* name);
  int open(const Filename& name);
  // The next part; 0 at the end of the file.
  int read(UpaWmoData& part);
  // Whether the file holds at least one part word at the start of a line.
  static bool checkType(const char* name);
  int rewind();
  int close();
  bool isOpen() const { return file_.isOpen(); }
  void setDate(const Date& d) { date_ = d; }
  const Date& getDate() const { return date_.isSet() ? date_ : name_date_; }

 private:
  File file_;
  std::unique_ptr<upa::PartCutter> cutter_;
  Date date_;
  Date name_date_;  // the date the file's name tells, unset when none
  bool ended_ = false;
  std::string line_;
};

}  // namespace KOL
