// One elevation cut of a full-resolution radar volume: its radials in the order received, and
// every moment they carry (reflectivity, velocity, spectrum width and the dual-polarisation
// moments) as raw codes with their scaling, value = (code - offset) / scale. Codes 0 (below
// threshold) and 1 (range folded) are no values; getValue gives Const::FMISS and FOLDED for them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Date.h"
#include "geo/EarthPoint.h"

namespace KOL {

class Lev2File;
namespace lev2 {
struct CutBuilder;
}

struct Lev2Radial {
  float azimuth = 0, elevation = 0;  // degrees
  double time = 0;                   // seconds since 1970, with the milliseconds
  int azimuthNumber = 0, status = 0, elevNumber = 0;
  float nyquist = 0, unambiguousRange = 0;  // m/s, km; 0 when the radial says nothing
};

struct Lev2Moment {
  std::string name;                  // "REF", "VEL", "SW", "ZDR", "PHI", "RHO", "CFP"
  int gates = 0;                     // the most gates a radial of the cut has
  float firstGate = 0, spacing = 0;  // metres: range of the first gate's centre, gate spacing
  int wordSize = 8;
  float scale = 1, offset = 0;
  // Each radial's codes (wordSize bits, big-endian) where the volume's messages hold them;
  // null where a radial lacks the moment.
  std::vector<const uint8_t*> rows;
  std::vector<uint16_t> radialGates;  // gates of each radial; 0 where a radial lacks the moment
  int radials = 0;                    // radials carrying the moment
};

// The radar's state as the volume's first RDA status message (Message 2) gives it.
struct Lev2Status {
  bool present = false;
  bool orda = false;  // the open RDA layout; the legacy one otherwise
  int rdaStatus = 0, operability = 0, control = 0, auxPower = 0, txPowerW = 0;
  float refCalibDb = 0;  // horizontal reflectivity calibration correction
  int dataEnabled = 0;
  int vcp = 0;  // negative for a local pattern
  int authorization = 0, operationalMode = 0;
  float build = 0;                               // RDA software build, 0 in the legacy layout
  int superRes = 0;                              // open RDA only
  int bypassMapDate = 0, bypassMapMinute = 0;    // days from 1970-01-01 (day 1), minutes of day
  int clutterMapDate = 0, clutterMapMinute = 0;  // the notch-width map in the legacy layout
};

// The RDA adaptation data (Message 18): the file it comes from and the site it describes.
struct Lev2Adaptation {
  bool present = false;
  std::string fileName, format, revision, date, time;
  std::string icao;
  bool located = false;
  float lat = 0, lon = 0, height = 0;  // degrees, metres above sea level
};

struct Lev2Stats {
  long valid = 0, belowThreshold = 0, rangeFolded = 0;
  double min = 0, max = 0, mean = 0;
};

class Lev2Data {
 public:
  static constexpr float FOLDED = -9998.0f;
  // Clutter-filter power codes below this are flags of the filter, not values.
  static constexpr int CFP_FLAGS = 8;
  // Earth radius times 4/3: the beam bends with the standard atmosphere's refraction.
  static constexpr double EFFECTIVE_RADIUS_M = 6371220.0 * 4.0 / 3.0;

  Lev2Data() { init(); }
  void init();

  // Cut number from 1 in the order of the volume; the radar's elevation number.
  int getCut() const { return cut_; }
  int getElevNumber() const { return elev_number_; }
  // Mean elevation angle of the radials; the angle the scan pattern names (missing without one).
  float getElevation() const;
  float getVcpElevation() const { return vcp_elev_; }
  int getNumRadials() const { return static_cast<int>(radials_.size()); }
  const Lev2Radial& getRadial(int j) const { return radials_.at(j); }
  int getNumMoments() const { return static_cast<int>(moments_.size()); }
  const Lev2Moment& getMoment(int k) const { return moments_.at(k); }
  // Index of the moment with that name (case ignored); -1 when the cut lacks it.
  int findMoment(const char* name) const;
  // The moment getValue(gate, radial) reads; 0 when the cut lacks it.
  int setMoment(const char* name);
  const char* getMomentName() const;

  // The raw code (0 outside the radial's gates or without the moment).
  int getCode(int k, int gate, int radial) const;
  float getValue(int k, int gate, int radial) const;
  float getValue(int gate, int radial) const { return getValue(current_, gate, radial); }
  static bool isValue(float v) { return v != Const::FMISS && v != FOLDED; }
  // Range of a gate's centre in metres.
  float getRange(int k, int gate) const;
  // Where the beam is at that gate, 4/3-earth refraction; false outside.
  bool getLocation(int k, int gate, int radial, EarthPoint& e) const;
  // Height above the radar (m) and distance along the ground (m) of a slant range at an
  // elevation angle.
  static double beamHeight(double rangeM, double elevDeg);
  static double groundRange(double rangeM, double elevDeg);
  // The slant range whose beam at that elevation lies above a ground distance.
  static double slantRange(double groundM, double elevDeg);
  // Azimuth (degrees from north) and ground distance (m) from (lat0, lon0) to (lat, lon).
  static void azimuthRange(double lat0, double lon0, double lat, double lon, double& azimuthDeg,
                           double& groundM);
  // The place at a ground distance and azimuth from (lat, lon).
  static EarthPoint destination(double lat, double lon, double azimuthDeg, double groundM);
  Lev2Stats getStats(int k) const;

  // Radar site: latitude, longitude (missing when the volume gives none), height in metres.
  float getLat() const { return lat_; }
  float getLon() const { return lon_; }
  float getHeight() const { return height_; }
  const std::string& getIcao() const { return icao_; }
  const Date& getDate() const { return date_; }
  int getVcp() const { return vcp_; }
  const Lev2Status& getStatus() const { return status_; }
  const Lev2Adaptation& getAdaptation() const { return adaptation_; }
  // When the cut began: its first radial's time (not set for a cut without radials).
  Date getStartTime() const;
  double getStartSeconds() const { return radials_.empty() ? 0 : radials_.front().time; }
  void setSite(const std::string& icao, float lat, float lon, float height);

  void print() const;

 private:
  friend struct lev2::CutBuilder;
  friend class Lev2File;

  int cut_, elev_number_, vcp_, current_;
  float vcp_elev_, lat_, lon_, height_;
  std::string icao_;
  Date date_;
  Lev2Status status_;
  Lev2Adaptation adaptation_;
  std::vector<Lev2Radial> radials_;
  std::vector<Lev2Moment> moments_;
  // The decompressed messages the rows point into, shared by the copies of a cut.
  std::vector<std::shared_ptr<const void>> keep_;
};

}  // namespace KOL
