#include "grid/SfcGrid.h"

#include "core/Kol.h"
#include "grid/Grids.h"
#include "grid/anal/Places.h"
#include "obs/Data.h"
#include "obs/Datum.h"
#include "obs/SfcData.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcFile.h"

namespace KOL {

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
  anal::Places places;
  while (file.read(s)) {
    EarthPoint loc;
    if (!places.place(s.lat, s.lon, s.id, loc)) continue;
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
  return read(getFilename(), getVariables(), data) && compute(data, grids);
}

}  // namespace KOL
