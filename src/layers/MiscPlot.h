// Overlays drawn from a small text file of lines, areas, points and texts in degrees of
// latitude and longitude (named by key fi, or found by the naming convention "miscfile"):
//
//   # a comment; blank lines are ignored
//   line COLOUR          a polyline: its points follow, "LAT LON" one a line, up to "end"
//   area COLOUR          a filled polygon, points as for line
//   point COLOUR LAT LON [LABEL...]     a mark, with a label to its right
//   text COLOUR LAT LON TEXT...         a text centred at the place
//
// COLOUR is a colour name of the plot (red, #ff8000, ...) or "-" for the layer's colour (key
// co, default black). Longitudes are east positive. A line that cannot be read is reported once
// (with its number) and skipped; the rest is drawn.
#pragma once

#include <string>
#include <vector>

#include "geo/EarthPoint.h"
#include "layers/FileLayer.h"

namespace KOL {

class MiscPlot : public FileLayer {
 public:
  static constexpr const char* CONVENTION = "miscfile";

  struct Item {
    enum Kind : int { LINE, AREA, POINT, TEXT } kind;
    std::string color, text;
    std::vector<EarthPoint> points;
  };

  MiscPlot() : FileLayer(CONVENTION) { init(); }
  explicit MiscPlot(const char* params) : MiscPlot() { setParam(params); }

  // Defaults, the resource "in_file" (the convention), then "parameter".
  void init() override;
  // fi=FILE, co=COLOUR.
  int setParam(const char* params) override;
  // The items of the file; 0 (one level-3 message) when it cannot be read.
  int load();
  int draw(Plot& plot) override;
  void print() override;
  const std::vector<Item>& getItems() const { return items; }

 private:
  int parse(std::FILE* in, const char* name);
  const char* colorOf(const Item& it) const;

  std::string color;
  std::vector<Item> items;
};

}  // namespace KOL
