// A layer drawn as the programs draw it, 800 x 700 pixels on the image device, on its own domain
// (or one given); and what colour lies where the projection puts an earth point.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/Raster.h"
#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Drawing.h"
#include "graphics/Plot.h"
#include "imagery/Image.h"
#include "imagery/RGB.h"

namespace KOLTest {

class LayerPictureTest : public DatabaseTest {
 protected:
  void SetUp() override
  {
    DatabaseTest::SetUp();
    KOL::Kol::resrc.set("inverse", "true");
  }
  void TearDown() override
  {
    KOL::Kol::resrc.set("inverse", "");
    DatabaseTest::TearDown();
  }
  // keepAs names the picture under $KOL_KEEP_PICTURES, for a person to look at.
  void draw(KOL::Drawing& layer, const std::string& keepAs = "", const KOL::Domain* on = nullptr)
  {
    const char* keep = std::getenv("KOL_KEEP_PICTURES");
    const std::string out = keep && !keepAs.empty() ? std::string(keep) + "/" + keepAs : "";
    ASSERT_TRUE(plot.open(("de=i," + out + ",sz=800x700").c_str()));
    if (on)
      domain = *on;
    else
      ASSERT_TRUE(layer.getDomain(domain));
    ASSERT_EQ(plot.setDomain(domain), 1);
    ASSERT_EQ(layer.draw(plot), 1);
    if (framed) {
      plot.drawBorder();
      plot.drawLabels();
    }
    clip = plot.getGraph().getGTran(KOL::Plot::MAP).getClipRect();
    KOL::Image shot;
    ASSERT_EQ(plot.getImage(shot), 1);
    pic = toRaster(shot);
  }
  // The device pixel of an earth point (missing when off the map's projection).
  KOL::Point pixel(double lat, double lon)
  {
    KOL::EarthPoint e(static_cast<float>(lat), static_cast<float>(lon));
    KOL::Point p;
    if (!domain.tran(e, p)) return KOL::Point();
    return plot.toDevice(p);
  }
  // The picture's colour at an earth point; white off the picture, as the page.
  uint32_t colourAt(double lat, double lon)
  {
    const KOL::Point p = pixel(lat, lon);
    const int x = static_cast<int>(p.x + 0.5f), y = static_cast<int>(p.y + 0.5f);
    if (p.isMiss() || x < 0 || y < 0 || x >= pic.width || y >= pic.height) return 0xFFFFFF;
    return pic.at(x, y);
  }
  // Pixels of colour c in the box of half size h about a device point.
  int inkAround(uint32_t c, const KOL::Point& p, int h, int tolerance = 80) const
  {
    const int x = static_cast<int>(p.x + 0.5f), y = static_cast<int>(p.y + 0.5f);
    return inkOf(pic, c, tolerance, x - h, y - h, x + h, y + h).count;
  }
  // Whether ink of colour c lies within h pixels of an earth point.
  bool inkNear(uint32_t c, double lat, double lon, int h = 2)
  {
    const KOL::Point p = pixel(lat, lon);
    return !p.isMiss() && inkAround(c, p, h) > 0;
  }

  KOL::Plot plot;
  KOL::Domain domain;
  KOL::Rect clip;
  Raster pic;
  bool framed = false;  // the border and labels drawn too, as the programs do
};

// A colour as the picture's 0xRRGGBB.
inline uint32_t packed(const KOL::RGB& c)
{
  return KOL::RGB::toByte(c.red) << 16 | KOL::RGB::toByte(c.green) << 8 | KOL::RGB::toByte(c.blue);
}

}  // namespace KOLTest
