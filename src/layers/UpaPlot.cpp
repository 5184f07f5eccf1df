#include "layers/UpaPlot.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "grid/GridSpec.h"
#include "grid/Grids.h"
#include "layers/VarList.h"
#include "layers/sfcplot/StationModels.h"
#include "layers/upaplot/UpaModels.h"
#include "obs/Data.h"
#include "obs/UpaKolFile.h"

namespace KOL {

namespace {

// Station models are kept apart by this share of the plot's height, as on the surface map.
constexpr float THIN_WIDTH = 0.1f;
constexpr float THIN_HEIGHT = 0.06f;

}  // namespace

UpaPlot::UpaPlot() : StationPlot("UpaPlot", CONVENTION, DEFAULT_VAR_FILE) { init(); }
UpaPlot::~UpaPlot() = default;

void UpaPlot::init()
{
  initShared();
  level.set(DEFAULT_LEVEL);
  grid.init();
  input.reset();
  readResources();
}

void UpaPlot::ownResources()
{
  if (const char* t = Kol::resrc.get("level"); StrLib::valid(t)) setLevel(t);
}

int UpaPlot::ownKey(const char* token)
{
  const char* eq = std::strchr(token, '=');
  if (!StrLib::equal(token, "le", 2) || !eq) return 0;
  setLevel(eq + 1);
  return 1;
}

void UpaPlot::printOwn()
{
  std::printf("Level: ");
  level.print();
}

int UpaPlot::readDate(const char* name, Date& d)
{
  UpaKolFile f;
  if (!f.open(name, UpaKolFile::READ)) return 0;
  d = f.getDate();
  return 1;
}

int UpaPlot::openInput(const char* name)
{
  input = std::make_unique<UpaKolFile>();
  if (!UpaKolFile::checkType(name) || !input->open(name, UpaKolFile::READ)) return 0;
  fileDate = input->getDate();
  return 1;
}

int UpaPlot::setLevel(const char* text)
{
  Level l;
  if (!StrLib::valid(text) || !l.set(text) || !l.isSet()) {
    Kol::outWarning("UpaPlot: unknown level %s\n", text ? text : "");
    return 0;
  }
  level = l;
  return 1;
}

void UpaPlot::closeInput() { input.reset(); }

// ---- the pipeline's questions -----------------------------------------------------------------

VarSpec UpaPlot::levelled(const VarList& list, int i) const
{
  VarSpec spec = *list.getSpec(i);
  for (int p = VarPlot::parentOf(list, i); !spec.getLevel().isSet() && p >= 0;
       p = VarPlot::parentOf(list, p))
    spec.setLevel(list.getSpec(p)->getLevel());
  if (!spec.getLevel().isSet()) spec.setLevel(level);
  return spec;
}

void UpaPlot::dataSpec(const VarList& list, int i, GridSpec& spec) { spec.set(levelled(list, i)); }

// Every entry's values at its level from one read of the file, analysed in the units they come
// in and then converted to the entry's.
int UpaPlot::readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids)
{
  std::vector<VarSpec> vars;
  for (int e : entries) {
    VarSpec spec = levelled(list, e);
    const char* given = UpaGrid::getUnits(spec.getName());
    spec.setUnits(given ? given : "");
    vars.push_back(spec);
  }
  Data data;
  if (!UpaGrid::read(file.getName(), vars, data) || !grid.compute(data, grids)) return 0;
  return convertUnits(list, entries, grids);
}

int UpaPlot::drawParams(Plot& plot, const VarList& list, int first, int last)
{
  std::vector<VarSpec> run;
  for (int i = first; i < last; ++i) run.push_back(levelled(list, i));
  sfcplot::StationModels models;
  stationsRead += upaplot::readModels(*input, run, plot.getDomain(), models);
  drawModels(plot, models, THIN_WIDTH, THIN_HEIGHT);
  return 1;
}

// Soundings are analyses at their level, in the entry's units or those the values come in.
void UpaPlot::label(Plot& plot, const VarList& list, int i)
{
  VarSpec spec = levelled(list, i);
  if (!StrLib::valid(spec.getUnits()))
    if (const char* u = UpaGrid::getUnits(spec.getName())) spec.setUnits(u);
  labelAnalysis(plot, spec);
}

}  // namespace KOL
