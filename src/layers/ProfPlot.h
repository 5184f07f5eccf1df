// The time-height section of the winds at one station: its soundings from successive upper-air
// files (the files named, else the latest num files of the convention "upa_cvt" a step of hours
// apart), each a column of wind barbs at the standard levels, time increasing to the right on a
// log-pressure frame, the times written under it.
//   keys: id=STATION (also the resource "identifier"), nh=N files of the convention (also the
//   resource "num_hour"; default 5), step=H hours between them (default 12), sync.
#pragma once

#include <string>
#include <vector>

#include "graphics/Drawing.h"
#include "layers/xsect/Section.h"
#include "obs/UpaData.h"

namespace KOL {

class ProfPlot : public Drawing {
 public:
  static constexpr const char* CONVENTION = "upa_cvt";
  static constexpr int DEFAULT_FILES = 5;
  static constexpr int DEFAULT_STEP = 12;

  ProfPlot() { init(); }

  // Defaults, then the resources "in_file", "identifier", "num_hour" and "parameter".
  void init() override;
  int setNameConv(const char* conv) override;
  int setParam(const char* params) override;
  // Own upper-air files, in any order.
  void setFiles(const std::vector<std::string>& names) { files = names; }
  // Soundings read elsewhere (those of the station are kept), in any order; read() then keeps
  // them.
  void setSoundings(const std::vector<UpaData>& all);
  int getSync() override { return sync; }
  // Reads the station's soundings; 0 after one message when fewer than two files hold it.
  int read();
  int getDomain(Domain& d) override;
  int getNumFrames() override { return 0; }
  int draw(Plot& plot) override;
  void print() override;

  const std::vector<UpaData>& getSoundings() const { return soundings; }
  const xsect::Section& getSection() const { return section; }
  // The hours of sounding k after the first.
  float hours(size_t k) const;

 private:
  std::vector<std::string> fileNames() const;
  bool ofStation(const char* id, const char* wmo) const;
  // Sorts the soundings by time and sets the section's length; 0 with fewer than two times.
  int arrange();

  std::string conv;
  std::string station;
  std::vector<std::string> files;
  int numFiles, step, sync;
  xsect::Section section;
  std::vector<UpaData> soundings;
  bool given = false;  // soundings set, not read
};

}  // namespace KOL
