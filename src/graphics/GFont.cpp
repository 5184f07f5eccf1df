#include "graphics/GFont.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/String.h"

namespace KOL {

namespace {

constexpr int END_GLYPH = 255;
constexpr int END_FILE = 254;
constexpr int PEN_UP = 128;
// Font units a point may lie at: generous around the 105-unit cell, so that descenders and
// accents pass but a corrupt file cannot send strokes far off the text.
constexpr int Y_MIN = -150, Y_MAX = 300;

// Whitespace-separated tokens of a whole file.
class Tokens {
 public:
  explicit Tokens(std::string text) : text_(std::move(text)) {}
  bool next(std::string& tok)
  {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    if (pos_ >= text_.size()) return false;
    size_t end = pos_;
    while (end < text_.size() && !std::isspace(static_cast<unsigned char>(text_[end]))) ++end;
    tok.assign(text_, pos_, end - pos_);
    pos_ = end;
    ++count_;
    return true;
  }
  bool nextInt(int& v)
  {
    std::string tok;
    if (!next(tok)) return false;
    char* end = nullptr;
    long l = std::strtol(tok.c_str(), &end, 10);
    if (*end || l < -100000 || l > 100000) return false;
    v = static_cast<int>(l);
    return true;
  }
  int count() const { return count_; }

 private:
  std::string text_;
  size_t pos_ = 0;
  int count_ = 0;
};

std::string slurp(const char* path)
{
  File in;
  std::string text;
  if (!path || !FileTool::isFile(path) || !in.open(path, "r")) return text;
  char buf[4096];
  int n;
  while ((n = in.read(buf, sizeof buf)) > 0) text.append(buf, n);
  return text;
}

}  // namespace

void GFont::init()
{
  name[0] = '\0';
  type = STROKE;
  opened = false;
  std::fill(std::begin(start), std::end(start), -1);
  std::fill(std::begin(width), std::end(width), 0);
  points.clear();
  cursor = -1;
  hardwareSize = 12;
  hardware[0] = '\0';
}

int GFont::open(const char* fontName, const char* path)
{
  init();
  if (!fontName) return 0;
  std::snprintf(name, NAME_SIZE, "%s", fontName);
  if (fontName[0] != '#') return read(path ? path : fontName);
  type = HARDWARE;
  std::snprintf(hardware, NAME_SIZE, "%s", fontName + 1);
  for (char* s = hardware; *s; ++s)
    if (*s == '_') *s = ' ';
  if (char* colon = std::strrchr(hardware, ':')) {
    *colon = '\0';
    int size = std::atoi(colon + 1);
    if (size > 0) hardwareSize = size;
  }
  opened = true;
  return 1;
}

const char* GFont::getHardware(int& size) const
{
  size = hardwareSize;
  return hardware;
}

int GFont::read(const char* path)
{
  const std::string text = slurp(path);
  if (text.empty()) {
    Kol::outWarning("GFont: unable to read font file: %s\n", path ? path : "");
    return 0;
  }
  Tokens toks(text);
  int first, c = -1;
  bool complete = true;  // the current glyph was ended by its mark
  std::string tok;
  auto readChar = [&]() {
    if (!toks.next(tok) || tok.size() != 1) return false;
    c = static_cast<unsigned char>(tok[0]);
    complete = false;
    start[c] = static_cast<int>(points.size());
    width[c] = 0;
    return true;
  };
  bool ok = toks.nextInt(first) && readChar();
  while (ok) {
    int x, y;
    if (!toks.nextInt(x)) {
      ok = false;
      break;
    }
    if (x == END_FILE) break;
    if (x == END_GLYPH) {
      points.push_back(Stroke{0, 0, END});
      complete = true;
      ok = readChar();
      continue;
    }
    if (x < 0 || x > 253 || !toks.nextInt(y) || y < Y_MIN || y > Y_MAX) {
      ok = false;
      break;
    }
    const bool draw = x < PEN_UP;
    if (!draw) x -= PEN_UP;
    points.push_back(Stroke{static_cast<short>(x), static_cast<short>(y), draw ? DRAW : MOVE});
    width[c] = std::max(width[c], x);
  }
  points.push_back(Stroke{0, 0, END});
  if (!ok) {
    Kol::outWarning("GFont: bad font data in %s at token %d\n", path, toks.count());
    // a glyph cut short is dropped; the ones before it stay usable
    if (c >= 0 && !complete) start[c] = -1;
  }
  opened = true;
  return ok ? 1 : 0;
}

bool GFont::hasChar(int c) const { return c >= 0 && c < 256 && start[c] >= 0; }

int GFont::getWidth(int c) const
{
  if (c == ' ') return SPACE_WIDTH;
  return hasChar(c) ? width[c] : 0;
}

int GFont::setChar(int c)
{
  cursor = hasChar(c) ? start[c] : -1;
  return cursor >= 0;
}

int GFont::get(Point& p)
{
  if (cursor < 0 || cursor >= static_cast<int>(points.size())) return 0;
  const Stroke& s = points[cursor];
  if (s.kind == END) {
    cursor = -1;
    return 0;
  }
  ++cursor;
  p.set(s.x, s.y);
  return s.kind;
}

void GFont::print() const
{
  int glyphs = 0;
  for (int s : start) glyphs += s >= 0;
  std::printf("Name %s\n", name);
  std::printf("Type %d\n", type);
  std::printf("Height %d\n", HEIGHT);
  std::printf("Char %d\n", glyphs);
  std::printf("Opened %d\n", opened ? 1 : 0);
}

}  // namespace KOL
