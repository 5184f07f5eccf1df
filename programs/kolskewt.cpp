// kolskewt: draws a station's sounding on a thermodynamic diagram: the background of isobars,
// isotherms, adiabats and mixing-ratio lines, the temperature and dew-point curves, wind barbs at
// the right edge and the path of the surface parcel, with the station and date labels.
// The sounding comes from files of TEMP and PILOT parts (bulletins or plain parts, recognised by
// their content) or, with no file named, from the own upper-air file of the naming convention
// "upa_cvt" (-cu=#2011052212 or a file request such as la or la-12 picks it).
//
//   kolskewt -id=OUN -ou=oun.png TEMP_FILES...       PNG, drawn off-screen
//   kolskewt -id=72357 -ty=teph -ou=oun.ps FILE      PostScript (also .eps, .meta, .hpgl)
//   kolskewt -id=OUN -cu=#2011052212                 X window, own file of that time
//   kolskewt -id=OUN -pl=hodo -ou=hodo.png FILE      the hodograph of the winds instead
//                                                    (-pa=min_pr=300: up to 300 hPa)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Date.h"
#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "geo/Rect.h"
#include "graphics/Figure.h"
#include "graphics/plot/PlotOutput.h"
#include "layers/HodoPlot.h"
#include "layers/SoundPlot.h"
#include "layers/ThermPlot.h"

using namespace KOL;

namespace {

constexpr const char* DEFAULT_GEOMETRY = "850x800";
// The diagram's place on the page, leaving room for the axis and corner labels.
const Rect PANEL(0.08f, 0.08f, 0.93f, 0.95f);

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  for (const char* name :
       {"identifier", "type", "plot_type", "output", "current", "in_file", "parameter", "city_file",
        "color_grid", "color_label", "color_data", "color_parcel", "color_table"})
    KolResrc::add(keyed, KolResrc::find(name));
  KolResrc::add(keyed, KolResrc::DEVICE_GROUP);
  KolResrc::add(positional, KolResrc::find("filename"));
}

bool given(const char* v) { return v && *v; }

// The time the day and hour of TEMP parts belong to: the date given with -cu; unset otherwise,
// for the reader to take from the file's name or to place the parts in the recent past.
Date referenceDate(const char* current)
{
  Date d;
  if (given(current) && !std::strstr(current, "la") &&
      (current[0] == '#' || std::strlen(current) >= 8) && d.set(current))
    return d;
  return Date();
}

// "NAME.png", "NAME.gif", "png:NAME" or "gif:NAME" (any case) names a picture file.
bool isImageName(const char* out)
{
  const size_t n = out ? std::strlen(out) : 0;
  auto image = [](const char* s) {
    return StrLib::iequal(s, "png", 3) || StrLib::iequal(s, "gif", 3);
  };
  return n > 3 && (image(out + n - 3) || image(out));
}

std::string imageName(const char* out)
{
  return StrLib::iequal(out, "png:", 4) || StrLib::iequal(out, "gif:", 4) ? out + 4 : out;
}

enum class Output { IMAGE, POSTSCRIPT, OTHER, WINDOW };

Output outputKind(const char* out, const char* device)
{
  if (given(device)) {
    const std::string type = Plot::deviceType(device);
    if (type == "postscript") return Output::POSTSCRIPT;
    if (type == "display") return Output::WINDOW;
    return type == "image" && isImageName(out) ? Output::IMAGE : Output::OTHER;
  }
  if (given(out)) return isImageName(out) ? Output::IMAGE : Output::OTHER;
  return Output::WINDOW;
}

// A page in colour unless grey is asked for: the diagram's families are told apart by colour.
void colourPage(Output kind, Resrc& r)
{
  if (kind != Output::POSTSCRIPT) return;
  const std::string dev = r.get("device");
  if (dev.find(",gray") == std::string::npos && dev.find(",color") == std::string::npos)
    r.set("device", (dev + ",color").c_str());
}

// The figure's parameter text: the off-screen device for images; a screen or image size when
// none is given (a page has its own).
std::string figureParams(Output kind, const Resrc& r)
{
  std::string params;
  if (kind == Output::IMAGE && !given(r.get("device"))) params = "de=i,";
  if (kind != Output::POSTSCRIPT && !given(r.get("geometry")))
    params += std::string(params.empty() ? "" : ",") + "ge=" + DEFAULT_GEOMETRY;
  return params;
}

void reportOutput(Output kind, const Resrc& r, const std::string& what)
{
  std::string where;
  if (kind == Output::IMAGE) where = imageName(r.get("output"));
  if (kind == Output::POSTSCRIPT || kind == Output::OTHER)
    where = PlotOutput::deviceFile(r.get("device"));
  if (!where.empty())
    std::printf("kolskewt: %s written to %s\n", what.c_str(), where.c_str());
  else if (kind != Output::WINDOW)
    std::printf("kolskewt: %s drawn on the %s device\n", what.c_str(), r.get("device"));
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;
  PlotOutput::selectDevice(r, r.get("output"));

  const char* typeName = r.get("type", "skewt");
  const int type = ThermPlot::getType(typeName);
  if (std::strcmp(ThermPlot::getTypeName(type), typeName) != 0)
    Kol::outWarning("kolskewt: unknown diagram type %s, drawing a skew-T\n", typeName);

  SoundPlot sound;
  sound.setDiagram(type);
  const char* files = r.get("filename");
  if (given(files) ? !sound.setFilename(files) : !sound.setFilename()) {
    Kol::outError("kolskewt: no upper-air file %s\n", given(files) ? files : "of the convention");
    return Kol::FAILURE;
  }
  if (!sound.load(referenceDate(r.get("current")))) {
    Kol::outError("kolskewt: %s\n", sound.getProblem().c_str());
    return Kol::FAILURE;
  }

  const Output kind = outputKind(r.get("output"), r.get("device"));
  if (kind == Output::WINDOW && !given(std::getenv("DISPLAY"))) {
    Kol::outError("kolskewt: no display; name a picture with -ou=FILE.png or -de=ps,FILE\n");
    return Kol::USAGE;
  }
  colourPage(kind, r);

  ThermPlot therm;
  therm.setType(type);
  HodoPlot hodo;
  const bool hodograph = StrLib::iequal(r.get("plot_type", ""), "hodo");
  Figure figure;
  if (!figure.open(figureParams(kind, r).c_str())) {
    Kol::outError("kolskewt: unable to open the output device\n");
    return Kol::FAILURE;
  }
  if (hodograph) {
    Domain d;
    hodo.setSounding(sound.getSounding());
    hodo.getDomain(d);
    figure.startPlot(PANEL, d);
    figure.addDrawing(hodo);
  } else {
    figure.startPlot(PANEL, ThermPlot::getDomain(type));
    figure.addDrawing(therm);
    figure.addDrawing(sound);
  }
  figure.endPlot();
  const int shown = figure.manage();
  figure.close();
  if (kind == Output::IMAGE && !shown) {
    Kol::outError("kolskewt: unable to write %s\n", r.get("output"));
    return Kol::FAILURE;
  }

  const UpaData& s = sound.getSounding();
  String when;
  if (s.getDate().isSet()) DateTool::createLabel(s.getDate(), when);
  reportOutput(kind, r,
               std::string(hodograph ? "Hodograph" : ThermPlot::getTypeTitle(type)) + " of " +
                   s.getId() + " " + when.get());
  if (sound.getProblem().empty()) return Kol::SUCCESS;
  Kol::outError("kolskewt: %s\n", sound.getProblem().c_str());
  return Kol::FAILURE;
}
