#include "graphics/meta/MetaReplay.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/File.h"
#include "core/Kol.h"
#include "graphics/Graph.h"
#include "graphics/meta/MetaImage.h"

namespace KOL::MetaReplay {

namespace {

// The attributes of one device class as recorded.
struct ClassAttr {
  int colour = 16777215;
  float width = 1;
};

class Player {
 public:
  explicit Player(Graph& graph) : g(graph) {}

  bool line(const char* s, LineReader& in);
  void begin(float w, float h);
  void end();

 private:
  int colour(int value)
  {
    return g.allocColor(((value >> 16) & 255) / 255.0f, ((value >> 8) & 255) / 255.0f,
                        (value & 255) / 255.0f);
  }
  bool readPoints(const char* s, Points& pts);
  bool readRings(const char* s, Points& pts, std::vector<int>& counts);
  void applyLine();

  Graph& g;
  ClassAttr attr[5];
  int last = 1;  // class of the last colour or width record
  int style = 1;
  int savedTran = 0;
  Rect savedWindow, savedViewport;
  bool started = false;
};

void Player::begin(float w, float h)
{
  if (!(w > 0) || !(h > 0)) return;
  savedTran = g.getTran();
  savedWindow = g.getWindow();
  savedViewport = g.getViewport();
  Rect win;
  win.setu(0, h, w, 0);  // recorded y grows downward
  g.setViewport(g.getMaxViewport());
  g.setWindow(win);
  started = true;
}

void Player::end()
{
  if (!started) return;
  g.setTran(savedTran);
  g.setViewport(savedViewport);
  g.setWindow(savedWindow);
}

// n pairs "x,y" from s on; s is left after them.
bool readPairs(const char*& s, long n, Points& pts)
{
  char* endp = nullptr;
  for (long i = 0; i < n; ++i) {
    const float x = std::strtof(s, &endp);
    if (endp == s || *endp != ',') return false;
    s = endp + 1;
    const float y = std::strtof(s, &endp);
    if (endp == s || !std::isfinite(x) || !std::isfinite(y)) return false;
    s = endp;
    pts.add(Point(x, y));
  }
  return true;
}

bool readCount(const char*& s, long& n)
{
  char* endp = nullptr;
  n = std::strtol(s, &endp, 10);
  if (endp == s || n < 0 || n > 10000000) return false;
  s = endp;
  return true;
}

bool Player::readPoints(const char* s, Points& pts)
{
  long n = 0;
  pts.clear();
  return readCount(s, n) && readPairs(s, n, pts);
}

// "FP" with the number of rings, each ring's number of points, then all the points.
bool Player::readRings(const char* s, Points& pts, std::vector<int>& counts)
{
  long rings = 0, total = 0;
  if (!readCount(s, rings) || rings < 1) return false;
  counts.clear();
  for (long r = 0; r < rings; ++r) {
    long n = 0;
    if (!readCount(s, n) || (total += n) > 10000000) return false;
    counts.push_back(static_cast<int>(n));
  }
  pts.clear();
  return readPairs(s, total, pts);
}

void Player::applyLine()
{
  const ClassAttr& a = attr[last == 3 ? 1 : last];
  g.setLineColor(colour(a.colour));
  g.setLineWidth(a.width);
  g.setLineStyle(last == 1 ? style : 1);
}

bool Player::line(const char* s, LineReader& in)
{
  int v;
  float f, x1, y1, x2, y2;
  char key[8];
  if (s[0] == '#' || s[0] == '\n' || !s[0]) return true;
  if (std::sscanf(s, "SZ %f %f", &x1, &y1) == 2) {
    begin(x1, y1);
    return true;
  }
  if (std::sscanf(s, "%7s", key) != 1) return true;
  const int cls = key[0] == 'L' ? 1 : key[0] == 'M' ? 2 : key[0] == 'F' ? 3 : key[0] == 'T' ? 4 : 0;
  if (cls && std::strcmp(key + 1, "CLR") == 0 && std::sscanf(s + 4, "%d", &v) == 1) {
    attr[cls].colour = v;
    last = cls;
    if (cls == 3) g.setFillColor(colour(v));
  } else if (cls && std::strcmp(key + 1, "WID") == 0 && std::sscanf(s + 4, "%f", &f) == 1) {
    attr[cls].width = f;
    last = cls;
  } else if (std::strcmp(key, "LSTY") == 0 && std::sscanf(s + 4, "%d", &v) == 1) {
    style = v;
  } else if (std::strcmp(key, "FSTY") == 0 && std::sscanf(s + 4, "%d", &v) == 1) {
    g.setFillStyle(v);
  } else if (std::strcmp(key, "L") == 0 || std::strcmp(key, "F") == 0) {
    Points pts;
    if (!readPoints(s + 1, pts)) return false;
    if (key[0] == 'L') {
      applyLine();
      g.drawLine(pts);
    } else {
      g.drawFill(pts);
    }
  } else if (std::strcmp(key, "FP") == 0) {
    Points pts;
    std::vector<int> counts;
    if (!readRings(s + 2, pts, counts)) return false;
    g.drawFillPath(pts, counts);
  } else if (std::strcmp(key, "CL") == 0 &&
             std::sscanf(s, "CL %f %f %f %f", &x1, &y1, &x2, &y2) == 4) {
    // the recorded clip box cuts the replay as it cut the recording
    const Point a = g.toDevice(x1, y1), b = g.toDevice(x2, y2);
    g.setClip(Rect(a.x, a.y, b.x, b.y));
  } else if (std::strcmp(key, "T") == 0 && std::sscanf(s, "T %f,%f", &x1, &y1) == 2) {
    const char* text = std::strchr(s + 2, ' ');
    std::string t = text ? text + 1 : "";
    if (!t.empty() && t.back() == '\n') t.pop_back();
    g.drawText(x1, y1, t.c_str());
  } else if (std::strcmp(key, "TALIGN") == 0 && std::sscanf(s, "TALIGN %f %f", &x1, &y1) == 2) {
    g.setTextAlign(static_cast<int>(x1), static_cast<int>(y1));
  } else if (std::strcmp(key, "I") == 0) {
    return MetaImage::replay(in, g);
  }
  return true;
}

}  // namespace

int replay(const char* file, Graph& g)
{
  File in;
  if (!file || !in.open(file, "r")) {
    Kol::outWarning("MetaFile: unable to read metafile: %s\n", file ? file : "");
    return 0;
  }
  LineReader lines(in.getFP());
  if (!lines.next() || std::strncmp(lines.get(), "KOLMETA2", 8) != 0) {
    Kol::outWarning("MetaFile: not a metafile: %s\n", file);
    return 0;
  }
  Player p(g);
  int number = 1, ok = 1;
  while (lines.next()) {
    ++number;
    if (!p.line(lines.get(), lines)) {
      Kol::outWarning("MetaFile: bad record on line %d of %s\n", number, file);
      ok = 0;
      break;
    }
  }
  p.end();
  return ok;
}

}  // namespace KOL::MetaReplay
