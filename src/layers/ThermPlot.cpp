#include "layers/ThermPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/DomainVal.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "layers/therm/DiagramView.h"
#include "obs/Calc.h"

namespace KOL {

namespace {

constexpr float KELVIN = 273.15f;
constexpr float TEXT_HEIGHT = 0.015f;
constexpr float ISOBAR_T_STEP = 10.0f;
constexpr float ISOTHERM_P_STEP = 50.0f;
constexpr float SAT_AD_TOP = 200.0f;

struct DiagramRow {
  const char* name;
  const char* title;
  int proj;
  float clat, clon, dx, dy;
};

// The projection, centre and lattice spacing of each diagram; all are 12 x 11.
constexpr DiagramRow DIAGRAMS[] = {{"skewt", "Skew-T", 40, -40, 325, 9, 0.235f},
                                   {"stuve", "Stuve", 41, -20, 394, 11, 0.36f},
                                   {"ema", "Emagram", 42, -20, 325, 11, 0.235f},
                                   {"teph", "Tephigram", 43, -36, 332, 9.090909f, 0.033f},
                                   {"rteph", "Tephigram (unrotated)", 44, -25, 400, 13.6f, 0.049f}};

// Temperature (C) of a curve at a pressure; missing where the curve has none.
using Curve = std::function<float(float)>;

// The curve from bottom to top in steps, a missing temperature breaking it.
void drawCurve(Plot& plot, const Curve& temp, float bottom, float top, float step)
{
  EarthPoints pts;
  for (float p = bottom; p >= top - 0.01f * step; p -= step) pts.add(EarthPoint(temp(p), p));
  plot.drawLine(pts);
}

// Celsius of a Calc temperature, keeping missing.
float celsius(float k) { return Const::isMiss(k) ? Const::FMISS : k - KELVIN; }

void useAttr(Plot& plot, const String& attr)
{
  plot.setLine();
  plot.setLine(attr.get());
}

void useTextAttr(Plot& plot, const String& attr)
{
  plot.setText();
  plot.setText(PlotAttr(attr.get()));
  plot.setTextHeight(TEXT_HEIGHT);
}

}  // namespace

void ThermPlot::init()
{
  type = SKEWT;
  grid_color = "";
  label_color = "";
  mix_ratio = DEFAULT_MIX_RATIOS;
  hor_min = -100, hor_max = 100, hor_step = 10;
  vert_top = 50, vert_bottom = 1050, vert_step = 50;
  range = {Const::FMISS, Const::FMISS, Const::FMISS, Const::FMISS};
  if (const char* c = Kol::resrc.get("color_grid"); c && *c) setGridColor(c);
  if (const char* c = Kol::resrc.get("color_label"); c && *c) setLabelColor(c);
}

int ThermPlot::setParam(const char* params)
{
  Strings tokens;
  tokens.set(params ? params : "", ',');
  for (int i = 0; i < tokens.getNum(); ++i) {
    const char* t = tokens.getString(i);
    if (t && StrLib::equal(t, "ty", 2) && std::strchr(t, '=')) setType(std::strchr(t, '=') + 1);
  }
  return 1;
}

int ThermPlot::getType(const char* name)
{
  for (int i = 0; i < NUM_TYPES; ++i)
    if (name && StrLib::equal(name, DIAGRAMS[i].name)) return i;
  return SKEWT;
}

const char* ThermPlot::getTypeName(int t)
{
  return t >= 0 && t < NUM_TYPES ? DIAGRAMS[t].name : t == HODO ? "hodo" : DIAGRAMS[0].name;
}

const char* ThermPlot::getTypeTitle(int t)
{
  return t >= 0 && t < NUM_TYPES ? DIAGRAMS[t].title : t == HODO ? "Hodograph" : DIAGRAMS[0].title;
}

int ThermPlot::setType(int t)
{
  type = t >= 0 && t < NUM_TYPES ? t : SKEWT;
  return 1;
}

int ThermPlot::setType(const char* name) { return setType(getType(name)); }

int ThermPlot::setVertAxis(float top, float bottom, float step)
{
  if (!(step > 0) || !(top < bottom)) return 0;
  vert_top = top, vert_bottom = bottom, vert_step = step;
  return 1;
}

int ThermPlot::setHorAxis(float min, float max, float step)
{
  if (!(step > 0) || !(min < max)) return 0;
  hor_min = min, hor_max = max, hor_step = step;
  return 1;
}

void ThermPlot::setGridColor(const char* list) { grid_color = list ? list : ""; }
void ThermPlot::setLabelColor(const char* list) { label_color = list ? list : ""; }
void ThermPlot::setMixRatio(const char* list)
{
  mix_ratio = list && *list ? list : DEFAULT_MIX_RATIOS;
}

Domain ThermPlot::getDomain(int t)
{
  DomainVal v;
  if (t == HODO) {
    v.proj = 25;
    v.clat = v.clon = 0;
    v.nx = v.ny = 21;
    v.dx = v.dy = 15;
    return Domain(v);
  }
  const DiagramRow& row = DIAGRAMS[t >= 0 && t < NUM_TYPES ? t : SKEWT];
  v.proj = row.proj;
  v.clat = row.clat, v.clon = row.clon;
  v.nx = 12, v.ny = 11;
  v.dx = row.dx, v.dy = row.dy;
  return Domain(v);
}

int ThermPlot::getDomain(Domain& d)
{
  d = getDomain(type);
  return 1;
}

String ThermPlot::item(const String& list, int i, const char* def)
{
  const std::string s = therm::listItem(list.get(), i);
  return String(s.empty() ? def : s.c_str());
}

// Family 2 dry adiabats, 3 saturated adiabats, 4 mixing-ratio lines: their own item when the
// list has one, else the shared third item, else their own default.
String ThermPlot::curveAttr(int family) const
{
  static const char* const DEFAULTS[] = {"green", "cyan:st=dsh", "brown:st=lsdsh"};
  std::string s = therm::listItem(grid_color.get(), family);
  if (s.empty()) s = therm::listItem(grid_color.get(), 2);
  return String(s.empty() ? DEFAULTS[family - 2] : s.c_str());
}

int ThermPlot::draw(Plot& plot)
{
  plot.message("Thermo Diagram");
  therm::DiagramView view(plot);
  float t[4], p[4];
  for (int i = 0; i < 4; ++i)
    if (!view.corner(i, t[i], p[i])) return 0;
  const float tlo = *std::min_element(t, t + 4), thi = *std::max_element(t, t + 4);
  const float plo = *std::min_element(p, p + 4), phi = *std::max_element(p, p + 4);
  range.tmin = 10 * std::trunc((tlo - 9) / 10);
  range.tmax = 10 * std::trunc((thi + 9) / 10);
  range.top = std::max(50 * std::trunc((plo - 49) / 50), 0.0f);
  range.bottom = 50 * std::trunc((phi + 49) / 50);
  if (type == TEPH) range.bottom += 100;
  range.bottom = type == RTEPH ? BOTTOM_LIMIT : std::min(range.bottom, BOTTOM_LIMIT);
  if (range.top <= 0) range.top = vert_step;

  drawIsobars(plot);
  drawIsotherms(plot);
  drawAdiabats(plot);
  drawMixRatios(plot);
  plot.setLine();
  drawLabels(plot);
  drawFrame(plot);
  return 1;
}

void ThermPlot::drawIsobars(Plot& plot)
{
  useAttr(plot, item(grid_color, 0, "blue"));
  const Range r = range;
  for (float p = r.bottom; p >= r.top - 0.01f; p -= vert_step) {
    EarthPoints pts;
    for (float t = r.tmin; t <= r.tmax + 0.01f; t += ISOBAR_T_STEP) pts.add(EarthPoint(t, p));
    plot.drawLine(pts);
  }
}

void ThermPlot::drawIsotherms(Plot& plot)
{
  useAttr(plot, item(grid_color, 1, "blue"));
  for (float t = range.tmin; t < range.tmax; t += hor_step)
    drawCurve(
        plot, [t](float) { return t; }, range.bottom, range.top, ISOTHERM_P_STEP);
}

void ThermPlot::drawAdiabats(Plot& plot)
{
  useAttr(plot, curveAttr(2));
  for (float theta = 203.15f; theta < 393.15f; theta += 10)
    drawCurve(
        plot, [theta](float p) { return celsius(Calc::tempOnDryAd(theta, p)); }, range.bottom,
        range.top, vert_step);
  useAttr(plot, curveAttr(3));
  const float top = std::max(range.top, SAT_AD_TOP);
  for (float t = 253.15f; t < 313.15f; t += 10) {
    const float thetae = Calc::thetaeOnSatAd(t, 1000);
    drawCurve(
        plot, [thetae](float p) { return celsius(Calc::tempOnSatAd(thetae, p)); }, range.bottom,
        top, vert_step);
  }
}

void ThermPlot::drawMixRatios(Plot& plot)
{
  useAttr(plot, curveAttr(4));
  for (float w : therm::listValues(mix_ratio.get())) {
    if (w <= 0) continue;
    drawCurve(
        plot, [w](float p) { return celsius(Calc::tempOnMixRat(w, p)); }, range.bottom, range.top,
        vert_step);
  }
}

void ThermPlot::drawLabels(Plot& plot)
{
  const therm::DiagramView view(plot);
  const Rect& vp = view.viewport();
  Graph& g = plot.getGraph();
  const int saved = g.getTran();
  g.setTran(Plot::PAGE);
  g.activateTran(Plot::PAGE);
  const bool inverse = g.getInverse();
  char text[16];

  useTextAttr(plot, item(label_color, 0, "lblue"));
  plot.setTextAlign(3, 3);
  const float first = vert_step * std::floor(range.bottom / vert_step);
  const int every = static_cast<int>((range.bottom - range.top) / vert_step / 15 + 1);
  int n = 0;
  for (float p = first; p >= range.top - 0.01f; p -= vert_step, ++n) {
    float y;
    if (n % every || !view.isobarAtLeft(p, y) || y < vp.y1 || y > vp.y2) continue;
    std::snprintf(text, sizeof text, "%.0f", p);
    plot.drawText(vp.x1 - 0.005f, y, text);
  }
  plot.setTextAlign(3, 1);
  plot.drawText(vp.x1 - 0.01f, vp.y1 - 0.015f, "mb");

  useTextAttr(plot, item(label_color, 1, "lblue"));
  plot.setTextAlign(2, 1);
  for (float t = range.tmin; t <= range.tmax + 0.01f; t += hor_step) {
    float x;
    if (!view.isothermAtBottom(t, x) || x < vp.x1 || x > vp.x2) continue;
    std::snprintf(text, sizeof text, "%.0f", t);
    plot.drawText(x, vp.y1 - 0.003f, text);
  }
  plot.setTextAlign(1, 1);
  plot.drawText(vp.x2 + 0.02f, vp.y1 - 0.003f, "C");

  useTextAttr(plot, item(label_color, 2, inverse ? "brown" : "yellow"));
  plot.setTextAlign(2, 1);
  const std::vector<float> values = therm::listValues(mix_ratio.get());
  for (size_t i = 0; i < values.size(); i += 2) {
    const float w = values[i];
    Point at;
    if (!(w > 0) || !view.toPage(celsius(Calc::tempOnMixRat(w, range.bottom)), range.bottom, at) ||
        at.x < vp.x1 || at.x > vp.x2)
      continue;
    std::snprintf(text, sizeof text, w < 10 ? "%.1f" : "%.0f", w);
    plot.drawText(at.x, vp.y1 - 0.018f, text);
  }
  plot.setTextAlign(1, 1);
  plot.drawText(vp.x2 + 0.005f, vp.y1 - 0.018f, "g/kg");

  plot.setText();
  g.setTran(saved);
  g.activateTran(saved);
}

void ThermPlot::drawFrame(Plot& plot)
{
  Graph& g = plot.getGraph();
  const char* c = Kol::resrc.get("color_text");
  plot.setLine();
  plot.setLine(c && *c ? c : g.getInverse() ? "black" : "white");
  const Rect w = g.getGTran(Plot::MAP).getWindow();
  plot.drawRect(w);
  plot.setLine();
}

void ThermPlot::print() { std::printf("ThermPlot\n"); }

}  // namespace KOL
