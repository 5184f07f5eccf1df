#include "imagery/NidsImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/DateTool.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/String.h"
#include "grid/Grid.h"
#include "imagery/Image.h"
#include "imagery/NidsFile.h"

namespace KOL {

namespace {

constexpr const char* DEFAULT_THRESHOLDS = "-100,0,5,10,15,20,25,30,35,40,45,50,55,60,65,70";
constexpr int MAX_PIXELS = 1001;
constexpr float BELOW_RAMP = -20.0f;
constexpr float CLASS_LIMIT = 80.0f;
constexpr float EDGE = 1e-3f;

bool startsWith(const std::string& s, const char* key)
{
  return s.compare(0, std::strlen(key), key) == 0;
}

// The number after a key and one separator character ("crad=150", "ramp:30:200").
const char* afterKey(const std::string& item, std::size_t keyLen)
{
  return item.size() > keyLen + 1 ? item.c_str() + keyLen + 1 : "";
}

// A colour on a ramp through the stops, f in [0, 1].
template <size_t N>
RGB alongStops(const float (&stops)[N][3], float f)
{
  const int n = static_cast<int>(N);
  float x = std::clamp(f, 0.0f, 1.0f) * (n - 1);
  int k = std::min(static_cast<int>(x), n - 2);
  float t = x - k;
  return RGB(stops[k][0] + (stops[k + 1][0] - stops[k][0]) * t,
             stops[k][1] + (stops[k + 1][1] - stops[k][1]) * t,
             stops[k][2] + (stops[k + 1][2] - stops[k][2]) * t);
}

// From blue through green and yellow to red and magenta.
RGB rampColor(float f)
{
  static const float stops[][3] = {{0.0f, 0.9f, 0.9f}, {0.0f, 0.6f, 1.0f}, {0.0f, 0.0f, 0.9f},
                                   {0.0f, 1.0f, 0.0f}, {0.0f, 0.6f, 0.0f}, {1.0f, 1.0f, 0.0f},
                                   {1.0f, 0.6f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.7f, 0.0f, 0.0f},
                                   {1.0f, 0.0f, 1.0f}, {0.6f, 0.3f, 1.0f}};
  return alongStops(stops, f);
}

// Spectrum width: calm grey through green and yellow to red, clear of the range-folded purple.
RGB widthColor(float f)
{
  static const float stops[][3] = {{0.55f, 0.55f, 0.55f}, {0.0f, 0.55f, 0.0f}, {0.0f, 0.85f, 0.0f},
                                   {1.0f, 1.0f, 0.0f},    {1.0f, 0.55f, 0.0f}, {0.9f, 0.0f, 0.0f}};
  return alongStops(stops, f);
}

// A class [lo, hi) of a quantity with a sign: negative in the hue down, positive in up, deeper
// the farther from zero; the class nearest zero on either side a tinted grey, a class across
// zero plain grey. Velocities: towards the radar green, away red.
RGB divergingColor(float lo, float hi, float top, const RGB& down, const RGB& up)
{
  if (lo < 0.0f && hi > 0.0f) return RGB(0.6f, 0.6f, 0.6f);
  const bool neg = hi <= 0.0f;
  const RGB& hue = neg ? down : up;
  const float size = neg ? -hi : lo;
  const float f = std::min(size / top, 1.0f), shade = size < 1e-3f ? 0.0f : 0.4f + 0.6f * f;
  if (size < 1e-3f)
    return RGB(0.45f + 0.15f * hue.red, 0.45f + 0.15f * hue.green, 0.45f + 0.15f * hue.blue);
  return RGB(hue.red * shade, hue.green * shade, hue.blue * shade);
}

const RGB FOLDED_COLOR(0.47f, 0.0f, 0.5f);

}  // namespace

NidsImage::NidsImage(const char* params)
{
  init();
  setParam(params);
}

void NidsImage::init()
{
  thres_.clear();
  clear_air_ = true;
  box_ = interp_ = rala_ = false;
  crad_ = Const::FMISS;
  ramp_a_ = 0.0f;
  ramp_b_ = 200.0f;
  site_.init();
  site_name_.clear();
  setThres(Kol::resrc.get("threshold", DEFAULT_THRESHOLDS));
  if (const char* p = Kol::resrc.get("parameter")) setParam(p);
}

int NidsImage::setParam(const char* text)
{
  if (!text) return 0;
  std::string all(text);
  for (char& c : all) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::size_t pos = 0;
  while (pos <= all.size()) {
    std::size_t end = all.find(',', pos);
    if (end == std::string::npos) end = all.size();
    const std::string item = all.substr(pos, end - pos);
    pos = end + 1;
    if (item == "rala")
      rala_ = true;
    else if (item == "noclar")
      clear_air_ = false;
    else if (item == "clar")
      clear_air_ = true;
    else if (item == "interp")
      interp_ = true;
    else if (item == "box")
      box_ = true;
    else if (startsWith(item, "crad"))
      crad_ = static_cast<float>(std::atoi(afterKey(item, 4)));
    else if (startsWith(item, "ramp")) {
      int a = 0, b = 200;
      std::sscanf(afterKey(item, 4), "%d:%d", &a, &b);
      setRamp(static_cast<float>(a), static_cast<float>(b));
    } else if (!item.empty()) {
      // the resource "parameter" carries the keys of the layer drawing the image too
      Kol::outDebug(1, "NidsImage: unknown parameter %s\n", item.c_str());
    }
  }
  return 1;
}

int NidsImage::setThres(const std::vector<float>& t, bool typeCheck)
{
  thres_.assign(t.begin(), t.begin() + std::min<long>(static_cast<long>(t.size()), MAX_THRES));
  const bool classes = typeCheck && std::any_of(thres_.begin(), thres_.end(),
                                                [](float v) { return v >= CLASS_LIMIT; });
  if (!classes) return 1;
  // Precipitation-type tables repeat the rain thresholds shifted by 100 (freezing) and 200 (snow).
  auto has = [&](float v) {
    return std::any_of(thres_.begin(), thres_.end(),
                       [&](float x) { return std::fabs(x - v) < 1e-3f; });
  };
  for (float v : thres_) {
    if (!(v < CLASS_LIMIT && v > -20.0f)) continue;
    if (!has(v + 100.0f))
      Kol::outWarning("NidsImage: no freezing match for %.2f\n", static_cast<double>(v));
    if (!has(v + 200.0f))
      Kol::outWarning("NidsImage: no snow match for %.2f\n", static_cast<double>(v));
  }
  return 1;
}

int NidsImage::setThres(const char* text)
{
  std::vector<float> t;
  const char* p = text ? text : "";
  while (*p) {
    char* end;
    const float v = std::strtof(p, &end);
    if (end == p) break;
    t.push_back(v);
    p = *end == ',' ? end + 1 : end;
  }
  return setThres(t);
}

int NidsImage::getIndex(float v) const
{
  if (thres_.empty() || v < thres_[0]) return 0;
  auto it = std::upper_bound(thres_.begin(), thres_.end(), v);
  return static_cast<int>(it - thres_.begin());
}

int NidsImage::readSite(const char* name)
{
  site_.init();
  site_name_ = name ? name : "";
  NidsFile f(name);
  NidsInfo info;
  if (!f.isOpen() || !f.readHeader(info) || !f.readData(site_)) {
    Kol::outWarning("NidsImage: Unable to open file: %s\n", site_name_.c_str());
    site_.init();
    return 0;
  }
  return 1;
}

int NidsImage::readSite(const Filename& f) { return readSite(f.getName()); }

bool NidsImage::usable() const
{
  if (!site_.getData()) return false;
  if (!clear_air_ && site_.getMode() != 2) {
    Kol::outDebug("NidsImage: clear air product %d skipped\n", site_.getProduct());
    return false;
  }
  return true;
}

int NidsImage::setup(Image& im) const
{
  if (!im.validData() && !im.allocData()) return 0;
  im.clearData();
  if (!im.isValues()) {
    im.setColorType(2);
    std::vector<float> values(1, NO_VALUE);
    values.insert(values.end(), thres_.begin(), thres_.end());
    values.push_back(Const::FMISS);  // range folded: no value
    im.setValues(values);
  }
  return 1;
}

// Values past the radius or under the ramp count as weak echo before indexing.
int NidsImage::indexAt(const NidsData& d, float v, float distKm) const
{
  if (!NidsData::isValid(v)) return 0;
  if (box_ && d.isRadial()) {
    if (!Const::isMiss(crad_) && distKm > crad_) v = BELOW_RAMP;
    if (ramp_a_ > 0.0f && ramp_b_ > 0.0f && v <= ramp_a_ * (1.0f - distKm / ramp_b_))
      v = BELOW_RAMP;
  }
  return getIndex(v);
}

int NidsImage::indexOfCell(const GridPoint& g) const
{
  if (g.isMiss()) return 0;
  if (site_.isRadial()) {
    const int bin = static_cast<int>(std::floor(g.y));
    int radial = static_cast<int>(std::floor(g.x)) % site_.getNy();
    if (radial < 0) radial += site_.getNy();
    if (bin < 0 || bin >= site_.getNx()) return 0;
    if (isFolded(bin, radial)) return foldedIndex();
    return indexAt(site_, site_.getValue(bin, radial), (bin + 0.5f) * site_.getResolution());
  }
  const int i = static_cast<int>(std::lround(g.x)), j = static_cast<int>(std::lround(g.y));
  return isFolded(i, j) ? foldedIndex() : indexAt(site_, site_.getValue(i, j), 0.0f);
}

bool NidsImage::isFolded(int i, int j) const
{
  const int code = site_.getFoldedLevel();
  return code >= 0 && site_.getLevel(i, j) == code && site_.getValue(i, j) != NidsData::NO_COVERAGE;
}

// Data of any site replace range folding, which only fills what no site covers; among data the
// larger index wins.
void NidsImage::paint(Image& im, int i, int j, int k) const
{
  const int now = im.getVal(i, j), folded = foldedIndex();
  if (k > 0 && (k == folded ? now == 0 : k > now || now == folded)) im.setPixel(i, j, k);
}

int NidsImage::paintSampled(Image& im) const
{
  const Domain& from = im.getDomain();
  const Domain& to = site_.getDomain();
  for (int j = 0; j < im.getHeight(); ++j)
    for (int i = 0; i < im.getWidth(); ++i) {
      GridPoint g;
      if (!Domain::translate(from, to, GridPoint(static_cast<float>(i), static_cast<float>(j)), g))
        continue;
      paint(im, i, j, indexOfCell(g));
    }
  return 1;
}

// Every bin as a polar box: the image pixels whose centres fall inside it take its index.
int NidsImage::paintBoxes(Image& im) const
{
  const Domain& site = site_.getDomain();
  const Domain& img = im.getDomain();
  for (int r = 0; r < site_.getNy(); ++r)
    for (int b = 0; b < site_.getNx(); ++b) {
      const float v = site_.getValue(b, r);
      const bool folded = isFolded(b, r);
      if (!folded && !NidsData::isValid(v)) continue;
      const int k = folded ? foldedIndex() : indexAt(site_, v, (b + 0.5f) * site_.getResolution());
      if (k == 0) continue;
      float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
      for (int c = 0; c < 4; ++c) {
        GridPoint out;
        if (!Domain::translate(
                site, img,
                GridPoint(static_cast<float>(r + (c & 1)), static_cast<float>(b + (c >> 1))), out))
          continue;
        x0 = std::min(x0, out.x), x1 = std::max(x1, out.x), y0 = std::min(y0, out.y),
        y1 = std::max(y1, out.y);
      }
      // A little slack, so that pixel centres on a box edge are tried by both boxes; the
      // test below gives each to exactly one.
      const int i0 = std::max(0, static_cast<int>(std::ceil(x0 - EDGE)));
      const int i1 = std::min(im.getWidth() - 1, static_cast<int>(std::floor(x1 + EDGE)));
      const int j0 = std::max(0, static_cast<int>(std::ceil(y0 - EDGE)));
      const int j1 = std::min(im.getHeight() - 1, static_cast<int>(std::floor(y1 + EDGE)));
      for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) {
          GridPoint g;
          if (!Domain::translate(img, site, GridPoint(static_cast<float>(i), static_cast<float>(j)),
                                 g))
            continue;
          if (static_cast<int>(std::floor(g.y)) != b ||
              ((static_cast<int>(std::floor(g.x)) % site_.getNy()) + site_.getNy()) %
                      site_.getNy() !=
                  r)
            continue;
          paint(im, i, j, k);
        }
    }
  return 1;
}

int NidsImage::addSite(Image& im) const
{
  if (!usable() || !im.validData()) return 0;
  return box_ && site_.isRadial() ? paintBoxes(im) : paintSampled(im);
}

int NidsImage::addSite(const char* name, Image& im)
{
  return readSite(name) && addSite(im) ? 1 : 0;
}

int NidsImage::addSite(const Filename& f, Image& im) { return addSite(f.getName(), im); }

int NidsImage::getImageDomain(DomainVal& d) const
{
  if (!site_.getData()) return 0;
  d = site_.getDomain().get();
  if (site_.isRadial()) {
    const float rangeKm = site_.getNx() * site_.getResolution();
    const float pixelKm = std::max(site_.getResolution(), 2.0f * rangeKm / (MAX_PIXELS - 1));
    const int n = std::min(MAX_PIXELS, static_cast<int>(2.0f * rangeKm / pixelKm) + 1);
    d.proj = 1;
    d.nx = d.ny = n;
    d.dx = d.dy = pixelKm / 100.0f;
  }
  return 1;
}

int NidsImage::setImage(const char* name, Image& im)
{
  if (!readSite(name)) return 0;
  DomainVal d;
  getImageDomain(d);
  im.init();
  if (!im.set(d, 8) || !im.allocData()) return 0;
  setup(im);
  im.setInfo(site_.getLabel());
  im.setDate(site_.getDate());
  String label;
  DateTool::createLabel(site_.getDate(), label);
  im.setDatim(label.get());
  Kol::outMessage(Kol::MESS, "%s %d %d %.1f %.1f %.1f\n", site_name_.c_str(), site_.getProduct(),
                  site_.getSource(), static_cast<double>(site_.getLat()),
                  static_cast<double>(site_.getLon()), static_cast<double>(site_.getHeight()));
  return addSite(im);
}

int NidsImage::setImage(const Filename& f, Image& im) { return setImage(f.getName(), im); }

int NidsImage::applyMask(Image& im, const Grid& mask) const
{
  if (!im.validData() || mask.getNx() != im.getWidth() || mask.getNy() != im.getHeight()) return 0;
  for (int j = 0; j < im.getHeight(); ++j)
    for (int i = 0; i < im.getWidth(); ++i) {
      const float v = mask.getValue(i, j);
      if (Const::isMiss(v) || v <= 0.0f) im.setPixel(i, j, 0);
    }
  return 1;
}

void NidsImage::setColors(int product, const std::vector<float>& thres, Image& im)
{
  const int n = static_cast<int>(thres.size());
  im.allocColors(n + 2);
  im.setTransColor(0);
  const bool velocity = NidsFile::isVel(product) || NidsFile::isSRVel(product);
  const bool diverging = !thres.empty() && thres.front() < 0.0f && thres.back() > 0.0f &&
                         (velocity || NidsFile::isDPrecDiff(product));
  const bool width = NidsFile::isBSW(product);
  const float top = thres.empty() ? 1.0f : std::max(std::fabs(thres.back()), 1.0f);
  for (int k = 1; k <= n; ++k) {
    const float f = n > 1 ? static_cast<float>(k - 1) / (n - 1) : 0.0f;
    const float hi = k < n ? thres[k] : SENTINEL;
    im.setColor(k, diverging ? divergingColor(thres[k - 1], hi, top,
                                              velocity ? RGB(0, 1, 0) : RGB(0.6f, 0.3f, 0),
                                              velocity ? RGB(1, 0, 0) : RGB(0, 0.4f, 1))
                   : width ? widthColor(f)
                             : rampColor(f));
    im.setColorVal(k, k);
  }
  im.setColor(n + 1, FOLDED_COLOR);
  im.setColorVal(n + 1, n + 1);
}

void NidsImage::print() const
{
  std::printf("NidsImage: %zu thresholds, clear air %s, box %d, crad %g, ramp %g:%g\n",
              thres_.size(), clear_air_ ? "used" : "skipped", box_ ? 1 : 0,
              static_cast<double>(crad_), static_cast<double>(ramp_a_),
              static_cast<double>(ramp_b_));
  for (float t : thres_) std::printf(" %g", static_cast<double>(t));
  std::printf("\n");
}

void NidsImage::printSite() const
{
  std::printf("Site %s\n", site_name_.c_str());
  site_.print();
}

}  // namespace KOL
