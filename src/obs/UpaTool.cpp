#include "obs/UpaTool.h"

#include <cmath>
#include <cstdio>

#include "core/Kol.h"
#include "obs/Calc.h"
#include "obs/CityData.h"
#include "obs/CityTool.h"
#include "obs/UpaData.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaWmoData.h"
#include "obs/upa/PartDecoder.h"

namespace KOL {

namespace {

constexpr float METRES_PER_FOOT = 0.3048f;
// Potential temperature may fall by at most this much from one level to the next.
constexpr float SUPERADIABATIC_LIMIT = 3.0f;
// The lowest level counts as the surface within this of the station's standard pressure.
constexpr float SURFACE_MARGIN = 50.0f;

const Date& referenceOf(const UpaRawinData& r) { return r.getDate(); }

int decodeWith(std::string_view text, const Date& reference, UpaRawinData& r)
{
  // A part ends at its "=".
  text = text.substr(0, text.find('='));
  return upa::PartDecoder(text, r).decode(reference);
}

// Adds a level to the sounding, or fills the one at its pressure.
void addOrUpdate(UpaData& d, const UpaLevel& l, const char* trace, int i)
{
  int at = l.validPres() ? d.findPres(l.pres) : -1;
  if (at >= 0)
    d.updateLevel(at, l);
  else
    at = d.addLevel(l);
  if (Kol::isDebug(4)) Kol::outDebug(4, "%s: %d - %d = %1.0f\n", trace, i, at, l.pres);
}

void dropSuperadiabatic(UpaData& d)
{
  float last = Const::FMISS;
  for (int i = 0; i < d.getNum();) {
    float theta = d.validTemp(i) && d.validPres(i) ? Calc::potTemp(d.getTempK(i), d.getPres(i))
                                                   : Const::FMISS;
    if (theta == Const::FMISS) {
      ++i;
    } else if (last != Const::FMISS && theta < last - SUPERADIABATIC_LIMIT) {
      if (Kol::isDebug(5)) Kol::outDebug(5, "BAD: %d = %1.0f\n", i, d.getPres(i));
      d.delLevel(i);
    } else {
      last = theta;
      ++i;
    }
  }
}

void markSurface(UpaData& d)
{
  if (d.getSfc() < 0 && d.getNum() > 0 && d.validPres(0) && d.getElev() != Const::FMISS &&
      std::fabs(d.getPres(0) - Calc::stdAtmsPres(d.getElev())) <= SURFACE_MARGIN)
    d.setType(0, d.getType(0) | UpaLevel::SURFACE);
  int sfc = d.getSfc();
  if (sfc >= 0 && !d.validHght(sfc) && d.getElev() != Const::FMISS) d.setHght(sfc, d.getElev());
}

// Wind levels given by pressure join the levels of that pressure.
void addPressureWinds(const UpaRawinData& r, UpaData& d)
{
  for (int i = 0; i < r.getNumWnd(); ++i) {
    const UpaLevel& l = *r.getWnd(i);
    if (!l.validHght() && l.validPres()) addOrUpdate(d, l, "WND", i);
  }
}

// Wind levels given by height (feet); the first at 0 is the station, and the surface when the
// sounding has one.
void addHeightWinds(const UpaRawinData& r, UpaData& d)
{
  bool first = true;
  for (int i = 0; i < r.getNumWnd(); ++i) {
    UpaLevel l = *r.getWnd(i);
    if (!l.validHght()) continue;
    bool station = first && l.hght == 0;
    first = false;
    if (station && d.getSfc() >= 0) {
      l.hght = Const::FMISS;
      d.updateLevel(d.getSfc(), l);
      continue;
    }
    l.hght = station && d.getElev() != Const::FMISS ? d.getElev() : l.hght * METRES_PER_FOOT;
    d.addLevel(l);
  }
}

}  // namespace

int UpaTool::decode(const UpaWmoData& part, UpaRawinData& r)
{
  return decodeWith(part.text, part.date, r);
}

int UpaTool::decode(std::string_view text, UpaRawinData& r)
{
  return decodeWith(text, referenceOf(r), r);
}

int UpaTool::decodeTTAA(std::string_view text, UpaRawinData& r) { return decode(text, r); }
int UpaTool::decodeTTBB(std::string_view text, UpaRawinData& r) { return decode(text, r); }
int UpaTool::decodePPAA(std::string_view text, UpaRawinData& r) { return decode(text, r); }
int UpaTool::decodePPBB(std::string_view text, UpaRawinData& r) { return decode(text, r); }

std::string UpaTool::partKey(std::string_view text)
{
  upa::PartHead head;
  return head.read(text) ? head.key() : std::string();
}

int UpaTool::merge(const UpaRawinData& r, UpaData& d)
{
  d.init();
  d.setId(r.getId());
  d.setWmo(r.getWmo());
  d.setArea(r.getArea());
  d.setLoc(r.getLat(), r.getLon());
  d.setElev(r.getElev());
  d.setDate(r.getDate());
  for (int i = 0; i < r.getNumMan(); ++i)
    if (r.getMan(i)->validPres()) addOrUpdate(d, *r.getMan(i), "MAN", i);
  for (int i = 0; i < r.getNumSig(); ++i)
    if (r.getSig(i)->validPres()) addOrUpdate(d, *r.getSig(i), "SIG", i);
  addPressureWinds(r, d);
  d.sortPres();
  dropSuperadiabatic(d);
  markSurface(d);
  d.interpTemps();
  d.calcHeight();
  if (d.getElev() == Const::FMISS) d.setElev(d.getSfcHght());
  addHeightWinds(r, d);
  d.calcPres();
  d.sortPres();
  return d.getNum() > 0;
}

int UpaTool::getStation(const char* file, const char* key, UpaRawinData& r)
{
  CityData c;
  if (!CityTool::search(file, key && *key ? key : r.getWmo(), c)) return 0;
  r.setId(c.id);
  r.setLoc(c.lat, c.lon);
  r.setElev(c.elev);
  return 1;
}

int UpaTool::getStation(const char* file, const char* key, UpaData& d)
{
  CityData c;
  if (!CityTool::search(file, key && *key ? key : d.getWmo(), c)) return 0;
  d.setId(c.id);
  d.setGenName(c.name);
  d.setLoc(c.lat, c.lon);
  d.setElev(c.elev);
  return 1;
}

void UpaTool::printLocate(const UpaData& d)
{
  std::printf("Station: %s  WMO: %s  Lat: %.2f  Lon: %.2f  Elev: %.0f\n", d.getId(), d.getWmo(),
              d.getLat(), d.getLon(), d.getElev());
}

void UpaTool::printLevel(const UpaLevel& l) { l.print(); }

void UpaTool::printTable(const UpaData& d)
{
  printLocate(d);
  std::printf("   PRES    HGHT    TEMP    DWPT   DRCT   SKNT\n");
  for (int i = 0; i < d.getNum(); ++i) {
    const UpaLevel& l = *d.getLevel(i);
    std::printf("%7.1f %7.0f %7.1f %7.1f %6.0f %6.0f\n", l.pres, l.hght, l.temp, l.dewp, l.dir,
                l.spd);
  }
}

void UpaTool::printWind(const UpaData& d)
{
  printLocate(d);
  for (int i = 0; i < d.getNum(); ++i)
    if (d.getLevel(i)->validWind()) printWindLevel(*d.getLevel(i));
}

void UpaTool::printWindLevel(const UpaLevel& l)
{
  std::printf("P:%6.1f H:%7.0f Dir:%6.0f Spd:%6.0f\n", l.pres, l.hght, l.dir, l.spd);
}

}  // namespace KOL
