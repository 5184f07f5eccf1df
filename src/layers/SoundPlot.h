// A sounding drawn on a thermodynamic diagram: the temperature and dew-point curves, wind barbs
// in a column at the diagram's right edge, and the path of the lifted parcel of the stability
// indices. The sounding is one station's, read from the own upper-air file found by naming
// convention ("upa_cvt") or from given files of TEMP and PILOT parts.
#pragma once

#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Filename.h"
#include "core/String.h"
#include "geo/Point.h"
#include "graphics/Drawing.h"
#include "obs/UpaData.h"

namespace KOL {

class Plot;

class SoundPlot : public Drawing {
 public:
  static constexpr int ID_SIZE = 20;
  static constexpr const char* DEFAULT_CONV = "upa_cvt";
  // Pressure step (hPa) of the drawn parcel path.
  static constexpr float PARCEL_STEP = 10.0f;

  SoundPlot() { init(); }

  // Convention "upa_cvt", then the resources "identifier", "color_data", "color_parcel" and
  // "parameter".
  void init() override;
  // id=STATION, par=PARCEL (as ParcelParams::setType), parcel, noparcel, diag=TYPE,
  // co=ATTR (the temperature curve), cosd=ATTR (the dew-point curve). The resource
  // "color_data" lists the attributes of temperature, dew point and winds.
  int setParam(const char* params) override;
  // The resource "in_file" names another convention.
  int setFile() override;
  int setInput(const char* text) override;
  int setNameConv(const char* conv) override;
  // The resources "filename" and "current".
  int setFilename() override;
  // A file request of the convention ("la", "#2011052212"), a file name, or file names
  // separated by newlines; these are kept for every frame.
  int setFilename(const char* text) override;
  // The latest file at or before the date when none was chosen; the date also places the day
  // and hour of TEMP parts.
  int setFilename(Date& d) override { return setFilename(d, ""); }
  int setFilename(Date& d, const char* spec) override;
  int getDate(Date& d) override;
  int getInitDate(Date& d) override;
  // The diagram's domain.
  int getDomain(Domain& d) override;
  // Reads the sounding and draws it with its labels; 0 when there is none (a message then says
  // why, on the plot too).
  int draw(Plot& plot) override;
  void print() override;

  void setId(const char* id);
  const char* getId() const { return id; }
  void setDiagram(int type) { diagram = type; }
  int getDiagram() const { return diagram; }
  void setParcel(bool on) { parcel_on = on; }
  bool getParcel() const { return parcel_on; }
  // Reads the sounding now, for the day and hour of TEMP parts near reference, and keeps it for
  // drawing; 0 when there is none (getProblem says why).
  int load(const Date& reference);
  const std::string& getProblem() const { return problem; }
  // Draws this sounding instead of reading one.
  void setSounding(const UpaData& s);
  const UpaData& getSounding() const { return sounding; }
  // The parcel path (temperature C at pressure hPa) of the sounding, from the parcel's start
  // up to the sounding's top; empty when the parcel cannot be lifted.
  std::vector<std::pair<float, float>> parcelPath() const;

 private:
  int read();
  void drawCurve(Plot& plot, float UpaLevel::*field, const char* attr);
  void drawParcel(Plot& plot);
  void drawWinds(Plot& plot);
  std::vector<std::pair<int, Point>> windLevels(Plot& plot, float x) const;
  void addLabels(Plot& plot);
  void drawParcelSummary(Plot& plot);
  static void pageText(Plot& plot, const Point& at, const char* text, const char* colour,
                       float height, int align, bool boxed = false);
  std::string colorItem(int i, const char* def) const;

  Filename file;
  std::vector<std::string> files;  // chosen by name, kept for every frame
  bool chosen;                     // a file was chosen by name or request
  Date reference;
  char id[ID_SIZE];
  int diagram;
  bool parcel_on;
  String parcel_type;
  String data_color;  // temperature, dew point, winds
  String temp_color;
  String dewp_color;
  String parcel_color;
  bool handed;  // the sounding was handed over, not read
  bool loaded;  // the sounding of the files is read
  UpaData sounding;
  std::string problem;
};

}  // namespace KOL
