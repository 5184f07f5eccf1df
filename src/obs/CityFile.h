// A station table file, read or written one CityData line at a time.
#pragma once

#include "core/File.h"
#include "obs/CityData.h"

namespace KOL {

class CityFile : public File {
 public:
  // The nominal length of a table line, used to estimate the number of stations.
  static constexpr int LINE_LENGTH = 59;

  CityFile() { init(); }
  // mode 0 reads, 1 writes.
  explicit CityFile(const char* name, int mode = 0);

  void init();
  int open(const char* name, int mode);
  // The file size divided by the nominal line length; 0 when unknown.
  int getNum() const { return num_; }
  // The next station line, skipping comments and lines that cannot be read; 0 at the end.
  int read(CityData& data);
  int write(const CityData& data);

 private:
  int num_ = 0;
};

}  // namespace KOL
