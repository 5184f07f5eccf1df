#include "graphics/graph/MarkShapes.h"

#include <cmath>
#include <initializer_list>

namespace KOL::MarkShapes {

namespace {

// A polyline through offsets (in units of h) from the centre.
Points line(float x, float y, float h, std::initializer_list<std::pair<float, float>> offs)
{
  Points p;
  for (const auto& o : offs) p.add(Point(x + o.first * h, y + o.second * h));
  return p;
}

Points circle(float x, float y, float h)
{
  Points p;
  for (int a = 0; a <= 360; a += 15) {
    const double r = a * M_PI / 180;
    p.add(Point(x + h * static_cast<float>(std::sin(r)), y + h * static_cast<float>(std::cos(r))));
  }
  return p;
}

}  // namespace

std::vector<Points> get(int type, float x, float y, float h)
{
  constexpr float S = 0.7071f;  // diagonal arms as long as the straight ones
  switch (type) {
    case 2:
      return {line(x, y, h, {{-1, 0}, {1, 0}}), line(x, y, h, {{0, -1}, {0, 1}})};
    case 3:
      return {line(x, y, h, {{-1, 0}, {1, 0}}), line(x, y, h, {{0, -1}, {0, 1}}),
              line(x, y, h, {{-S, -S}, {S, S}}), line(x, y, h, {{-S, S}, {S, -S}})};
    case 4:
      return {circle(x, y, h)};
    case 5:
      return {line(x, y, h, {{-S, -S}, {S, S}}), line(x, y, h, {{-S, S}, {S, -S}})};
    case 6:
      return {line(x, y, h, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}})};
    case 7:
      return {line(x, y, h, {{-1, -0.8f}, {1, -0.8f}, {0, 1}, {-1, -0.8f}})};
    case 8:
      return {line(x, y, h, {{0, 0}, {0.1f, 0.1f}})};
    case 9:
      return {line(x, y, h, {{-1, 0.8f}, {1, 0.8f}, {0, -1}, {-1, 0.8f}})};
    case 10:
      return {line(x, y, h, {{0.3f, 1}, {-0.4f, 0}, {0.4f, 0}, {-0.3f, -1}}),
              line(x, y, h, {{-0.3f, -1}, {-0.35f, -0.6f}}),
              line(x, y, h, {{-0.3f, -1}, {0.05f, -0.8f}})};
    default:
      return {line(x, y, h, {{0, 0}, {0.2f, 0}, {0.2f, 0.2f}, {0, 0.2f}, {0, 0}})};
  }
}

}  // namespace KOL::MarkShapes
