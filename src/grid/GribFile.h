// Reads GRIB edition 1 and 2 fields into Grids, one field at a time, from raw GRIB files, WMO
// bulletin streams with a transmission header before each message, or files with a separate
// header (index) file; writes a Lambert conformal Grid as an edition 1 message.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/File.h"
#include "grid/GribPDB.h"
#include "grid/GribParam.h"
#include "grid/ModelName.h"

namespace KOL {

class Filename;
class Grid;
class Grids;
class GridSpec;

namespace grib {
class MessageDecoder;
struct Field;
}  // namespace grib

class GribFile : public File {
 public:
  // Stream kinds found by checkType.
  enum Kind : int { STARS_LINES = 1, WMO = 2, STARS4 = 4, RAW = 5 };
  static constexpr int MAX_PARAMS = 200;

  GribFile();
  explicit GribFile(const char* name);
  explicit GribFile(Filename& name);
  ~GribFile() override;
  void init();

  int open(const char* name);
  // mode non-zero opens for writing.
  int open(const char* name, int mode);
  // Takes the date from the name; opens the header file when the naming convention has one and
  // the header switch is on.
  int open(Filename& name);
  using File::isOpen;
  int close();
  void rewind();
  void useHdrFile(int on) { useHdr_ = on != 0; }
  void setMaxBad(int n) { maxBad_ = n < 1 ? 5 : n; }
  // Comma-separated words: nohdr, usehdr, wrap, nowrap, miss_val=V, max_bad=N.
  int setParam(const char* text);

  int read(Grid& g);
  int peek(Grid& g);
  int read(const char* spec, Grid& g);
  int read(const GridSpec& spec, Grid& g);
  int read(Grids& grids);
  int write(const Grid& g);

  // Stream kind of the first 20 bytes.
  int checkType();
  int getEdition() const { return edition_; }
  const GribPDB& getPDB() const { return pdb_; }
  // Offset of the message the last field came from.
  long getMessageStart() const { return msgStart_; }
  const char* getWmoHeader() const { return wmoHeader_; }

 private:
  int nextField(grib::Field& f, bool values, bool northFirst = false);
  int loadNextMessage();
  int loadMessageAt(long offset);
  long fileSize();
  int readHeader();
  void takeStarsLine(const std::string& line);
  int findStarsLine();
  long searchGrib();
  int headerLine(long& offset);
  int toGrid(grib::Field& f, Grid& g, bool values);
  GribParam& paramFor(const grib::Field& f);

  int kind_;
  int edition_;
  bool useHdr_;
  bool wrap_;
  float missing_;
  int maxBad_;
  int firstLevelType_;  // edition 1 level type of the first field read
  File hdr_;
  Date fileDate_;
  GribPDB pdb_;
  char wmoHeader_[80];
  long msgStart_;
  long nextPos_;    // where the search for the next message starts
  int fieldInMsg_;  // fields already taken from the current message
  std::vector<uint8_t> message_;
  std::unique_ptr<grib::MessageDecoder> decoder_;
  std::vector<GribParam> params_;
  ModelName modelName_;
};

}  // namespace KOL
