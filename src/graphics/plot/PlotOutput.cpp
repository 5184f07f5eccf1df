#include "graphics/plot/PlotOutput.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"
#include "graphics/Device.h"
#include "graphics/Figure.h"
#include "graphics/Listener.h"
#include "graphics/device/Params.h"
#include "graphics/plot/PlotImage.h"
#include "imagery/GifFile.h"
#include "imagery/Image.h"

namespace KOL::PlotOutput {

namespace {

bool has(const char* t) { return t && *t; }

bool endsWith(std::string_view s, std::string_view tail)
{
  return s.size() > tail.size() && StrLib::iequal(s.data() + s.size() - tail.size(), tail.data());
}

// The device letter an output name's ending selects, 0 for none.
char fileDeviceKind(const char* output)
{
  if (!has(output)) return 0;
  const std::string_view name(output);
  if (endsWith(name, ".ps") || endsWith(name, ".eps")) return 'p';
  if (endsWith(name, ".meta")) return 'm';
  if (endsWith(name, ".hpgl")) return 'h';
  return 0;
}

// The keys of a loop in the window; the device's own keys and buttons keep working beside them.
class LoopKeys : public Listener {
 public:
  explicit LoopKeys(Plot& p) : plot_(p) {}
  int callback(const char* event, const char* data, const void*) override
  {
    if (!event || !data || std::strcmp(event, "KeyPress") != 0) return 0;
    const std::string_view key(data, std::strcspn(data, ":"));
    if (key == "q" || key == "Q" || key == "\x1b") return plot_.getGraph().unmanage();
    // the device stops, starts and steps its loop on these
    const char* as = key == " " ? "l-Alt" : key == "Left" ? "[-Alt" : key == "Right" ? "]-Alt" : "";
    Device* dev = plot_.getDevice();
    return *as && dev ? dev->callback("KeyPress", as, nullptr) : 0;
  }

 private:
  Plot& plot_;
};

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

std::string fileDevice(const char* device, const char* output)
{
  const char kind = fileDeviceKind(output);
  if (!kind) return "";
  std::string text = std::string(1, kind) + "," + output;
  if (endsWith(output, ".eps")) text += ",eps";
  // the options of a device text of the same kind follow its file field
  bool sized = false;
  if (has(device) && StrLib::toLower(device[0]) == kind) {
    const std::vector<std::string> fields = Params::split(device);
    for (size_t i = 2; i < fields.size(); ++i) {
      if (!(fields[i] == "eps" && endsWith(output, ".eps"))) text += "," + fields[i];
      sized = sized || fields[i].compare(0, 2, "sz") == 0;
    }
  }
  // the metafile's own area is one unit square: it takes the size of an image instead
  if (kind == 'm' && !sized) text += ",sz=640x512";
  return text;
}

bool selectDevice(Resrc& r, const char* output)
{
  const std::string text = fileDevice(r.get("device"), output);
  if (text.empty()) return false;
  r.set("device", text.c_str());
  return true;
}

std::string deviceFile(const char* device)
{
  const std::vector<std::string> fields = Params::split(device);
  return fields.size() > 1 ? fields[1] : "";
}

std::string outputFile(const std::string& kind, const char* named)
{
  if (kind == "png" || kind == "gif") return has(named) ? named : "";
  return PlotImage::outputType(kind.c_str()) || fileDeviceKind(kind.c_str()) ? kind : "";
}

int drawLayer(Drawing& layer, const Domain& d, const char* prog, const char* device,
              const char* output)
{
  return drawLayers({&layer}, d, prog, device, output);
}

int drawLayers(const std::vector<Drawing*>& layers, const Domain& d, const char* prog,
               const char* device, const char* output)
{
  const std::string selected = fileDevice(device, output);
  if (!selected.empty()) device = selected.c_str();
  Figure fig;
  const std::string params = selected.empty() ? deviceParams(device, output) : "de=" + selected;
  if (!fig.open(params.c_str())) {
    Kol::outError("%s: cannot open the device\n", prog);
    return Kol::FAILURE;
  }
  fig.startPlot(d);
  // the frame is the data's time, not the clock's
  for (Drawing* layer : layers)
    if (Date when; layer->getDate(when) && when.isSet()) {
      fig.setDate(when);
      break;
    }
  for (Drawing* layer : layers) fig.addDrawing(*layer);
  fig.endPlot();
  return finish(fig, prog, device, output);
}

int drawFigure(Drawing& layer, const Domain& d, const char* prog, const char* device,
               const char* output, const Rect* panel, const std::vector<Drawing*>& over)
{
  Figure fig;
  if (!fig.open(deviceParams(device, output).c_str())) {
    Kol::outError("%s: cannot open the output device\n", prog);
    return Kol::FAILURE;
  }
  if (panel)
    fig.startPlot(*panel, d);
  else
    fig.startPlot(d);
  fig.addDrawing(layer);
  for (Drawing* o : over) fig.addDrawing(*o);
  fig.endPlot();
  return finish(fig, prog, device, output);
}

int drawLoop(const std::vector<Drawing*>& layers, const Domain& d, const char* prog,
             const char* gif, int delay)
{
  std::vector<Image> frames;
  for (Drawing* layer : layers) {
    Figure fig;
    if (!fig.open("de=i")) {
      Kol::outError("%s: cannot open the device\n", prog);
      return Kol::FAILURE;
    }
    fig.startPlot(d);
    Date when;
    if (layer->getDate(when) && when.isSet()) fig.setDate(when);
    fig.addDrawing(*layer);
    fig.endPlot();
    frames.emplace_back();
    if (!fig.getPlot().getImage(frames.back())) frames.pop_back();
  }
  const std::string name = PlotImage::outputName(gif);
  if (frames.empty() || !GifFile::writeLoop(name.c_str(), frames, delay)) {
    Kol::outError("%s: cannot write %s\n", prog, name.c_str());
    return Kol::FAILURE;
  }
  std::printf("%s: wrote %s (%zu frames)\n", prog, name.c_str(), frames.size());
  return Kol::SUCCESS;
}

bool canLoop(const char* device, const std::string& output)
{
  if (endsWith(output, ".gif")) return true;
  return output.empty() && has(device) && std::strcmp(Plot::deviceType(device), "display") == 0;
}

int showLoop(const std::vector<Drawing*>& layers, const Domain& d, const char* prog,
             const char* device)
{
  Figure fig;
  if (!fig.open(deviceParams(device, nullptr).c_str())) {
    Kol::outError("%s: cannot open the device\n", prog);
    return Kol::FAILURE;
  }
  fig.startPlot(d);
  Plot& plot = fig.getPlot();
  // every frame starts from the labels and date of the plot before the loop
  const int labels = plot.getNumLabels(), line = plot.getLabelLine();
  const Date plotDate = plot.getDate();
  for (Drawing* layer : layers) {
    plot.newFrame();
    plot.keepLabels(labels, line);
    plot.setDate(plotDate);
    fig.clearQueue();
    if (Date when; layer->getDate(when) && when.isSet()) fig.setDate(when);
    fig.addDrawing(*layer);
    fig.endPlot();
  }
  LoopKeys keys(plot);
  plot.addCallback("AnyEvent", &keys, nullptr);
  Kol::outMessage(1, "%s: %zu frames; q ends, the space bar stops and starts, arrows step\n", prog,
                  layers.size());
  return fig.manage() >= 0 ? Kol::SUCCESS : Kol::FAILURE;
}

int finish(Figure& fig, const char* prog, const char* device, const char* output)
{
  Plot& plot = fig.getPlot();
  const std::string selected = fileDevice(device, output);
  if (!selected.empty()) device = selected.c_str();
  if (selected.empty() && has(output) && PlotImage::outputType(output)) {
    const std::string name = PlotImage::outputName(output);
    if (!plot.saveImage(name.c_str(), PlotImage::outputType(output))) {
      Kol::outError("%s: cannot write %s\n", prog, name.c_str());
      return Kol::FAILURE;
    }
    std::printf("%s: wrote %s\n", prog, name.c_str());
    return Kol::SUCCESS;
  }
  if (has(device) && std::strcmp(Plot::deviceType(device), "display") != 0) {
    // a file that could not be made was said by the device as it opened
    fig.close();
    const std::string file = deviceFile(device);
    std::printf("%s: wrote %s\n", prog, file.empty() ? "the device's default file" : file.c_str());
    return Kol::SUCCESS;
  }
  return fig.manage() >= 0 ? Kol::SUCCESS : Kol::FAILURE;
}

}  // namespace KOL::PlotOutput
