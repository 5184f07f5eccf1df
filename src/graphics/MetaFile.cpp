#include "graphics/MetaFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "core/DateTool.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "graphics/GTran.h"
#include "graphics/device/ImageSamples.h"
#include "graphics/device/Params.h"
#include "graphics/meta/MetaReplay.h"

namespace KOL {

MetaFile::~MetaFile() { close(); }

void MetaFile::init()
{
  output = "meta.out";
  title[0] = '\0';
  width = height = 1;
  xoff = yoff = Const::FMISS;
  opened = false;
  lineColor = textColor = fillColor = markColor = WHITE;
  lineStyle = 1, fillStyle = 0;
  lineWidth = textWidth = markWidth = 1;
  clipX = clipY = clipW = clipH = Const::FMISS;
  clipSet = false;
  std::fill(std::begin(colorSeen), std::end(colorSeen), false);
  std::fill(std::begin(widthSeen), std::end(widthSeen), false);
}

int MetaFile::setParam(const char* params)
{
  const std::vector<std::string> fields = Params::split(params);
  if (fields.size() > 1 && !fields[1].empty()) output = fields[1];
  for (size_t i = 1; i < fields.size(); ++i) {
    const char* f = fields[i].c_str();
    float w, h;
    if (std::strncmp(f, "sz", 2) == 0 && fields[i].size() > 3 &&
        std::sscanf(f + 3, "%fx%f", &w, &h) == 2)
      setSize(w, h);
    else if (std::strncmp(f, "file", 4) == 0 && fields[i].size() > 5)
      output = f + 5;
  }
  return 1;
}

int MetaFile::open()
{
  close();
  if (!FileTool::checkLength("MetaFile", output.c_str())) return 0;
  const char* name = output.c_str();
  bool ok;
  if (name[0] == '+') {
    ok = file.open(name + 1, "a");
    if (ok) std::printf("Appending to: %s\n", name + 1);
  } else {
    ok = file.open(name, "w");
    if (ok) std::printf("Creating: %s\n", name);
  }
  if (!ok) {
    std::fprintf(stderr, "MetaFile: unable to output to file\n");
    return 0;
  }
  out.setFile(file.getFP());
  opened = true;
  std::fill(std::begin(colorSeen), std::end(colorSeen), false);
  std::fill(std::begin(widthSeen), std::end(widthSeen), false);
  String date;
  DateTool::getCurrent(date);
  out.put("KOLMETA2\n#Title: KOL Graphics Display\n#Creator: KOL MetaFile Processor-2.0\n");
  out.format("#CreationDate: %s\n#Begin plot\nSZ %f %f\n#KOL Plot: %s\n", date.get(), width, height,
             title);
  return 1;
}

int MetaFile::close()
{
  if (!opened) return 0;
  out.put("#End of plot\n");
  out.flush();
  out.setFile(nullptr);
  file.close();
  opened = false;
  return 1;
}

int MetaFile::setTitle(const char* t)
{
  std::snprintf(title, NAME_SIZE, "%s", t ? t : "");
  return 1;
}

int MetaFile::setSize(float w, float h)
{
  if (!(w > 0) || !(h > 0) || !std::isfinite(w * h)) return 0;
  width = w, height = h;
  return 1;
}

int MetaFile::setOffset(float x, float y)
{
  xoff = x, yoff = y;
  return 1;
}

int MetaFile::getOffset(float& x, float& y)
{
  x = xoff, y = yoff;
  return 1;
}

int MetaFile::getCoords(Rect& r)
{
  r.setu(0, 0, width, height);
  return 1;
}

namespace {

// Stores v and writes the record when it changed.
template <class T>
bool changed(T& field, T v)
{
  if (field == v) return false;
  field = v;
  return true;
}

}  // namespace

int MetaFile::setColor(int type, int c)
{
  int* field = type == LINE   ? &lineColor
               : type == MARK ? &markColor
               : type == FILL ? &fillColor
               : type == TEXT ? &textColor
                              : nullptr;
  if (!field) return 0;
  static constexpr const char* KEYS[] = {"", "LCLR ", "MCLR ", "FCLR ", "TCLR "};
  if ((changed(*field, c) || !colorSeen[type]) && opened) {
    out.put(KEYS[type]).integer(c).put('\n');
    colorSeen[type] = true;
  }
  return 1;
}

int MetaFile::setLineWidth(int type, float w)
{
  if (!std::isfinite(w)) return 0;
  if (w <= 0) w = 1;
  float* field = type == LINE   ? &lineWidth
                 : type == MARK ? &markWidth
                 : type == TEXT ? &textWidth
                                : nullptr;
  if (!field) return 0;
  static constexpr const char* KEYS[] = {"", "LWID ", "MWID ", "", "TWID "};
  if ((changed(*field, w) || !widthSeen[type]) && opened) {
    out.put(KEYS[type]).fixed(w, 2).put('\n');
    widthSeen[type] = true;
  }
  return 1;
}

int MetaFile::setLineStyle(int type, int s)
{
  if (type != LINE) return 0;
  if (changed(lineStyle, s) && opened) out.put("LSTY ").integer(s).put('\n');
  return 1;
}

int MetaFile::setFillStyle(int type, int s)
{
  if (type != FILL) return 0;
  if (changed(fillStyle, s) && opened) out.put("FSTY ").integer(s).put('\n');
  return 1;
}

void MetaFile::point(float x, float y)
{
  out.fixed(GTran::clamp(x), 6).put(',').fixed(GTran::clamp(y), 6);
}

int MetaFile::drawLine(int, float x1, float y1, float x2, float y2)
{
  if (!opened) return 0;
  out.put("L 2 ");
  point(x1, y1);
  out.put(' ');
  point(x2, y2);
  out.put('\n');
  return 1;
}

void MetaFile::records(char kind, const Points& pts)
{
  out.put(kind).put(' ').integer(pts.getNum()).put(' ');
  for (const Point& p : pts) {
    point(p.x, p.y);
    out.put(' ');
  }
  out.put('\n');
}

int MetaFile::drawLine(int, Points& pts)
{
  if (!opened) return 0;
  records('L', pts);
  return 1;
}

int MetaFile::drawFill(int, Points& pts)
{
  if (!opened) return 0;
  records('F', pts);
  return 1;
}

int MetaFile::drawFillPath(int, Points& pts, const std::vector<int>& counts)
{
  if (!opened) return 0;
  out.put("FP ").integer(static_cast<int>(counts.size()));
  for (int n : counts) out.put(' ').integer(n);
  out.put(' ');
  for (const Point& p : pts) {
    point(p.x, p.y);
    out.put(' ');
  }
  out.put('\n');
  return 1;
}

int MetaFile::setFont(const char* name)
{
  if (opened) out.put("FONT ").put(name ? name : "").put('\n');
  return 1;
}

int MetaFile::setTextAlign(int h, int v)
{
  if (opened) out.put("TALIGN ").integer(h).put(' ').integer(v).put('\n');
  return 1;
}

int MetaFile::drawText(Point& p, const char* text)
{
  if (!opened) return 0;
  out.put("T ");
  point(p.x, p.y);
  out.put(' ').put(text ? text : "").put('\n');
  return 1;
}

int MetaFile::setImageAlign(int h, int v)
{
  if (opened) out.put("IALIGN ").integer(h).put(' ').integer(v).put('\n');
  return 1;
}

Rect MetaFile::getClip()
{
  Rect r;
  if (clipSet) r.setu(clipX, clipY, clipX + clipW, clipY + clipH);
  return r;
}

int MetaFile::setClip(float x1, float y1, float x2, float y2)
{
  x1 = GTran::clamp(x1), y1 = GTran::clamp(y1), x2 = GTran::clamp(x2), y2 = GTran::clamp(y2);
  clipX = x1, clipY = y1, clipW = x2 - x1, clipH = y2 - y1;
  clipSet = true;
  if (opened)
    out.put("CL ")
        .fixed(x1, 6)
        .put(' ')
        .fixed(y1, 6)
        .put(' ')
        .fixed(x2, 6)
        .put(' ')
        .fixed(y2, 6)
        .put('\n');
  return 1;
}

int MetaFile::message(const char* text)
{
  if (!opened) return 0;
  out.put('#').put(text ? text : "").put('\n');
  return 1;
}

int MetaFile::drawImage(Image& img, float x, float y)
{
  int ox, oy;
  if (!opened || !ImageSamples::drawable(img) || !ImageSamples::offsets(x, y, ox, oy)) return 0;
  const ImageSamples::Box box(clipSet ? getClip() : Rect(0, 0, width, height), width, height);
  if (box.empty()) return 0;
  out.put("I\n");
  box.write(out);
  ImageSamples::writeRows(out, img, ox, oy, box.w, box.h, false);
  out.put("grestore\n");
  return 1;
}

int MetaFile::replay(const char* file, Graph& g) { return MetaReplay::replay(file, g); }

}  // namespace KOL
