#include "graphics/Device.h"

#include <algorithm>
#include <cmath>

#include "core/String.h"
#include "graphics/device/Rings.h"
#include "imagery/Image.h"

namespace KOL {

int Device::getDevice(String& name)
{
  name.clear();
  return 1;
}

int Device::resize(float, float) { return 1; }
int Device::addCallback(const char*, Listener*, const void*) { return 1; }
int Device::doCallback(const char*, const char*) { return 1; }
int Device::callback(const char*, const char*, const void*) { return 1; }
int Device::clearRect(Rect&) { return 1; }
int Device::setTitle(const char*) { return 1; }

int Device::getSize(float& w, float& h)
{
  w = getWidth();
  h = getHeight();
  return 1;
}

int Device::setOffset(float, float) { return 1; }

int Device::getOffset(float& x, float& y)
{
  x = y = 0;
  return 1;
}

Rect Device::getCoords()
{
  Rect r;
  getCoords(r);
  return r;
}

int Device::allocColor(float r, float g, float b) { return packColor(r, g, b); }

int Device::drawLine(int type, float x1, float y1, float x2, float y2)
{
  Points pts;
  pts.add(Point(x1, y1));
  pts.add(Point(x2, y2));
  return drawLine(type, pts);
}

int Device::drawFillPath(int type, Points& pts, const std::vector<int>& counts)
{
  if (counts.size() == 1) return drawFill(type, pts);
  Points one;
  one.reserve(pts.getNum() + 3 * static_cast<int>(counts.size()));
  device::forEachRing(pts, counts, [&](int at, int n) {
    for (int i = 0; i < n; i++) one.add(pts[at + i]);
    one.add(pts[at]);
    if (at > 0) one.add(pts[0]);
  });
  return drawFill(type, one);
}

int Device::drawImage(Image&, float, float) { return 0; }
int Device::drawImage(Image& img, int, float x, float y) { return drawImage(img, x, y); }
int Device::getImage(Image& img)
{
  img.init();
  return 0;
}

int Device::packColor(float r, float g, float b)
{
  auto byte = [](float v) {
    if (!(v > 0)) return 0;
    return static_cast<int>(std::min(v, 1.0f) * 255);
  };
  return (byte(r) << 16) + (byte(g) << 8) + byte(b);
}

}  // namespace KOL
