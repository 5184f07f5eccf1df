#include "graphics/plot/PlotOutput.h"

#include <cstdio>
#include <cstring>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "graphics/Figure.h"
#include "graphics/plot/PlotImage.h"

namespace KOL::PlotOutput {

namespace {

bool has(const char* t) { return t && *t; }

}  // namespace

void whitePage(Resrc& r)
{
  if (has(r.get("background")) || r.get("inverse")) return;
  r.set("inverse", "true");
}

std::string deviceParams(const char* device, const char* imageFile)
{
  if (!has(device) && has(imageFile) && PlotImage::outputType(imageFile)) return "de=i";
  return "";
}

std::string imageFile(const std::string& kind, const char* named)
{
  if (kind == "png" || kind == "gif") return has(named) ? named : "";
  return PlotImage::outputType(kind.c_str()) ? kind : "";
}

int drawLayer(Drawing& layer, const Domain& d, const char* prog, const char* device,
              const char* image)
{
  Figure fig;
  if (!fig.open(deviceParams(device, image).c_str())) {
    Kol::outError("%s: cannot open the device\n", prog);
    return Kol::FAILURE;
  }
  fig.startPlot(d);
  // the frame is the data's time, not the clock's
  Date when;
  if (layer.getDate(when) && when.isSet()) fig.setDate(when);
  fig.addDrawing(layer);
  fig.endPlot();
  return finish(fig, prog, device, image);
}

int finish(Figure& fig, const char* prog, const char* device, const char* imageFile)
{
  Plot& plot = fig.getPlot();
  if (has(imageFile) && PlotImage::outputType(imageFile)) {
    const std::string name = PlotImage::outputName(imageFile);
    if (!plot.saveImage(name.c_str(), PlotImage::outputType(imageFile))) {
      Kol::outError("%s: cannot write %s\n", prog, name.c_str());
      return Kol::FAILURE;
    }
    std::printf("%s: wrote %s\n", prog, name.c_str());
    return Kol::SUCCESS;
  }
  if (has(device) && std::strcmp(Plot::deviceType(device), "display") != 0) {
    fig.close();
    const char* comma = std::strchr(device, ',');
    std::printf("%s: wrote %s\n", prog, comma ? comma + 1 : "the device's default file");
    return Kol::SUCCESS;
  }
  return fig.manage() >= 0 ? Kol::SUCCESS : Kol::FAILURE;
}

}  // namespace KOL::PlotOutput
