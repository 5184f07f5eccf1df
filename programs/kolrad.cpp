// kolrad: describes NIDS radar products, prints their values or draws them.
//   kolrad FILE...                     one screen per product
//   kolrad -out=csv FILE...            azimuth,range_km,value (radial) or row,column,value
//   kolrad -out=png -o=OUT FILE        the product's colour-indexed image about the radar
//   kolrad -out=png -o=OUT -mosaic F...  one image of several sites
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
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
#include "imagery/Image.h"
#include "imagery/NidsData.h"
#include "imagery/NidsFile.h"
#include "imagery/NidsImage.h"
#include "imagery/PngFile.h"

using namespace KOL;

namespace {

constexpr const char* VELOCITY_THRESHOLDS = "-200,-64,-50,-36,-26,-20,-10,-1,0,10,20,26,36,50,64";
constexpr int MOSAIC_PIXELS = 1200;
const char* const MODES[] = {"maintenance", "clear air", "precipitation"};

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("out", "kolradout", "ou",
            "-ou kind     info (default: one screen per product), csv (the value array)\n"
            "             or png (the product drawn about the radar)");
  keyed.add("o", "kolrado", "o", "-o name      PNG file written by -out=png");
  keyed.add("mosaic", "kolradmosaic", "mo",
            "-mo          Draw all products into one image (-out=png)");
  keyed.add("threshold", "kolradthreshold", "th",
            "-th list     Thresholds of the colour classes (comma-separated)");
  keyed.add("parameter", "kolradparameter", "pa",
            "-pa list     Drawing keys: noclar, box, crad=km, ramp=a:b");
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

int describe(const std::string& name)
{
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
  if (d.getRange(mn, mx))
    std::printf("Values: %g to %g\n", static_cast<double>(mn), static_cast<double>(mx));
  else
    std::printf("Values: none\n");
  std::printf("%s\n\n", d.getMisc());
  return 1;
}

int printCsv(const std::string& name)
{
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

// Thresholds that suit the product when none are given.
void chooseThresholds(NidsImage& ni, const std::string& name)
{
  if (Kol::resrc.get("threshold")) return;
  NidsFile f(name.c_str());
  NidsInfo info;
  if (f.readHeader(info) &&
      (NidsFile::isVel(info.getProduct()) || NidsFile::isSRVel(info.getProduct())))
    ni.setThres(VELOCITY_THRESHOLDS);
}

// A polar stereographic square covering every site's range.
int mosaicDomain(const std::vector<std::string>& names, Image& im)
{
  std::vector<NidsInfo> sites;
  for (const std::string& n : names) {
    NidsFile f(n.c_str());
    NidsInfo info;
    if (f.readHeader(info) && !Const::isMiss(info.getLat())) sites.push_back(info);
  }
  if (sites.empty()) return 0;
  float lat = 0, lon = 0;
  for (const NidsInfo& s : sites) lat += s.getLat(), lon += s.getLon();
  DomainVal v;
  v.proj = 1;
  v.param[0] = 90.0f;
  v.clat = lat / sites.size();
  v.clon = v.param[1] = lon / sites.size();
  v.nx = v.ny = 2;
  v.dx = v.dy = 1.0f;
  Domain d(v);
  float half = 0.0f;
  for (const NidsInfo& s : sites) {
    double x, y, cx, cy;
    d.project(s.getLat(), s.getLon(), x, y);
    d.project(v.clat, v.clon, cx, cy);
    const float reach = static_cast<float>(std::max(std::fabs(x - cx), std::fabs(y - cy))) +
                        std::max(s.getRange(), 230.0f) / 100.0f;
    half = std::max(half, reach);
  }
  v.nx = v.ny = MOSAIC_PIXELS;
  v.dx = v.dy = 2.0f * half / (MOSAIC_PIXELS - 1);
  im.init();
  return im.set(v, 8) && im.allocData();
}

int drawPng(const std::vector<std::string>& names, bool mosaic, const char* out)
{
  if (!out || !*out) {
    Kol::outError("kolrad: -out=png needs -o=FILE\n");
    return Kol::USAGE;
  }
  NidsImage ni;
  chooseThresholds(ni, names.front());
  Image im;
  if (mosaic) {
    if (!mosaicDomain(names, im)) {
      Kol::outError("kolrad: no usable site for the mosaic\n");
      return Kol::FAILURE;
    }
    ni.setup(im);
    int drawn = 0;
    for (const std::string& n : names) drawn += ni.addSite(n.c_str(), im);
    im.setInfo("Radar mosaic");
    if (!drawn) return Kol::FAILURE;
  } else if (!ni.setImage(names.front().c_str(), im)) {
    return Kol::FAILURE;
  }
  ni.setColors(im);
  return PngFile::write(out, im) ? Kol::SUCCESS : Kol::FAILURE;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional, "filename"); status >= 0)
    return status;
  Resrc& r = Kol::resrc;
  ProgInput inputs;
  inputs.setup(nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < inputs.getNum(); ++i) names.push_back(inputs.get(i).name);
  const std::string out = r.get("out", "info");
  if (names.empty()) return Kol::USAGE;
  if (out == "png") return drawPng(names, flagSet(r.get("mosaic")), r.get("o"));
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
