#include "graphics/Postscript.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/DateTool.h"
#include "core/FileTool.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/GTran.h"
#include "graphics/device/ImageSamples.h"
#include "graphics/device/Params.h"
#include "graphics/device/Rings.h"

namespace KOL {

namespace {

struct Paper {
  const char* name;
  float w, h;  // inches
};

constexpr Paper PAPERS[] = {{"letter", 10.5f, 8}, {"legal", 13.5f, 8},  {"11x17", 16.5f, 10.5f},
                            {"a4", 11.2f, 7.8f},  {"a3", 15.4f, 11.2f}, {"ansid", 33.5f, 21.5f}};

constexpr const char* DASHES[] = {"[] 0 setdash\n", "[6] 0 setdash\n", "[3 6] 0 setdash\n",
                                  "[6 6 3 6] 0 setdash\n", "[2] 0 setdash\n"};

}  // namespace

Postscript::~Postscript() { close(); }

void Postscript::init()
{
  output = "kol.ps";
  std::snprintf(title, NAME_SIZE, "%s", "KOL Plot");
  width = 756, height = 576, xoff = yoff = 0;
  opened = append = eps = colour = portrait = stepDefined = false;
  inverse = true;  // paper is white
  scale = lwidth = 1;
  clipX = clipY = clipW = clipH = 0;
  clipSet = false;
  lineColor = 0, lineStyle = 1, lineWidth = 1;
  textColor = 0, textWidth = 1;
  fillColor = 0, fillStyle = 0;
  markColor = 0, markWidth = 1;
}

int Postscript::setParam(const char* params)
{
  const std::vector<std::string> fields = Params::split(params);
  if (!fields.empty() && !fields[0].empty()) output = fields[0];
  bool sized = false;
  float w = 0, h = 0;
  for (size_t i = 1; i < fields.size(); ++i) {
    const char* f = fields[i].c_str();
    if (StrLib::iequal(f, "port"))
      portrait = true;
    else if (StrLib::iequal(f, "land"))
      portrait = false;
    else if (StrLib::iequal(f, "eps"))
      eps = true;
    else if (StrLib::iequal(f, "noeps"))
      eps = false;
    else if (StrLib::iequal(f, "color"))
      colour = inverse = true;
    else if (StrLib::iequal(f, "gray"))
      colour = false;
    else if (StrLib::iequal(f, "scale", 5))
      scale = Params::number(f, 6, scale);
    else if (StrLib::iequal(f, "lwidth", 6))
      lwidth = Params::number(f, 7, lwidth);
    else if (StrLib::iequal(f, "sz", 2) && fields[i].size() > 3 &&
             std::sscanf(f + 3, "%f:%f", &w, &h) == 2 && w > 0 && h > 0 && std::isfinite(w * h))
      sized = true;
    else
      for (const Paper& p : PAPERS)
        if (StrLib::iequal(f, p.name)) w = p.w, h = p.h, sized = true;
  }
  if (sized) width = w * 72, height = h * 72;
  return 1;
}

int Postscript::open()
{
  close();
  append = false;
  if (!FileTool::checkLength("Postscript", output.c_str())) return 0;
  const char* name = output.c_str();
  bool ok;
  if (name[0] == '|') {
    ok = file.open(name, "w");
    if (ok) std::printf("Spooling to: %s\n", name + 1);
  } else if (name[0] == '+') {
    ok = file.open(name + 1, "a");
    if (ok) std::printf("Appending to: %s\n", name + 1);
    append = true;
  } else {
    ok = file.open(name, "w");
    if (ok) std::printf("Creating: %s\n", name);
  }
  if (!ok) {
    std::fprintf(stderr, "Postscript: unable to output to file\n");
    return 0;
  }
  out.setFile(file.getFP());
  opened = true;
  stepDefined = false;
  writeHeader();
  return 1;
}

void Postscript::writeHeader()
{
  String date;
  DateTool::getCurrent(date);
  // the box is the page area as placed below, so that it holds everything drawn
  const long bw = std::lround(std::ceil((portrait ? width : height) * scale));
  const long bh = std::lround(std::ceil((portrait ? height : width) * scale));
  if (eps)
    out.format("%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %ld %ld\n", bw, bh);
  else
    out.put("%!PS-Adobe-1.0\n");
  out.format("%%%%Title: KOL Graphics Display: %s\n", title);
  out.put("%%Creator: KOL Postscript Processor-5.5\n");
  out.format("%%%%CreationDate: %s\n", date.get());
  out.put("%%EndComments\n%%Postscript initialization\n");
  if (!eps) out.put("30 dict begin\n/saveobj save def\n");
  out.put("/inch {72 mul} def\n/dot {.33 mul} def\n/mv {moveto} def\n/ln {lineto} def\n");
  out.put("/lw {setlinewidth} def\n/np {newpath} def\n/cp {closepath} def\n");
  if (!portrait) {
    out.put("90 rotate\n");
    if (eps)
      out.format("0. inch %g inch translate\n", -height / 72);
    else
      out.put(".25 inch -8.25 inch translate\n");
  } else if (!eps) {
    out.put(".25 inch .25 inch translate\n");
  }
  out.put(colour ? "0 0 0 setrgbcolor\n" : "0 setgray\n");
  // without inverse video the page is black, as a screen is
  if (!inverse)
    out.format("np 0 0 mv 0 %g ln %g %g ln %g 0 ln cp fill\n", height, width, height, width);
  out.put("2 setlinejoin\n1 dot lw\n[] 0 setdash\n");
  if (scale != 1) out.format("%.2f %.2f scale\n", scale, scale);
  out.put("%%Begin plot\n");
  out.format("%%%%KOL Plot: %s\n", title);
}

int Postscript::close()
{
  if (!opened) return 0;
  out.put("%%End of plot\n");
  if (!append) {
    if (!eps) out.put("saveobj restore\nend\n");
    out.put("showpage\n%%EOF\n");
  }
  out.flush();
  out.setFile(nullptr);
  file.close();
  opened = false;
  return 1;
}

int Postscript::setTitle(const char* t)
{
  std::snprintf(title, NAME_SIZE, "%s", t ? t : "");
  return 1;
}

int Postscript::setInverse(bool f)
{
  inverse = f;
  return 1;
}

int Postscript::setSize(float w, float h)
{
  if (!(w > 0) || !(h > 0) || !std::isfinite(w * h)) return 0;
  width = w * 0.72f, height = h * 0.72f;
  return 1;
}

int Postscript::setOffset(float x, float y)
{
  xoff = x * 0.72f, yoff = y * 0.72f;
  return 1;
}

int Postscript::getOffset(float& x, float& y)
{
  x = xoff, y = yoff;
  return 1;
}

int Postscript::getCoords(Rect& r)
{
  r.setu(0, height, width, 0);
  return 1;
}

int Postscript::setColor(int type, int c)
{
  switch (type) {
    case LINE:
      lineColor = c;
      break;
    case MARK:
      markColor = c;
      break;
    case FILL:
      fillColor = c;
      break;
    case TEXT:
      textColor = c;
      break;
    default:
      return 0;
  }
  return 1;
}

int Postscript::setLineWidth(int type, float w)
{
  if (!std::isfinite(w)) return 0;
  if (w == 0) w = 1;
  switch (type) {
    case LINE:
      lineWidth = w;
      break;
    case MARK:
      markWidth = w;
      break;
    case TEXT:
      textWidth = w;
      break;
    default:
      return 0;
  }
  return 1;
}

int Postscript::setLineStyle(int type, int s)
{
  if (type != LINE) return 0;
  lineStyle = s;
  return 1;
}

int Postscript::setFillStyle(int type, int s)
{
  if (type != FILL) return 0;
  fillStyle = s;
  return 1;
}

void Postscript::writeColor(int value)
{
  const float r = ((value >> 16) & 255) / 255.0f, g = ((value >> 8) & 255) / 255.0f,
              b = (value & 255) / 255.0f;
  if (colour) {
    out.fixed(r, 2).put(' ').fixed(g, 2).put(' ').fixed(b, 2).put(" setrgbcolor\n");
  } else {
    out.fixed((0.9f * r + g + 0.8f * b) / 2.7f, 2).put(" setgray\n");
  }
}

void Postscript::writeAttributes(int type)
{
  switch (type) {
    case LINE:
      writeColor(lineColor);
      out.fixed(lineWidth * lwidth, 1).put(" dot lw\n");
      if (lineStyle >= 1 && lineStyle <= 5) out.put(DASHES[lineStyle - 1]);
      break;
    case MARK:
      writeColor(markColor);
      out.put(DASHES[0]).fixed(markWidth * lwidth, 1).put(" dot lw\n");
      break;
    case TEXT:
      writeColor(textColor);
      out.put(DASHES[0]).fixed(textWidth * lwidth, 1).put(" dot lw\n");
      break;
    default:
      break;
  }
}

void Postscript::point(float x, float y, const char* op)
{
  out.fixed(GTran::clamp(x), 2).put(' ').fixed(GTran::clamp(y), 2).put(op);
}

void Postscript::writePath(const Points& pts)
{
  out.put("np\n");
  if (pts.getNum() == 0) point(-9999, -9999, " mv\n");
  for (int i = 0; i < pts.getNum(); ++i) point(pts[i].x, pts[i].y, i == 0 ? " mv\n" : " ln\n");
}

int Postscript::drawLine(int type, float x1, float y1, float x2, float y2)
{
  if (!opened) return 0;
  out.put("%%PL:2\n");
  writeAttributes(type);
  out.put("np\n");
  point(x1, y1, " mv\n");
  point(x2, y2, " ln\n");
  out.put("stroke\n");
  return 1;
}

int Postscript::drawLine(int type, Points& pts)
{
  if (!opened) return 0;
  out.put("%%PL:").integer(pts.getNum()).put('\n');
  writeAttributes(type);
  writePath(pts);
  out.put("stroke\n");
  return 1;
}

int Postscript::drawFill(int type, Points& pts)
{
  if (!opened) return 0;
  out.put("%%FA:").integer(pts.getNum()).put('\n');
  if (type == FILL) writeColor(fillColor);
  writePath(pts);
  out.put("cp\nfill\n");
  return 1;
}

int Postscript::drawFillPath(int type, Points& pts, const std::vector<int>& counts)
{
  if (!opened) return 0;
  out.put("%%FP:")
      .integer(static_cast<int>(counts.size()))
      .put(':')
      .integer(pts.getNum())
      .put('\n');
  if (type == FILL) writeColor(fillColor);
  // A band of a fine grid has a million vertices: they go out as steps in hundredths of a point,
  // which keeps the precision of absolute coordinates at half their size.
  if (!stepDefined) out.put("/rl {rlineto} def\n");
  stepDefined = true;
  out.put("gsave .01 .01 scale np\n");
  device::forEachRing(pts, counts, [&](int at, int n) {
    long lastX = 0, lastY = 0;
    for (int i = at; i < at + n; ++i) {
      const long x = std::lround(GTran::clamp(pts[i].x) * 100.0);
      const long y = std::lround(GTran::clamp(pts[i].y) * 100.0);
      if (i == at) {
        out.integer(x).put(' ').integer(y).put(" mv\n");
      } else if (x != lastX || y != lastY) {
        out.integer(x - lastX).put(' ').integer(y - lastY).put(" rl\n");
      }
      lastX = x, lastY = y;
    }
    out.put("cp\n");
  });
  out.put("eofill grestore\n");
  return 1;
}

Rect Postscript::getClip()
{
  Rect r;
  r.setu(clipX, clipY, clipX + clipW, clipY + clipH);
  return r;
}

int Postscript::setClip(float x1, float y1, float x2, float y2)
{
  x1 = GTran::clamp(x1), y1 = GTran::clamp(y1), x2 = GTran::clamp(x2), y2 = GTran::clamp(y2);
  clipX = x1 - 0.1f, clipY = y1 - 0.1f;
  clipW = x2 - x1 + 0.2f, clipH = y2 - y1 + 0.2f;
  clipSet = true;
  if (!opened) return 1;
  out.put("initclip\nnp\n");
  point(x1 - 0.1f, y1 - 0.1f, " mv\n");
  point(x1 - 0.1f, y2 + 0.1f, " ln\n");
  point(x2 + 0.1f, y2 + 0.1f, " ln\n");
  point(x2 + 0.1f, y1 - 0.1f, " ln\n");
  out.put("cp\nclip\n");
  return 1;
}

int Postscript::message(const char* text)
{
  if (!opened) return 0;
  out.put("%% ").put(text ? text : "").put('\n');
  return 1;
}

int Postscript::drawImage(Image& img, float x, float y)
{
  int ox, oy;
  if (!opened || !ImageSamples::drawable(img) || !ImageSamples::offsets(x, y, ox, oy)) return 0;
  const ImageSamples::Box box(clipSet ? getClip() : Rect(0, 0, width, height), width, height);
  if (box.empty()) return 0;
  const int W = box.w, H = box.h;
  out.put("gsave\n");
  box.write(out);
  out.put("/picstr ").integer(W).put(" string def\n");
  out.format("%d %d 8 [ %d 0 0 %d 0 %d ]\n", W, H, W, -H, H);
  out.put("{ currentfile picstr readhexstring pop }\n");
  out.put(colour ? "false 3 colorimage\n" : "image\n");
  ImageSamples::writeRows(out, img, ox, oy, W, H, !colour);
  out.put("grestore\n");
  return 1;
}

}  // namespace KOL
