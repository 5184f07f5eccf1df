#include "ImageOffsets.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "imagery/Image.h"

namespace KOLTest::ImageOffsets {

namespace {

constexpr int HALF = SIDE / 2;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t COLOURS[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFF00}};

uint32_t pixelColour(int i, int j)
{
  if (i < 0 || j < 0 || i >= SIDE || j >= SIDE) return WHITE;
  return COLOURS[j / HALF][i / HALF];
}

}  // namespace

KOL::Image quadrants()
{
  KOL::Image img(SIDE, SIDE, 24);
  img.allocData();
  for (int j = 0; j < SIDE; ++j)
    for (int i = 0; i < SIDE; ++i) img.setPixel(i, j, static_cast<int>(pixelColour(i, j)));
  return img;
}

void expectBox(const Raster& page, Offset o, const std::string& device)
{
  SCOPED_TRACE(device + " offsets " + std::to_string(o.x) + "," + std::to_string(o.y));
  ASSERT_TRUE(page.valid());
  int wrong = 0;
  // sample centres away from the quadrant edges, where every renderer agrees
  for (int row = 2; row < SIDE; row += 4)
    for (int col = 2; col < SIDE; col += 4) {
      const uint32_t want = pixelColour(o.x + col, o.y + row);
      const uint32_t got = page.at(BOX_X + col, BOX_Y + row);
      if (got != want && ++wrong <= 3)
        ADD_FAILURE() << "box sample " << col << "," << row << ": " << std::hex << got
                      << " instead of " << want;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(page.at(BOX_X - 3, BOX_Y + HALF), WHITE) << "left of the box";
  EXPECT_EQ(page.at(BOX_X + HALF, BOX_Y + SIDE + 2), WHITE) << "below the box";
  if (const char* keep = std::getenv("KOL_KEEP_PICTURES"))
    page.writePpm(std::string(keep) + "/offsets_" + device + "_" + std::to_string(o.x) + "_" +
                  std::to_string(o.y) + ".ppm");
}

}  // namespace KOLTest::ImageOffsets
