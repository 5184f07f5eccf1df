#include "grid/SfcGrid.h"

#include <sstream>

#include "core/FileTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "grid/Grids.h"
#include "obs/CityTool.h"
#include "obs/Data.h"
#include "obs/Datum.h"
#include "obs/SfcData.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcFile.h"

namespace KOL {

namespace {

constexpr const char* CONVENTION = "sfc_cvt";
constexpr const char* STATIONS = "sao.cty";

// Where a record was observed: its own position, else its station's in the station table.
bool place(const SfcData& s, EarthPoint& loc)
{
  if (s.lat != Const::FMISS && s.lon != Const::FMISS) {
    loc.set(s.lat, s.lon);
    return true;
  }
  return s.id[0] && CityTool::locate(STATIONS, s.id, loc) && loc.lat != Const::FMISS;
}

}  // namespace

void SfcGrid::init()
{
  ObjectAnal::init();
  target_.init();
  file_.clear();
  vars_.clear();
}

int SfcGrid::setParam(const char* text)
{
  std::string rest = target_.takeParam(text);
  return rest.empty() ? 1 : ObjectAnal::setParam(rest.c_str());
}

int SfcGrid::setFilename(const char* name)
{
  if (!name || !*name) return 0;
  if (FileTool::exist(name)) {
    file_ = name;
    return 1;
  }
  Filename fn(CONVENTION, name);
  file_ = fn.getName();
  return !file_.empty();
}

int SfcGrid::setVariables(const char* list)
{
  vars_.clear();
  std::istringstream in(list ? list : "");
  for (std::string word; std::getline(in, word, ',');)
    if (!word.empty()) vars_.emplace_back(word.c_str());
  return !vars_.empty();
}

int SfcGrid::read(const char* name, const std::vector<VarSpec>& vars, Data& data)
{
  SfcFile file;
  if (vars.empty() || !name || !file.open(name)) {
    Kol::outWarning("SfcGrid: unable to read surface file: %s\n", name ? name : "");
    return 0;
  }
  data.setFields(static_cast<int>(vars.size()));
  for (size_t k = 0; k < vars.size(); k++) data.setVarSpec(static_cast<int>(k), vars[k]);
  Date date;
  if (file.getDate(date)) data.setDate(date);
  data.setSource("SFC");
  Calc::Warnings warn;
  SfcData s;
  while (file.read(s)) {
    EarthPoint loc;
    if (!place(s, loc)) continue;
    const int row = data.add(s.id, loc, Const::FMISS);
    for (size_t k = 0; k < vars.size(); k++) {
      Datum d;
      if (SfcDataTool::compute(s, vars[k], d, &warn))
        data.setValue(row, static_cast<int>(k), d.getValue(0));
    }
  }
  return 1;
}

int SfcGrid::compute(Grids& grids)
{
  Data data;
  return read(file_.c_str(), vars_, data) && compute(data, grids);
}

}  // namespace KOL
