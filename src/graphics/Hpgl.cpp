#include "graphics/Hpgl.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/FileTool.h"
#include "core/StrLib.h"
#include "graphics/GTran.h"
#include "graphics/device/Params.h"
#include "graphics/device/Rings.h"

namespace KOL {

namespace {

struct Paper {
  const char* name;
  float w, h;  // plottable inches, landscape
};

constexpr Paper PAPERS[] = {{"letter", 10.5f, 8},  {"legal", 13.5f, 8},  {"11x17", 16.5f, 10.5f},
                            {"a4", 11.2f, 7.8f},   {"a3", 15.4f, 11.2f}, {"ansid", 33.5f, 21.5f},
                            {"roll", 48.0f, 34.0f}};

// Line types of the styles 1-5 (solid, dashed, dotted, dash-dot, short dash).
constexpr const char* LINE_TYPES[] = {"LT;", "LT2,4;", "LT1,2;", "LT4,4;", "LT2,2;"};

// Pen widths in millimetres of width 1 (the same 1/3 point as the PostScript device).
constexpr float MM_PER_WIDTH = 0.1176f;

constexpr const char* ESC_RESET =
    "\x1B"
    "E";
constexpr const char* ESC_HPGL = "\x1B%0B";
constexpr const char* ESC_PCL = "\x1B%0A";

}  // namespace

Hpgl::~Hpgl() { close(); }

void Hpgl::init()
{
  output = "kol.hpgl";
  width = 10.5f * UNITS_PER_INCH, height = 8 * UNITS_PER_INCH;
  opened = portrait = colour = laserjet = rotate = false;
  pcl = true;
  scale = lwidth = 1;
  clip = Rect();
  line = mark = text = fill = Attr();
  lineStyle = 1;
  penValue = -1;
  penWidth = 0;
}

int Hpgl::setParam(const char* params)
{
  const std::vector<std::string> fields = Params::split(params);
  if (!fields.empty() && !fields[0].empty()) output = fields[0];
  float w = width / UNITS_PER_INCH, h = height / UNITS_PER_INCH;
  for (size_t i = 1; i < fields.size(); ++i) {
    const char* f = fields[i].c_str();
    float a = 0, b = 0;
    if (StrLib::iequal(f, "port"))
      portrait = true;
    else if (StrLib::iequal(f, "land"))
      portrait = false;
    else if (StrLib::iequal(f, "nopcl"))
      pcl = false;
    else if (StrLib::iequal(f, "lj"))
      laserjet = true;
    else if (StrLib::iequal(f, "color"))
      colour = true;
    else if (StrLib::iequal(f, "gray"))
      colour = false;
    else if (StrLib::iequal(f, "rot"))
      rotate = true;
    else if (StrLib::iequal(f, "scale", 5))
      scale = Params::number(f, 6, scale);
    else if (StrLib::iequal(f, "lwidth", 6))
      lwidth = Params::number(f, 7, lwidth);
    else if (StrLib::iequal(f, "sz", 2) && fields[i].size() > 3 &&
             std::sscanf(f + 3, "%f:%f", &a, &b) == 2 && a > 0 && b > 0 && std::isfinite(a * b))
      w = a, h = b;
    else
      for (const Paper& p : PAPERS)
        if (StrLib::iequal(f, p.name)) w = p.w, h = p.h;
  }
  width = w * UNITS_PER_INCH, height = h * UNITS_PER_INCH;
  return 1;
}

int Hpgl::open()
{
  close();
  if (!FileTool::checkLength("Hpgl", output.c_str())) return 0;
  const bool append = !output.empty() && output[0] == '+';
  const bool ok = file.open(output.c_str() + (append ? 1 : 0), append ? "a" : "w");
  if (!ok) {
    std::fprintf(stderr, "Hpgl: unable to output to file\n");
    return 0;
  }
  out.setFile(file.getFP());
  opened = true;
  penValue = -1;
  if (laserjet && pcl) out.put(ESC_RESET).put(ESC_HPGL);
  out.put("IN;");
  // portrait paper holds the landscape picture turned a quarter
  if (portrait != rotate) out.put("RO90;");
  out.put("IP;SP1;PU;\n");
  return 1;
}

int Hpgl::close()
{
  if (!opened) return 0;
  out.put("PU;SP0;\n");
  if (laserjet && pcl) out.put(ESC_PCL).put(ESC_RESET);
  out.flush();
  out.setFile(nullptr);
  file.close();
  opened = false;
  return 1;
}

int Hpgl::setSize(float w, float h)
{
  if (!(w > 0) || !(h > 0) || !std::isfinite(w * h)) return 0;
  // the size comes in hundredths of an inch, as for the PostScript device
  width = w * UNITS_PER_INCH / 100, height = h * UNITS_PER_INCH / 100;
  return 1;
}

int Hpgl::getCoords(Rect& r)
{
  r.setu(0, height, width, 0);
  return 1;
}

int Hpgl::setColor(int type, int c)
{
  switch (type) {
    case LINE:
      line.colour = c;
      break;
    case MARK:
      mark.colour = c;
      break;
    case FILL:
      fill.colour = c;
      break;
    case TEXT:
      text.colour = c;
      break;
    default:
      return 0;
  }
  return 1;
}

int Hpgl::setLineWidth(int type, float w)
{
  if (!std::isfinite(w)) return 0;
  if (w == 0) w = 1;
  switch (type) {
    case LINE:
      line.width = w;
      break;
    case MARK:
      mark.width = w;
      break;
    case TEXT:
      text.width = w;
      break;
    default:
      return 0;
  }
  return 1;
}

int Hpgl::setLineStyle(int type, int s)
{
  if (type != LINE) return 0;
  lineStyle = s;
  return 1;
}

int Hpgl::setFillStyle(int type, int) { return type == FILL ? 1 : 0; }

// Pen 1 is redefined to each new colour, so any number of colours needs one pen; a grey plot
// gets the luminance the PostScript device gives.
void Hpgl::selectPen(int value, float w)
{
  if (value != penValue) {
    int r = (value >> 16) & 255, g = (value >> 8) & 255, b = value & 255;
    if (!colour) r = g = b = static_cast<int>(std::lround((0.9f * r + g + 0.8f * b) / 2.7f));
    out.put("PC1,").integer(r).put(',').integer(g).put(',').integer(b).put(";SP1;");
    penValue = value;
  }
  if (w != penWidth) {
    out.put("PW").fixed(w * lwidth * MM_PER_WIDTH, 3).put(';');
    penWidth = w;
  }
}

void Hpgl::point(float x, float y)
{
  out.integer(std::lround(GTran::clamp(x) * scale))
      .put(',')
      .integer(std::lround(GTran::clamp(y) * scale));
}

void Hpgl::writePoints(const Points& pts)
{
  out.put("PU");
  point(pts[0].x, pts[0].y);
  out.put(";PD");
  for (int i = 1; i < pts.getNum(); ++i) {
    if (i > 1) out.put(',');
    point(pts[i].x, pts[i].y);
  }
  out.put(";");
}

int Hpgl::drawLine(int type, Points& pts)
{
  if (!opened) return 0;
  if (pts.getNum() < 2) return 1;
  const Attr& a = type == MARK ? mark : type == TEXT ? text : line;
  selectPen(a.colour, a.width);
  const int style = type == LINE && lineStyle >= 1 && lineStyle <= 5 ? lineStyle : 1;
  out.put(LINE_TYPES[style - 1]);
  writePoints(pts);
  out.put('\n');
  return 1;
}

int Hpgl::drawFill(int, Points& pts)
{
  if (!opened) return 0;
  if (pts.getNum() < 3) return 1;
  selectPen(fill.colour, penWidth > 0 ? penWidth : 1);
  out.put("FT1;PM0;");
  writePoints(pts);
  out.put("PM2;FP;PU;\n");
  return 1;
}

int Hpgl::drawFillPath(int, Points& pts, const std::vector<int>& counts)
{
  if (!opened) return 0;
  selectPen(fill.colour, penWidth > 0 ? penWidth : 1);
  out.put("FT1;PM0;");
  Points ring;
  device::forEachRing(pts, counts, [&](int at, int n) {
    ring.clear();
    for (int i = 0; i < n; i++) ring.add(pts[at + i]);
    if (at > 0) out.put("PM1;");
    writePoints(ring);
  });
  out.put("PM2;FP;PU;\n");
  return 1;
}

Rect Hpgl::getClip() { return clip; }

int Hpgl::setClip(float x1, float y1, float x2, float y2)
{
  x1 = GTran::clamp(x1), y1 = GTran::clamp(y1), x2 = GTran::clamp(x2), y2 = GTran::clamp(y2);
  clip.setu(x1, y1, x2, y2);
  if (!opened) return 1;
  out.put("IW");
  point(std::fmin(x1, x2), std::fmin(y1, y2));
  out.put(',');
  point(std::fmax(x1, x2), std::fmax(y1, y2));
  out.put(";\n");
  return 1;
}

}  // namespace KOL
