#include "DiagramPicture.h"

#include <cmath>
#include <cstdlib>

#include "common/TestData.h"
#include "core/Kol.h"
#include "imagery/RGB.h"
#include "layers/ThermPlot.h"

namespace KOLTest {

const KOL::Rect DIAGRAM_PANEL(0.08f, 0.08f, 0.93f, 0.95f);

namespace {

// Whether a pixel (components 0-1) is ink of the colour (components 0-1): its departure from
// white lies along the colour's, and is most of it (antialiased edges blend with the paper).
bool isInkOf(float r, float g, float b, float tr, float tg, float tb)
{
  const float d[3] = {1 - r, 1 - g, 1 - b};
  const float e[3] = {1 - tr, 1 - tg, 1 - tb};
  const float ee = e[0] * e[0] + e[1] * e[1] + e[2] * e[2];
  if (ee <= 0) return false;
  const float alpha = (d[0] * e[0] + d[1] * e[1] + d[2] * e[2]) / ee;
  float residual = 0;
  for (int k = 0; k < 3; ++k) residual += (d[k] - alpha * e[k]) * (d[k] - alpha * e[k]);
  return alpha > 0.6f && std::sqrt(residual) < 0.08f;
}

}  // namespace

DiagramPlot::DiagramPlot(int type) : DiagramPlot(KOL::ThermPlot::getDomain(type)) {}

DiagramPlot::DiagramPlot(const KOL::Domain& d)
{
  open();
  plot_.setPanel(DIAGRAM_PANEL, d);
}

void DiagramPlot::open()
{
  KOL::Kol::setDatabasePath(databaseDir().c_str());
  const std::string params = "de=i,,sz=" + std::to_string(WIDTH) + "x" + std::to_string(HEIGHT);
  EXPECT_TRUE(plot_.open(params.c_str()));
}

KOL::Point DiagramPlot::pixel(float t, float p)
{
  KOL::EarthPoint e(t, p);
  KOL::Point w;
  if (!plot_.getDomain().tran(e, w)) return KOL::Point();
  return plot_.toDevice(w);
}

bool DiagramPlot::inside(const KOL::Point& px, int margin)
{
  const KOL::GTran& t = plot_.getGraph().getGTran(KOL::Plot::MAP);
  const KOL::Rect clip = t.getClipRect();
  return !px.isMiss() && px.x >= clip.x1 + margin && px.x <= clip.x2 - margin &&
         px.y >= clip.y1 + margin && px.y <= clip.y2 - margin;
}

void DiagramPlot::capture(const std::string& keepAs)
{
  img_.init();
  ASSERT_EQ(plot_.getImage(img_), 1);
  const char* keep = std::getenv("KOL_KEEP_PICTURES");
  if (keep && *keep && !keepAs.empty()) {
    KOL::Kol::resrc.set("image_path", keep);
    plot_.saveImage(keepAs.c_str());
    KOL::Kol::resrc.set("image_path", "");
  }
}

DiagramPlot::Target DiagramPlot::target(const char* colour)
{
  Target t{0, 0, 0};
  plot_.getColorRGB(plot_.getColorValue(colour), t.r, t.g, t.b);
  return t;
}

bool DiagramPlot::isInk(int x, int y, const Target& t) const
{
  if (x < 0 || y < 0 || x >= img_.getWidth() || y >= img_.getHeight()) return false;
  KOL::RGB c;
  img_.getRGB(x, y, c);
  return isInkOf(c.red, c.green, c.blue, t.r, t.g, t.b);
}

bool DiagramPlot::inkNear(const KOL::Point& px, const char* colour, int radius)
{
  const Target t = target(colour);
  const int cx = static_cast<int>(std::lround(px.x)), cy = static_cast<int>(std::lround(px.y));
  for (int y = cy - radius; y <= cy + radius; ++y)
    for (int x = cx - radius; x <= cx + radius; ++x)
      if (isInk(x, y, t)) return true;
  return false;
}

int DiagramPlot::countInk(int x1, int y1, int x2, int y2, const char* colour)
{
  const Target t = target(colour);
  int n = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) n += isInk(x, y, t);
  return n;
}

int DiagramPlot::countNonWhite(int x1, int y1, int x2, int y2) const
{
  int n = 0;
  KOL::RGB c;
  for (int y = std::max(0, y1); y <= std::min(img_.getHeight() - 1, y2); ++y)
    for (int x = std::max(0, x1); x <= std::min(img_.getWidth() - 1, x2); ++x) {
      img_.getRGB(x, y, c);
      n += c.red < 0.98f || c.green < 0.98f || c.blue < 0.98f;
    }
  return n;
}

int writeOwnOunFile(const std::string& dir)
{
  int status = -1;
  run(programPath("kolupa") + " -file_path=" + databaseDir() + " -con_path=" + dir +
          " -date=201105221300 -out=upa_cvt " +
          dataFile("upperair/ENCODED_72357_OUN_20110522_12Z.txt") + " 2>&1",
      &status);
  return status;
}

}  // namespace KOLTest
