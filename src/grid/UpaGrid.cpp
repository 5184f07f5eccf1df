#include "grid/UpaGrid.h"

#include <cmath>
#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "grid/Grids.h"
#include "grid/Level.h"
#include "grid/anal/Places.h"
#include "obs/Data.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaLevel.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/VCoord.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;

// A wind component from direction (degrees, where it blows from) and speed.
float component(const UpaLevel& l, bool east)
{
  if (l.dir == MISS || l.spd == MISS) return MISS;
  const double a = l.dir * Const::DRC;
  return float(-l.spd * (east ? std::sin(a) : std::cos(a)));
}

float levelValue(const UpaLevel& l, const char* name)
{
  if (!std::strcmp(name, "pres")) return l.pres;
  if (!std::strcmp(name, "hght")) return l.hght;
  if (!std::strcmp(name, "temp")) return l.temp;
  if (!std::strcmp(name, "dewp")) return l.dewp;
  if (!std::strcmp(name, "dewd")) return l.temp == MISS || l.dewp == MISS ? MISS : l.temp - l.dewp;
  if (!std::strcmp(name, "wdir")) return l.dir;
  if (!std::strcmp(name, "wspd")) return l.spd;
  if (!std::strcmp(name, "uwnd")) return component(l, true);
  if (!std::strcmp(name, "vwnd")) return component(l, false);
  return MISS;
}

}  // namespace

void UpaGrid::init()
{
  PointGrid::init();
  set(FILTER, RAD_INF, PASSES, CONVERG);
  // The resource still overrides the upper-air defaults.
  const char* resource = Kol::resrc.get("object_param");
  if (resource && *resource) ObjectAnal::set(resource);
}

float UpaGrid::value(const UpaData& snd, const VarSpec& spec)
{
  VCoord at;
  if (!spec.getLevel().getLower(at)) return MISS;
  UpaLevel l;
  if (snd.interp(at, l) != 1) return MISS;
  return levelValue(l, spec.getName());
}

int UpaGrid::read(const char* name, const std::vector<VarSpec>& vars, Data& data)
{
  UpaKolFile file;
  if (vars.empty() || !name || !file.open(name, UpaKolFile::READ)) {
    Kol::outWarning("UpaGrid: unable to read upper-air file: %s\n", name ? name : "");
    return 0;
  }
  data.setFields(static_cast<int>(vars.size()));
  for (size_t k = 0; k < vars.size(); k++) data.setVarSpec(static_cast<int>(k), vars[k]);
  data.setDate(file.getDate());
  data.setSource("UPA");
  UpaRawinData raw;
  anal::Places places;
  while (file.read(raw)) {
    UpaData snd;
    EarthPoint loc;
    if (!UpaTool::merge(raw, snd) || !places.place(snd.getLat(), snd.getLon(), snd.getId(), loc))
      continue;
    const int row = data.add(snd.getId(), loc, MISS);
    for (size_t k = 0; k < vars.size(); k++)
      data.setValue(row, static_cast<int>(k), value(snd, vars[k]));
  }
  return 1;
}

int UpaGrid::compute(Grids& grids)
{
  Data data;
  return read(getFilename(), getVariables(), data) && compute(data, grids);
}

}  // namespace KOL
