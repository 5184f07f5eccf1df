#include "layers/nidsplot/ProductScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "imagery/NidsFile.h"
#include "imagery/NidsInfo.h"

namespace KOL::nidsplot {

namespace {

constexpr int LEGACY_LEVELS = 16;
// Codes of no data and range folding decode to these; they get no class of their own.
constexpr float SPECIAL_LIMIT = -90.0f;

const std::vector<float> REFLECTIVITY = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75};
// Symmetric about a calm class from -1 to 1, the first class a floor under everything faster
// towards the radar.
const std::vector<float> VELOCITY = {-200, -64, -50, -36, -26, -20, -10, -1,
                                     1,    10,  20,  26,  36,  50,  64};
const std::vector<float> PRECIPITATION = {0.01f, 0.1f, 0.25f, 0.5f, 0.75f, 1, 1.25f, 1.5f,
                                          1.75f, 2,    2.5f,  3,    4,     5, 6,     8};
// Differences of accumulations: less (negative) and more, about a class of no change.
const std::vector<float> DIFFERENCE = {-100,  -2,   -1,    -0.5f, -0.25f, -0.1f, -0.01f,
                                       0.01f, 0.1f, 0.25f, 0.5f,  1,      2};
const std::vector<float> RATE = {0.01f, 0.05f, 0.1f, 0.25f, 0.5f, 0.75f, 1, 1.5f, 2, 3, 4, 6};
const std::vector<float> TOPS = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70};
const std::vector<float> VIL = {1, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70};
const std::vector<float> ZDR = {-4, -2, -1, -0.5f, 0, 0.25f, 0.5f, 1, 1.5f, 2, 2.5f, 3, 4, 5, 6};
const std::vector<float> CORREL = {0.2f,  0.45f, 0.65f, 0.75f, 0.8f,  0.85f, 0.9f, 0.93f,
                                   0.95f, 0.96f, 0.97f, 0.98f, 0.99f, 1.0f,  1.05f};
const std::vector<float> KDP = {-2, -1, -0.5f, 0, 0.25f, 0.5f, 0.75f, 1, 1.5f, 2, 3, 4, 5, 7};

// The classes of the hydrometeor classification: the product's values 10, 20, ... name them.
const char* const HYDRO_CLASSES[] = {"BI", "GC", "IC", "DS", "WS", "RA", "HR",
                                     "BD", "GR", "HA", "LH", "GH", "--", "UK"};
constexpr int HYDRO_STEP = 10;

// The lower limits of the classes of a 16-level product: its valid levels, rising; an amount of
// nothing is no echo, not a class.
std::vector<float> ownLevels(const NidsFile& f, bool amounts)
{
  std::vector<float> out;
  for (int code = 0; code < LEGACY_LEVELS; ++code) {
    const float v = f.getLevelValue(code);
    if (Const::isMiss(v) || v <= SPECIAL_LIMIT || (amounts && v <= 0.0f)) continue;
    out.push_back(v);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

constexpr float MM_PER_INCH = 25.4f;

// The precipitation array holds 10 log10 of the amount in mm (dBA): its classes are the inch
// classes of the other precipitation products, as dBA, and named in inches.
void logAmounts(Scale& s)
{
  for (float inches : PRECIPITATION) {
    s.limits.push_back(10.0f * std::log10(inches * MM_PER_INCH));
    char text[16];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(inches));
    s.labels.emplace_back(text);
  }
}

std::vector<float> digitalLimits(int code)
{
  if (NidsFile::isVel(code) || NidsFile::isSRVel(code)) return VELOCITY;
  if (NidsFile::isDPrRate(code)) return RATE;
  if (NidsFile::isDPrecDiff(code)) return DIFFERENCE;
  if (NidsFile::isDSP(code) || NidsFile::isDPrec(code) || NidsFile::isPrec(code))
    return PRECIPITATION;
  if (NidsFile::isEnhTops(code) || NidsFile::isTops(code)) return TOPS;
  if (NidsFile::isDigVIL(code) || NidsFile::isVIL(code)) return VIL;
  if (NidsFile::isCorrel(code)) return CORREL;
  if (NidsFile::isDRef(code)) return ZDR;
  if (code == 163) return KDP;
  return REFLECTIVITY;
}

}  // namespace

Scale scaleOfCode(int code, const char* units)
{
  Scale s;
  s.limits = digitalLimits(code);
  s.units = units ? units : "";
  return s;
}

std::string unitsOf(const char* label)
{
  const char* open = label ? std::strrchr(label, '[') : nullptr;
  const char* close = open ? std::strchr(open, ']') : nullptr;
  if (!close) return "";
  std::string u(open + 1, close);
  return u == "knt" ? "kt" : u;
}

Scale scaleOf(const NidsFile& f, const NidsInfo& info)
{
  Scale s;
  s.units = unitsOf(info.getLabel());
  const int code = info.getProduct(), levels = info.getNumLevels();
  // differential reflectivity is a ratio of reflectivities: dB, whatever the label says
  if (NidsFile::isDRef(code)) s.units = "dB";
  // accumulations whose label names no units are in inches all the same
  if (s.units.empty() && (NidsFile::isDPrec(code) || NidsFile::isPrec(code))) s.units = "in";
  if (NidsFile::isHydroClass(code)) {
    s.units.clear();
    for (size_t k = 0; k < sizeof HYDRO_CLASSES / sizeof HYDRO_CLASSES[0]; ++k) {
      s.limits.push_back((k + 0.5f) * HYDRO_STEP);
      s.labels.emplace_back(HYDRO_CLASSES[k]);
    }
    return s;
  }
  if (NidsFile::isDPA(code)) {
    logAmounts(s);
    return s;
  }
  const bool amounts = NidsFile::isPrec(code);
  if (levels > 0 && levels <= LEGACY_LEVELS) s.limits = ownLevels(f, amounts);
  // a product of unknown kind whose levels say nothing gets no classes at all
  const bool unknown = std::strncmp(info.getLabel(), "Not supported", 13) == 0;
  if (s.limits.size() < 2)
    s.limits = unknown && levels <= LEGACY_LEVELS ? std::vector<float>() : digitalLimits(code);
  return s;
}

}  // namespace KOL::nidsplot
