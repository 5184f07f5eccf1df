// Full-resolution radar volumes (NEXRAD Level II, Archive II): a file as the radar archives it
// (LDM records of bzip2-compressed messages, or the raw message stream), gzip- or
// bzip2-wrapped, or a folder of the streamed chunk files of one volume. Radials of Message 31 or
// Message 1 are grouped into elevation cuts (Lev2Data) in the order the volume holds them; the
// surveillance and Doppler halves of a split cut stay two cuts. The records are independent and
// are decompressed on several threads when allowed to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Date.h"
#include "imagery/Lev2Data.h"

namespace KOL {

class Lev2File {
 public:
  Lev2File() { init(); }
  explicit Lev2File(const char* name) : Lev2File() { open(name); }

  void init();
  // Loads the file or chunk folder; 0 when it cannot be read or is not a volume.
  int open(const char* name);
  // The same from bytes in memory (a copy is kept).
  int openBytes(const uint8_t* data, std::size_t size);
  bool isOpen() const { return open_; }
  void close() { init(); }
  // True when the bytes start with a volume header or, for a lone chunk, an LDM record.
  static bool isLev2(const uint8_t* data, std::size_t size);
  // The same for a file or chunk folder, reading only its first bytes.
  static bool isVolume(const char* name);

  // Threads decompressing records; 0 (the default) takes every core.
  void setThreads(int n) { threads_ = n; }
  // Decodes every record and groups the radials into cuts; 0 when no radial was found.
  int read();
  int getNumCuts() const { return static_cast<int>(cuts_.size()); }
  // Cut number cut (from 1); null outside.
  const Lev2Data* getCut(int cut) const;
  // A copy of one cut, or of one moment of it (then selected); 0 when absent.
  int readSweep(int cut, Lev2Data& d) const;
  int readSweep(int cut, const char* moment, Lev2Data& d) const;
  int readSweeps(std::vector<Lev2Data>& out) const;
  // The lowest cut holding the moment whose mean elevation is within 0.25 deg of elevDeg; -1
  // when none is.
  int findCut(const char* moment, float elevDeg) const;

  // 1 when the volume begins with its 24-byte header (a lone chunk has none); open reads it.
  int readHeader() const { return open_ && start_ > 0; }
  // Volume header: tape ("AR2V0006."), site and start time; empty when the file has none.
  const std::string& getTape() const { return tape_; }
  const std::string& getIcao() const { return icao_; }
  const Date& getDate() const { return date_; }
  int getVcp() const { return vcp_; }
  // The first RDA status message and the adaptation data; not present when the volume has none.
  const Lev2Status& getStatus() const { return status_; }
  const Lev2Adaptation& getAdaptation() const { return adaptation_; }
  int getNumRecords() const { return static_cast<int>(records_); }
  int getMessageCount(int type) const;
  int getNumRadials() const { return radials_; }
  // Problems met (bad radials, failed records), each reported in one line.
  int getProblems() const { return problems_; }
  void print() const;

 private:
  int loaded(const char* name);
  void report(const std::string& line);

  bool open_;
  int threads_;
  std::shared_ptr<std::vector<uint8_t>> bytes_;  // shared with the cuts of a raw stream
  std::size_t start_;
  std::string tape_, icao_;
  Date date_;
  int vcp_, radials_, problems_;
  std::size_t records_;
  std::map<int, int> counts_;
  std::vector<Lev2Data> cuts_;
  Lev2Status status_;
  Lev2Adaptation adaptation_;
};

}  // namespace KOL
