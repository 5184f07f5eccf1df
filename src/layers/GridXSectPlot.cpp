#include "layers/GridXSectPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "grid/GridFile.h"
#include "grid/GridMath.h"
#include "layers/UpaXSectCont.h"
#include "layers/XSectionPlot.h"
#include "obs/Calc.h"
#include "obs/VCoord.h"

namespace KOL {

namespace {

constexpr float MISS = Const::FMISS;

bool readPoint(const char* text, EarthPoint& e)
{
  float lat, lon;
  if (!text || std::sscanf(text, "%f:%f", &lat, &lon) != 2 || std::fabs(lat) > 90) return false;
  e = EarthPoint(lat, lon);
  return true;
}

std::string placeName(const EarthPoint& e)
{
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%c %.1f%c", std::fabs(e.lat), e.lat < 0 ? 'S' : 'N',
                std::fabs(e.lon), e.lon < 0 ? 'W' : 'E');
  return text;
}

}  // namespace

void GridXSectPlot::init()
{
  fileName.clear();
  contour.clear();
  variable = "theta";
  plotType.clear();
  from = to = EarthPoint();
  section = xsect::Section();
  points.clear();
  grid.init();
  fieldDate.init();
  Resrc& r = Kol::resrc;
  if (const char* t = r.get("variable"); StrLib::valid(t)) variable = t;
  if (const char* t = r.get("plot_type"); StrLib::valid(t)) plotType = t;
  if (const char* t = r.get("parameter"); StrLib::valid(t)) setParam(t);
}

int GridXSectPlot::setFilename(const char* name)
{
  fileName = name ? name : "";
  return StrLib::valid(name);
}

int GridXSectPlot::setEnds(const EarthPoint& a, const EarthPoint& b)
{
  from = a, to = b;
  return 1;
}

int GridXSectPlot::setParam(const char* text)
{
  Strings items;
  items.set(text ? text : "", ',');
  for (int i = 0; i < items.getNum(); ++i) {
    const std::string t = items.getString(i) ? items.getString(i) : "";
    const size_t eq = t.find('=');
    const std::string key = t.substr(0, eq),
                      value = eq == std::string::npos ? "" : t.substr(eq + 1);
    if (key == "va")
      variable = value;
    else if (key == "pl")
      plotType = value;
    else if ((key == "from" && !readPoint(value.c_str(), from)) ||
             (key == "to" && !readPoint(value.c_str(), to)))
      Kol::outWarning("GridXSectPlot: unreadable point %s\n", value.c_str());
    else if (key == "top")
      section.top = std::strtof(value.c_str(), nullptr);
    else if (key == "bot")
      section.bottom = std::strtof(value.c_str(), nullptr);
    else if (key != "from" && key != "to" && !t.empty())
      contour += (contour.empty() ? "" : ",") + t;
  }
  return 1;
}

int GridXSectPlot::sample(const char* name, std::vector<Level>& out, Date& when) const
{
  out.clear();
  GridFile f;
  if (!f.open(fileName.c_str())) return 0;
  for (Grid g; f.read(g); g.init()) {
    // isobaric surfaces only, not layers above the ground
    const KOL::Level& level = g.getVarSpec().getLevel();
    VCoord at;
    if (std::strcmp(g.getVarSpec().getName(), name) || !level.isPres() || level.isLayer() ||
        !level.getLower(at))
      continue;
    if (UpaXSectCont::known(name)) GridMath::units(g, UpaXSectCont::units(name));
    Level l{level.lower_value, {}};
    for (const EarthPoint& e : points) l.values.push_back(g.getValue(e));
    out.push_back(std::move(l));
    when = g.getDate();
  }
  std::sort(out.begin(), out.end(), [](const Level& a, const Level& b) { return a.pres > b.pres; });
  return static_cast<int>(out.size());
}

std::vector<float> GridXSectPlot::readSurface() const
{
  GridFile f;
  if (!f.open(fileName.c_str())) return {};
  for (Grid g; f.read(g); g.init()) {
    if (std::strcmp(g.getVarSpec().getName(), "pres") ||
        g.getVarSpec().getLevel().lower_type != KOL::Level::SURFACE)
      continue;
    GridMath::units(g, "mb");
    std::vector<float> out;
    for (const EarthPoint& e : points) out.push_back(g.getValue(e));
    return out;
  }
  return {};
}

// Potential temperature from temperature, wind speed from its components.
int GridXSectPlot::derive(std::vector<Level>& out, Date& when) const
{
  if (variable == "theta") {
    if (!sample("temp", out, when)) return 0;
    for (Level& l : out)
      for (float& v : l.values) v = v == MISS ? MISS : Calc::potTemp(v + 273.15f, l.pres);
    return static_cast<int>(out.size());
  }
  std::vector<Level> v;
  if (!sample("uwnd", out, when) || !sample("vwnd", v, when) || v.size() != out.size()) return 0;
  for (size_t k = 0; k < out.size(); ++k)
    for (size_t i = 0; i < points.size(); ++i) {
      float& u = out[k].values[i];
      const float w = v[k].values[i];
      u = u == MISS || w == MISS ? MISS : Calc::windSpd(u, w) / 0.514444f;
    }
  return static_cast<int>(out.size());
}

int GridXSectPlot::read()
{
  section.length = Calc::earthDist(from.lat, from.lon, to.lat, to.lon);
  if (!(section.length > 0)) {
    Kol::outWarning("GridXSectPlot: the section needs two different points (from= and to=)\n");
    return 0;
  }
  points.clear();
  for (int i = 0; i < section.columns; ++i)
    points.push_back(
        xsect::alongGreatCircle(from, to, static_cast<float>(i) / (section.columns - 1)));
  std::vector<Level> levels;
  const bool derived = variable == "theta" || variable == "wspd";
  if ((derived ? derive(levels, fieldDate) : sample(variable.c_str(), levels, fieldDate)) < 2) {
    Kol::outWarning("GridXSectPlot: no %s on two pressure levels in %s\n", variable.c_str(),
                    fileName.c_str());
    return 0;
  }
  // the section spans the field's levels
  section.bottom = std::min(section.bottom, levels.front().pres);
  section.top = std::max(section.top, levels.back().pres);
  surface = readSurface();
  std::vector<xsect::Profile> profiles;
  for (int i = 0; i < section.columns; ++i) {
    xsect::Profile p{section.distance(i), std::vector<float>(section.rows, MISS)};
    const float ground = surface.empty() ? MISS : surface[static_cast<size_t>(i)];
    for (int j = 0; j < section.rows; ++j) {
      const float pr = section.pressure(j);
      // under the ground, but for the first row there: the contours reach into the ground's fill
      if (ground != MISS && j > 0 && section.pressure(j - 1) > ground) break;
      for (size_t k = 0; k + 1 < levels.size(); ++k) {
        const Level &lo = levels[k], &hi = levels[k + 1];
        if (pr > lo.pres || pr < hi.pres) continue;
        const float a = lo.values[i], b = hi.values[i];
        if (a != MISS && b != MISS)
          p.values[j] = a + (b - a) * std::log(lo.pres / pr) / std::log(lo.pres / hi.pres);
        break;
      }
    }
    profiles.push_back(std::move(p));
  }
  grid = xsect::fill(section, profiles);
  grid.setVar(variable.c_str());
  grid.setUnits(UpaXSectCont::units(variable.c_str()));
  grid.setDate(fieldDate);
  return 1;
}

int GridXSectPlot::getDomain(Domain& d)
{
  if (!grid.isData() && !read()) return 0;
  d = section.domain();
  return 1;
}

int GridXSectPlot::getDate(Date& d)
{
  d = fieldDate;
  return d.isSet();
}

// The ground as a dark fill under the surface pressure, over the contours' ragged lower edge.
void GridXSectPlot::drawGround(Plot& plot) const
{
  if (surface.empty()) return;
  EarthPoints under;
  under.add(EarthPoint(section.x(0), section.bottom));
  for (int i = 0; i < section.columns; ++i) {
    const float p = surface[static_cast<size_t>(i)];
    if (p != MISS)
      under.add(EarthPoint(section.x(section.distance(i)), std::min(p, section.bottom)));
  }
  under.add(EarthPoint(section.x(section.length), section.bottom));
  if (under.getNum() < 4) return;
  plot.setFillColor("peru");
  plot.drawFill(under);
  plot.setFill();
}

int GridXSectPlot::draw(Plot& plot)
{
  if (!grid.isData() && !read()) return 0;
  UpaXSectCont cont;
  cont.setGrid(grid, variable.c_str());
  cont.setParam((plotType.empty() ? contour : plotType + "," + contour).c_str());
  if (cont.drawsBar()) XSectionPlot::reserveBar(plot);
  cont.draw(plot);
  drawGround(plot);
  char line[80];
  std::snprintf(line, sizeof line, "Cross section %s - %s", placeName(from).c_str(),
                placeName(to).c_str());
  plot.setLabel("ul", line);
  plot.done();
  XSectionPlot frame;
  frame.setSection(section);
  frame.addPlace(placeName(from).c_str(), 0);
  frame.addPlace(placeName(to).c_str(), section.length);
  frame.draw(plot);
  return 1;
}

void GridXSectPlot::print()
{
  std::printf("GridXSectPlot\nFile: %s\nVariable: %s\n", fileName.c_str(), variable.c_str());
}

}  // namespace KOL
