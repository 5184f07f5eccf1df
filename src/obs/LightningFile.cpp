#include "obs/LightningFile.h"

#include <netcdf.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "core/Kol.h"

namespace KOL {

namespace {

int32_t be32(const unsigned char* p)
{
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 24 |
                              static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
                              p[3]);
}

int16_t be16(const unsigned char* p)
{
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] << 8 | p[1]));
}

// A packed variable unpacked: short values (unsigned when "_Unsigned" says so) times
// scale_factor plus add_offset (CF conventions); floats as they are.
bool variable(int nc, const char* name, std::vector<double>& out)
{
  int var, ndims, dims[NC_MAX_VAR_DIMS];
  nc_type type;
  if (nc_inq_varid(nc, name, &var) != NC_NOERR ||
      nc_inq_var(nc, var, nullptr, &type, &ndims, dims, nullptr) != NC_NOERR || ndims != 1)
    return false;
  size_t n;
  if (nc_inq_dimlen(nc, dims[0], &n) != NC_NOERR) return false;
  out.assign(n, 0.0);
  if (n == 0) return true;
  if (type == NC_FLOAT || type == NC_DOUBLE)
    return nc_get_var_double(nc, var, out.data()) == NC_NOERR;
  if (type != NC_SHORT && type != NC_USHORT) return false;
  std::vector<short> raw(n);
  if (nc_get_var_short(nc, var, raw.data()) != NC_NOERR) return false;
  char flag[16] = {0};
  size_t len = 0;
  bool unsig =
      type == NC_USHORT ||
      (nc_inq_attlen(nc, var, "_Unsigned", &len) == NC_NOERR && len < sizeof flag &&
       nc_get_att_text(nc, var, "_Unsigned", flag) == NC_NOERR && !std::strncmp(flag, "true", 4));
  float scale = 1, offset = 0;
  nc_get_att_float(nc, var, "scale_factor", &scale);
  nc_get_att_float(nc, var, "add_offset", &offset);
  for (size_t i = 0; i < n; ++i) {
    double v = unsig ? static_cast<unsigned short>(raw[i]) : raw[i];
    out[i] = v * scale + offset;
  }
  return true;
}

// "2018-07-02T04:33:00.0Z" in nanoseconds since 1970; 0 when unreadable.
long long isoNanos(const std::string& t)
{
  std::tm u{};
  double sec = 0;
  if (std::sscanf(t.c_str(), "%d-%d-%dT%d:%d:%lf", &u.tm_year, &u.tm_mon, &u.tm_mday, &u.tm_hour,
                  &u.tm_min, &sec) != 6)
    return 0;
  u.tm_year -= 1900;
  u.tm_mon -= 1;
  return static_cast<long long>(timegm(&u)) * 1000000000LL + std::llround(sec * 1e9);
}

}  // namespace

void LightningFile::init()
{
  format_ = NONE;
  name_.clear();
  start_.clear();
  strikes_.clear();
}

int LightningFile::open(const char* name)
{
  init();
  name_ = name ? name : "";
  std::ifstream in(name_, std::ios::binary);
  if (!in) {
    Kol::outWarning("LightningFile: cannot open %s\n", name_.c_str());
    return 0;
  }
  std::ostringstream s;
  s << in.rdbuf();
  const std::string bytes = s.str();
  if (bytes.compare(0, 4, "\x89HDF") == 0 || bytes.compare(0, 3, "CDF") == 0) return readGlm(name);
  if (bytes.compare(0, 4, "NLDN") == 0) return readNldn(bytes);
  return readUalf(bytes);
}

int LightningFile::readGlm(const char* name)
{
  format_ = GLM;
  int nc;
  if (nc_open(name, NC_NOWRITE, &nc) != NC_NOERR) {
    Kol::outWarning("LightningFile: %s is no readable netCDF file\n", name);
    return 0;
  }
  size_t len = 0;
  char text[128] = {0};
  if (nc_inq_attlen(nc, NC_GLOBAL, "time_coverage_start", &len) == NC_NOERR && len < sizeof text &&
      nc_get_att_text(nc, NC_GLOBAL, "time_coverage_start", text) == NC_NOERR)
    start_.assign(text, len);
  std::vector<double> id, lat, lon, energy, area, first, last, quality;
  bool ok = variable(nc, "flash_lat", lat) && variable(nc, "flash_lon", lon) &&
            variable(nc, "flash_energy", energy) && variable(nc, "flash_area", area) &&
            variable(nc, "flash_id", id) &&
            variable(nc, "flash_time_offset_of_first_event", first) &&
            variable(nc, "flash_time_offset_of_last_event", last) &&
            variable(nc, "flash_quality_flag", quality);
  nc_close(nc);
  const size_t n = lat.size();
  if (!ok || lon.size() != n || energy.size() != n || area.size() != n || id.size() != n ||
      first.size() != n || last.size() != n || quality.size() != n) {
    Kol::outWarning("LightningFile: %s lacks the GLM flash variables\n", name);
    return 0;
  }
  const long long t0 = isoNanos(start_);
  for (size_t i = 0; i < n; ++i) {
    Strike s;
    s.time_ns = t0 + std::llround(first[i] * 1e6);
    s.lat = lat[i];
    s.lon = lon[i];
    s.strength = energy[i];
    s.id = static_cast<int>(id[i]);
    s.area_km2 = area[i];
    s.quality = static_cast<int>(quality[i]);
    s.last_ms = last[i];
    strikes_.push_back(s);
  }
  return 1;
}

int LightningFile::readNldn(const std::string& bytes)
{
  format_ = NLDN;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  constexpr size_t RECORD = 28;
  if (bytes.size() < 8) {
    Kol::outWarning("LightningFile: %s ends inside its header\n", name_.c_str());
    return 0;
  }
  const int32_t blocks = be32(p + 4);
  if (blocks < 1 || static_cast<size_t>(blocks) * RECORD > bytes.size()) {
    Kol::outWarning("LightningFile: %s has a header of %d blocks\n", name_.c_str(), blocks);
    return 0;
  }
  size_t at = static_cast<size_t>(blocks) * RECORD;
  for (; at + RECORD <= bytes.size(); at += RECORD) {
    const unsigned char* r = p + at;
    Strike s;
    s.time_ns = static_cast<long long>(be32(r)) * 1000000000LL;  // the second field is kept aside
    s.lat = be32(r + 8) / 1000.0;
    s.lon = be32(r + 12) / 1000.0;
    // The field is the signal times 10, and 150 of the signal's units are about 30 kA.
    s.strength = be16(r + 18) / 10.0 * 30.0 / 150.0;
    s.multiplicity = r[22];
    s.id = be32(r + 4);
    strikes_.push_back(s);
  }
  if (at != bytes.size())
    Kol::outWarning("LightningFile: %s ends inside a record\n", name_.c_str());
  return 1;
}

int LightningFile::readUalf(const std::string& bytes)
{
  format_ = UALF;
  std::istringstream in(bytes);
  std::string line;
  int n = 0, bad = 0;
  while (std::getline(in, line)) {
    ++n;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    int f[8];
    long nanos;
    double lat, lon, ka;
    int mult, cloud = 0;
    int got = std::sscanf(
        line.c_str(),
        "%d %d %d %d %d %d %d %ld %lf %lf %lf %d %*d %*d %*f %*f %*f %*f %*f %*f %*f %d", &f[0],
        &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &nanos, &lat, &lon, &ka, &mult, &cloud);
    if (got < 12 || f[2] < 1 || f[2] > 12 || std::fabs(lat) > 90 || std::fabs(lon) > 180) {
      ++bad;
      continue;
    }
    std::tm u{};
    u.tm_year = f[1] - 1900;
    u.tm_mon = f[2] - 1;
    u.tm_mday = f[3];
    u.tm_hour = f[4];
    u.tm_min = f[5];
    u.tm_sec = f[6];
    Strike s;
    s.time_ns = static_cast<long long>(timegm(&u)) * 1000000000LL + nanos;
    s.lat = lat;
    s.lon = lon;
    s.strength = ka;
    s.multiplicity = mult;
    s.cloud = got == 13 && cloud == 1;
    strikes_.push_back(s);
  }
  if (bad)
    Kol::outWarning("LightningFile: %d of %d lines of %s are no UALF record\n", bad, n,
                    name_.c_str());
  return strikes_.empty() && bad ? 0 : 1;
}

void LightningFile::print() const
{
  for (const auto& s : strikes_)
    std::printf("%lld %.4f %.4f %g %d\n", s.time_ns, s.lat, s.lon, s.strength, s.multiplicity);
}

}  // namespace KOL
