#include "layers/SoundPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/EarthPoint.h"
#include "graphics/Plot.h"
#include "graphics/WindPlot.h"
#include "layers/ThermPlot.h"
#include "layers/sound/SoundReader.h"
#include "layers/therm/DiagramView.h"
#include "obs/ParcelParams.h"
#include "obs/indices/Parcel.h"

namespace KOL {

namespace {

// Barb shaft length and column place, as fractions of the window's width; the smallest page
// distance between two barbs.
constexpr float BARB_LENGTH = 0.05f;
constexpr float BARB_MARGIN = 0.012f;
constexpr float BARB_SPACING = 0.018f;
constexpr float CALM_SPEED = 2.5f;
constexpr float NOTE_HEIGHT = 0.02f;
constexpr float SUMMARY_HEIGHT = 0.013f;

bool hasValue(const char* token) { return std::strchr(token, '=') != nullptr; }

// Every file the selection names, in order.
std::vector<std::string> namesOf(Filename& f)
{
  std::vector<std::string> out;
  for (int i = 0; i < f.getNumFiles(); ++i)
    if (const char* n = f.getName(i); n && *n) out.emplace_back(n);
  if (f.getNumFiles() > 0) f.setFile(0);
  return out;
}

}  // namespace

void SoundPlot::init()
{
  file.init();
  file.setNameConv(DEFAULT_CONV);
  files.clear();
  chosen = false;
  reference.init();
  id[0] = '\0';
  diagram = ThermPlot::SKEWT;
  parcel_on = true;
  parcel_type = "sfc";
  data_color = "";
  temp_color = "";
  dewp_color = "";
  parcel_color = "";
  handed = loaded = false;
  sounding.init();
  problem.clear();
  setFile();
  if (const char* v = Kol::resrc.get("identifier"); v && *v) setId(v);
  if (const char* v = Kol::resrc.get("color_data"); v && *v) data_color = v;
  if (const char* v = Kol::resrc.get("color_parcel"); v && *v) parcel_color = v;
  if (const char* v = Kol::resrc.get("parameter"); v && *v) setParam(v);
}

int SoundPlot::setParam(const char* params)
{
  Strings tokens;
  tokens.set(params ? params : "", ',');
  for (int i = 0; i < tokens.getNum(); ++i) {
    const char* t = tokens.getString(i);
    if (!t || !*t) continue;
    if (StrLib::iequal(t, "noparcel")) {
      parcel_on = false;
    } else if (StrLib::iequal(t, "parcel")) {
      parcel_on = true;
    } else if (StrLib::equal(t, "par", 3) && hasValue(t)) {
      parcel_type = StrLib::valueOf(t, 0);
      parcel_on = true;
    } else if (StrLib::equal(t, "id", 2) && hasValue(t)) {
      setId(StrLib::valueOf(t, 0));
    } else if (StrLib::equal(t, "diag", 4) && hasValue(t)) {
      diagram = ThermPlot::getType(StrLib::valueOf(t, 0));
    } else if (StrLib::equal(t, "cosd", 4) && hasValue(t)) {
      dewp_color = StrLib::valueOf(t, 0);
    } else if (StrLib::equal(t, "co", 2) && hasValue(t)) {
      temp_color = StrLib::valueOf(t, 0);
    }
  }
  return 1;
}

int SoundPlot::setFile()
{
  const char* conv = Kol::resrc.get("in_file");
  return conv && *conv ? setNameConv(conv) : 1;
}

int SoundPlot::setInput(const char*) { return 1; }

int SoundPlot::setNameConv(const char* conv) { return file.setNameConv(conv); }

void SoundPlot::setId(const char* text) { StrLib::copy(id, ID_SIZE, text ? text : ""); }

void SoundPlot::setSounding(const UpaData& s)
{
  sounding = s;
  handed = true;
}

int SoundPlot::setFilename()
{
  const int found = file.setFile();
  files = namesOf(file);
  chosen = !files.empty();
  return found;
}

int SoundPlot::setFilename(const char* text)
{
  if (!text || !*text) return setFilename();
  const int found = file.setFile(text);
  files = namesOf(file);
  chosen = !files.empty();
  return found;
}

int SoundPlot::setFilename(Date& d, const char* spec)
{
  reference = d;
  if (chosen) return 1;
  const int found = file.setFile(d, spec && *spec ? spec : "la");
  std::vector<std::string> names = namesOf(file);
  if (names != files) loaded = false;
  files = std::move(names);
  return found;
}

// The file's date when its name tells it, else the date of the sounding read.
int SoundPlot::getDate(Date& d)
{
  if (file.getDate(d)) return 1;
  d = sounding.getDate();
  return d.isSet();
}

int SoundPlot::getInitDate(Date& d) { return file.getDate(d); }

int SoundPlot::getDomain(Domain& d)
{
  d = ThermPlot::getDomain(diagram);
  return 1;
}

int SoundPlot::load(const Date& ref)
{
  reference = ref;
  loaded = false;
  problem.clear();
  loaded = read() != 0;
  return loaded;
}

int SoundPlot::read()
{
  if (handed || loaded) return 1;
  // Unset, the reader dates parts by their file's name or as recent ones.
  return sound::readSounding(files, id, reference, sounding, problem);
}

std::string SoundPlot::colorItem(int i, const char* def) const
{
  const std::string s = therm::listItem(data_color.get(), i);
  return s.empty() ? def : s;
}

int SoundPlot::draw(Plot& plot)
{
  problem.clear();
  int levels = 0;
  if (read())
    for (int i = 0; i < sounding.getNum(); ++i)
      levels += sounding.validPres(i) && sounding.validTemp(i);
  if (problem.empty() && levels < 2)
    problem = std::string("too few levels in the sounding of ") +
              (sounding.getId()[0] ? sounding.getId() : id);
  if (!problem.empty()) {
    Kol::outMessage(Kol::MESS, "SoundPlot: %s\n", problem.c_str());
    const Rect vp = plot.getGraph().getGTran(Plot::MAP).getViewport();
    pageText(plot, Point((vp.x1 + vp.x2) / 2, (vp.y1 + vp.y2) / 2), problem.c_str(), "red",
             NOTE_HEIGHT, 2, true);
    if (levels > 0 || sounding.getNum() > 0) addLabels(plot);
    return 0;
  }
  plot.setLine();
  drawCurve(plot, &UpaLevel::temp,
            temp_color.valid() ? temp_color.get() : colorItem(0, "red:w2").c_str());
  drawCurve(plot, &UpaLevel::dewp,
            dewp_color.valid() ? dewp_color.get() : colorItem(1, "green:w2").c_str());
  if (parcel_on) drawParcel(plot);
  drawWinds(plot);
  plot.setLine();
  addLabels(plot);
  if (parcel_on) drawParcelSummary(plot);
  return 1;
}

// Text on the page (viewport units), in a box of the background's colour when boxed.
void SoundPlot::pageText(Plot& plot, const Point& at, const char* text, const char* colour,
                         float height, int align, bool boxed)
{
  Graph& g = plot.getGraph();
  const int saved = g.getTran();
  g.setTran(Plot::PAGE);
  g.activateTran(Plot::PAGE);
  plot.setText();
  plot.setTextHeight(height);
  plot.setTextAlign(align, 3);
  if (boxed) {
    const float w = g.getTextWidth(text), pad = 0.3f * height;
    const float x1 = align == 1 ? at.x : align == 2 ? at.x - w / 2 : at.x - w;
    plot.setFill();
    plot.setFillColor(g.getInverse() ? "white" : "black");
    plot.drawFill(
        Rect(x1 - pad, at.y - 0.5f * height - pad, x1 + w + pad, at.y + 0.5f * height + pad));
    plot.setFill();
  }
  plot.setTextColor(colour);
  plot.drawText(at, text);
  plot.setText();
  g.setTran(saved);
  g.activateTran(saved);
}

void SoundPlot::drawCurve(Plot& plot, float UpaLevel::*field, const char* attr)
{
  plot.setLine();
  plot.setLine(attr);
  EarthPoints pts;
  for (int i = 0; i < sounding.getNum(); ++i) {
    const UpaLevel& l = *sounding.getLevel(i);
    if (!Const::isMiss(l.pres) && !Const::isMiss(l.*field)) pts.add(EarthPoint(l.*field, l.pres));
  }
  plot.drawLine(pts);
}

std::vector<std::pair<float, float>> SoundPlot::parcelPath() const
{
  std::vector<std::pair<float, float>> out;
  ParcelParams pp;
  UpaLevel start;
  if (!pp.setType(parcel_type.get())) return out;
  pp.calc(sounding, start);
  const indices::Parcel parcel(start.pres, start.temp, start.dewp);
  if (!parcel.isValid()) return out;
  float top = parcel.pres();
  for (int i = 0; i < sounding.getNum(); ++i)
    if (sounding.validTemp(i) && sounding.validPres(i)) top = std::min(top, sounding.getPres(i));
  std::vector<float> pres{parcel.pres()};
  if (parcel.lclPres() > top && parcel.lclPres() < parcel.pres()) pres.push_back(parcel.lclPres());
  for (float p = PARCEL_STEP * std::floor(parcel.pres() / PARCEL_STEP); p > top; p -= PARCEL_STEP)
    if (p < parcel.pres()) pres.push_back(p);
  pres.push_back(top);
  std::sort(pres.begin(), pres.end(), [](float a, float b) { return a > b; });
  pres.erase(std::unique(pres.begin(), pres.end()), pres.end());
  for (float p : pres) out.emplace_back(parcel.tempAt(p), p);
  return out;
}

void SoundPlot::drawParcel(Plot& plot)
{
  plot.setLine();
  plot.setLine(parcel_color.valid() ? parcel_color.get() : "orange:w1.5:st=dsh");
  EarthPoints pts;
  for (const auto& [t, p] : parcelPath()) pts.add(EarthPoint(t, p));
  plot.drawLine(pts);
}

// The levels whose winds are drawn, at least BARB_SPACING apart on the page: the surface and
// the mandatory levels first, then the others where there is room. Each with its place on the
// barb column.
std::vector<std::pair<int, Point>> SoundPlot::windLevels(Plot& plot, float x) const
{
  const therm::DiagramView view(plot);
  const GTran& tran = plot.getGraph().getGTran(Plot::MAP);
  std::vector<std::pair<int, Point>> chosen;
  std::vector<float> taken;  // page heights
  for (const bool first : {true, false}) {
    for (int i = 0; i < sounding.getNum(); ++i) {
      const UpaLevel& l = *sounding.getLevel(i);
      const bool preferred = sounding.isSfc(i) || UpaLevel::isMandatory(l.pres);
      Point at;
      if (preferred != first || Const::isMiss(l.dir) || Const::isMiss(l.spd) ||
          !view.isobarAt(x, l.pres, at))
        continue;
      const float y = tran.tranWindowNdcY(at.y);
      if (std::any_of(taken.begin(), taken.end(),
                      [y](float t) { return std::fabs(t - y) < BARB_SPACING; }))
        continue;
      taken.push_back(y);
      chosen.emplace_back(i, at);
    }
  }
  return chosen;
}

void SoundPlot::drawWinds(Plot& plot)
{
  const Rect win = plot.getGraph().getGTran(Plot::MAP).getWindow();
  const float length = BARB_LENGTH * (win.x2 - win.x1);
  const float x = win.x2 - length - BARB_MARGIN * (win.x2 - win.x1);
  plot.setLine();
  plot.setLine(colorItem(2, plot.getGraph().getInverse() ? "black" : "white").c_str());
  const WindPlot barbs;
  for (const auto& [i, at] : windLevels(plot, x)) {
    const UpaLevel& l = *sounding.getLevel(i);
    if (l.spd < CALM_SPEED)
      barbs.drawCalm(plot, at, 0.15f * length);
    else
      barbs.drawBarb(plot, at, l.dir, l.spd, length);
  }
}

void SoundPlot::addLabels(Plot& plot)
{
  char info[Plot::LABEL_SIZE];
  std::snprintf(info, sizeof info, "%s%s%s  %s", sounding.getId(), sounding.getWmo()[0] ? " " : "",
                sounding.getWmo(), ThermPlot::getTypeTitle(diagram));
  plot.setLabel("ul", info);
  if (sounding.getDate().isSet()) {
    String when;
    DateTool::createLabel(sounding.getDate(), when);
    plot.setLabel("ur", when.get());
    if (!plot.getDate().isSet()) plot.setDate(sounding.getDate());
  }
}

// The parcel's energies and lifted index in the diagram's lower left corner, where a sounding
// seldom reaches.
void SoundPlot::drawParcelSummary(Plot& plot)
{
  ParcelParams pp;
  if (!pp.setType(parcel_type.get()) || !pp.calc(sounding)) return;
  auto number = [](float v, const char* fmt) {
    char buf[24];
    if (Const::isMiss(v)) return std::string("-");
    std::snprintf(buf, sizeof buf, fmt, v);
    // A small negative energy rounds to "-0", which reads as a sign that means something.
    return std::string(std::strcmp(buf, "-0") == 0 ? "0" : buf);
  };
  char text[Plot::LABEL_SIZE];
  std::snprintf(text, sizeof text, "%s parcel  CAPE %s J/kg  CIN %s J/kg  LI %s C",
                parcel_type.get(), number(pp.getCape(), "%.0f").c_str(),
                number(pp.getCin(), "%.0f").c_str(), number(pp.getLiftedIndex(), "%.1f").c_str());
  const Rect vp = plot.getGraph().getGTran(Plot::MAP).getViewport();
  const char* c = Kol::resrc.get("color_label");
  pageText(plot, Point(vp.x1 + SUMMARY_HEIGHT, vp.y1 + 1.5f * SUMMARY_HEIGHT), text,
           c && *c                        ? c
           : plot.getGraph().getInverse() ? "black"
                                          : "white",
           SUMMARY_HEIGHT, 1, true);
}

void SoundPlot::print()
{
  std::printf("SoundPlot\n");
  file.print();
  std::printf("Id: %s\nDiagram: %s\nParcel: %d %s\n", id, ThermPlot::getTypeName(diagram),
              parcel_on ? 1 : 0, parcel_type.get());
}

}  // namespace KOL
