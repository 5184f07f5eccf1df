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

struct Named {
  const char* name;
  const char* units;
  float (*get)(const UpaLevel&);
};

// clang-format off
const Named VALUES[] = {
  {"pres", "mb", [](const UpaLevel& l) { return l.pres; }},
  {"hght", "m", [](const UpaLevel& l) { return l.hght; }},
  {"temp", "C", [](const UpaLevel& l) { return l.temp; }},
  {"dewp", "C", [](const UpaLevel& l) { return l.dewp; }},
  {"dewd", "dC", [](const UpaLevel& l) {
     return l.temp == MISS || l.dewp == MISS ? MISS : l.temp - l.dewp;
   }},
  {"wdir", "deg", [](const UpaLevel& l) { return l.dir; }},
  {"wspd", "knt", [](const UpaLevel& l) { return l.spd; }},
  {"uwnd", "knt", [](const UpaLevel& l) { return component(l, true); }},
  {"vwnd", "knt", [](const UpaLevel& l) { return component(l, false); }},
};
// clang-format on

const Named* find(const char* name)
{
  for (const Named& n : VALUES)
    if (name && !std::strcmp(name, n.name)) return &n;
  return nullptr;
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

float UpaGrid::levelValue(const UpaLevel& l, const char* name)
{
  const Named* n = find(name);
  return n ? n->get(l) : MISS;
}

const char* UpaGrid::getUnits(const char* name)
{
  const Named* n = find(name);
  return n ? n->units : nullptr;
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
