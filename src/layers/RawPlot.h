// Station values from a delimited text file through the variable list, as the surface layer
// plots them: a header line names the columns (id, lat, lon, time, and values named as the
// surface variables: temp, dewp, wdir, wspd, gust, slp, alt, vis, wx, prec, maxt, mint, snow,
// elev, name), one station a line below it, separated by commas, semicolons, bars or blanks
// (the header's separator). Times are ISO 8601 (2020-01-06T00:00Z) or YYYYMMDDHHMM. Lines starting
// with '#' are comments. The rows become surface reports at their own positions, drawn by a
// surface layer (station models, or analysed and contoured in gridded plot types).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Filename.h"
#include "graphics/Drawing.h"
#include "obs/SfcData.h"

namespace KOL {

class SfcPlot;

class RawPlot : public Drawing {
 public:
  static constexpr const char* CONVENTION = "raw";

  RawPlot();
  explicit RawPlot(const char* params) : RawPlot() { setParam(params); }
  ~RawPlot() override;
  RawPlot(const RawPlot&) = delete;
  RawPlot& operator=(const RawPlot&) = delete;

  // Defaults, then the resources timezone, plot_type, variable (default "sfc", the station
  // model) and parameter (passed on to the surface layer), "in_file" (the convention).
  void init() override;
  int setNameConv(const char* conv) override { return file.setNameConv(conv); }
  int setFilename() override { return file.setFile(); }
  int setFilename(const char* name) override { return file.checkFile(name) && file.exist(); }
  int setFilename(Date& d) override;
  int getDate(Date& d) override;
  int getSync() override { return sync; }
  // Keys nc, if (convention), va (variable list), tz, pl (plot type), sync, min=V, max=V (rows
  // whose first value column lies outside are left out); the text goes on to the surface layer.
  int setParam(const char* params) override;
  // The rows of the file; 0 (one level-3 message) when none can be read.
  int load();
  int draw(Plot& plot) override;
  void print() override;

  const std::vector<SfcData>& getRows() const { return rows; }
  SfcPlot& getSurface() { return *surface; }

 private:
  int parse(std::FILE* in, const char* name);
  bool writeReports();

  Filename file;
  std::unique_ptr<SfcPlot> surface;
  std::vector<SfcData> rows;
  float minValue, maxValue;
  int sync;
  std::string scratch;  // the reports as a surface file, removed with the layer
};

}  // namespace KOL
