#include "obs/upa/PartDecoder.h"

#include <string>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/ReportDateTool.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaWmoData.h"

namespace KOL {
namespace upa {

namespace {

constexpr float KNOTS_PER_MS = 1.944f;
constexpr int MAX_PILOT_GROUPS = 40;

// The highest standard pressure of part A and of part C.
constexpr int FIRST_C_INDEX = 11;  // 70 hPa

}  // namespace

int PartDecoder::decode(const Date& reference)
{
  debug_ = Kol::isDebug(4);
  if (!head_.read(groups_)) {
    if (head_.type != UpaWmoData::NONE) r_.setType(head_.type);
    return 0;
  }
  applyHead(reference);
  const int part = head_.part;
  if (UpaWmoData::isPilot(head_.type)) {
    if (part == 1 || part == 3)
      decodePilotStandard();
    else
      decodePilotHeights();
  } else if (part == 1 || part == 3) {
    decodeStandard();
  } else {
    decodeSignificant();
  }
  if (dropped_ > 0)
    Kol::outWarning("UpaTool::decode: %s %s: %d levels left out, the record is full\n",
                    UpaWmoData::typeName(head_.type), head_.station.c_str(), dropped_);
  return 1;
}

void PartDecoder::keepSig(const UpaLevel& l)
{
  if (r_.updateSig(l) < 0) ++dropped_;
}

void PartDecoder::keepWnd(const UpaLevel& l)
{
  if (r_.updateWnd(l) < 0) ++dropped_;
}

void PartDecoder::applyHead(const Date& reference)
{
  r_.setType(head_.type);
  if (!r_.getId()[0]) r_.setId(head_.station.c_str());
  if (!r_.getWmo()[0]) r_.setWmo(head_.wmo.c_str());
  if (head_.wmo == "99999") {
    r_.setArea(head_.ship ? "SH" : "MO");
    if (head_.lat != Const::FMISS) r_.setLoc(head_.lat, head_.lon);
  }
  Date d;
  if (!ReportDateTool::complete(reference, head_.day, head_.hour, 0, d)) {
    d = reference.isSet() ? reference : Date(ReportDateTool::now());
    d.setMinute(0);
    d.setSecond(0);
  }
  r_.setDate(d);
}

std::string_view PartDecoder::take(const char* trace)
{
  std::string_view g = groups_.peek();
  if (!isGroup(g)) return {};
  groups_.next();
  if (debug_) Kol::outDebug(4, "%s: %s\n", trace, std::string(g).c_str());
  return g;
}

float PartDecoder::lastWindPres() const
{
  // Id names the last level by its leading figure; "/" says no standard level has a wind.
  constexpr float NO_WINDS = 2000;
  const int id = head_.indicator;
  if (id == SLASH) return NO_WINDS;
  if (head_.part == 1) {
    static constexpr float A[10] = {1000, 100, 200, 300, 400, 500, 0, 700, 850, 925};
    return id >= 0 && id <= 9 ? A[id] : 0;
  }
  static constexpr float C[10] = {0, 10, 20, 30, 0, 50, 0, 70, 0, 0};
  return id >= 0 && id <= 9 ? C[id] : 0;
}

float PartDecoder::standardPres(int pp) const
{
  if (pp < 0) return Const::FMISS;
  if (head_.part == 3) return static_cast<float>(pp);
  if (pp == 0) return 1000;
  if (pp == 92) return 925;
  return pp * 10.0f;
}

// A temperature group that is really the pressure group of the next standard level.
bool PartDecoder::isNextLevel(float p) const
{
  std::string_view g = groups_.peek();
  int pp = field(g, 0, 2);
  if (p == 1000) return pp == 92 || pp == 85;
  if (p == 925) return pp == 85;
  if (p == 850) return pp == 70;
  return false;
}

void PartDecoder::readTemp(UpaLevel& l)
{
  std::string_view g = take("tttdd");
  if (!g.empty()) decodeTemp(field(g, 0, 3), field(g, 3, 2), l.temp, l.dewp);
  if (l.validTemp() && (l.temp < -100 || l.temp > 60)) l.temp = l.dewp = Const::FMISS;
}

void PartDecoder::readWind(UpaLevel& l, float max_speed)
{
  std::string_view g = take("dddss");
  if (g.empty()) return;
  decodeWind(field(g, 0, 3), field(g, 3, 2), max_speed, l.dir, l.spd);
  if (l.validWind() && !head_.knots) l.spd *= KNOTS_PER_MS;
}

int PartDecoder::addMan(const UpaLevel& l) { return r_.updateMan(l); }

void PartDecoder::decodeStandard()
{
  const float wind_top = lastWindPres();
  for (;;) {
    std::string_view g = groups_.peek();
    int pp = field(g, 0, 2), hhh = field(g, 2, 3);
    if (!isGroup(g) || pp == 31 || pp == 51) return;
    take("pphhh");
    if (pp == 99 || pp == 88 || pp == 77 || pp == 66) {
      readSpecial(pp, hhh);
      continue;
    }
    const float p = standardPres(pp);
    if (p == Const::FMISS || !UpaLevel::isMandatory(p)) {
      if (debug_) Kol::outDebug(4, "Bad mandatory level: %5.5s \n", std::string(g).c_str());
      return;
    }
    UpaLevel l;
    l.type = UpaLevel::MANDATORY;
    l.pres = p;
    l.hght = expandHeight(p, hhh);
    if (!isNextLevel(p)) {
      readTemp(l);
      if (p >= wind_top) readWind(l, 249);
    }
    addMan(l);
  }
}

// Surface, tropopause and maximum wind.
void PartDecoder::readSpecial(int pp, int hhh)
{
  UpaLevel l;
  if (pp == 99) {
    l.type = UpaLevel::MANDATORY | UpaLevel::SURFACE;
    if (hhh >= 0) l.pres = hhh < 100 ? hhh + 1000.0f : static_cast<float>(hhh);
    readTemp(l);
    readWind(l, 249);
    int i = addMan(l);
    if (i >= 0) r_.setSfc(i);
    keepSig(l);
    keepWnd(l);
    return;
  }
  // 999: none reported; what another part reported stays.
  if (hhh == 999 || hhh < 0) return;
  l.pres = head_.part == 3 ? hhh / 10.0f : static_cast<float>(hhh);
  if (pp == 88) {
    l.type = UpaLevel::TROPOPAUSE;
    readTemp(l);
    readWind(l, 249);
    int i = addMan(l);
    if (i >= 0 && r_.getTrop() == Const::MISS) r_.setTrop(i);
    return;
  }
  l.type = UpaLevel::MAX_WIND;
  readWind(l, 499);
  int i = addMan(l);
  if (i >= 0 && r_.getMaxWnd() == Const::MISS) r_.setMaxWnd(i);
  // The vertical wind shear group.
  if (groups_.peek().size() == 5 && groups_.peek()[0] == '4') take("shear");
}

void PartDecoder::decodeSignificant()
{
  const bool tenths = head_.part == 4;
  while (isRepeatedDigit(groups_.peek()) && isGroup(groups_.peek())) {
    std::string_view g = take("nnppp");
    int ppp = field(g, 2, 3);
    UpaLevel l;
    l.type = UpaLevel::SIGNIFICANT;
    readTemp(l);
    if (ppp < 0) continue;
    l.pres = tenths ? ppp / 10.0f : (ppp < 100 ? ppp + 1000.0f : static_cast<float>(ppp));
    keepSig(l);
  }
  if (groups_.peek() == "21212") {
    groups_.next();
    readSignificantWinds();
  }
}

// The 21212 section: pairs of a pressure and a wind.
void PartDecoder::readSignificantWinds()
{
  const bool tenths = head_.part == 4;
  while (isRepeatedDigit(groups_.peek()) && isGroup(groups_.peek())) {
    std::string_view g = take("nnppp");
    int ppp = field(g, 2, 3);
    UpaLevel l;
    l.type = UpaLevel::WIND;
    readWind(l, 499);
    if (ppp < 0 || !l.validWind()) continue;
    l.pres = tenths ? ppp / 10.0f : (ppp < 100 ? ppp + 1000.0f : static_cast<float>(ppp));
    keepWnd(l);
  }
}

void PartDecoder::decodePilotStandard()
{
  for (int n = 0; n < MAX_PILOT_GROUPS; ++n) {
    std::string_view g = groups_.peek();
    int lead = field(g, 0, 2), count = field(g, 2, 1);
    // The maximum wind section follows the standard levels.
    if (isGroup(g) && (lead == 77 || lead == 66)) {
      take("pphhh");
      readSpecial(lead, field(g, 2, 3));
      return;
    }
    if (!isGroup(g) || (lead != 44 && lead != 55) || count < 0) return;
    take("44nPP");
    int first = UpaLevel::getMandatoryIndex(standardPres(field(g, 3, 2)));
    if (first < 0 || (head_.part == 3 && first < FIRST_C_INDEX)) return;
    for (int k = 0; k < count; ++k) {
      UpaLevel l;
      l.type = UpaLevel::MANDATORY;
      l.pres = UpaLevel::getMandatoryPres(first + k);
      readWind(l, 249);
      if (l.pres != Const::FMISS && l.validWind()) addMan(l);
    }
  }
}

void PartDecoder::decodePilotHeights()
{
  for (int n = 0; n < MAX_PILOT_GROUPS; ++n) {
    std::string_view g = groups_.peek();
    // Stations that find their winds by pressure report them as a TEMP's 21212 section.
    if (g == "21212") {
      groups_.next();
      readSignificantWinds();
      return;
    }
    int tn = field(g, 1, 1);
    if (!isGroup(g) || g[0] != '9' || tn < 0) return;
    take("9tuuu");
    for (size_t k = 2; k < 5; ++k) {
      int u = field(g, k, 1);
      if (u < 0) continue;
      UpaLevel l;
      l.type = UpaLevel::WIND;
      l.hght = (tn * 10.0f + u) * 1000.0f;
      readWind(l, 249);
      if (l.validWind()) keepWnd(l);
    }
  }
}

}  // namespace upa
}  // namespace KOL
