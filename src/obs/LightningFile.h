// Lightning strikes from the files a forecast office receives: GOES-R GLM level-2 LCFA flashes
// (netCDF-4, the GOES-R Product Definition and Users' Guide, read through netCDF-C), the IDD
// NLDN binary records (big-endian, "NLDN" header blocks and 28-byte flashes, as the feed's
// public format description gives them) and Vaisala's UALF text lines (version 0, 25 tab-separated
// fields).
#pragma once

#include <string>
#include <vector>

namespace KOL {

class LightningFile {
 public:
  enum Format { NONE = 0, GLM = 1, NLDN = 2, UALF = 3 };
  struct Strike {
    long long time_ns = 0;  // since 1970, UTC
    double lat = 0, lon = 0;
    // kA with its sign (NLDN, UALF); GLM: the flash's optical energy in J (no polarity).
    double strength = 0;
    int multiplicity = 0;
    bool cloud = false;  // an in-cloud stroke (UALF)
    // GLM: flash id, area (km2), quality flag and the offset of its last event (ms).
    int id = 0;
    double area_km2 = 0;
    int quality = 0;
    double last_ms = 0;
  };

  LightningFile() { init(); }
  void init();
  // Reads a whole file, choosing the format by its first bytes. 1 when it was read; a file that
  // ends inside a record keeps the records before it (one line says so).
  int open(const char* name);
  Format getFormat() const { return format_; }
  const std::vector<Strike>& getStrikes() const { return strikes_; }
  // The GLM file's start, "time_coverage_start"; empty for the other formats.
  const std::string& getStart() const { return start_; }
  void print() const;

 private:
  int readGlm(const char* name);
  int readNldn(const std::string& bytes);
  int readUalf(const std::string& bytes);

  Format format_;
  std::string name_;
  std::string start_;
  std::vector<Strike> strikes_;
};

}  // namespace KOL
