// kolgridplot: contours, colour fills and vectors of the fields of a grid file (GRIB or the
// library's own, told apart by content) and of functions of them, on a map.
//   kolgridplot -va='500:hght[dam],avort(500:uwnd,500:vwnd)[,cf]' -ou=h500.png FILE
//   kolgridplot -va='2m_ag:temp[C,cf],wind10' -ft=0-24/6 -ou=t2m.png FILE
// Without -pd the map is the domain of the file's first field. With -ou naming a .png or .gif
// file the picture is written without any display; a forecast loop (-ft a-b/c or a list) writes
// one picture per frame, the forecast hour added to the name (t2m_f000.png, t2m_f006.png, ...).
// -ou naming a .ps, .eps, .meta or .hpgl file (or -de=ps,FILE) writes that device's file; with
// neither the picture opens in the X window.
//   kolgridplot -pl=image [-va='500:hght[dam]'] [-pa=ty=bil] -ou=h500.png FILE
// draws one field as an image, a colour a pixel (the nearest grid point, or bilinear with
// ty=bil), with its colour bar: the fast picture of a large grid; without -va, the file's
// first field.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "geo/Domain.h"
#include "geo/DomainTool.h"
#include "graphics/Figure.h"
#include "graphics/plot/PlotImage.h"
#include "graphics/plot/PlotOutput.h"
#include "graphics/plot/PlotParams.h"
#include "grid/GridFile.h"
#include "layers/GridPlot.h"
#include "layers/ImagePlot.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  KolResrc::add(keyed, KolResrc::FILE_GROUP);
  KolResrc::add(keyed, KolResrc::TIME_GROUP);
  KolResrc::add(keyed, KolResrc::IO_GROUP);
  KolResrc::add(keyed, KolResrc::DOMAIN_GROUP);
  KolResrc::add(keyed, KolResrc::MAP_GROUP);
  KolResrc::add(keyed, KolResrc::PLOT_GROUP);
  KolResrc::add(keyed, KolResrc::COLOR_GROUP);
  KolResrc::add(keyed, KolResrc::FILL_COLOR_GROUP);
  KolResrc::add(keyed, KolResrc::CONTOUR_GROUP);
  KolResrc::add(keyed, KolResrc::DEVICE_GROUP);
  for (const char* name : {"variable", "var_file", "level", "time", "model"})
    KolResrc::add(keyed, KolResrc::find(name));
  KolResrc::add(positional, KolResrc::find("filename"));
}

bool has(const char* text) { return text && *text; }

// "name.png" for one frame; "name_f006.png" for the frame of forecast hour 6.
std::vector<std::string> frameFiles(const std::string& out, const std::vector<std::string>& hours)
{
  if (hours.size() < 2) return {out};
  const size_t dot = out.rfind('.');
  const std::string stem = out.substr(0, dot), ext = out.substr(dot);
  std::vector<std::string> names;
  for (const std::string& h : hours) {
    char tag[32];
    std::snprintf(tag, sizeof tag, "_f%03d", std::atoi(h.c_str()));
    names.push_back(stem + tag + ext);
  }
  return names;
}

int saveFrames(Figure& fig, const char* output)
{
  Plot& plot = fig.getPlot();
  const std::string name = PlotImage::outputName(output);
  const char* type = PlotImage::outputType(output);
  const std::vector<std::string> hours = PlotParams::split(fig.getForeTime().c_str());
  const std::vector<std::string> files =
      frameFiles(name, plot.getNumFrames() >= 2 ? hours : std::vector<std::string>());
  int saved = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    if (files.size() >= 2) {
      plot.setFrame(static_cast<int>(i));
      plot.update();
    }
    if (!plot.saveImage(files[i].c_str(), type)) {
      Kol::outError("kolgridplot: cannot write %s\n", files[i].c_str());
      continue;
    }
    std::printf("kolgridplot: wrote %s\n", files[i].c_str());
    ++saved;
  }
  return saved == static_cast<int>(files.size()) ? Kol::SUCCESS : Kol::FAILURE;
}

bool plotDomain(const Resrc& r, Drawing& layer, const char* file, Domain& d)
{
  const char* pd = r.get("plot_domain");
  if (has(pd)) {
    if (DomainTool::decode(d, pd)) return true;
    Kol::outError("kolgridplot: unknown domain %s\n", pd);
    return false;
  }
  if (layer.getDomain(d)) return true;
  Kol::outError("kolgridplot: no grid in %s\n", file);
  return false;
}

// A file of another kind is said here, once, rather than by each reader that tries it.
bool isGridFile(const char* name)
{
  if (!FileTool::exist(name) || FileTool::isStdio(name) || GridFile::checkType(name) > 0)
    return true;
  Kol::outError("kolgridplot: %s is neither a GRIB nor a grid file\n", name);
  return false;
}

int drawFigure(const Resrc& r, Drawing& layer, const char* file)
{
  Domain domain;
  if (!isGridFile(file) || !plotDomain(r, layer, file, domain)) return Kol::FAILURE;
  Figure fig;
  if (!fig.open(PlotOutput::deviceParams(r.get("device"), r.get("output")).c_str())) {
    Kol::outError("kolgridplot: cannot open the device\n");
    return Kol::FAILURE;
  }
  fig.startPlot(domain);
  fig.addDrawing(layer);
  fig.endPlot();
  if (fig.getPlot().isImageOutput()) return saveFrames(fig, r.get("output"));
  return PlotOutput::finish(fig, "kolgridplot", r.get("device"), r.get("output"));
}

bool noFile(const char* file)
{
  Kol::outError("kolgridplot: no grid file %s\n", has(file) ? file : "(latest)");
  return false;
}

// One field as an image: -va names it (the first entry of a list), else the file's first.
int drawImage(const Resrc& r, const char* file)
{
  // map lines that show on every colour of the picture
  if (!has(r.get("color_map"))) Kol::resrc.set("color_map", "black");
  ImagePlot layer;  // takes "variable", "time", "type", "model" and "parameter" as it starts
  if (has(file) ? !layer.setFilename(file) : !layer.setFilename())
    return noFile(file), Kol::FAILURE;
  return drawFigure(r, layer, layer.getFileName());
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  PlotOutput::selectDevice(r, r.get("output"));
  PlotOutput::whitePage(r);
  const char* file = r.get("filename");
  if (StrLib::iequal(r.get("plot_type", ""), "image")) return drawImage(r, file);
  GridPlot layer;  // takes "time", "level", "model" and "parameter" as it starts
  if (has(file) ? !layer.setFilename(file) : !layer.setFilename())
    return noFile(file), Kol::FAILURE;
  if (!has(r.get("variable")) && layer.getVariable().empty()) {  // -va, or va= among -pa
    Kol::outError("kolgridplot: no variable list (-va), e.g. -va=500:hght\n");
    return Kol::USAGE;
  }
  return drawFigure(r, layer, layer.getFilename().getName());
}
