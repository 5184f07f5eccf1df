// Contouring results in grid coordinates, collected for checks against contourpy.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "graphics/ContPlot.h"
#include "grid/Grid.h"

namespace KOLTest {

struct Segment {
  KOL::Point a, b;
};

// Collects what ContPlot computes, per level.
class Collect : public KOL::ContSink {
 public:
  // Polylines are taken apart into their segments; the lines themselves are counted.
  void line(int k, const KOL::Point* pts, int n) override;
  void fill(int k, const KOL::Point* pts, const int* counts, int rings) override;
  void label(int k, float, const KOL::Point& at) override { labels.push_back({k, at}); }
  void extreme(bool high, float v, const KOL::Point& at) override
  {
    (high ? highs : lows).push_back({v, at});
  }
  std::map<int, std::vector<Segment>> lines;
  std::map<int, int> closedLines, openLines;
  std::map<int, double> area;
  // areas whose rings add up to a hole (the outline missing)
  std::map<int, int> holesAlone;
  std::vector<std::pair<int, KOL::Point>> labels;
  std::vector<std::pair<float, KOL::Point>> highs, lows;
};

// contourpy's lines and band areas for the same grid and levels.
struct Reference {
  struct Line {
    bool closed;
    std::vector<KOL::Point> pts;
  };
  std::map<int, std::vector<Line>> lines;
  std::map<int, double> area;
  bool ok = false;
};

// The oracle script; "" when python3 with contourpy is not installed.
std::string contourOracle();
// Writes the grid and levels in the oracle's input form.
void writeOracleInput(const std::string& path, const KOL::Grid& g,
                      const std::vector<float>& levels);
Reference runOracle(const KOL::Grid& g, const std::vector<float>& levels);

}  // namespace KOLTest
