// kolrad: describes NIDS radar products, prints their values or draws them.
//   kolrad FILE...                     one screen per product
//   kolrad -out=csv FILE...            azimuth,range_km,value (radial) or row,column,value
//   kolrad -ou=OUT.png FILE            the product on a map about the radar: classes in colour,
//                                      map lines, colour bar with units, labels (no display)
//   kolrad -ou=OUT.png -mosaic F...    several sites in one picture
//   kolrad -de=ps,OUT.ps FILE          PostScript; -de=w the X window
// Full-resolution volumes (a file, gzip-wrapped or not, or a folder of its chunks) by content:
//   kolrad FILE                        the volume's header, radar status and cuts
//   kolrad -li FILE                    one CSV line per cut and moment
//   kolrad -dump=CUT:MOMENT -ou=N.f32 FILE  the sweep's values as little-endian float32, radial
//                                      after radial (NaN for no value), azimuths to stdout
//   kolrad -ou=OUT.png -va=ref -le=0.5 FILE  a sweep drawn (-le the elevation, or -cut=N);
//                                      several volumes: OUT_YYYYMMDD_HHMM.png for each
// Loops of the naming convention (products, or volumes with -if=lev2):
//   kolrad -fr=6 -id=TLX -ty=N0Q -ou=LOOP.gif   the last 6 products as one animated GIF
//   kolrad -fr=6 -id=TLX -ty=N0Q -de=w          the same animated in the X window (q ends)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/DateTool.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/Resrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "geo/DomainTool.h"
#include "graphics/plot/PlotOutput.h"
#include "imagery/ImageryKind.h"
#include "imagery/Lev2Data.h"
#include "imagery/Lev2File.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "layers/Lev2Plot.h"
#include "layers/NidsPlot.h"
#include "layers/image/ImageLoop.h"

using namespace KOL;

namespace {

const char* const MODES[] = {"maintenance", "clear air", "precipitation"};

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("out", "kolradout", "ou",
            "-ou kind     info (default: one screen per product), csv (the value array),\n"
            "             NAME.png or NAME.gif (the picture: the product about the radar with\n"
            "             map, colour bar and labels, written without a display); NAME.ps,\n"
            "             NAME.eps, NAME.meta or NAME.hpgl write that device's file");
  keyed.add("o", "kolrado", "o", "-o name      Picture file written by -out=png");
  keyed.add("mosaic", "kolradmosaic", "mo",
            "-mo          Draw all products into one image (-out=png)");
  keyed.add("threshold", "kolradthreshold", "th",
            "-th list     Thresholds of the colour classes (comma-separated)");
  keyed.add("parameter", "kolradparameter", "pa",
            "-pa list     Drawing keys: noclar, box, crad=km, ramp=a:b, nobar, nomap");
  keyed.add("list", "kolradlist", "li",
            "-li          List a radar volume's cuts and moments (CSV)");
  keyed.add("dump", "kolraddump", "dump",
            "-dump=c:m    Write cut c's moment m of a volume as float32 to the -ou file");
  keyed.add("cut", "kolradcut", "cut", "-cut=n       Cut of a volume to draw (from 1)");
  keyed.add("frames", "kolradframes", "fr",
            "-fr N        The last N products (or volumes) of the naming convention -if\n"
            "             (default nids, with -id site and -ty product) as one animated GIF\n"
            "             (-ou=NAME.gif), or animated in the X window (-de=w; q ends it)");
  for (const char* name : {"variable", "level", "in_file", "identifier", "type"})
    KolResrc::add(keyed, KolResrc::find(name));
  for (int group :
       {KolResrc::DOMAIN_GROUP, KolResrc::MAP_GROUP, KolResrc::COLOR_GROUP, KolResrc::DEVICE_GROUP})
    KolResrc::add(keyed, group);
  KolResrc::add(positional, KolResrc::find("filename"));
}

bool flagSet(const char* v)
{
  return v && std::strcmp(v, "0") != 0 && std::strcmp(v, "false") != 0 && std::strcmp(v, "no") != 0;
}

std::string dateText(const Date& d)
{
  String s;
  DateTool::createLabel(d, s);
  return s.get();
}

// True for a NIDS product (with data to show when needData); else false after one line of
// our own instead of the readers' (a GINI image, text).
bool isProduct(const std::string& name, bool needData)
{
  int product = 0;
  const ImageryKind::Kind k = ImageryKind::of(name.c_str(), &product);
  if (k == ImageryKind::NIDS_DATA || (k == ImageryKind::NIDS_GRAPHIC && !needData)) return true;
  if (k == ImageryKind::LEV2)
    Kol::outError("kolrad: %s is a radar volume: list it with -li or draw it with -ou\n",
                  name.c_str());
  else if (k == ImageryKind::NIDS_GRAPHIC)
    Kol::outError("kolrad: %s has no radial or raster data (product %d)\n", name.c_str(), product);
  else if (k == ImageryKind::GINI)
    Kol::outError("kolrad: %s is a GINI satellite image, not a NIDS product\n", name.c_str());
  else
    Kol::outError("kolrad: %s is not a NIDS product\n", name.c_str());
  return false;
}

// The precipitation array's values: 10 log10 of the amount in mm.
double inchesOfDba(float dba) { return std::pow(10.0, dba / 10.0) / 25.4; }

// A volume read whole, or 0 after one line (the reader's, for a damaged volume).
int readVolume(const std::string& name, Lev2File& f)
{
  if (!Lev2File::isVolume(name.c_str())) {
    Kol::outError("kolrad: %s is not a radar volume\n", name.c_str());
    return 0;
  }
  return f.open(name.c_str()) && f.read();
}

// A volume: its header, the radar's status and adaptation data, and every cut with its start.
int describeVolume(const std::string& name)
{
  Lev2File f;
  if (!readVolume(name, f)) return 0;
  std::printf("File: %s\n", name.c_str());
  f.print();
  std::printf("\n");
  return 1;
}

int describe(const std::string& name)
{
  if (ImageryKind::of(name.c_str()) == ImageryKind::LEV2) return describeVolume(name);
  if (!isProduct(name, false)) return 0;
  NidsFile f(name.c_str());
  NidsInfo info;
  if (!f.isOpen() || !f.readHeader(info)) {
    Kol::outError("kolrad: %s is not a readable NIDS product\n", name.c_str());
    return 0;
  }
  std::printf("File: %s\n", name.c_str());
  std::printf("Product: %d %s\n", info.getProduct(), info.getLabel());
  if (f.getMessageCode() < 16) {
    std::printf("Message: %d (no product data)\nDate: %s\n\n", f.getMessageCode(),
                dateText(info.getDate()).c_str());
    return 1;
  }
  const std::string& id = f.getAwipsId();
  std::printf("Site: %s (source %d) at %.3f N %.3f E, %.0f m\n",
              id.size() >= 6 ? id.substr(3).c_str() : "-", info.getSource(),
              static_cast<double>(info.getLat()), static_cast<double>(info.getLon()),
              static_cast<double>(info.getHeight()));
  std::printf("Volume scan: %s\nGenerated: %s\n", dateText(info.getDate()).c_str(),
              dateText(info.getGenDate()).c_str());
  if (Const::isMiss(info.getElev()))
    std::printf("Elevation: -\n");
  else
    std::printf("Elevation: %.1f deg\n", static_cast<double>(info.getElev()));
  const int mode = info.getMode();
  std::printf("Mode: %d (%s), VCP %d\n", mode, mode >= 0 && mode <= 2 ? MODES[mode] : "unknown",
              info.getVcp());
  std::printf("Data levels: %d\n", info.getNumLevels());
  NidsData d;
  if (!f.readData(d)) {
    if (f.getStopPacket())
      std::printf("Data: not decoded (stopped at packet %d)\n\n", f.getStopPacket());
    else
      std::printf("Data: none (no radial, raster or array packet)\n\n");
    return 1;
  }
  if (d.isRadial())
    std::printf("Radials x bins: %d x %d (%.2f km bins, %.0f km range)\n", d.getNy(), d.getNx(),
                static_cast<double>(d.getResolution()), static_cast<double>(d.getRange()));
  else
    std::printf("Rows x columns: %d x %d\n", d.getNy(), d.getNx());
  float mn, mx;
  if (d.getRange(mn, mx) && NidsFile::isDPA(info.getProduct()))
    std::printf("Values: %g to %g dBA (%.2f to %.2f in)\n", static_cast<double>(mn),
                static_cast<double>(mx), inchesOfDba(mn), inchesOfDba(mx));
  else if (d.getRange(mn, mx))
    std::printf("Values: %g to %g\n", static_cast<double>(mn), static_cast<double>(mx));
  else
    std::printf("Values: none\n");
  std::printf("%s\n\n", d.getMisc());
  return 1;
}

int printCsv(const std::string& name)
{
  if (!isProduct(name, true)) return 0;
  NidsFile f(name.c_str());
  NidsInfo info;
  NidsData d;
  if (!f.isOpen() || !f.readHeader(info) || !f.readData(d)) {
    Kol::outError("kolrad: no values in %s\n", name.c_str());
    return 0;
  }
  std::printf(d.isRadial() ? "azimuth,range_km,value\n" : "row,column,value\n");
  const float spacing = d.isRadial() ? 360.0f / d.getNy() : 1.0f;
  for (int j = 0; j < d.getNy(); ++j)
    for (int i = 0; i < d.getNx(); ++i) {
      const float v = d.getValue(i, j);
      if (!NidsData::isValid(v)) continue;
      if (d.isRadial())
        std::printf("%.1f,%.3f,%g\n", static_cast<double>(j * spacing),
                    static_cast<double>((i + 0.5f) * d.getResolution()), static_cast<double>(v));
      else
        std::printf("%d,%d,%g\n", j, i, static_cast<double>(v));
    }
  return 1;
}

// A folder of a volume's chunk files is one volume; anything else is checked as every input.
bool volumeReadable(const std::string& name)
{
  std::error_code ec;
  return std::filesystem::is_directory(name, ec) || ProgInput::readable(ProgInput().resolve(name));
}

int listVolume(const std::string& name)
{
  Lev2File f;
  if (!readVolume(name, f)) return 0;
  std::printf(
      "cut,elevation,radials,moment,gates,first_gate_m,gate_spacing_m,scale,offset,min,max,"
      "mean,below_threshold,range_folded\n");
  for (int c = 1; c <= f.getNumCuts(); ++c) {
    const Lev2Data& d = *f.getCut(c);
    for (int k = 0; k < d.getNumMoments(); ++k) {
      const Lev2Moment& m = d.getMoment(k);
      const Lev2Stats st = d.getStats(k);
      std::printf("%d,%.4f,%d,%s,%d,%.0f,%.0f,%g,%g,%.6g,%.6g,%.6g,%ld,%ld\n", c,
                  static_cast<double>(d.getElevation()), d.getNumRadials(), m.name.c_str(), m.gates,
                  static_cast<double>(m.firstGate), static_cast<double>(m.spacing),
                  static_cast<double>(m.scale), static_cast<double>(m.offset), st.min, st.max,
                  st.mean, st.belowThreshold, st.rangeFolded);
    }
  }
  return 1;
}

// "CUT:MOMENT" of -dump; false after one line when it is not that.
bool dumpTarget(const char* target, int& cut, std::string& moment)
{
  char name[8] = {};
  if (target && std::sscanf(target, "%d:%7s", &cut, name) == 2 && cut > 0) {
    moment = name;
    return true;
  }
  Kol::outError("kolrad: -dump wants CUT:MOMENT (3:VEL), not %s\n", target ? target : "");
  return false;
}

// The sweep's values as little-endian float32, radial after radial, NaN for no value; its
// azimuths to standard output.
int dumpVolume(const std::string& name, const char* target, const std::string& out)
{
  int cut = 0;
  std::string moment;
  if (!dumpTarget(target, cut, moment)) return Kol::USAGE;
  Lev2File f;
  Lev2Data d;
  if (!readVolume(name, f)) return Kol::FAILURE;
  if (!f.readSweep(cut, moment.c_str(), d)) {
    Kol::outError("kolrad: %s has no cut %d with %s\n", name.c_str(), cut, moment.c_str());
    return Kol::FAILURE;
  }
  FILE* fp = std::fopen(out.c_str(), "wb");
  if (!fp) {
    Kol::outError("kolrad: cannot write %s\n", out.c_str());
    return Kol::FAILURE;
  }
  const int gates = d.getMoment(0).gates;
  std::vector<uint8_t> row(static_cast<size_t>(gates) * 4);
  bool ok = true;
  for (int j = 0; j < d.getNumRadials() && ok; ++j) {
    for (int i = 0; i < gates; ++i) {
      const float v = d.getValue(i, j);
      const float x = Lev2Data::isValue(v) ? v : std::nanf("");
      uint32_t bits;
      std::memcpy(&bits, &x, 4);
      for (int b = 0; b < 4; ++b) row[4 * i + b] = static_cast<uint8_t>(bits >> (8 * b));
    }
    ok = std::fwrite(row.data(), 1, row.size(), fp) == row.size();
    std::printf("%.4f\n", static_cast<double>(d.getRadial(j).azimuth));
  }
  if (std::fclose(fp) != 0 || !ok) {
    Kol::outError("kolrad: cannot write %s\n", out.c_str());
    return Kol::FAILURE;
  }
  return Kol::SUCCESS;
}

// Map lines dark enough for a white page and unlike every class colour.
constexpr const char* MAP_COLOR = "grey04";

bool has(const char* t) { return t && *t; }

// The image file a picture goes to: -ou names it, or -ou=png with -o; empty for a device.

bool plotDomain(Drawing& layer, Domain& d)
{
  const char* pd = Kol::resrc.get("plot_domain");
  if (!has(pd)) return layer.getDomain(d) != 0;
  if (DomainTool::decode(d, pd) && d.proj != Const::MISS) return true;
  Kol::outError("kolrad: unknown domain %s\n", pd);
  return false;
}

// The products drawn on a map about the radar (several sites in one mosaic): classes in
// colour, map lines over them, the colour bar, labels and border.
// A sweep of a volume on the map about the radar: -va the moment, -le the elevation angle or
// -cut the cut number.
// "ref.png" becomes "ref_20100501_0004.png" for a volume of that time.
std::string timedName(const std::string& image, const Date& d)
{
  const size_t dot = image.rfind('.');
  const std::string stem = image.substr(0, dot),
                    ext = dot == std::string::npos ? "" : image.substr(dot);
  return stem + d.format("_%Y%m%d_%H%M") + ext;
}

int drawVolume(const std::string& name, const std::string& image, bool timed)
{
  Resrc& r = Kol::resrc;
  PlotOutput::whitePage(r);
  if (!has(r.get("color_map"))) r.set("color_map", MAP_COLOR);
  Lev2Plot layer;  // takes "variable", "identifier" and "parameter" as it starts
  if (has(r.get("cut")))
    layer.setCut(std::atoi(r.get("cut")));
  else if (has(r.get("level")))
    layer.setElevation(std::strtof(r.get("level"), nullptr));
  if (!layer.setFilename(name.c_str())) return Kol::FAILURE;  // the layer said why
  Domain domain;
  if (!plotDomain(layer, domain)) return Kol::FAILURE;
  Date when;
  layer.getDate(when);
  const std::string out = timed ? timedName(image, when) : image;
  return PlotOutput::drawLayer(layer, domain, "kolrad", r.get("device"), out.c_str());
}

// Volumes in turn, one picture each (named by the volume's time when there are several).
int drawVolumes(const std::vector<std::string>& names, const std::string& image)
{
  const bool timed = names.size() > 1 && !image.empty();
  int status = Kol::SUCCESS;
  for (size_t i = 0; i < (timed ? names.size() : 1); ++i)
    if (!volumeReadable(names[i]) || drawVolume(names[i], image, timed) != Kol::SUCCESS)
      status = Kol::FAILURE;
  return status;
}

int drawPicture(const std::vector<std::string>& names, bool mosaic, const std::string& image)
{
  Resrc& r = Kol::resrc;
  if (ImageryKind::of(names.front().c_str()) == ImageryKind::LEV2) return drawVolumes(names, image);
  ProgInput resolver;
  for (size_t i = 0; i < (mosaic ? names.size() : 1); ++i)
    if (!ProgInput::readable(resolver.resolve(names[i])) || !isProduct(names[i], true))
      return Kol::FAILURE;
  PlotOutput::whitePage(r);
  if (!has(r.get("color_map"))) r.set("color_map", MAP_COLOR);
  NidsPlot layer;  // takes "threshold" and "parameter" as it starts
  int sites = layer.setFilename(names.front().c_str());
  for (size_t i = 1; mosaic && i < names.size(); ++i) sites += layer.addFile(names[i].c_str());
  if (!sites) return Kol::FAILURE;  // the layer said why
  Domain domain;
  if (!plotDomain(layer, domain)) return Kol::FAILURE;
  return PlotOutput::drawLayer(layer, domain, "kolrad", r.get("device"), image.c_str());
}

// The convention of a loop: -if (default "nids") with the site and product keys.
std::string loopConvention()
{
  Resrc& r = Kol::resrc;
  std::string conv = r.get("in_file", "nids");
  if (conv.find(':') != std::string::npos) return conv;
  if (has(r.get("identifier"))) conv += std::string(":a=") + r.get("identifier");
  if (has(r.get("type"))) conv += std::string(":t=") + r.get("type");
  return conv;
}

// The last n products (or volumes) of the convention, each on the first one's map, as one
// animated GIF or in the window.
int drawLoop(int n, const std::string& gif)
{
  Resrc& r = Kol::resrc;
  const std::string conv = loopConvention();
  const std::vector<std::string> files = imageplot::lastFiles(conv.c_str(), n);
  PlotOutput::whitePage(r);
  if (!has(r.get("color_map"))) r.set("color_map", MAP_COLOR);
  std::vector<std::unique_ptr<Drawing>> layers;
  std::vector<Drawing*> frames;
  for (const std::string& f : files) {
    std::unique_ptr<Drawing> layer;
    if (ImageryKind::of(f.c_str()) == ImageryKind::LEV2)
      layer = std::make_unique<Lev2Plot>();
    else if (isProduct(f, true))
      layer = std::make_unique<NidsPlot>();
    if (!layer || !layer->setFilename(f.c_str())) continue;
    frames.push_back(layer.get());
    layers.push_back(std::move(layer));
  }
  Domain domain;
  if (frames.empty() || !plotDomain(*frames.front(), domain)) {
    Kol::outError("kolrad: no product of the convention %s to draw\n", conv.c_str());
    return Kol::FAILURE;
  }
  if (gif.empty()) return PlotOutput::showLoop(frames, domain, "kolrad", r.get("device"));
  return PlotOutput::drawLoop(frames, domain, "kolrad", gif.c_str());
}

// "-li" takes no value: the word after it is the volume, as in "kolrad -li FILE".
std::vector<char*> listAsFlag(int argc, char** argv)
{
  static char flag[] = "-li=1";
  std::vector<char*> args(argv, argv + argc);
  for (char*& a : args)
    if (std::strcmp(a, "-li") == 0 || std::strcmp(a, "-list") == 0 || std::strcmp(a, "--list") == 0)
      a = flag;
  args.push_back(nullptr);
  return args;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  std::vector<char*> args = listAsFlag(argc, argv);
  if (int status = ResrcDB::startProgram(argc, args.data(), keyed, positional); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  if (const char* n = r.get("frames"); has(n)) {
    const std::string gif = PlotOutput::outputFile(r.get("out", ""), r.get("o"));
    if (std::atoi(n) < 1 || !PlotOutput::canLoop(r.get("device"), gif)) {
      Kol::outError("kolrad: -fr=N needs N of 1 or more and -ou=NAME.gif, or -de=w\n");
      return Kol::USAGE;
    }
    return drawLoop(std::atoi(n), gif);
  }
  if (!has(r.get("filename"))) {  // a file, or a loop of files
    ResrcDB::printHelp(r.get("prog"), keyed, positional);
    return Kol::USAGE;
  }
  ProgInput inputs;
  inputs.setup(nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < inputs.getNum(); ++i) names.push_back(inputs.get(i).name);
  const std::string out = r.get("out", "info");
  if (names.empty()) return Kol::USAGE;
  if (has(r.get("dump"))) {
    if (out == "info" || names.size() != 1) {
      Kol::outError("kolrad: -dump writes one volume's sweep to -ou=NAME.f32\n");
      return Kol::USAGE;
    }
    if (!volumeReadable(names.front())) return Kol::FAILURE;
    return dumpVolume(names.front(), r.get("dump"), out);
  }
  if (flagSet(r.get("list"))) {
    int ok = 1;
    for (const std::string& n : names) ok &= volumeReadable(n) && listVolume(n);
    if (std::fflush(stdout) != 0) return Kol::FAILURE;
    return ok ? Kol::SUCCESS : Kol::FAILURE;
  }
  if (const std::string image = PlotOutput::outputFile(out, r.get("o"));
      !image.empty() || has(r.get("device")))
    return drawPicture(names, flagSet(r.get("mosaic")), image);
  if (out == "png" || out == "gif") {
    Kol::outError("kolrad: -out=%s needs -o=FILE\n", out.c_str());
    return Kol::USAGE;
  }
  if (out != "info" && out != "csv") {
    Kol::outError("kolrad: unknown output kind %s\n", out.c_str());
    return Kol::USAGE;
  }
  const int ok = inputs.forEach([csv = out == "csv"](const ProgInput::Item& in) {
    return csv ? printCsv(in.name) : describe(in.name);
  });
  if (std::fflush(stdout) != 0) return Kol::FAILURE;
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
