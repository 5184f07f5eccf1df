#include "graphics/ContPlot.h"

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/Range.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Tools.h"
#include "geo/Domain.h"
#include "geo/GridPoint.h"
#include "geo/Rect.h"
#include "graphics/ColorFile.h"
#include "graphics/ColorFill.h"
#include "graphics/ColorMap.h"
#include "graphics/Graph.h"
#include "graphics/Plot.h"
#include "graphics/contour/BandFill.h"
#include "graphics/contour/BandRegions.h"
#include "graphics/contour/Coverage.h"
#include "graphics/contour/Lattice.h"
#include "graphics/contour/LineChains.h"
#include "grid/Grid.h"

namespace KOL {

namespace {

struct TypeName {
  const char* name;
  int type;
};
constexpr TypeName TYPES[] = {{"none", 0}, {"value", 1}, {"gvalue", 1}, {"ln", 2},
                              {"dln", 2},  {"ndln", 2},  {"cf", 3},     {"lcf", 4}};

bool startsWith(const std::string& s, const char* key) { return s.rfind(key, 0) == 0; }

std::string after(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(n) : ""; }

float toFloat(const std::string& s)
{
  return s.empty() ? Const::FMISS : std::strtof(s.c_str(), nullptr);
}

std::vector<std::string> split(const char* text, const char* seps)
{
  std::vector<std::string> out;
  std::string cur;
  for (const char* p = text; p && *p; p++) {
    if (std::strchr(seps, *p)) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  if (!cur.empty() || (text && *text)) out.push_back(cur);
  return out;
}

const char* resource(const char* name) { return Kol::resrc.get(name); }

}  // namespace

ContPlot::ContPlot(const char* params)
{
  init();
  setParam(params);
}

void ContPlot::init()
{
  type = LINE;
  dash = 0;
  interval = base = lower = upper = Const::FMISS;
  colorTable.clear();
  colorFill.clear();
  colorLine.clear();
  colorLabel.clear();
  format.clear();
  labFreq = 2;
  labRadius = 2;
  labSpaceX = labSpaceY = Const::MISS;
  fillStyle = Const::MISS;
  lineWidth = Const::FMISS;
  scale = 1.0f;
  bar = false;
  edge = false;
  explicitLevels.clear();
  levels.clear();
  nlevels = 0;
  first = last = usedInterval = Const::FMISS;
  dataMin = dataMax = Const::FMISS;
  markArea.init();
  if (const char* v = resource("plot_type"); StrLib::valid(v)) setType(v);
  if (const char* v = resource("color_table"); StrLib::valid(v)) setColorTable(v);
  if (const char* v = resource("con_interval"); StrLib::valid(v))
    setInterval(std::strtof(v, nullptr));
  if (const char* v = resource("con_base"); StrLib::valid(v)) setBase(v);
  if (const char* v = resource("color_cont"); StrLib::valid(v)) setColorLine(v);
  if (const char* v = resource("color_fill"); StrLib::valid(v)) setColorFill(v);
  if (const char* v = resource("color_clabel"); StrLib::valid(v)) setColorLabel(v);
  if (const char* v = resource("format"); StrLib::valid(v)) setTextFormat(v);
  if (const char* v = resource("parameter"); StrLib::valid(v)) setParam(v);
}

int ContPlot::decodeType(const char* name)
{
  if (!name) return NONE;
  for (const TypeName& t : TYPES)
    if (std::strcmp(name, t.name) == 0) return t.type;
  return NONE;
}

int ContPlot::setType(int t)
{
  type = t;
  return 1;
}

int ContPlot::setType(const char* name)
{
  type = decodeType(name);
  if (name && std::strcmp(name, "dln") == 0) dash = 1;
  if (name && std::strcmp(name, "ndln") == 0) dash = -1;
  return 1;
}

int ContPlot::setInterval(float v)
{
  interval = v;
  return 1;
}

int ContPlot::setBase(float v)
{
  base = v;
  return 1;
}

int ContPlot::setBase(const char* text)
{
  for (const std::string& f : split(text, ",")) {
    if (f.empty()) continue;
    if (f[0] == '>')
      lower = toFloat(after(f, 1));
    else if (f[0] == '<')
      upper = toFloat(after(f, 1));
    else if (Tools::isFloat(f.c_str()))
      base = toFloat(f);
  }
  return 1;
}

int ContPlot::setLevels(const std::vector<float>& values)
{
  explicitLevels = values;
  return 1;
}

int ContPlot::setColorTable(const char* t) { return colorTable = t ? t : "", 1; }
int ContPlot::setColorFill(const char* t) { return colorFill = t ? t : "", 1; }
int ContPlot::setColorLine(const char* t) { return colorLine = t ? t : "", 1; }
int ContPlot::setColorLabel(const char* t) { return colorLabel = t ? t : "", 1; }
int ContPlot::setTextFormat(const char* t) { return format = t ? t : "", 1; }

int ContPlot::setLabelParam(int freq, int radius)
{
  labFreq = freq;
  labRadius = radius;
  return 1;
}

int ContPlot::setLabelSpace(int x, int y)
{
  labSpaceX = x;
  labSpaceY = y;
  return 1;
}

int ContPlot::setFillStyle(int s) { return fillStyle = s, 1; }
int ContPlot::setLineWidth(float w) { return lineWidth = w, 1; }
int ContPlot::setScaleFactor(float s) { return scale = s, 1; }
int ContPlot::setBar(bool on) { return bar = on, 1; }
int ContPlot::setSmoothEdge(bool on) { return edge = on, 1; }

int ContPlot::setParam(const char* params)
{
  for (const std::string& f : split(params, ",")) {
    if (f == "cf" || f == "lcf" || f == "ln" || f == "dln" || f == "ndln" || f == "gvalue" ||
        f == "value") {
      setType(f.c_str());
    } else if ((startsWith(f, "ty=") || startsWith(f, "pl=")) ||
               ((startsWith(f, "ty") || startsWith(f, "pl")) && f.find('=') != std::string::npos)) {
      setType(after(f, f.find('=') + 1).c_str());
    } else if ((startsWith(f, "int") || startsWith(f, "ci")) && f.find('=') != std::string::npos) {
      setInterval(toFloat(after(f, f.find('=') + 1)));
    } else if ((startsWith(f, "base") || startsWith(f, "cb")) && f.find('=') != std::string::npos) {
      setBase(after(f, f.find('=') + 1).c_str());
    } else if (startsWith(f, "wi")) {
      setLineWidth(toFloat(after(f, 3)));
    } else if (startsWith(f, "sc")) {
      setScaleFactor(toFloat(after(f, 3)));
    } else if (startsWith(f, "fill")) {
      setFillStyle(std::atoi(after(f, 5).c_str()));
    } else if (startsWith(f, "ct")) {
      setColorTable(after(f, 3).c_str());
    } else if (startsWith(f, "coco") || startsWith(f, "coln")) {
      setColorLine(after(f, 5).c_str());
    } else if (startsWith(f, "cof")) {
      setColorFill(after(f, 4).c_str());
    } else if (startsWith(f, "cola")) {
      setColorLabel(after(f, 5).c_str());
    } else if (startsWith(f, "co=")) {
      setColorLine(after(f, 3).c_str());
    } else if (startsWith(f, "fm") && f.find('=') != std::string::npos) {
      setTextFormat(after(f, f.find('=') + 1).c_str());
    } else if (strcasecmp(f.c_str(), "bar") == 0) {
      setBar(true);
    } else if (f == "nobar") {
      setBar(false);
    } else if (f == "edge" || f == "noedge") {
      setSmoothEdge(f == "edge");
    } else if (startsWith(f, "lab")) {
      std::vector<int> n;
      for (const std::string& v : split(after(f, 4).c_str(), ":,."))
        if (Tools::isInt(v.c_str())) n.push_back(std::atoi(v.c_str()));
      if (n.size() == 1) setLabelParam(n[0] / 10, n[0] % 10);
      if (n.size() >= 2) setLabelParam(n[0], n[1]);
      if (n.size() >= 3) setLabelSpace(n[2], n[2]);
      if (n.size() >= 4) labSpaceY = n[3];
    }
  }
  return 1;
}

float ContPlot::getLevel(int k) const
{
  if (k < 0 || k >= static_cast<int>(levels.size())) return Const::FMISS;
  return levels[k];
}

int ContPlot::setLevels(const Grid& g, int numColors)
{
  levels.clear();
  nlevels = 0;
  float min = Const::FMISS, max = Const::FMISS;
  if (g.getValid() > 0) g.getRange(min, max);
  if (!Const::isMiss(lower)) min = lower;
  if (!Const::isMiss(upper)) max = upper;
  dataMin = min, dataMax = max;
  return computeLevels(min, max, numColors);
}

int ContPlot::computeLevels(float min, float max, int numColors)
{
  levels.clear();
  nlevels = 0;
  if (!explicitLevels.empty()) {
    for (std::size_t k = 1; k < explicitLevels.size(); k++) {
      if (!(explicitLevels[k] > explicitLevels[k - 1])) {
        Kol::outWarning("ContPlot: levels are not increasing\n");
        return 0;
      }
    }
    levels = explicitLevels;
    if (levels.size() > MAX_LEVELS) levels.resize(MAX_LEVELS);
    nlevels = static_cast<int>(levels.size());
    first = levels.front(), last = levels.back();
    usedInterval = nlevels > 1 ? levels[1] - levels[0] : Const::FMISS;
    return nlevels;
  }
  if (Const::isMiss(max) || Const::isMiss(min) || !(max >= min)) {
    first = 0.0f, usedInterval = 1.0f, last = Const::FMISS;
    return 0;
  }
  int n = numColors > 1 ? numColors - 1 : 10;
  double ci = interval;
  if (Const::isMiss(interval) || interval <= 0.0f) ci = Tools::calcInterval(max, min, n);
  // a lower limit without a base is where the levels start (isotachs from 50 kt: 50, 70, ...)
  double b = !Const::isMiss(base) ? base : !Const::isMiss(lower) ? lower : 0.0;
  for (int attempt = 0; attempt < 2; attempt++) {
    if (!(ci > 0.0) || !std::isfinite(ci)) ci = std::fmax(std::fabs(max - min), 1.0f);
    double lo = std::floor((min - b) / ci) * ci + b;
    double hi = std::ceil((max - b) / ci) * ci + b;
    if (max - b == hi - b) hi += ci;
    double count = std::trunc((hi - lo) / ci + 1.01);
    if (count <= MAX_LEVELS) {
      nlevels = static_cast<int>(count);
      for (int k = 0; k < nlevels; k++) levels.push_back(static_cast<float>(lo + k * ci));
      first = levels.front(), last = levels.back();
      usedInterval = static_cast<float>(ci);
      return nlevels;
    }
    Kol::outWarning("Contour interval too small, recomputing...\n");
    ci = Tools::calcInterval(max, min, n);
  }
  return 0;
}

// Index of the first level at or above v.
int ContPlot::firstLevelAbove(float v) const
{
  return static_cast<int>(std::lower_bound(levels.begin(), levels.end(), v) - levels.begin());
}

int ContPlot::setBox(GridBox& box, const Grid& g, const Domain* plot, int i, int j) const
{
  if (plot) return box.set(g, *plot, i, j);
  float v[4];
  Point p[4];
  for (int c = 0; c < 4; c++) {
    int ci = i + (c & 1), cj = j + (c >> 1);
    v[c] = g.getValue(ci, cj);
    p[c].set(static_cast<float>(ci), static_cast<float>(cj));
  }
  return box.set(v, p);
}

std::optional<contour::Coverage> ContPlot::coverage(const Grid& g) const
{
  if (!edge) return std::nullopt;
  contour::Coverage c(g);
  if (c.complete()) return std::nullopt;
  return c;
}

int ContPlot::cellBox(GridBox& box, const Grid& g, const Domain* plot, int i, int j,
                      const contour::Coverage* cover, contour::Piece pieces[2], int& n) const
{
  n = -1;
  const bool full = setBox(box, g, plot, i, j) != 0;
  if (!cover) return full;
  if (full && cover->covers(i, j)) return true;
  if (!box.isLocateValid() || !cover->touches(i, j)) return false;
  // At the edge the missing corners take the mean of their neighbours, and only what lies inside
  // the edge is drawn.
  float v[4];
  Point p[4];
  for (int c = 0; c < 4; c++) {
    v[c] = cover->value(g, i + (c & 1), j + (c >> 1));
    p[c] = box.getPoint(c);
    if (Const::isMiss(v[c])) return false;
  }
  box.set(v, p);
  n = cover->pieces(i, j, box, pieces);
  return n > 0;
}

namespace {

// The corner a clockwise walk round the cell starts each side from.
constexpr int WALK_FROM[4] = {0, 1, 3, 2};

}  // namespace

int ContPlot::contourLines(const Grid& g, const Domain* plot, ContSink& out) const
{
  int nx = g.getNx(), ny = g.getNy();
  if (nlevels == 0 || nx < 2 || ny < 2) return 0;
  const std::optional<contour::Coverage> cover = coverage(g);
  const contour::Lattice lat(g, plot, cover ? &*cover : nullptr, levels);
  contour::LineChains chains(nlevels, nx - 1);
  GridBox box;
  contour::Piece pieces[2];
  for (int j = 0; j < ny - 1; j++) {
    for (int i = 0; i < nx - 1; i++) {
      const bool joined = lat.joined(i, j);
      int np = -1;
      int rlo = 0, rhi = 0;
      // most cells lie between two levels
      if (joined && (lat.ranks(i, j, rlo, rhi), rlo == rhi)) continue;
      if (joined)
        lat.set(box, i, j);
      else if (!cellBox(box, g, plot, i, j, cover ? &*cover : nullptr, pieces, np))
        continue;
      if (box.getMin() == box.getMax()) continue;
      // Only levels in [min, max) cross the cell.
      // (a joined cell's first level above its minimum is its least rank)
      for (int k = joined ? rlo : firstLevelAbove(box.getMin());
           k < nlevels && levels[k] < box.getMax(); k++) {
        int n = box.setLevel(levels[k]);
        for (int c = 0; c < n; c++) {
          int p = box.getPartner(c);
          if (p <= c) continue;
          if (joined) {
            // from where the walk rises through the level to where it falls
            const bool falls = box.isAbove(WALK_FROM[box.getCrossSide(c)]);
            const int a = falls ? p : c, b = falls ? c : p;
            chains.add(k, i, j, box.getCrossSide(a), box.getCrossSide(b), box.getCrossPoint(a),
                       box.getCrossPoint(b));
            continue;
          }
          for (int q = 0; q < (np < 0 ? 1 : np); q++) {
            Point a = box.getCrossPoint(c), b = box.getCrossPoint(p);
            if (np >= 0 && !contour::clip(a, b, pieces[q])) continue;
            chains.addLoose(k, a, b);
          }
        }
      }
    }
  }
  return chains.flush(out);
}

int ContPlot::contourFills(const Grid& g, const Domain* plot, ContSink& out) const
{
  int nx = g.getNx(), ny = g.getNy();
  if (nlevels == 0 || nx < 2 || ny < 2) return 0;
  const std::optional<contour::Coverage> cover = coverage(g);
  const contour::Lattice lat(g, plot, cover ? &*cover : nullptr, levels);
  contour::BandRegions regions(lat, nlevels);
  GridBox boxes[2];
  contour::BandFill band;
  contour::Piece pieces[2];
  Point cut[contour::BandFill::MAX_POINTS + contour::Piece::MAX_POINTS];
  // The lowest band also takes values equal to the lowest level, in every cell alike so that
  // neighbours agree.
  float gmin = 0, gmax = 0;
  g.getRange(gmin, gmax);
  const bool bottomAll = levels[0] <= gmin;
  for (int j = 0; j < ny - 1; j++) {
    for (int i = 0; i < nx - 1; i++) {
      GridBox* lo = &boxes[0];
      GridBox* hi = &boxes[1];
      const bool joined = lat.joined(i, j);
      int np = -1;
      int rlo = 0, rhi = 0;
      if (joined) {
        lat.ranks(i, j, rlo, rhi);
        // most cells lie wholly in one band, or below the lowest level
        if (rlo == rhi && rlo > 0) {
          regions.addCell(rlo - 1, i, j);
          continue;
        }
        if (bottomAll && rlo == 0 && rhi <= 1) {
          regions.addCell(0, i, j);
          continue;
        }
        if (rhi == 0 && !bottomAll) continue;
        lat.set(*lo, i, j);
      } else if (!cellBox(*lo, g, plot, i, j, cover ? &*cover : nullptr, pieces, np))
        continue;
      // The first band that reaches into the cell has its lower level below the cell minimum.
      int k = std::max(0, (joined ? rlo : firstLevelAbove(lo->getMin())) - 1);
      const bool bottom = k == 0 && bottomAll;
      *hi = *lo;
      lo->setLevel(bottom ? -std::numeric_limits<float>::max() : levels[k]);
      for (; k < nlevels; k++) {
        if (lo->getState() == 1) break;
        GridBox* top = nullptr;
        if (k + 1 < nlevels) {
          hi->setLevel(levels[k + 1]);
          top = hi;
        }
        int n = band.build(*lo, top);
        for (int p = 0; p < n; p++) {
          if (joined) {
            regions.addPolygon(k, i, j, band, p);
            continue;
          }
          int npts;
          const Point* pts = band.getPolygon(p, npts);
          for (int q = 0; q < (np < 0 ? 1 : np); q++) {
            const int m = np < 0 ? npts : contour::clip(pts, npts, pieces[q], cut);
            if (m > 0) regions.addLoose(k, np < 0 ? pts : cut, m);
          }
        }
        std::swap(lo, hi);
      }
    }
  }
  return regions.flush(out);
}

contour::Area ContPlot::areaOf(const Grid& g, const Domain* plot) const
{
  const float cols = static_cast<float>(g.getNx() - 1), rows = static_cast<float>(g.getNy() - 1);
  contour::Area a{Rect(0.0f, 0.0f, cols, rows), 0.0f};
  if (!markArea.isMiss()) {
    a.rect = markArea;
  } else if (plot) {
    // the extent of the grid's corners on the plot
    Rect r;
    for (int c = 0; c < 4; c++) {
      Point p;
      if (!GridBox::locate(g, *plot, (c & 1) ? g.getNx() - 1 : 0, (c >> 1) ? g.getNy() - 1 : 0,
                           p) ||
          p.isMiss())
        continue;
      if (r.isMiss()) r.set(p.x, p.y, p.x, p.y);
      r.set(std::min(r.x1, p.x), std::min(r.y1, p.y), std::max(r.x2, p.x), std::max(r.y2, p.y));
    }
    if (!r.isMiss()) a.rect = r;
  }
  a.textHeight = scale * a.height() * 0.015f;
  return a;
}

int ContPlot::lineLabels(const Grid& g, const Domain* plot, ContSink& out) const
{
  return lineLabels(g, plot, out,
                    labRadius < 1 ? std::vector<contour::Extreme>() : extremes(g, plot));
}

int ContPlot::annotate(const Grid& g, const Domain* plot, ContSink& out) const
{
  // the highs and lows are marked and kept clear of labels: found once for both
  const bool marks = labRadius >= 1 && g.getNx() >= 3 && g.getNy() >= 3;
  const std::vector<contour::Extreme> found =
      labRadius >= 1 ? extremes(g, plot) : std::vector<contour::Extreme>();
  int n = lineLabels(g, plot, out, found);
  if (marks)
    for (const contour::Extreme& e : found) out.extreme(e.high, e.value, e.at), n++;
  return n;
}

int ContPlot::lineLabels(const Grid& g, const Domain* plot, ContSink& out,
                         const std::vector<contour::Extreme>& marks) const
{
  int nx = g.getNx(), ny = g.getNy();
  if (labFreq < 1 || nlevels == 0 || nx < 2 || ny < 2) return 0;
  bool tiny = nx * ny <= 4;
  int sx =
      !Const::isMiss(labSpaceX) && labSpaceX > 0 ? labSpaceX : (tiny ? 1 : std::max(1, nx / 5));
  int sy =
      !Const::isMiss(labSpaceY) && labSpaceY > 0 ? labSpaceY : (tiny ? 1 : std::max(1, ny / 5));
  std::vector<contour::LabelSpot> spots;
  GridBox box;
  String text;
  for (int j = 0; j < ny - 1; j++) {
    for (int i = 0; i < nx - 1; i++) {
      bool col = i % sx == 0, row = j % sy == 0;
      if (!(col || row) || !setBox(box, g, plot, i, j)) continue;
      for (int k = 0; k < nlevels; k += labFreq) {
        if (box.setLevel(levels[k]) != 2) continue;
        int s0 = box.getCrossSide(0), s1 = box.getCrossSide(1);
        bool across = s0 == 1 && s1 == 3, down = s0 == 0 && s1 == 2;
        if (!((across && col) || (down && row))) continue;
        Point a = box.getCrossPoint(0), b = box.getCrossPoint(1);
        levelText(levels[k], text);
        spots.push_back({k, levels[k], text.get(), Point((a.x + b.x) / 2, (a.y + b.y) / 2)});
      }
    }
  }
  const std::vector<contour::LabelSpot> kept =
      contour::spreadLabels(std::move(spots), marks, areaOf(g, plot));
  for (const contour::LabelSpot& l : kept) out.label(l.level, l.value, l.at);
  return static_cast<int>(kept.size());
}

// Points of the grid that lie off the area the marks must stay in.
contour::OpenPoints ContPlot::openPoints(const Grid& g, const Domain* plot) const
{
  if (!plot && markArea.isMiss()) return contour::OpenPoints(g, nullptr);
  const Rect a = areaOf(g, plot).rect;
  const float x1 = std::min(a.x1, a.x2), x2 = std::max(a.x1, a.x2);
  const float y1 = std::min(a.y1, a.y2), y2 = std::max(a.y1, a.y2);
  return contour::OpenPoints(g, [&g, plot, x1, x2, y1, y2](int i, int j) {
    Point p(static_cast<float>(i), static_cast<float>(j));
    if (plot && (!GridBox::locate(g, *plot, i, j, p) || p.isMiss())) return true;
    return p.x < x1 || p.x > x2 || p.y < y1 || p.y > y2;
  });
}

// A high is the highest point inside a drawn contour that closes around it, a low the lowest:
// the grid points joined to it above the level (below, for a low) reach neither the border nor
// higher (lower) ground. It is marked when it also stands out from the line wobbling about its
// level: when the ground within an interval of it is closed in as well (it rises a whole
// interval above the col that leads to higher ground), or when one of the contours around it,
// tried from the innermost outwards, rings MIN_ENCLOSED points or more with the extreme
// MIN_DEPTH intervals or more beyond its level (a sharp peak has a tiny innermost ring but wider
// ones below).
bool ContPlot::closedAround(const Grid& g, int i, int j, bool high, contour::OpenPoints& open,
                            std::vector<char>& seen) const
{
  const float v = g.getValue(i, j);
  float ci = usedInterval;
  if (Const::isMiss(ci) || !(ci > 0.0f)) ci = (dataMax - dataMin) / 10.0f;
  const int step = high ? -1 : 1;
  int k = high ? firstLevelAbove(v) - 1 : firstLevelAbove(v);
  if (k < 0 || k >= nlevels || contour::enclosedPoints(g, i, j, high, levels[k], open, seen) == 0)
    return false;
  if (ci > 0.0f && contour::enclosedPoints(g, i, j, high, high ? v - ci : v + ci, open, seen) > 0)
    return true;
  for (; k >= 0 && k < nlevels; k += step) {
    const int n = contour::enclosedPoints(g, i, j, high, levels[k], open, seen);
    if (n == 0) return false;
    if (n >= MIN_ENCLOSED && std::fabs(v - levels[k]) >= MIN_DEPTH * ci) return true;
  }
  return false;
}

namespace {

// The offsets of the square of radius r round a point, nearest first: most points of a field are
// no extremes and meet a higher and a lower neighbour within a step or two.
std::vector<std::pair<int, int>> nearestFirst(int r)
{
  std::vector<std::pair<int, int>> out;
  for (int dj = -r; dj <= r; dj++)
    for (int di = -r; di <= r; di++)
      if (di != 0 || dj != 0) out.emplace_back(di, dj);
  auto far = [](const std::pair<int, int>& d) { return d.first * d.first + d.second * d.second; };
  std::stable_sort(out.begin(), out.end(),
                   [&](const auto& a, const auto& b) { return far(a) < far(b); });
  return out;
}

// Which points of row j lie above or below their four nearest neighbours (missing ones aside),
// in one pass over three rows that the compiler does several points at a time: most points of a
// field do not, and are passed over without reading more.
void standOutNear(const float* data, int nx, int j, std::vector<char>& out)
{
  const float* row = data + static_cast<std::size_t>(j) * nx;
  const float *up = row - nx, *down = row + nx;
  for (int i = 1; i < nx - 1; i++) {
    const float v = row[i];
    const float near[4] = {row[i - 1], row[i + 1], up[i], down[i]};
    bool high = true, low = true;
    for (float w : near) {
      const bool miss = Const::isMiss(w);
      high &= miss | (v > w);
      low &= miss | (v < w);
    }
    out[i] = high | low;
  }
}

}  // namespace

std::vector<contour::Extreme> ContPlot::extremes(const Grid& g, const Domain* plot) const
{
  const int nx = g.getNx(), ny = g.getNy(), r = labRadius;
  std::vector<contour::Extreme> cands;
  if (nlevels == 0) return cands;
  contour::OpenPoints open = openPoints(g, plot);
  std::vector<char> seen(open.flags.size(), 0);
  // points of the grid are read many times over: straight from its values
  const float* data = g.isData() && !g.isValue() ? g.getData() : nullptr;
  auto value = [&](int i, int j) {
    return data ? data[static_cast<std::size_t>(j) * nx + i] : g.getValue(i, j);
  };
  // whether v is above (below) every value round it, passed over at the first that says no
  const std::vector<std::pair<int, int>> around = nearestFirst(r);
  std::vector<std::ptrdiff_t> steps;  // the same in the values array
  for (const auto& [di, dj] : around) steps.push_back(static_cast<std::ptrdiff_t>(dj) * nx + di);
  auto mayStandOut = [&](int i, int j, float v) {
    const float* at = data && i >= r && j >= r && i + r < nx && j + r < ny
                          ? data + static_cast<std::size_t>(j) * nx + i
                          : nullptr;
    bool high = true, low = true;
    for (std::size_t k = 0; k < around.size(); k++) {
      const int a = i + around[k].first, b = j + around[k].second;
      if (!at && (a < 0 || b < 0 || a >= nx || b >= ny)) continue;
      const float w = at ? at[steps[k]] : value(a, b);
      if (Const::isMiss(w)) continue;
      high = high && v > w;
      low = low && v < w;
      if (!high && !low) return false;
    }
    return true;
  };
  std::vector<char> near(nx, 1);
  // Points on the grid's border have no surroundings on one side: they are no extremes.
  for (int j = 1; j < ny - 1; j++) {
    if (data) standOutNear(data, nx, j, near);
    for (int i = 1; i < nx - 1; i++) {
      if (!near[i]) continue;
      float v = value(i, j);
      if (Const::isMiss(v) || !mayStandOut(i, j, v)) continue;
      bool high = true, low = true;
      int missing = 0, valid = 0;
      double sum = 0;
      for (int dj = -r; dj <= r && (high || low); dj++) {
        for (int di = -r; di <= r && (high || low); di++) {
          if ((di == 0 && dj == 0) || (i + di < 0 || j + dj < 0 || i + di >= nx || j + dj >= ny))
            continue;
          float w = value(i + di, j + dj);
          if (Const::isMiss(w)) {
            missing++;
            continue;
          }
          valid++;
          sum += w;
          high = high && v > w;
          low = low && v < w;
        }
      }
      if (valid == 0 || missing >= 2 || !(high || low)) continue;
      if (!closedAround(g, i, j, high, open, seen)) continue;
      Point p;
      if (plot) {
        if (!GridBox::locate(g, *plot, i, j, p) || p.isMiss()) continue;
      } else {
        p.set(static_cast<float>(i), static_cast<float>(j));
      }
      const float relief = std::fabs(v - static_cast<float>(sum / valid));
      cands.push_back({i, j, high, v, relief, p});
    }
  }
  return contour::spreadExtremes(std::move(cands), areaOf(g, plot));
}

int ContPlot::maxMin(const Grid& g, const Domain* plot, ContSink& out) const
{
  // a radius of 0 asks for no highs and lows
  if (labRadius < 1 || g.getNx() < 3 || g.getNy() < 3) return 0;
  const std::vector<contour::Extreme> found = extremes(g, plot);
  for (const contour::Extreme& e : found) out.extreme(e.high, e.value, e.at);
  return static_cast<int>(found.size());
}

namespace {

// Draws contouring results through a graph (window = the grid, row 0 on top, flipped) or a
// plot (positions already in plot coordinates).
template <class Target>
class DrawSink : public ContSink {
 public:
  DrawSink(Target& target, float rows, float height, const ContPlot& cp,
           std::vector<int> lineColors, std::vector<int> fillColors)
      : target(target),
        rows(rows),
        height(height),
        cp(cp),
        lineColors(std::move(lineColors)),
        fillColors(std::move(fillColors))
  {
  }
  void line(int k, const Point* pts, int n) override
  {
    if (k != lastLevel) {
      lastLevel = k;
      target.setLineColor(lineColors[k]);
      float base = Const::isMiss(cp.getBase()) ? 0.0f : cp.getBase();
      bool dashed = cp.getDashRule() == 1 || (cp.getDashRule() == -1 && cp.getLevel(k) < base);
      target.setLineStyle(dashed ? 2 : 1);
      target.setLineWidth(Const::isMiss(cp.getLineWidth()) ? 1.0f : cp.getLineWidth());
    }
    scratch.clear();
    scratch.reserve(n);
    for (int p = 0; p < n; p++) scratch.add(flip(pts[p]));
    target.drawLine(scratch);
  }
  void fill(int k, const Point* pts, const int* counts, int rings) override
  {
    if (fillColors[k] < 0) return;
    target.setFillColor(fillColors[k]);
    target.setFillStyle(Const::isMiss(cp.getFillStyle()) ? 0 : cp.getFillStyle());
    scratch.clear();
    ringCounts.assign(counts, counts + rings);
    int total = 0;
    for (int r = 0; r < rings; r++) total += counts[r];
    scratch.reserve(total);
    for (int p = 0; p < total; p++) scratch.add(flip(pts[p]));
    target.drawFillPath(scratch, ringCounts);
    lastLevel = -1;
  }
  void label(int, float value, const Point& at) override { text(value, at, 0.015f); }
  void extreme(bool high, float value, const Point& at) override
  {
    target.setTextHeight(cp.getScaleFactor() * height * 0.02f);
    target.drawText(flip(at), high ? "H" : "L");
    // The value goes 0.02 of the height lower: down the rows for a grid, down y on a plot.
    Point below(at.x, rows > 0 ? at.y + 0.02f * height : at.y - 0.02f * height);
    text(value, below, 0.015f);
  }

 private:
  Point flip(const Point& p) const { return rows > 0 ? Point(p.x, rows - p.y) : p; }
  void text(float value, const Point& at, float size)
  {
    String s;
    cp.levelText(value, s);
    target.setTextHeight(cp.getScaleFactor() * height * size);
    target.drawText(flip(at), s.get());
  }
  Target& target;
  float rows, height;
  const ContPlot& cp;
  std::vector<int> lineColors, fillColors;
  int lastLevel = -1;
  Points scratch;
  std::vector<int> ringCounts;
};

}  // namespace

// The map's fill palette: the "fillNN" entries when the map has them, else every fill entry
// after white and black.
std::vector<int> ContPlot::fillPalette(Graph& graph)
{
  std::vector<int> out;
  ColorMap& map = graph.getColorMap();
  for (int i = 0; i < map.getNum(); i++)
    if (const char* n = map.getName(i); n && std::strncmp(n, "fill", 4) == 0) out.push_back(i);
  for (int i = 2; out.empty() && i < map.getNumFill(); i++) out.push_back(i);
  return out;
}

int ContPlot::draw(Graph& graph, const Grid& g)
{
  int nx = g.getNx(), ny = g.getNy();
  if (!colorTable.empty()) {
    ColorMap map;
    if (ColorFile::read(colorTable.c_str(), map)) graph.setColorMap(map);
  }
  std::vector<int> palette = fillPalette(graph);
  if (!setLevels(g, static_cast<int>(palette.size()))) {
    Kol::outWarning("ContPlot: nothing to contour\n");
    return 0;
  }
  if (nx < 2 || ny < 2) {
    Kol::outWarning("ContPlot: grid of %d x %d points has no cells\n", nx, ny);
    return 0;
  }
  int bands = nlevels;
  if (bands > static_cast<int>(palette.size()) && (type == FILL || type == LINE_FILL))
    Kol::outWarning("ContPlot: %d bands share %d colours\n", bands,
                    static_cast<int>(palette.size()));
  std::vector<int> fills(bands, -1), lines(bands, -1);
  int lineColor = graph.getColor(lineColorName(graph.getInverse()));
  for (int k = 0; k < bands; k++) {
    if (!palette.empty()) fills[k] = palette[static_cast<std::size_t>(k) * palette.size() / bands];
    lines[k] = lineColor;
  }
  graph.setWindow(Rect(0.0f, 0.0f, static_cast<float>(nx - 1), static_cast<float>(ny - 1)));
  DrawSink<Graph> sink(graph, static_cast<float>(ny - 1), static_cast<float>(ny - 1), *this, lines,
                       fills);
  if (type == FILL || type == LINE_FILL || type == NONE) contourFills(g, nullptr, sink);
  if (type == LINE || type == LINE_FILL) contourLines(g, nullptr, sink);
  int labelColor = graph.getColor(labelColorName(graph.getInverse()));
  graph.setTextColor(labelColor);
  graph.setTextAlign(2, 3);
  if (type == VALUE) return drawValues(graph, g);
  annotate(g, nullptr, sink);
  return 1;
}

// Lines between fills are black on any background; plain lines are white on a dark one and
// black on paper or a white picture.
const char* ContPlot::lineColorName(bool inverse) const
{
  if (!colorLine.empty()) return colorLine.c_str();
  return type == FILL || inverse ? "black" : "white";
}

const char* ContPlot::labelColorName(bool inverse) const
{
  if (!colorLabel.empty()) return colorLabel.c_str();
  return type == FILL ? "black" : lineColorName(inverse);
}

int ContPlot::draw(Plot& plot, Grid& g)
{
  if (!colorTable.empty()) {
    ColorMap map;
    if (ColorFile::read(colorTable.c_str(), map)) plot.setColorMap(map);
  }
  ColorFill cf;
  if (!colorFill.empty()) cf.set(plot.getColorMap(), colorFill.c_str());
  std::vector<float> saved = explicitLevels;
  if (cf.isValues())
    for (int k = 0; k < cf.getNumValues(); k++) explicitLevels.push_back(cf.getValue(k));
  std::vector<int> palette = fillPalette(plot.getGraph());
  int n = setLevels(g, cf.getNum() > 0 ? cf.getNum() : static_cast<int>(palette.size()));
  explicitLevels = saved;
  if (n == 0 || g.getNx() < 2 || g.getNy() < 2) {
    Kol::outWarning("ContPlot: nothing to contour\n");
    return 0;
  }
  if (cf.getNum() == 0) {
    // One colour per band, spread over the palette so that every band has one.
    if (n > static_cast<int>(palette.size()) && (type == FILL || type == LINE_FILL))
      Kol::outWarning("ContPlot: %d bands share %d colours\n", n, static_cast<int>(palette.size()));
    for (int k = 0; k < n && !palette.empty(); k++)
      cf.add(palette[static_cast<std::size_t>(k) * palette.size() / n], levels[k]);
  } else if (!cf.isValues()) {
    cf.setInterval(usedInterval);
    cf.setBase(Const::isMiss(base) ? first : base);
  }
  std::vector<int> fills(n, -1), lines(n, -1);
  int lineColor = plot.getColorValue(lineColorName(plot.getGraph().getInverse()));
  for (int k = 0; k < n; k++) {
    fills[k] = cf.getColor(levels[k]);
    lines[k] = lineColor;
  }
  Domain& d = plot.getDomain();
  if (!g.isLocate()) GridBox::locateAll(g, d);
  Rect win = plot.getGraph().getWindow();
  const Rect savedArea = markArea;
  if (markArea.isMiss()) markArea = win;
  DrawSink<Plot> sink(plot, 0.0f, std::fabs(win.y2 - win.y1), *this, lines, fills);
  if (type == FILL || type == LINE_FILL || type == NONE) contourFills(g, &d, sink);
  if (type == LINE || type == LINE_FILL) contourLines(g, &d, sink);
  plot.setTextAlign(2, 3);
  plot.setTextColor(plot.getColorValue(labelColorName(plot.getGraph().getInverse())));
  if (type == VALUE) {
    markArea = savedArea;
    return drawValues(plot, g);
  }
  annotate(g, &d, sink);
  markArea = savedArea;
  if (bar) plot.setBar(cf, Range(first, last));
  return 1;
}

namespace {

// A plot without a date of its own is labelled with the field's valid time.
void takeFieldDate(Plot& plot, const Grid& g)
{
  plot.setDate(g.getDate());
  const float hours = g.getForeHours();
  if (!Const::isMiss(hours) && hours >= 0.0f) plot.setForeHour(hours);
  if (g.getSource() != Const::MISS && !*plot.getDataSource())
    plot.setDataSource(std::to_string(g.getSource()).c_str());
}

// Three significant digits, but whole numbers below a million without an exponent.
void rangeText(float v, String& out)
{
  Tools::toString(v, 3, out);
  if (std::strchr(out.get(), 'e') && std::fabs(v) >= 1.0f && std::fabs(v) < 1e6f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", static_cast<double>(v));
    out = buf;
  }
}

}  // namespace

int ContPlot::drawLabels(Plot& plot, const Grid& g)
{
  if (g.getValid() <= 0) return 0;
  if (!plot.getDate().isSet()) takeFieldDate(plot, g);
  plot.setLabel("ul", g.getInfo());
  plot.setLabel("ur", g.getDatim());
  float min = 0, max = 0;
  g.getRange(min, max);
  String lo, hi, ci;
  rangeText(min, lo);
  rangeText(max, hi);
  char text[120];
  if (Const::isMiss(usedInterval) || usedInterval <= 0.0f) {
    std::snprintf(text, sizeof text, "Lo: %s Hi: %s", lo.get(), hi.get());
  } else {
    rangeText(usedInterval, ci);
    std::snprintf(text, sizeof text, "Int: %s Lo: %s Hi: %s", ci.get(), lo.get(), hi.get());
  }
  plot.setLabel("lr", text);
  return 1;
}

namespace {

// A user format is used only with a single floating-point conversion; anything else could read
// arguments that are not there.
bool floatFormat(const std::string& f)
{
  int conversions = 0;
  for (std::size_t i = 0; i < f.size(); i++) {
    if (f[i] != '%') continue;
    if (i + 1 < f.size() && f[i + 1] == '%') {
      i++;
      continue;
    }
    std::size_t c = f.find_first_not_of("0123456789.-+ #", i + 1);
    if (c == std::string::npos || !std::strchr("eEfgG", f[c])) return false;
    conversions++;
    i = c;
  }
  return conversions == 1;
}

}  // namespace

void ContPlot::levelText(float v, String& out) const
{
  // Decimals enough to tell the levels apart: none for 4 or 400, one for 0.5 or 2.5.
  int decimals = 0;
  const double ci = usedInterval;
  if (!Const::isMiss(usedInterval) && ci > 0.0 && std::isfinite(ci))
    while (decimals < 6 &&
           std::fabs(ci * std::pow(10.0, decimals) - std::round(ci * std::pow(10.0, decimals))) >
               1e-3 * ci * std::pow(10.0, decimals))
      decimals++;
  if (v == 0.0f) {
    out = "0";
    return;
  }
  if (!std::isfinite(v) || std::fabs(v) >= 1e6f || Const::isMiss(usedInterval)) {
    Tools::toString(v, 3, out);
    return;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(v));
  out = std::strtod(buf, nullptr) == 0.0 ? "0" : buf;
}

void ContPlot::valueText(float v, String& out) const
{
  if (!format.empty() && floatFormat(format)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format.c_str(), v);
    out = buf;
  } else {
    Tools::toString(v, out);
  }
}

int ContPlot::drawValues(Graph& graph, const Grid& g)
{
  float rows = static_cast<float>(g.getNy() - 1);
  graph.setTextColor(graph.getColor(colorLabel.empty() ? "green" : colorLabel.c_str()));
  graph.setTextHeight(scale * rows * 0.015f);
  String s;
  for (int j = 0; j < g.getNy(); j++) {
    for (int i = 0; i < g.getNx(); i++) {
      float v = g.getValue(i, j);
      if (Const::isMiss(v)) continue;
      valueText(v, s);
      graph.drawText(static_cast<float>(i), rows - static_cast<float>(j), s.get());
    }
  }
  return 1;
}

int ContPlot::drawValues(Plot& plot, const Grid& g)
{
  Rect win = plot.getGraph().getWindow();
  plot.setTextColor(plot.getColorValue(colorLabel.empty() ? "green" : colorLabel.c_str()));
  plot.setTextHeight(scale * std::fabs(win.y2 - win.y1) * 0.015f);
  plot.setTextAlign(2, 3);
  String s;
  for (int j = 0; j < g.getNy(); j++) {
    for (int i = 0; i < g.getNx(); i++) {
      float v = g.getValue(i, j);
      Point p;
      if (Const::isMiss(v) || !GridBox::locate(g, plot.getDomain(), i, j, p) || p.isMiss())
        continue;
      valueText(v, s);
      plot.drawText(p, s.get());
    }
  }
  return 1;
}

void ContPlot::print() const
{
  std::printf("ContPlot: type %d dash %d interval %g base %g range %g %g\n", type, dash, interval,
              base, lower, upper);
  std::printf("  levels %d first %g last %g labels %d %d spacing %d %d scale %g bar %d\n", nlevels,
              first, last, labFreq, labRadius, labSpaceX, labSpaceY, scale, bar);
}

}  // namespace KOL
