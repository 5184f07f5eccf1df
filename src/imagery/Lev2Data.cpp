#include "imagery/Lev2Data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/StrLib.h"

namespace KOL {

void Lev2Data::init()
{
  cut_ = elev_number_ = vcp_ = 0;
  current_ = -1;
  vcp_elev_ = lat_ = lon_ = height_ = Const::FMISS;
  icao_.clear();
  date_.init();
  status_ = Lev2Status();
  adaptation_ = Lev2Adaptation();
  radials_.clear();
  moments_.clear();
  keep_.clear();
}

Date Lev2Data::getStartTime() const
{
  Date d;
  if (!radials_.empty()) d.set(static_cast<long>(std::floor(radials_.front().time)));
  return d;
}

float Lev2Data::getElevation() const
{
  if (radials_.empty()) return Const::FMISS;
  double sum = 0;
  for (const Lev2Radial& r : radials_) sum += r.elevation;
  return static_cast<float>(sum / radials_.size());
}

int Lev2Data::findMoment(const char* name) const
{
  for (size_t k = 0; name && k < moments_.size(); ++k)
    if (StrLib::iequal(moments_[k].name.c_str(), name)) return static_cast<int>(k);
  return -1;
}

int Lev2Data::setMoment(const char* name)
{
  const int k = findMoment(name);
  if (k < 0) return 0;
  current_ = k;
  return 1;
}

const char* Lev2Data::getMomentName() const
{
  return current_ >= 0 ? moments_[current_].name.c_str() : "";
}

int Lev2Data::getCode(int k, int gate, int radial) const
{
  if (k < 0 || k >= getNumMoments() || radial < 0 || radial >= getNumRadials() || gate < 0)
    return 0;
  const Lev2Moment& m = moments_[k];
  const uint8_t* row = m.rows[radial];
  if (!row || gate >= m.radialGates[radial]) return 0;
  return m.wordSize == 16 ? (row[2 * gate] << 8) | row[2 * gate + 1] : row[gate];
}

float Lev2Data::getValue(int k, int gate, int radial) const
{
  const int code = getCode(k, gate, radial);
  const Lev2Moment* m = k >= 0 && k < getNumMoments() ? &moments_[k] : nullptr;
  if (!m || code == 0) return Const::FMISS;
  if (m->name == "CFP") return code < CFP_FLAGS ? Const::FMISS : (code - m->offset) / m->scale;
  if (code == 1) return FOLDED;
  return (code - m->offset) / m->scale;
}

float Lev2Data::getRange(int k, int gate) const
{
  if (k < 0 || k >= getNumMoments()) return Const::FMISS;
  return moments_[k].firstGate + gate * moments_[k].spacing;
}

double Lev2Data::beamHeight(double rangeM, double elevDeg)
{
  const double a = EFFECTIVE_RADIUS_M, e = elevDeg * Const::DRC;
  return std::sqrt(rangeM * rangeM + a * a + 2.0 * rangeM * a * std::sin(e)) - a;
}

double Lev2Data::groundRange(double rangeM, double elevDeg)
{
  const double a = EFFECTIVE_RADIUS_M, e = elevDeg * Const::DRC;
  return a * std::asin(rangeM * std::cos(e) / (a + beamHeight(rangeM, elevDeg)));
}

// The triangle of the earth's centre, the radar and the gate: the angle at the radar is
// 90 deg + elevation, at the centre the ground distance over the radius.
double Lev2Data::slantRange(double groundM, double elevDeg)
{
  const double t = groundM / EFFECTIVE_RADIUS_M, e = elevDeg * Const::DRC;
  return EFFECTIVE_RADIUS_M * std::sin(t) / std::cos(t + e);
}

void Lev2Data::azimuthRange(double lat0, double lon0, double lat, double lon, double& azimuthDeg,
                            double& groundM)
{
  const double p1 = lat0 * Const::DRC, p2 = lat * Const::DRC, dl = (lon - lon0) * Const::DRC;
  const double y = std::sin(dl) * std::cos(p2);
  const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
  azimuthDeg = std::fmod(std::atan2(y, x) * Const::RDC + 360.0, 360.0);
  const double h = std::sin((p2 - p1) / 2) * std::sin((p2 - p1) / 2) +
                   std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
  groundM = 2.0 * Const::EARTH_MEAN * 1.0e5 * std::asin(std::min(1.0, std::sqrt(h)));
}

EarthPoint Lev2Data::destination(double lat, double lon, double azimuthDeg, double groundM)
{
  const double r = Const::EARTH_MEAN * 1.0e5, d = groundM / r;
  const double p1 = lat * Const::DRC, az = azimuthDeg * Const::DRC;
  const double p2 =
      std::asin(std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(az));
  const double l2 = lon * Const::DRC + std::atan2(std::sin(az) * std::sin(d) * std::cos(p1),
                                                  std::cos(d) - std::sin(p1) * std::sin(p2));
  double lonDeg = l2 * Const::RDC;
  if (lonDeg > 180.0) lonDeg -= 360.0;
  if (lonDeg < -180.0) lonDeg += 360.0;
  return EarthPoint(static_cast<float>(p2 * Const::RDC), static_cast<float>(lonDeg));
}

bool Lev2Data::getLocation(int k, int gate, int radial, EarthPoint& e) const
{
  if (k < 0 || k >= getNumMoments() || radial < 0 || radial >= getNumRadials() || gate < 0 ||
      Const::isMiss(lat_) || Const::isMiss(lon_))
    return false;
  const Lev2Radial& r = radials_[radial];
  const double range = getRange(k, gate);
  e = destination(lat_, lon_, r.azimuth, groundRange(range, r.elevation));
  e.value = getValue(k, gate, radial);
  return true;
}

namespace {

// Counts and sums of one radial's codes: below the lowest value code (flags), and values.
template <int BYTES>
void tally(const uint8_t* row, int gates, int lowest, bool flagsOnly, Lev2Stats& s, double& sum,
           int& lo, int& hi)
{
  for (int i = 0; i < gates; ++i) {
    const int c = BYTES == 2 ? (row[2 * i] << 8) | row[2 * i + 1] : row[i];
    if (c < lowest) {
      if (c == 0 || flagsOnly)
        ++s.belowThreshold;
      else
        ++s.rangeFolded;
      continue;
    }
    ++s.valid;
    sum += c;
    lo = std::min(lo, c), hi = std::max(hi, c);
  }
}

}  // namespace

Lev2Stats Lev2Data::getStats(int k) const
{
  Lev2Stats s;
  if (k < 0 || k >= getNumMoments()) return s;
  const Lev2Moment& m = moments_[k];
  // the clutter filter's low codes are its flags, never range folding
  const bool cfp = m.name == "CFP";
  const int lowest = cfp ? CFP_FLAGS : 2;
  double sum = 0;
  int lo = 65536, hi = -1;
  for (int j = 0; j < getNumRadials(); ++j) {
    if (!m.rows[j]) continue;
    if (m.wordSize == 16)
      tally<2>(m.rows[j], m.radialGates[j], lowest, cfp, s, sum, lo, hi);
    else
      tally<1>(m.rows[j], m.radialGates[j], lowest, cfp, s, sum, lo, hi);
  }
  if (s.valid) {
    s.min = (lo - m.offset) / m.scale;
    s.max = (hi - m.offset) / m.scale;
    s.mean = (sum / s.valid - m.offset) / m.scale;
  }
  return s;
}

void Lev2Data::setSite(const std::string& icao, float lat, float lon, float height)
{
  icao_ = icao;
  lat_ = lat, lon_ = lon, height_ = height;
}

void Lev2Data::print() const
{
  const double start = getStartSeconds();
  const long whole = static_cast<long>(std::floor(start));
  const Date d = getStartTime();
  std::printf(
      "Lev2Data cut %d (elevation number %d) %.2f deg, %d radials from "
      "%04d-%02d-%02d %02d:%02d:%02d.%03d, site %s %.3f %.3f\n",
      cut_, elev_number_, static_cast<double>(getElevation()), getNumRadials(), d.getYear(),
      d.getMonth(), d.getDay(), d.getHour(), d.getMinute(), static_cast<int>(d.getSecond()),
      static_cast<int>(std::lround((start - whole) * 1000)) % 1000, icao_.c_str(),
      static_cast<double>(lat_), static_cast<double>(lon_));
  for (const Lev2Moment& m : moments_)
    std::printf("  %s gates %d first %.0f m spacing %.0f m word %d scale %g offset %g\n",
                m.name.c_str(), m.gates, static_cast<double>(m.firstGate),
                static_cast<double>(m.spacing), m.wordSize, static_cast<double>(m.scale),
                static_cast<double>(m.offset));
}

}  // namespace KOL
