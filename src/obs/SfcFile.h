// The front end of the surface files: recognises an existing file by its first bytes and hands
// reading and writing to the own format, the netCDF, XML or compressed XML variant, or the plain
// text table.
#pragma once

#include "core/Date.h"
#include "obs/SfcCdfFile.h"
#include "obs/SfcKolFile.h"
#include "obs/SfcUniFile.h"
#include "obs/SfcXmlFile.h"

namespace KOL {

class SfcData;

class SfcFile {
 public:
  enum Type : int { UNKNOWN = 0, KOL = 1, CDF = 2, XML = 3, XMLC = 4, UNI = 5 };
  enum Mode : int { READ = 0, WRITE = 1, APPEND = 2 };
  static constexpr int DATIM_SIZE = SfcKolFile::LABEL_SIZE;

  SfcFile() { init(); }
  SfcFile(const char* name, int mode = READ, int type = UNKNOWN);
  SfcFile(const char* name, int mode, const char* typeWord);
  SfcFile(const SfcFile&) = delete;
  SfcFile& operator=(const SfcFile&) = delete;
  ~SfcFile() { close(); }

  void init();
  // The type of a file by its first bytes; 0 unknown, -1 when it cannot be opened.
  static int checkType(const char* name);
  // "kol", "cdf", "xml", "xmlc" (any case); 0 for another word.
  static int getType(const char* word);
  // Type 0: reading and appending detect the type, writing uses the own format.
  int open(const char* name, int mode, int type);
  int open(const char* name, int mode, const char* typeWord);
  int open(const char* name) { return open(name, READ, UNKNOWN); }
  int read(SfcData& s);
  int write(const SfcData& s);
  int setDate(const Date& d);
  int getDate(Date& d) const;
  // The own format's date label; empty for the others.
  const char* getDatim() const;
  int rewind();
  // Writes what the variants gather in memory; 0 when that fails.
  int close();
  bool isOpen() const { return open_; }
  int getType() const { return type_; }

 private:
  int type_;
  int mode_;
  SfcKolFile kol_;
  SfcCdfFile cdf_;
  SfcXmlFile xml_;
  SfcUniFile uni_;
  Date date_;
  bool open_;
};

}  // namespace KOL
