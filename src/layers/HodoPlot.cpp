#include "layers/HodoPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/DomainVal.h"
#include "graphics/Plot.h"
#include "graphics/PlotAttr.h"
#include "obs/UpaCalc.h"
#include "obs/UpaTool.h"
#include "obs/VCoord.h"
#include "obs/Wind.h"

namespace KOL {

namespace {

// The hodograph projection of the domain table.
constexpr int HODOGRAPH = 25;
constexpr float RING_STEP = 10;
constexpr float TEXT_HEIGHT = 0.025f;  // of the hodograph's height

struct Band {
  float top;  // m above ground
  const char* color;
};
constexpr Band BANDS[] = {
    {1000, "magenta"}, {3000, "red"}, {6000, "green"}, {9000, "gold"}, {1e9f, "blue"}};
constexpr const char* BAND_NAMES[] = {"0-1 km", "1-3 km", "3-6 km", "6-9 km", "above 9 km"};

// Where a wind's vector points: the direction it blows to (a westerly lies east of the centre).
EarthPoint tip(float dir, float spd) { return EarthPoint(std::fmod(dir + 180, 360), spd); }

}  // namespace

void HodoPlot::init()
{
  sounding.init();
  minPres = DEFAULT_MIN_PR;
  if (const char* t = Kol::resrc.get("parameter"); StrLib::valid(t)) setParam(t);
}

int HodoPlot::setParam(const char* params)
{
  Strings items;
  items.set(params ? params : "", ',');
  for (int i = 0; i < items.getNum(); ++i) {
    const char* t = items.getString(i);
    if (t && StrLib::equal(t, "min_pr=", 7)) {
      const float p = std::strtof(t + 7, nullptr);
      if (p > 0 && p < 1100)
        minPres = p;
      else
        Kol::outWarning("HodoPlot: unusable min_pr %s\n", t + 7);
    }
  }
  return 1;
}

const char* HodoPlot::heightColor(float agl)
{
  for (const Band& b : BANDS)
    if (agl < b.top) return b.color;
  return BANDS[4].color;
}

float HodoPlot::getRange() const
{
  float top = 0;
  for (int i = 0; i < sounding.getNum(); ++i)
    if (sounding.getPres(i) >= minPres && sounding.validDir(i) && sounding.validSpd(i))
      top = std::max(top, sounding.getSpd(i));
  return std::max(40.0f, 20 * std::ceil(top / 20));
}

int HodoPlot::getDomain(Domain& d)
{
  DomainVal v;
  v.proj = HODOGRAPH;
  v.clat = v.clon = 0;
  v.nx = v.ny = 21;
  v.dx = v.dy = getRange() / 10;
  d = Domain(v);
  return 1;
}

void HodoPlot::drawRings(Plot& plot, float range) const
{
  plot.setLine();
  plot.setLine(PlotAttr("grey:st=dot"));
  for (float dir : {0.0f, 90.0f}) plot.drawLine(tip(dir, range), tip(dir + 180, range));
  plot.setText();
  plot.setTextHeight(TEXT_HEIGHT * plot.getVert());
  plot.setTextAlign(1, 1);
  char text[16];
  for (float s = RING_STEP; s <= range; s += RING_STEP) {
    EarthPoints ring;
    for (int a = 0; a <= 360; a += 5) ring.add(tip(static_cast<float>(a), s));
    plot.drawLine(ring);
    if (static_cast<int>(s) % 20) continue;
    std::snprintf(text, sizeof text, "%.0f", s);
    plot.drawText(tip(135, s), text);
  }
  plot.setTextAlign(2, 1);
  plot.drawText(tip(180, range * 0.97f), "knots");
}

// The right mover marked and written with the 0-3 km helicity relative to it.
void HodoPlot::drawStorm(Plot& plot) const
{
  Wind storm;
  if (!UpaTool::calcStorm(sounding, storm) || !storm.isValid()) return;
  HelicityData srh;
  const float h = UpaCalc::helicity(sounding, VCoord(VCoord::HEIGHT, 0),
                                    VCoord(VCoord::HEIGHT, 3000), storm, srh);
  plot.setLine();
  plot.setLineWidth(2);
  EarthPoints mark;  // a ring of 2 knots about the storm's motion
  for (int a = 0; a <= 360; a += 30) {
    const double r = a * Const::DRC, x = storm.spd * std::sin((storm.dir + 180) * Const::DRC),
                 y = storm.spd * std::cos((storm.dir + 180) * Const::DRC);
    const double mx = x + 2 * std::sin(r), my = y + 2 * std::cos(r);
    mark.add(EarthPoint(static_cast<float>(std::fmod(std::atan2(mx, my) * Const::RDC + 360, 360)),
                        static_cast<float>(std::hypot(mx, my))));
  }
  plot.drawLine(mark);
  plot.setLineWidth(1);
  char text[80];
  plot.setText();
  plot.setTextHeight(TEXT_HEIGHT * plot.getVert());
  plot.setTextAlign(1, 2);
  std::snprintf(text, sizeof text, " RM %03.0f/%.0f", storm.dir, storm.spd);
  plot.drawText(tip(storm.dir, storm.spd), text);
  if (h != Const::FMISS) {
    std::snprintf(text, sizeof text, "0-3 km SRH %.0f m2/s2", h);
    plot.setLabel("ll", text);
  }
}

// The height bands' colours in the lower left corner, the lowest band at the bottom.
void HodoPlot::drawLegend(Plot& plot) const
{
  const Rect& w = plot.getDomain().getLimits();
  const float line = 1.6f * TEXT_HEIGHT * w.height(), x = w.x1 + 0.03f * w.width();
  plot.setText();
  plot.setTextHeight(TEXT_HEIGHT * plot.getVert());
  plot.setTextAlign(1, 2);
  plot.setLineWidth(3);
  for (size_t k = 0; k < std::size(BANDS); ++k) {
    const float y = w.y1 + 0.03f * w.height() + line * (static_cast<float>(k) + 0.5f);
    Points sample;  // three points: the hodograph's own segments have two
    for (float dx : {0.0f, 0.025f, 0.05f}) sample.add(Point(x + dx * w.width(), y));
    plot.setLineColor(BANDS[k].color);
    plot.drawLine(sample);
    plot.drawText(Point(x + 0.065f * w.width(), y), BAND_NAMES[k]);
  }
  plot.setLineWidth(1);
  plot.setLine();
}

int HodoPlot::draw(Plot& plot)
{
  const float range = getRange();
  drawRings(plot, range);
  const float sfc = sounding.getSfcHght() != Const::FMISS ? sounding.getSfcHght() : 0;
  EarthPoint last;
  bool have = false;
  int drawn = 0;
  plot.setLine();
  plot.setLineWidth(3);
  for (int i = 0; i < sounding.getNum(); ++i) {
    if (sounding.getPres(i) < minPres || !sounding.validDir(i) || !sounding.validSpd(i)) continue;
    const EarthPoint at = tip(sounding.getDir(i), sounding.getSpd(i));
    if (have) {
      const float agl = sounding.validHght(i) ? sounding.getHght(i) - sfc : 1e9f;
      plot.setLineColor(heightColor(agl));
      plot.drawLine(last, at);
    }
    last = at, have = true;
    ++drawn;
  }
  plot.setLineWidth(1);
  if (drawn < 2) {
    Kol::outWarning("HodoPlot: fewer than two winds in the sounding of %s\n", sounding.getId());
    return 0;
  }
  drawStorm(plot);
  drawLegend(plot);
  char title[80];
  std::snprintf(title, sizeof title, "Hodograph %s up to %.0f mb", sounding.getId(), minPres);
  plot.setLabel("ul", title);
  if (sounding.getDate().isSet()) {
    plot.setLabel("ur", sounding.getDate().format("%H UTC %d %b %Y").c_str());
    if (!plot.getDate().isSet()) plot.setDate(sounding.getDate());
  }
  plot.drawBorder();
  return 1;
}

void HodoPlot::print() { std::printf("HodoPlot\nMinimum pressure: %.0f\n", minPres); }

}  // namespace KOL
