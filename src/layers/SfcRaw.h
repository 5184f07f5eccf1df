// Station information for surface reports: the station table (resource "city_file", default
// "sao.cty"), held in memory once, and the variable file whose macros name station values
// ("sfcraw.var" unless a layer gives its own). A report without a position of its own is placed
// at its station; the station's priority decides which reports survive thinning on a map. The
// resources "identifier" (station patterns, CityTool::compareData) and "stat_prior" (the least
// important priority kept) choose the stations.
#pragma once

#include <memory>
#include <string>

#include "core/Strings.h"

namespace KOL {

class CityHash;
class CityHashData;
class SfcData;

class SfcRaw {
 public:
  static constexpr const char* DEFAULT_VAR_FILE = "sfcraw.var";
  // The priority of a report placed by its own position (ships, buoys): as the table's default.
  static constexpr int OWN_POSITION_PRIORITY = 9;

  SfcRaw();
  ~SfcRaw();
  SfcRaw(const SfcRaw&) = delete;
  SfcRaw& operator=(const SfcRaw&) = delete;

  void init();
  // The macro file; the station table is reloaded at the next lookup after a change of table.
  void setVarFile(const char* name);
  const char* getVarFile() const { return var_file_.c_str(); }
  // A station table by name; null or "" means the resource "city_file" (else "sao.cty").
  void setCityFile(const char* name);
  // Loads the station table now; 0 when it cannot be read.
  int setup();

  // Attaches what the table knows of the report's station: position and elevation (a report's
  // own position wins), name and WMO number when the report has none. 0 when the report can
  // be placed neither by its own position nor by the table, or when its station is not chosen.
  int getInfo(SfcData& s);
  // The priority of the station of the last report getInfo placed (0 most important).
  int getPriority() const { return priority_; }
  void print() const;

 private:
  bool chosen(const SfcData& s, const CityHashData* c) const;

  std::string var_file_;
  std::string city_file_;
  std::unique_ptr<CityHash> table_;
  bool loaded_ = false;
  Strings patterns_;
  int maxPriority_ = -1;  // -1: every priority
  int priority_ = OWN_POSITION_PRIORITY;
};

}  // namespace KOL
