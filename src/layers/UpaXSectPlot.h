// The cross section of a line of soundings: the soundings of the stations named (in order) are
// read from an upper-air file (the naming convention "upa_cvt", the latest when none is named),
// each interpolated in log pressure to the rows of the section, placed at its distance along
// the line (great-circle legs from station to station) and interpolated linearly between
// stations; each quantity of the list is contoured (UpaXSectCont) on the cross-section frame
// (XSectionPlot), with wind barbs at the standard levels of each sounding for "wbrb".
//   keys: id=A/B/C stations (identifiers or WMO numbers; also the resource "identifier"),
//   va=theta/wspd/wbrb quantities or a macro of "upxplot.var" (the resource "var_file" names
//   another; the resource "variable" separates them by commas; an item's format [units,ln,int=2]
//   goes to its contours), pl= plot type
//   of every contour (ln, cf ...), top= and bot= the section's pressures, sync; the
//   other keys go to the contours (int=, cb=, co= ...).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Filename.h"
#include "graphics/Drawing.h"
#include "layers/xsect/Section.h"
#include "obs/UpaData.h"

namespace KOL {

class UpaXSectPlot : public Drawing {
 public:
  static constexpr const char* CONVENTION = "upa_cvt";
  static constexpr const char* DEFAULT_VAR_FILE = "upxplot.var";
  static constexpr const char* DEFAULT_VARIABLE = "xsect";
  // What is drawn when the list names nothing a section draws (no macro file, say).
  static constexpr const char* STANDARD_VARIABLE = "wspd,theta,wbrb";

  UpaXSectPlot() { init(); }

  // Defaults, setFile(), then the resources "identifier", "variable", "plot_type" and
  // "parameter".
  void init() override;
  int setFile() override;
  int setNameConv(const char* conv) override;
  int setFilename() override { return fixedFile() ? file.exist() : file.setFile(); }
  int setFilename(const char* name) override { return file.setFile(name); }
  // A file named as such stays whatever the figure's date.
  int setFilename(Date& d) override { return fixedFile() ? file.exist() : file.setFile(d); }
  int getDate(Date& d) override;
  int getNumFrames() override { return file.getNumFiles(); }
  int getLoopType() override { return 1; }
  int getSync() override { return sync; }
  int setParam(const char* text) override;
  // Stations separated by "/", "," or blanks.
  int setStations(const char* list);
  // Reads the soundings of the stations; 0 after one message when the file cannot be read or
  // fewer than two stations are in it. Called by getDomain and draw.
  int read();
  // The section's domain (after read).
  int getDomain(Domain& d) override;
  int draw(Plot& plot) override;
  void print() override;

  const char* getFilename() const { return file.getName(); }
  const xsect::Section& getSection() const { return section; }
  // The soundings read, in the order of the line, and their distances (km).
  const std::vector<UpaData>& getSoundings() const { return soundings; }
  const std::vector<float>& getDistances() const { return distances; }
  // The section grid of a quantity of the soundings read.
  Grid sectionGrid(const char* name) const;

  // A quantity the list asks for and its item's format.
  struct Item {
    std::string name, format;
  };
  // The list expanded through the macro file.
  std::vector<Item> items() const;

 private:
  bool fixedFile() const { return file.isSet() && file.isFixed(); }
  void label(Plot& plot) const;

  Filename file;
  std::vector<std::string> stations;
  std::string variable;
  std::string plotType;
  std::string contour;  // the other parameters, for the contours
  std::string params;
  int sync;
  xsect::Section section;
  std::vector<UpaData> soundings;
  std::vector<float> distances;
  Date fileDate;
};

}  // namespace KOL
