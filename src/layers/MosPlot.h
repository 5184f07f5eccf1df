// The layer of MOS guidance on a map: the stations of MOS bulletins at their places in the
// station table, for one forecast hour, drawn through a variable list as surface observations
// are: station models of the guidance (temperature, dew point, wind, sky cover, the chances of
// precipitation...) or analyses of it contoured. Each station's column is seen as a surface
// report, and the elements the surface tools do not know are drawn as written.
#pragma once

#include <string>
#include <vector>

#include "core/Filename.h"
#include "core/Timezone.h"
#include "geo/Domain.h"
#include "graphics/Drawing.h"
#include "grid/PointGrid.h"
#include "layers/DatumPlot.h"
#include "layers/GridCont.h"
#include "layers/GridVect.h"
#include "layers/varplot/VarPlot.h"
#include "obs/text/MosBulletin.h"

namespace KOL {

namespace mosplot {
struct MosReport;
}

class MosPlot : public Drawing, private VarPlotSource {
 public:
  static constexpr const char* DEFAULT_VAR_FILE = "mosplot.var";
  static constexpr const char* DEFAULT_VARIABLE = "mos";
  static constexpr const char* CONVENTION = "mos_dat";

  MosPlot();
  explicit MosPlot(const char* params) : MosPlot() { setParam(params); }
  ~MosPlot() override;
  MosPlot(const MosPlot&) = delete;
  MosPlot& operator=(const MosPlot&) = delete;

  // Defaults, then the resources "grid_domain", "model", "time", "num_hour" and "parameter".
  void init() override;
  // The stations of a file's MOS bulletins; they start again from it. 0 when none is read.
  int setFilename(const char* name) override;
  // The latest run's file of the naming convention ("mos_dat") at or before d, and the
  // num_hour files of the sequence up to it when more are asked for.
  int setFilename(Date& d) override;
  int setNameConv(const char* conv) override;
  int getDate(Date& d) override;
  int addFile(const char* name);
  // Keys: mo (model: GFS, NAM, GFSX, or the product's MAV, MET, MEX...), ct and co (to the
  // station models and contours), va (variable list), ho (the model run's hour), ft (forecast
  // hour: 24 or f24; the first column by default), tz, map, nomap, map_line, map_fill.
  int setParam(const char* params) override;
  int setVariable(const char* list);
  int setModel(const char* name);
  int setForeTime(const char* text) override;
  int setTimezone(const char* text);
  int setGridDomain(const char* text);
  // A map about the stations found in the station table; 0 when none is.
  int getDomain(Domain& d) override;
  // 1 when drawn; 0 when no station of the hour has a place.
  int draw(Plot& plot) override;
  void print() override;

  struct Placed {
    const MosBulletin::Station* station;
    float lat, lon;
    size_t column;  // of the forecast hour
  };
  // The stations of the model, run and forecast hour asked for that have a place.
  std::vector<Placed> placed() const;
  const VarPlot& getPipeline() const { return pipeline; }

 private:
  int read(const char* name);
  bool wanted(const MosBulletin& b, const MosBulletin::Station& s) const;
  std::vector<mosplot::MosReport> reports() const;

  bool gridded() const override { return false; }
  void dataSpec(const VarList& list, int i, GridSpec& spec) override;
  int readGrids(const VarList& list, const std::vector<int>& entries, Grids& grids) override;
  int drawParams(Plot& plot, const VarList& list, int first, int last) override;
  void label(Plot& plot, const VarList& list, int i) override;

  std::vector<MosBulletin> bulletins;
  Filename file;
  std::string variable, model, params, timezoneText;
  int hour;  // forecast hour; -1: the first column
  int run;   // hour of the model run; -1: any
  bool map;
  int mapMode;
  Timezone timezone;
  Domain gridDomain;
  PointGrid gridder{CONVENTION};
  DatumPlot datumPlot;
  GridCont contour;
  GridVect vector;
  VarPlot pipeline;
};

}  // namespace KOL
