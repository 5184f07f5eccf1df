#include "obs/BufrTool.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/Const.h"
#include "core/String.h"
#include "obs/BufrMessage.h"
#include "obs/SfcData.h"
#include "obs/SynopTool.h"
#include "obs/UpaLevel.h"
#include "obs/UpaRawinData.h"

namespace KOL {

namespace {

constexpr float MPS_TO_KNOTS = 1.944f;
constexpr float M_TO_FEET = 3.2808f;
constexpr float M_PER_MILE = 1609.344f;
constexpr float KELVIN = 273.15f;

// The descriptors of one subset, looked up by first occurrence.
class Subset {
 public:
  Subset(const BufrMessage& m, int s) : m_(m), s_(s) {}
  // The first of the descriptors present with a value.
  double first(std::initializer_list<int> ds) const
  {
    for (int d : ds) {
      double v = m_.getValue(s_, d);
      if (v != Const::MISS) return v;
    }
    return Const::MISS;
  }
  double nth(int d, int n) const { return m_.getValue(s_, d, n); }
  std::string text(std::initializer_list<int> ds) const
  {
    for (int d : ds) {
      std::string t = m_.getText(s_, d);
      if (!t.empty()) return t;
    }
    return {};
  }
  bool has(int d) const { return m_.find(s_, d) >= 0; }

 private:
  const BufrMessage& m_;
  int s_;
};

bool known(double v) { return v != Const::MISS; }
float celsius(double k) { return known(k) ? static_cast<float>(k - KELVIN) : Const::FMISS; }

// Station identity: WMO block and number, the WIGOS local identifier, a call sign or a buoy.
bool identify(const Subset& x, SfcData& s)
{
  const double block = x.first({1001}), number = x.first({1002});
  const std::string call = x.text({1011});
  const double region = x.first({1003}), area = x.first({1020}), buoy = x.first({1005});
  const double platform = x.first({1087});
  char id[SfcData::ID_SIZE] = "";
  if (known(block) && known(number)) {
    s.wmo = static_cast<long>(block) * 1000 + static_cast<long>(number);
    std::snprintf(id, sizeof id, "%05ld", s.wmo);
    s.type = SfcData::SYNOP;
  } else if (!call.empty()) {
    std::snprintf(id, sizeof id, "s%.9s", call.c_str());
    s.wmo = 99999;
    s.type = SfcData::SHIP;
  } else if (known(platform)) {
    std::snprintf(id, sizeof id, "d%ld", static_cast<long>(platform));
    s.wmo = 99999;
    s.type = SfcData::DRIBU;
  } else if (known(region) && known(area) && known(buoy)) {
    std::snprintf(id, sizeof id, "d%d%d%03d", static_cast<int>(region), static_cast<int>(area),
                  static_cast<int>(buoy));
    s.wmo = 99999;
    s.type = SfcData::DRIBU;
  } else {
    const std::string local = x.text({1128});
    if (local.empty()) return false;
    std::snprintf(id, sizeof id, "%.10s", local.c_str());
    s.type = SfcData::SYNOP;
  }
  s.setId(id);
  const std::string name = x.text({1015, 1019, 1018});
  if (!name.empty()) s.setName(name.c_str());
  return true;
}

bool when(const Subset& x, SfcData& s)
{
  const double y = x.first({4001}), mo = x.first({4002}), d = x.first({4003});
  const double h = x.first({4004}), mi = x.first({4005});
  if (!known(y) || !known(mo) || !known(d) || !known(h)) return false;
  return s.date.set(static_cast<int>(y), static_cast<int>(mo), static_cast<int>(d),
                    static_cast<int>(h), known(mi) ? static_cast<int>(mi) : 0, 0.0f) != 0;
}

void place(const Subset& x, SfcData& s)
{
  const double lat = x.first({5001, 5002}), lon = x.first({6001, 6002});
  const double elev = x.first({7030, 7001});
  if (known(lat)) s.lat = static_cast<float>(lat);
  if (known(lon)) s.lon = static_cast<float>(lon);
  if (known(elev)) s.elev = static_cast<float>(elev);
}

// Present weather 0-99 (code table 4677) and 100-199 (4680, automatic stations).
void weather(const Subset& x, SfcData& s)
{
  const double ww = x.first({20003});
  if (!known(ww) || ww < 0 || ww >= 200) return;
  String text;
  if (ww < 100)
    SynopTool::weather(static_cast<int>(ww), text);
  else
    SynopTool::autoweather(static_cast<int>(ww) - 100, text);
  s.setWeather(text.get());
}

// Total cover in per cent as the N digit (9 when the sky is obscured), the lowest base, the
// cover of the low (or middle) clouds and the CL CM CH types (BUFR codes 30+, 20+, 10+).
void clouds(const Subset& x, SfcData& s)
{
  const double n = x.first({20010});
  if (known(n)) {
    const int okta = n > 100 ? 9 : static_cast<int>(std::lround(n / 12.5));
    s.setCldCover(0, static_cast<char>('0' + okta));
    const double base = x.first({20013});
    if (known(base) && okta > 0 && okta < 9)
      s.setCldHeight(0, static_cast<float>(base) * M_TO_FEET);
  }
  const double nh = x.first({20011});
  if (known(nh) && nh >= 0 && nh <= 9) s.low_amount = static_cast<char>('0' + static_cast<int>(nh));
  const int offsets[SfcData::MAX_CLD_TYPE] = {30, 20, 10};
  for (int i = 0; i < SfcData::MAX_CLD_TYPE; i++) {
    const double c = x.nth(20012, i + 1);
    const int digit = known(c) ? static_cast<int>(c) - offsets[i] : -1;
    s.setCldType(i, digit >= 0 && digit <= 9 ? static_cast<char>('0' + digit) : '-');
  }
}

// Each 0-13-011 amount belongs to the period (0-04-024, hours back) sent last before it; a
// trace (-0.1) is 0 as in the text reports.
void precipitation(const BufrMessage& m, int subset, SfcData& s)
{
  double period = Const::MISS;
  for (const BufrMessage::Item& it : m.items(subset)) {
    if (it.role != BufrMessage::VALUE) continue;
    if (it.descriptor == 4024) period = it.missing ? Const::MISS : it.value;
    const bool day = it.descriptor == 13023;
    if ((it.descriptor != 13011 && !day) || it.missing) continue;
    const int hours = day ? 24 : known(period) ? static_cast<int>(std::fabs(period)) : 0;
    const int slot = hours == 1    ? SfcData::PREC1
                     : hours == 3  ? SfcData::PREC3
                     : hours == 6  ? SfcData::PREC6
                     : hours == 12 ? SfcData::PREC12
                     : hours == 24 ? SfcData::PREC24
                                   : -1;
    if (slot >= 0 && s.prec[slot] == Const::FMISS)
      s.prec[slot] = it.value < 0 ? 0.0f : static_cast<float>(it.value);
  }
}

void values(const Subset& x, SfcData& s)
{
  s.temp = celsius(x.first({12101, 12104, 12001, 12004}));
  s.dewp = celsius(x.first({12103, 12106, 12003, 12006}));
  const double dir = x.first({11001, 11011}), speed = x.first({11002, 11012});
  if (known(dir) && known(speed)) {
    s.wdir = static_cast<float>(dir);
    s.wspd = static_cast<float>(speed) * MPS_TO_KNOTS;
  }
  const double gust = x.first({11041});
  if (known(gust)) s.gust = static_cast<float>(gust) * MPS_TO_KNOTS;
  const double slp = x.first({10051});
  if (known(slp)) s.slp = static_cast<float>(slp / 100);
  const double a = x.first({10063}), change = x.first({10061});
  if (known(a)) s.ptend_type = static_cast<int>(a);
  if (known(change)) s.ptend = static_cast<float>(change / 100);
  const double vis = x.first({20001});
  if (known(vis)) s.vis = static_cast<float>(vis) / M_PER_MILE;
  s.maxt = celsius(x.first({12111}));
  s.mint = celsius(x.first({12112}));
  const double snow = x.first({13013});
  if (known(snow) && snow >= 0) s.snow = static_cast<float>(snow * 100);
  const double sun = x.first({14031});
  if (known(sun)) s.sun = static_cast<float>(sun);
  s.sst = celsius(x.first({22043, 22042}));
  const double period = x.first({22011}), height = x.first({22021});
  if (known(period)) s.wave_per = static_cast<float>(period);
  if (known(height)) s.wave_hgt = static_cast<float>(height);
  if (x.first({2001}) == 0) s.orFlag(SynopTool::FLAG_AUTOMATIC);
}

}  // namespace

bool BufrTool::isSurface(const BufrMessage& m) { return m.category == 0 || m.category == 1; }

int BufrTool::toSfc(const BufrMessage& m, int subset, SfcData& s)
{
  s.init();
  if (subset < 0 || subset >= m.decodedSubsets()) return 0;
  const Subset x(m, subset);
  if (!identify(x, s) || !when(x, s)) return 0;
  // Land stations with a WMO number are placed by the station table, as their text reports.
  if (s.type != SfcData::SYNOP || s.wmo == Const::MISS) place(x, s);
  values(x, s);
  weather(x, s);
  clouds(x, s);
  precipitation(m, subset, s);
  return 1;
}

}  // namespace KOL

// ---------------------------------------------------------------------------------------------
// Upper air.

namespace KOL {

namespace {

constexpr long HOUR = 3600, SYNOPTIC = 3 * 3600;

Date rounded(const Date& d, long step) { return Date((d.getSeconds() + step / 2) / step * step); }

// Extended vertical sounding significance (0-08-042, 18 bits, bit 1 the highest) and the older
// vertical sounding significance (0-08-001, 7 bits), as one set of kinds.
enum LevelKind : int {
  SURFACE = 1,
  STANDARD = 2,
  TROPOPAUSE = 4,
  MAX_WIND = 8,
  SIG_TEMP = 16,
  SIG_WIND = 32
};

int kindOf(int descriptor, double flags)
{
  if (!known(flags)) return 0;
  const long f = static_cast<long>(flags);
  auto bit = [f](int width, int n) { return (f >> (width - n)) & 1; };
  if (descriptor == 8001)
    return (bit(7, 1) ? SURFACE : 0) | (bit(7, 2) ? STANDARD : 0) | (bit(7, 3) ? TROPOPAUSE : 0) |
           (bit(7, 4) ? MAX_WIND : 0) | (bit(7, 5) ? SIG_TEMP : 0) | (bit(7, 7) ? SIG_WIND : 0);
  return (bit(18, 1) ? SURFACE : 0) | (bit(18, 2) ? STANDARD : 0) | (bit(18, 3) ? TROPOPAUSE : 0) |
         (bit(18, 4) ? MAX_WIND : 0) | (bit(18, 5) || bit(18, 6) ? SIG_TEMP : 0) |
         (bit(18, 7) ? SIG_WIND : 0);
}

struct Level {
  int kind = 0;
  bool height = false;  // on a height, without a pressure (PILOT, wind profilers)
  UpaLevel l;
  float u = Const::FMISS, v = Const::FMISS;
};

// The descriptor that starts a level: the time offset (0-04-086), else the pressure (older
// templates), else the height above the station or sea level (wind profilers); 0 for none.
int levelStart(const BufrMessage& m, int subset)
{
  for (int d : {4086, 7004, 7006, 7007})
    if (m.find(subset, d) >= 0) return d;
  return 0;
}

// Direction and speed (knots) of wind components in m/s.
void fromComponents(Level& v)
{
  if (v.l.validWind() || v.u == Const::FMISS || v.v == Const::FMISS) return;
  v.l.spd = std::hypot(v.u, v.v) * MPS_TO_KNOTS;
  const float dir = std::atan2(-v.u, -v.v) * static_cast<float>(Const::RDC);
  v.l.dir = v.l.spd == 0 ? 0 : dir <= 0 ? dir + 360 : dir;
}

std::vector<Level> levelsOf(const BufrMessage& m, int subset)
{
  const int start = levelStart(m, subset);
  const double station = Subset(m, subset).first({7030, 7001});
  std::vector<Level> out;
  bool inLevel = false;
  for (const BufrMessage::Item& it : m.items(subset)) {
    if (it.role != BufrMessage::VALUE) continue;
    if (it.descriptor == start) {
      out.emplace_back();
      inLevel = true;
    }
    if (!inLevel || it.missing || it.text) continue;
    Level& v = out.back();
    const float x = static_cast<float>(it.value);
    switch (it.descriptor) {
      case 8042:
      case 8001:
        v.kind = kindOf(it.descriptor, it.value);
        break;
      case 7004:
        v.l.pres = x / 100;
        break;
      case 4086:
        v.l.elapsed = x;
        break;
      case 5015:
        v.l.dlat = x;
        break;
      case 6015:
        v.l.dlon = x;
        break;
      case 10009:
      case 7009:
      case 7007:
        v.l.hght = x;
        break;
      case 7006:
        if (known(station)) v.l.hght = x + static_cast<float>(station);
        break;
      case 10003:
        v.l.hght = x / 9.80665f;
        break;
      case 12101:
      case 12001:
        v.l.temp = x - KELVIN;
        break;
      case 12103:
      case 12003:
        v.l.dewp = x - KELVIN;
        break;
      case 11001:
        v.l.dir = x;
        break;
      case 11002:
        v.l.spd = x * MPS_TO_KNOTS;
        break;
      case 11003:
        v.u = x;
        break;
      case 11004:
        v.v = x;
        break;
      default:
        break;
    }
  }
  for (Level& v : out) {
    fromComponents(v);
    v.height = !v.l.validPres() && v.l.validHght();
  }
  return out;
}

bool launch(const BufrMessage& m, int subset, Date& d)
{
  SfcData s;
  return when(Subset(m, subset), s) && (d = s.date, true);
}

// One level into its lists; sig keeps a plain level among the significant ones.
void keep(UpaRawinData& r, const Level& v, bool sig)
{
  UpaLevel l = v.l;
  if (v.height) {
    // Wind levels on heights keep feet, as the PILOT parts give them.
    if (!l.validWind()) return;
    l.hght = v.l.hght * M_TO_FEET;
    l.type = UpaLevel::WIND;
    r.updateWnd(l);
    return;
  }
  if (v.kind & (SURFACE | STANDARD | TROPOPAUSE | MAX_WIND)) {
    l.type = (v.kind & STANDARD ? UpaLevel::MANDATORY : 0) |
             (v.kind & SURFACE ? UpaLevel::MANDATORY | UpaLevel::SURFACE : 0) |
             (v.kind & TROPOPAUSE ? UpaLevel::TROPOPAUSE : 0) |
             (v.kind & MAX_WIND ? UpaLevel::MAX_WIND : 0);
    const int i = r.updateMan(l);
    // A full mandatory list (soundings sending more standard levels than the text parts) keeps
    // the level among the significant ones.
    if (i < 0) {
      l.type = UpaLevel::SIGNIFICANT;
      r.updateSig(l);
      l = v.l;
    }
    if (i >= 0 && (v.kind & SURFACE)) r.setSfc(i);
    if (i >= 0 && (v.kind & TROPOPAUSE) && r.getTrop() == Const::MISS) r.setTrop(i);
    if (i >= 0 && (v.kind & MAX_WIND) && r.getMaxWnd() == Const::MISS) r.setMaxWnd(i);
  }
  if ((v.kind & SIG_TEMP) || (sig && l.validTemp())) {
    l.type = UpaLevel::SIGNIFICANT;
    r.updateSig(l);
  }
  if ((v.kind & SIG_WIND) && l.validWind()) {
    l.type = UpaLevel::WIND;
    l.hght = Const::FMISS;
    r.updateWnd(l);
  }
}

}  // namespace

bool BufrTool::isUpperAir(const BufrMessage& m) { return m.category == 2; }

std::string BufrTool::upaKey(const BufrMessage& m, int subset, bool synoptic)
{
  SfcData s;
  Date d;
  if (!levelStart(m, subset)) return {};
  if (!identify(Subset(m, subset), s) || !launch(m, subset, d)) return {};
  const Date nominal = rounded(d, synoptic ? SYNOPTIC : HOUR);
  char time[8];
  std::snprintf(time, sizeof time, " %02d%02d", nominal.getDay() % 100, nominal.getHour() % 100);
  return std::string(s.wmo == 99999 ? s.id + 1 : s.id) + time;
}

int BufrTool::toUpa(const BufrMessage& m, int subset, UpaRawinData& r)
{
  if (subset < 0 || subset >= m.decodedSubsets()) return 0;
  const Subset x(m, subset);
  SfcData s;
  Date d;
  if (!identify(x, s) || !launch(m, subset, d)) return 0;
  const std::vector<Level> levels = levelsOf(m, subset);
  if (levels.empty()) return 0;
  if (!r.getId()[0]) r.setId(s.wmo == 99999 ? s.id + 1 : s.id);
  if (!r.getWmo()[0]) r.setWmo(s.wmo == Const::MISS || s.wmo == 99999 ? "99999" : s.id);
  if (s.wmo == 99999 || s.wmo == Const::MISS) r.setArea(s.type == SfcData::SHIP ? "SH" : "MO");
  // The place sent; the station table, where it has the station, has the last word.
  place(x, s);
  if (s.lat != Const::FMISS && s.lon != Const::FMISS) r.setLoc(s.lat, s.lon);
  if (s.elev != Const::FMISS && r.getElev() == Const::FMISS) r.setElev(s.elev);
  if (!r.getDate().isSet()) r.setDate(rounded(d, HOUR));
  // Levels flagged as none of the kinds (high resolution) are spread over the room left in the
  // significant list.
  int plain = 0, room = UpaRawinData::MAX_SIG - r.getNumSig();
  for (const Level& v : levels) plain += v.kind == 0 && !v.height && v.l.validTemp();
  for (const Level& v : levels) room -= (v.kind & SIG_TEMP) != 0;
  const int every = room <= 0 ? 0 : plain <= room ? 1 : (plain + room - 1) / room;
  // The flagged levels first, so that their values win over a plain level at the same pressure.
  for (const Level& v : levels)
    if (v.kind || v.height) keep(r, v, false);
  int n = 0;
  for (const Level& v : levels) {
    if (v.kind || v.height) continue;
    const bool sig = v.l.validTemp() && every > 0 && n++ % every == 0;
    keep(r, v, sig);
  }
  return 1;
}

}  // namespace KOL
