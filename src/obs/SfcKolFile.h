// The library's own surface file: a text file of one observation time, "KOLSFC" on its first
// line, the date label on the second and one station record per line after them. Read strictly
// in sequence; written or appended a record at a time.
#pragma once

#include <string>

#include "core/Date.h"
#include "core/File.h"

namespace KOL {

class SfcData;

class SfcKolFile {
 public:
  static constexpr int VERSION = 5;
  static constexpr int LABEL_SIZE = 30;
  enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };

  SfcKolFile() { init(); }
  SfcKolFile(const char* name, int mode);
  SfcKolFile(const SfcKolFile&) = delete;
  SfcKolFile& operator=(const SfcKolFile&) = delete;
  ~SfcKolFile() { close(); }

  void init();
  // 1 for a non-empty file that begins with "KOLSFC", 0 for another, -1 when it cannot be opened.
  static int checkType(const char* name);
  // Mode 0 reads an own-format file; 1 creates; 2 appends to an own-format, empty or missing
  // file. 1 when open.
  int open(const char* name, int mode);
  // The next record; 0 at the end or for a line without an identifier.
  int read(SfcData& s);
  // Writes the header first when it is not written yet (the date must then be set).
  int write(const SfcData& s);
  int setDate(const Date& d);
  int getDate(Date& d) const;
  const char* getDatim() const { return datim_; }
  // Back to the first record; refused in write mode.
  int rewind();
  int close();
  bool isOpen() const { return open_; }
  int getCount() const { return count_; }

 private:
  bool readAll();
  bool writeHeader();
  bool flush();

  File file_;
  int mode_;
  int version_;
  int count_;  // records written, -1 while no header is written
  Date date_;
  char datim_[LABEL_SIZE + 1];
  bool open_;
  std::string text_;  // read: the whole file; write: records not yet written
  size_t pos_;        // read: the next line
  size_t first_;      // read: the first record
};

}  // namespace KOL
