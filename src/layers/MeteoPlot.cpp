#include "layers/MeteoPlot.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "graphics/Plot.h"
#include "graphics/WindPlot.h"
#include "graphics/plot/PlotParams.h"
#include "layers/VarList.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/text/TextProductFile.h"

namespace KOL {

namespace {

using Field = MeteoSeries::Field;

constexpr float LEFT = 80, RIGHT = 20, TOP = 20, BOTTOM = 55, GAP = 24;
constexpr float TEXT = 13;  // plot units
const char* const DEFAULT_COLORS[] = {"red", "limegreen", "blue", "grey00", "grey05", "darkgreen"};

struct PanelKind {
  Field field;
  float weight;
  const char* title;
};
const PanelKind KINDS[] = {{MeteoSeries::TEMP, 3.0f, "Temperature, dew point"},
                           {MeteoSeries::PRES, 1.6f, "Sea-level pressure (hPa)"},
                           {MeteoSeries::WIND, 1.0f, "Wind (kt)"},
                           {MeteoSeries::COVER, 1.0f, "Sky cover (%)"},
                           {MeteoSeries::PREC, 1.4f, "Precipitation (mm)"}};

const PanelKind& kindOf(Field f)
{
  for (const PanelKind& k : KINDS)
    if (k.field == f) return k;
  return KINDS[0];
}

bool miss(float v) { return Const::isMiss(v); }

// A round step giving about n intervals over a range: 1, 2, 2.5 or 5 times a power of ten.
float niceStep(float range, int n)
{
  const float raw = range > 0 ? range / n : 1.0f;
  const float mag = std::pow(10.0f, std::floor(std::log10(raw)));
  for (float m : {1.0f, 2.0f, 2.5f, 5.0f})
    if (m * mag >= raw * 0.999f) return m * mag;
  return 10 * mag;
}

// A regular file whose first block holds no NUL byte (MOS bulletins, filed or plain).
bool textFile(const char* name)
{
  struct stat st {};
  if (!name || stat(name, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream in(name, std::ios::binary);
  char head[512];
  in.read(head, sizeof head);
  return in.gcount() > 0 && std::memchr(head, '\0', static_cast<size_t>(in.gcount())) == nullptr;
}

// The time-axis step: about eight ticks over the span, whole hours that divide a day.
long tickStep(long span)
{
  for (long h : {1, 3, 6, 12})
    if (span / (3600 * h) <= 12) return 3600 * h;
  return 86400;
}

}  // namespace

void MeteoPlot::init()
{
  file.init();
  setNameConv(CONVENTION);
  timezone.init();
  zoneText.clear();
  identifier.clear(), model.clear();
  gridColor = "grey06", labelColor = "grey00";
  dataColors.clear();
  tempUnits.clear();
  variable = DEFAULT_VARIABLE;
  choice.all();
  hours = DEFAULT_HOURS;
  series = MeteoSeries();
  fileDate.init();
  t0 = t1 = 0;
  panels.clear();
  setFile();
  Resrc& r = Kol::resrc;
  if (const char* m = r.get("model"); StrLib::valid(m)) setModel(m);
  if (const char* id = r.get("identifier"); StrLib::valid(id)) setIdentifier(id);
  if (const char* tz = r.get("timezone"); StrLib::valid(tz)) zoneText = tz, timezone.set(tz);
  if (const char* c = r.get("color_data"); StrLib::valid(c))
    setParam(("co=" + std::string(c)).c_str());
  if (const char* c = r.get("color_grid"); StrLib::valid(c)) gridColor = c;
  if (const char* c = r.get("color_label"); StrLib::valid(c)) labelColor = c;
  if (const char* v = r.get("variable"); StrLib::valid(v)) setVariable(v);
  if (const char* p = r.get("parameter"); StrLib::valid(p)) setParam(p);
}

int MeteoPlot::setFile()
{
  Resrc& r = Kol::resrc;
  if (const char* c = r.get("in_file"); StrLib::valid(c)) setNameConv(c);
  if (const char* n = r.get("num_hour"); StrLib::valid(n)) setNumHours(std::atoi(n));
  return 1;
}

int MeteoPlot::setNameConv(const char* c)
{
  conv = StrLib::valid(c, CONVENTION);
  return file.setNameConv(conv.c_str());
}
int MeteoPlot::setFilename()
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile();
}
int MeteoPlot::setFilename(const char* name) { return file.setFile(name); }
int MeteoPlot::setFilename(Date& d)
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile(d, "la");
}

int MeteoPlot::getDate(Date& d) { return file.getDate(d) && d.isSet(); }

int MeteoPlot::setParam(const char* text)
{
  for (const std::string& f : PlotParams::split(text)) {
    const char* k = f.c_str();
    const std::string v = PlotParams::valueOf(f, f.size());
    if (!strncasecmp(k, "tz", 2))
      zoneText = v, timezone.set(v.c_str());
    else if (!strncasecmp(k, "cog", 3))
      gridColor = v;
    else if (!strncasecmp(k, "col", 3))
      labelColor = v;
    else if (!strncasecmp(k, "va", 2)) {
      setVariable(v.c_str());
      std::replace(variable.begin(), variable.end(), '/', ',');  // commas end the key
    } else if (!strncasecmp(k, "tu", 2))
      tempUnits = v.empty() ? "" : std::string(1, static_cast<char>(std::toupper(v[0])));
    else if (!strncasecmp(k, "co", 2)) {
      dataColors.clear();
      for (size_t s = 0; s <= v.size();) {
        const size_t e = std::min(v.find(':', s), v.size());
        if (e > s) dataColors.push_back(v.substr(s, e - s));
        s = e + 1;
      }
    }
  }
  return 1;
}

bool MeteoPlot::mosSource() const
{
  return !strncasecmp(conv.c_str(), "mos", 3) ||
         (textFile(file.getName()) && SfcFile::checkType(file.getName()) <= 0);
}

// The last num_hour hourly files of the convention up to the file found, or the files named.
int MeteoPlot::readSurface()
{
  std::vector<std::string> names;
  if (file.isFixed())
    for (int i = 0; i < file.getNumFiles(); ++i) names.emplace_back(file.getName(i));
  else
    for (int k = hours - 1; k >= 0; --k) {
      Date d = fileDate;
      d += -3600 * k;
      names.emplace_back(Filename(conv.c_str(), d).getName());
    }
  int files = 0;
  for (const std::string& n : names) {
    SfcFile in;
    struct stat st {};
    if (stat(n.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || SfcFile::checkType(n.c_str()) <= 0 ||
        !in.open(n.c_str()))
      continue;
    ++files;
    SfcData s;
    while (in.read(s)) series.addReport(s);
  }
  return files;
}

int MeteoPlot::readMos(const char* name)
{
  TextProductFile in;
  if (!textFile(name) || !in.open(name)) return 0;
  TextProduct p;
  while (in.read(p)) {
    MosBulletin b;
    if (!b.parse(p)) continue;
    for (const MosBulletin::Station& s : b.stations)
      if (model.empty() || !strncasecmp(s.model.c_str(), model.c_str(), model.size()))
        if (series.addMos(s)) return 1;
  }
  return 0;
}

int MeteoPlot::load()
{
  if (!file.isSet()) setFilename("la");
  series = MeteoSeries();
  series.station = identifier;
  series.source = "Surface reports";
  fileDate.init();
  file.getDate(fileDate);
  const char* name = file.getName();
  const bool mos = mosSource();
  const int ok = mos ? readMos(name) : fileDate.isSet() || file.isFixed() ? readSurface() : 0;
  series.finish();
  return ok && !series.empty();
}

int MeteoPlot::getDomain(Domain& d)
{
  DomainVal v;
  v.proj = 21;
  v.clat = WIDTH / 2, v.clon = HEIGHT / 2;
  v.nx = static_cast<int>(WIDTH) + 1, v.ny = static_cast<int>(HEIGHT) + 1;
  v.dx = v.dy = 1;
  d = Domain(v);
  return 1;
}

void MeteoPlot::choosePanels()
{
  const char* varFile = StrLib::valid(Kol::resrc.get("var_file"), DEFAULT_VAR_FILE);
  VarList list, scratch;
  list.setFile(varFile);
  scratch.setFile(varFile);
  list.process(variable.c_str(), scratch);
  if (!choice.choose(list))
    Kol::outWarning("MeteoPlot: nothing to draw in %s, every panel drawn\n", variable.c_str());
}

void MeteoPlot::layout()
{
  panels.clear();
  std::vector<PanelKind> kinds;
  float total = 0;
  for (Field f : choice.order)
    if (series.has(f)) kinds.push_back(kindOf(f)), total += kindOf(f).weight;
  const float room = HEIGHT - TOP - BOTTOM;
  const auto n = static_cast<float>(kinds.size());
  float top = HEIGHT - TOP;
  const float unit = (room - GAP * (n - 1)) / total;
  for (const PanelKind& k : kinds) {
    Panel p{k.field, Rect(LEFT, top - k.weight * unit, WIDTH - RIGHT, top), 0, 1, 1};
    float lo = 1e30f, hi = -1e30f;
    for (const MeteoSample& s : series.samples) {
      for (Field f : {k.field, k.field == MeteoSeries::TEMP ? MeteoSeries::DEWP : k.field})
        if (float v = shown(f, MeteoSeries::value(s, f)); choice.traces[f].wanted && !miss(v))
          lo = std::min(lo, v), hi = std::max(hi, v);
      if (k.field == MeteoSeries::TEMP && !miss(s.extreme))
        lo = std::min(lo, shown(k.field, s.extreme)), hi = std::max(hi, shown(k.field, s.extreme));
    }
    if (lo > hi) lo = 0, hi = 1;  // the list's traces of this panel have no value
    // room for the values written over the maxima and under the minima
    if (k.field == MeteoSeries::TEMP && series.hasExtremes()) {
      const float room = 0.12f * (hi - lo);
      lo -= room, hi += room;
    }
    // room for the running total of the amounts
    if (k.field == MeteoSeries::PREC && !series.probability)
      hi = std::max(hi, shown(k.field, series.totalPrecipitation()));
    if (k.field == MeteoSeries::COVER) lo = 0, hi = 1;
    if (k.field == MeteoSeries::PREC || k.field == MeteoSeries::WIND)
      lo = 0,
      hi = std::max(
          hi, series.probability || k.field == MeteoSeries::WIND ? 20.0f : shown(k.field, 2.0f));
    if (k.field == MeteoSeries::PREC && series.probability) hi = 100;
    p.step = k.field == MeteoSeries::COVER                        ? 0.25f
             : k.field == MeteoSeries::PREC && series.probability ? 25.0f
                                                                  : niceStep(hi - lo, 4);
    p.lo = std::floor(lo / p.step) * p.step;
    p.hi = std::max(std::ceil(hi / p.step) * p.step, p.lo + p.step);
    panels.push_back(p);
    top -= k.weight * unit + GAP;
  }
}

float MeteoPlot::xOf(long time) const
{
  return LEFT +
         (WIDTH - LEFT - RIGHT) * static_cast<float>(time - t0) / static_cast<float>(t1 - t0);
}

Point MeteoPlot::where(Field f, long time, float value) const
{
  const Field panel = f == MeteoSeries::DEWP ? MeteoSeries::TEMP : f;
  const float v = shown(f, value);
  for (const Panel& p : panels)
    if (p.field == panel && !miss(v))
      return Point(xOf(time), p.box.y1 + (p.box.y2 - p.box.y1) * (v - p.lo) / (p.hi - p.lo));
  return Point();
}

bool MeteoPlot::fahrenheit() const
{
  const std::string& listed = choice.traces[MeteoSeries::TEMP].units.empty()
                                  ? choice.traces[MeteoSeries::DEWP].units
                                  : choice.traces[MeteoSeries::TEMP].units;
  const std::string& asked = tempUnits.empty() ? listed : tempUnits;
  return asked.empty() ? series.probability : (asked == "F" || asked == "f");
}

// A value in the units the panel shows.
float MeteoPlot::shown(Field f, float value) const
{
  const bool temperature = f == MeteoSeries::TEMP || f == MeteoSeries::DEWP;
  if (miss(value)) return value;
  if (temperature) return fahrenheit() ? value * 9.0f / 5.0f + 32.0f : value;
  return f == MeteoSeries::PREC && series.probability ? value : value * choice.traces[f].scale;
}

std::string MeteoPlot::title(const Panel& p) const
{
  if (p.field == MeteoSeries::TEMP)
    return std::string(kindOf(p.field).title) + (fahrenheit() ? " (F)" : " (C)") +
           (series.hasExtremes() ? ", maximum and minimum" : "");
  const std::string& units = choice.traces[p.field].units;
  if (p.field == MeteoSeries::PRES && !units.empty()) return "Sea-level pressure (" + units + ")";
  if (p.field != MeteoSeries::PREC) return kindOf(p.field).title;
  if (series.probability)
    return series.precHours == 12 ? "12-h precipitation probability (%)"
                                  : "6-h precipitation probability (%)";
  const char* u = units.empty() ? "mm" : units.c_str();
  char total[96];
  std::snprintf(total, sizeof total, "Precipitation (%s), %.*f %s in %ld h", u,
                choice.traces[p.field].scale < 0.5f ? 2 : 1,
                static_cast<double>(shown(p.field, series.totalPrecipitation())), u,
                (t1 - t0 + 1800) / 3600);
  return total;
}

const char* MeteoPlot::color(int trace) const
{
  if (dataColors.empty())
    return choice.traces[trace].color.empty() ? DEFAULT_COLORS[trace]
                                              : choice.traces[trace].color.c_str();
  return dataColors[std::min<size_t>(trace, dataColors.size() - 1)].c_str();
}

void MeteoPlot::drawAxes(Plot& plot, const Panel& p) const
{
  plot.setLine(gridColor.c_str());
  plot.setTextColor(labelColor.c_str());
  plot.setTextHeight(TEXT);
  plot.setTextAlign(3, 2);
  const bool percent = p.field == MeteoSeries::COVER;
  char text[16];
  for (float v = p.lo; p.field != MeteoSeries::WIND && v <= p.hi + p.step / 100; v += p.step) {
    const float y = p.box.y1 + (p.box.y2 - p.box.y1) * (v - p.lo) / (p.hi - p.lo);
    plot.drawLine(Point(p.box.x1, y), Point(p.box.x2, y));
    std::snprintf(text, sizeof text, "%g", percent ? std::round(v * 100) : v);
    plot.drawText(Point(p.box.x1 - 5, y), text);
  }
  const long step = tickStep(t1 - t0);
  const long shift = timezone.isSet() ? timezone.getOffset() : 0;
  for (long t = ((t0 + shift + step - 1) / step) * step - shift; t <= t1; t += step)
    plot.drawLine(Point(xOf(t), p.box.y1), Point(xOf(t), p.box.y2));
  plot.drawRect(p.box);
  plot.setTextAlign(1, 0);  // on a line above the panel
  plot.drawText(Point(p.box.x1 + 4, p.box.y2 + 5), title(p).c_str());
}

void MeteoPlot::drawTimeAxis(Plot& plot) const
{
  if (panels.empty()) return;
  const float y = panels.back().box.y1;
  const long step = tickStep(t1 - t0);
  const long shift = timezone.isSet() ? timezone.getOffset() : 0;
  plot.setTextColor(labelColor.c_str());
  plot.setTextHeight(TEXT);
  long lastDay = -1;
  for (long t = ((t0 + shift + step - 1) / step) * step - shift; t <= t1; t += step) {
    const Date local(t + shift);
    plot.setTextAlign(2, 2);  // hanging under the axis
    if (xOf(t) > LEFT + 12) plot.drawText(Point(xOf(t), y - 4), local.format("%H").c_str());
    const long day = (t + shift) / 86400;
    const bool midnight = (t + shift) % 86400 == 0;
    if (day == lastDay || (!midnight && xOf((day + 1) * 86400 - shift) - xOf(t) < 90)) continue;
    lastDay = day;
    static const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const std::string label = DAYS[(local.getDayOfWeek() % 7 + 7) % 7] + local.format(" %m/%d");
    plot.drawText(Point(xOf(t), y - 8 - 1.4f * TEXT), label.c_str());
  }
  plot.setTextAlign(3, 2);
  const std::string zone = timezone.isSet() ? std::string(timezone.getName()) : "UTC";
  plot.drawText(Point(LEFT - 5, y - 10), zone.c_str());  // clear of the axis's 0
}

void MeteoPlot::drawLine(Plot& plot, Field f, const char* c) const
{
  plot.setLine(c);
  plot.setLineWidth(2);
  plot.setMarkColor(c);
  Points run;
  for (const MeteoSample& s : series.samples) {
    const float v = MeteoSeries::value(s, f);
    if (miss(v)) continue;
    const Point at = where(f, s.time, v);
    run.add(at);
    plot.drawCircle(at, 2.5f);
  }
  if (run.getNum() > 1) plot.drawLine(run);
  plot.setLine();
}

void MeteoPlot::drawBars(Plot& plot, const Panel& p, Field f, const char* c) const
{
  plot.setFillColor(c);
  const long span = 3600L * series.precHours;
  for (const MeteoSample& s : series.samples) {
    const float v = MeteoSeries::value(s, f);
    if (miss(v)) continue;
    const float top = std::min(where(f, s.time, v).y, p.box.y2);
    const float x1 = f == MeteoSeries::PREC ? xOf(s.time - span) : xOf(s.time) - 3;
    const float x2 = f == MeteoSeries::PREC ? xOf(s.time) : xOf(s.time) + 3;
    if (top > p.box.y1) plot.drawFill(Rect(std::max(x1, p.box.x1), p.box.y1, x2, top));
  }
}

// Each forecast maximum and minimum as its value over a mark, warm red and cold blue.
void MeteoPlot::drawExtremes(Plot& plot) const
{
  plot.setTextHeight(TEXT);
  for (const MeteoSample& s : series.samples) {
    if (miss(s.extreme)) continue;
    const char* c = s.maximum ? "red" : "blue";
    const Point at = where(MeteoSeries::TEMP, s.time, s.extreme);
    plot.setLine(c), plot.setMarkColor(c), plot.setTextColor(c);
    plot.drawLine(Point(at.x - 6, at.y), Point(at.x + 6, at.y));
    // a maximum's value above its mark, a minimum's under it
    plot.setTextAlign(2, s.maximum ? 0 : 2);
    plot.drawFormText(Point(at.x, s.maximum ? at.y + 4 : at.y - 4), "%.0f",
                      shown(MeteoSeries::TEMP, s.extreme));
  }
  plot.setLine();
}

// The running total of the amounts, a step each time a report adds to it.
void MeteoPlot::drawTotal(Plot& plot, const char* c) const
{
  Points steps;
  float sum = 0;
  for (const MeteoSample& s : series.samples) {
    if (miss(s.prec)) continue;
    const Point before = where(MeteoSeries::PREC, s.time, sum);
    sum += s.prec;
    steps.add(before);
    steps.add(where(MeteoSeries::PREC, s.time, sum));
  }
  if (steps.getNum() < 2) return;
  steps.add(Point(xOf(t1), steps[steps.getNum() - 1].y));
  plot.setLine(c);
  plot.setLineWidth(2);
  plot.drawLine(steps);
  plot.setLine();
}

void MeteoPlot::drawWinds(Plot& plot, const Panel& p) const
{
  WindPlot barbs;
  plot.setLine(color(3));
  plot.setFillColor(color(3));
  const float y = (p.box.y1 + p.box.y2) / 2;
  const float length = std::min(40.0f, 0.4f * (p.box.y2 - p.box.y1));
  float last = -1e9f;
  for (const MeteoSample& s : series.samples) {
    const float x = xOf(s.time);
    if (miss(s.wspd) || x - last < 20) continue;
    last = x;
    if (miss(s.wdir)) {  // speed alone (extended guidance)
      plot.setTextColor(color(3));
      plot.setTextHeight(TEXT);
      plot.setTextAlign(2, 2);
      plot.drawFormText(Point(x, y), "%.0f", s.wspd);
    } else if (s.wspd < 1)
      barbs.drawCalm(plot, Point(x, y), 4);
    else
      barbs.drawBarb(plot, Point(x, y), s.wdir, s.wspd, length);
  }
  plot.setLine();
}

void MeteoPlot::drawPanel(Plot& plot, const Panel& p) const
{
  drawAxes(plot, p);
  switch (p.field) {
    case MeteoSeries::TEMP:
      if (choice.traces[MeteoSeries::DEWP].wanted) drawLine(plot, MeteoSeries::DEWP, color(1));
      if (choice.traces[MeteoSeries::TEMP].wanted) drawLine(plot, MeteoSeries::TEMP, color(0));
      drawExtremes(plot);
      break;
    case MeteoSeries::PRES:
      drawLine(plot, p.field, color(2));
      break;
    case MeteoSeries::WIND:
      drawWinds(plot, p);
      break;
    case MeteoSeries::COVER:
      drawBars(plot, p, p.field, color(4));
      break;
    default:
      drawBars(plot, p, p.field, color(5));
      if (!series.probability) drawTotal(plot, "black");
      break;
  }
}

int MeteoPlot::draw(Plot& plot)
{
  if (!load()) {
    Kol::outMessage(3, "MeteoPlot: Unable to open file: %s\n", StrLib::valid(file.getName(), ""));
    return 0;
  }
  t0 = series.samples.front().time, t1 = series.samples.back().time;
  // a precipitation amount or probability covers the period before its time
  if (series.has(MeteoSeries::PREC)) t0 -= 3600L * series.precHours;
  if (t1 - t0 < 3600) t0 -= 1800, t1 += 1800;
  choosePanels();
  layout();
  for (const Panel& p : panels) drawPanel(plot, p);
  drawTimeAxis(plot);
  plot.setLine(), plot.setFill(), plot.setText(), plot.setMark();
  plot.setLabel("ul", (series.station + "  " + series.source).c_str());
  Date last(t1);
  const std::string span =
      last.format("%Y-%m-%d %HZ, ") + std::to_string((t1 - t0 + 1800) / 3600) + " h";
  plot.setLabel("ur", span.c_str());
  if (!plot.getDate().isSet()) plot.setDate(last);
  plot.done();
  return 1;
}

void MeteoPlot::print()
{
  std::printf("MeteoPlot\n");
  file.print();
  std::printf("Station: %s\nSamples: %zu\n", series.station.c_str(), series.samples.size());
}

}  // namespace KOL
