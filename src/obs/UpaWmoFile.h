// Reads upper-air parts one at a time out of filed bulletins, a raw feed capture or a text file
// of parts (see upa::PartCutter for the cutting rules). Each part gets the bulletin time: the
// day and hour of its heading placed relative to the file's date (setDate; now by default).
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
  const Date& getDate() const { return date_; }

 private:
  File file_;
  std::unique_ptr<upa::PartCutter> cutter_;
  Date date_;
  bool ended_ = false;
  std::string line_;
};

}  // namespace KOL
