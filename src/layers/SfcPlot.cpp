#include "layers/SfcPlot.h"

#include <vector>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "grid/Grids.h"
#include "layers/VarList.h"
#include "layers/sfcplot/GrossErrors.h"
#include "layers/sfcplot/StationModels.h"
#include "obs/Data.h"
#include "obs/SfcDataTool.h"
#include "obs/SfcFile.h"

namespace KOL {

namespace {

// Station models are kept apart by this share of the plot's height across and up and down, so
// that the values around neighbouring stations do not overprint.
constexpr float THIN_WIDTH = 0.11f;
constexpr float THIN_HEIGHT = 0.065f;
// Station values further from their analysis than this many root-mean-square residuals of
// their field are left out of the analysis.
constexpr float GROSS_ERROR = 4.0f;

}  // namespace

SfcPlot::SfcPlot() : StationPlot("SfcPlot", CONVENTION, DEFAULT_VAR_FILE) { init(); }
SfcPlot::~SfcPlot() = default;

void SfcPlot::init()
{
  initShared();
  grid.init();
  stations.init();
  output.clear();
  screen = true;
  input.reset();
  readResources();
}

void SfcPlot::ownResources()
{
  if (const char* t = Kol::resrc.get("output"); StrLib::valid(t)) setOutput(t);
}

int SfcPlot::ownKey(const char* token)
{
  if (!StrLib::iequal(token, "noqc")) return 0;
  screen = false;
  return 1;
}

int SfcPlot::readDate(const char* name, Date& d)
{
  SfcFile sf;
  return sf.open(name) && sf.getDate(d);
}

int SfcPlot::openInput(const char* name)
{
  input = std::make_unique<SfcFile>();
  // the file's type is checked first so that a missing file gives one message
  if (SfcFile::checkType(name) <= 0 || !input->open(name)) return 0;
  input->getDate(fileDate);
  return 1;
}

void SfcPlot::closeInput() { input.reset(); }

// ---- the pipeline's questions -----------------------------------------------------------------

void SfcPlot::dataSpec(const VarList& list, int i, GridSpec& spec) { list.get(i, spec); }

// The stations' values of every entry, each analysed onto the gridding domain in one read of
// the file; the analysis is made in the units the values come in and then converted.
int SfcPlot::readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids)
{
  Kol::outDebug(2, "Read and grid data\n");
  std::vector<VarSpec> vars;
  for (int e : entries) {
    VarSpec spec = *list.getSpec(e);
    const char* given = SfcDataTool::getUnits(spec.getName());
    spec.setUnits(given ? given : "");
    vars.push_back(spec);
  }
  Data data;
  const float filter = grid.getFilter();
  if (!SfcGrid::read(file.getName(), vars, data) || !grid.compute(data, grids)) return 0;
  if (screen) {
    const int dropped = sfcplot::dropGrossErrors(data, grids, GROSS_ERROR);
    Kol::outDebug(2, "SfcPlot: %d station values left out as gross errors\n", dropped);
    grid.setFilter(filter);  // later passes of the analysis narrowed it
    if (dropped && !grid.compute(data, grids)) return 0;
  }
  return convertUnits(list, entries, grids);
}

// The run first..last-1 around each station, all its parameters from one pass over the file.
int SfcPlot::drawParams(Plot& plot, const VarList& list, int first, int last)
{
  sfcplot::StationModels models;
  for (int i = first; i < last; ++i) models.add(*list.getSpec(i));
  stationsRead += models.read(*input, stations, plot.getDomain());
  drawModels(plot, models, THIN_WIDTH, THIN_HEIGHT);
  return 1;
}

// Station values are analyses, at the surface (sea level for the pressure), in the units the
// entry asks for or those the values come in.
void SfcPlot::label(Plot& plot, const VarList& list, int i)
{
  VarSpec spec;
  if (!list.get(i, spec)) return;
  if (!spec.getLevel().isSet()) {
    Level level;
    level.set(StrLib::iequal(spec.getName(), "pres") ? "sl" : "sfc");
    spec.setLevel(level);
  }
  if (!StrLib::valid(spec.getUnits()))
    if (const char* u = SfcDataTool::getUnits(spec.getName())) spec.setUnits(u);
  labelAnalysis(plot, spec);
}

}  // namespace KOL
