#include "imagery/Image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Const.h"
#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

namespace {

constexpr long MAX_BYTES = 1L << 30;

bool validBits(int bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Intensity 0..1 of one channel of a true-colour pixel.
float channel(unsigned long pixel, unsigned long mask)
{
  if (mask == 0) return 0.0f;
  int shift = 0;
  while (!((mask >> shift) & 1UL)) ++shift;
  return static_cast<float>((pixel & mask) >> shift) / static_cast<float>(mask >> shift);
}

}  // namespace

Image::Image(int width, int height, int depth)
{
  init();
  set(width, height, depth);
}

void Image::init()
{
  source_ = type_ = 0;
  datim_[0] = '\0';
  date_.init();
  info_[0] = '\0';
  width_ = height_ = depth_ = bits_pixel_ = bytes_line_ = 0;
  byte_order_ = color_type_ = 0;
  red_mask_ = grn_mask_ = blu_mask_ = 0;
  colors_.clear();
  trans_color_ = -1;
  domain_.init();
  cursor_ = 0;
  pix_ave_ = true;
  std::fill(cutoff_, cutoff_ + MAX_CUTOFF, 0);
  num_cutoff_ = 0;
  no_data_ = -1;
  values_.clear();
  data_.clear();
}

int Image::copy(const Image& im)
{
  if (this != &im) *this = im;
  return 1;
}

int Image::copyInfo(const Image& im)
{
  if (this == &im) return 1;
  std::vector<uint8_t> keep;
  keep.swap(data_);
  *this = Image();
  source_ = im.source_;
  type_ = im.type_;
  std::memcpy(datim_, im.datim_, DATIM_SIZE);
  date_ = im.date_;
  std::memcpy(info_, im.info_, INFO_SIZE);
  width_ = im.width_, height_ = im.height_, depth_ = im.depth_;
  bits_pixel_ = im.bits_pixel_, bytes_line_ = im.bytes_line_;
  byte_order_ = im.byte_order_, color_type_ = im.color_type_;
  red_mask_ = im.red_mask_, grn_mask_ = im.grn_mask_, blu_mask_ = im.blu_mask_;
  colors_ = im.colors_;
  trans_color_ = im.trans_color_;
  domain_ = im.domain_;
  pix_ave_ = im.pix_ave_;
  std::copy(im.cutoff_, im.cutoff_ + MAX_CUTOFF, cutoff_);
  num_cutoff_ = im.num_cutoff_;
  no_data_ = im.no_data_;
  values_ = im.values_;
  return 1;
}

int Image::copyData(const Image& im)
{
  if (this == &im) return 1;
  width_ = im.width_, height_ = im.height_, depth_ = im.depth_;
  bits_pixel_ = im.bits_pixel_, bytes_line_ = im.bytes_line_;
  byte_order_ = im.byte_order_;
  data_ = im.data_;
  cursor_ = 0;
  return 1;
}

int Image::set(int width, int height, int depth)
{
  data_.clear();
  cursor_ = 0;
  if (width < 1 || height < 1 || width > MAX_SIZE || height > MAX_SIZE || !validBits(depth)) {
    width_ = height_ = bytes_line_ = 0;
    return 0;
  }
  width_ = width;
  height_ = height;
  depth_ = bits_pixel_ = depth;
  setBytesLine();
  return 1;
}

int Image::set(const Domain& d, int depth)
{
  if (!set(d.nx, d.ny, depth)) return 0;
  return setDomain(d);
}

int Image::set(const DomainVal& d, int depth)
{
  if (!set(d.nx, d.ny, depth)) return 0;
  return setDomain(d);
}

void Image::setBytesLine() { bytes_line_ = width_ * depth_ / 8; }

int Image::allocData()
{
  long need = static_cast<long>(height_) * bytes_line_;
  if (width_ < 1 || height_ < 1 || !validBits(bits_pixel_) || bytes_line_ < width_ * bytesPixel() ||
      need > MAX_BYTES) {
    Kol::outWarning("Image::allocData: invalid image size %dx%d (%d bits)\n", width_, height_,
                    bits_pixel_);
    data_.clear();
    return 0;
  }
  data_.assign(static_cast<std::size_t>(need), 0);
  cursor_ = 0;
  return 1;
}

bool Image::validData() const
{
  return width_ > 0 && height_ > 0 && validBits(bits_pixel_) &&
         bytes_line_ >= width_ * bytesPixel() &&
         data_.size() == static_cast<std::size_t>(height_) * bytes_line_;
}

void Image::clearData()
{
  std::fill(data_.begin(), data_.end(), 0);
  cursor_ = 0;
}

int Image::allocColors(int n)
{
  if (n < 0 || n > MAX_SIZE) return 0;
  colors_.assign(static_cast<std::size_t>(n), Color());
  return 1;
}

void Image::setDatim(const char* text) { StrLib::copy(datim_, DATIM_SIZE, text ? text : ""); }

void Image::setInfo(const char* text) { StrLib::copy(info_, INFO_SIZE, text ? text : ""); }

int Image::setRed(int i, float v)
{
  if (i < 0 || i >= getNumColors()) return 0;
  colors_[i].red = v;
  return 1;
}

int Image::setGrn(int i, float v)
{
  if (i < 0 || i >= getNumColors()) return 0;
  colors_[i].green = v;
  return 1;
}

int Image::setBlu(int i, float v)
{
  if (i < 0 || i >= getNumColors()) return 0;
  colors_[i].blue = v;
  return 1;
}

int Image::setColor(int i, float r, float g, float b)
{
  if (i < 0 || i >= getNumColors()) return 0;
  colors_[i].red = r;
  colors_[i].green = g;
  colors_[i].blue = b;
  return 1;
}

int Image::setColorVal(int i, int value)
{
  if (i < 0 || i >= getNumColors()) return 0;
  colors_[i].value = value;
  return 1;
}

int Image::colorIndex(int i) const
{
  if (colors_.empty() || i < 0) return -1;
  return std::min(i, getNumColors() - 1);
}

int Image::getColorVal(int i) const
{
  int k = colorIndex(i);
  return k < 0 ? -1 : colors_[k].value;
}

float Image::getRed(int i) const
{
  int k = colorIndex(i);
  return k < 0 ? -1.0f : colors_[k].red;
}

float Image::getGrn(int i) const
{
  int k = colorIndex(i);
  return k < 0 ? -1.0f : colors_[k].green;
}

float Image::getBlu(int i) const
{
  int k = colorIndex(i);
  return k < 0 ? -1.0f : colors_[k].blue;
}

int Image::getRGB(int i, RGB& c) const
{
  int k = colorIndex(i);
  if (k < 0) {
    c.set(-1.0f, -1.0f, -1.0f);
    return 0;
  }
  c.set(colors_[k].red, colors_[k].green, colors_[k].blue);
  return 1;
}

int Image::setDomain(const Domain& d)
{
  domain_ = d;
  return 1;
}

int Image::setDomain(const DomainVal& d) { return domain_.set(d); }

int Image::readAt(long off) const
{
  const uint8_t* p = data_.data() + off;
  switch (bits_pixel_) {
    case 8:
      return p[0];
    case 16:
      return (p[0] << 8) | p[1];
    case 24:
      if (byte_order_ == 0) return p[0] | (p[1] << 8) | (p[2] << 16);
      if (byte_order_ == 1) return (p[0] << 16) | (p[1] << 8) | p[2];
      return 0;
    case 32: {
      uint32_t v;
      if (byte_order_ == 0)
        v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
      else if (byte_order_ == 1)
        v = (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
      else
        return 0;
      return static_cast<int>(v);
    }
    default:
      return 0;
  }
}

int Image::writeAt(long off, int value)
{
  uint8_t* p = data_.data() + off;
  auto v = static_cast<uint32_t>(value);
  int n = bytesPixel();
  if (n == 1) {
    p[0] = static_cast<uint8_t>(v);
  } else if (n == 2) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
  } else if (byte_order_ == 0 || byte_order_ == 1) {
    for (int k = 0; k < n; ++k) {
      int shift = byte_order_ == 0 ? 8 * k : 8 * (n - 1 - k);
      p[k] = static_cast<uint8_t>(v >> shift);
    }
  } else {
    return 0;
  }
  cursor_ = off;
  return 1;
}

int Image::getVal(int i, int j) const
{
  if (!inside(i, j) || !validData()) return 0;
  cursor_ = offsetOf(i, j);
  return readAt(cursor_);
}

int Image::getPixel(int i, int j) const
{
  int v = getVal(i, j);
  if (bits_pixel_ == 8 && !colors_.empty()) return getColorVal(v);
  return v;
}

int Image::getRGB(int i, int j, RGB& c) const
{
  if (!inside(i, j) || !validData()) {
    c.init();
    return 0;
  }
  int v = getVal(i, j);
  if (bits_pixel_ == 8 && !colors_.empty()) return getRGB(v, c);
  if (bits_pixel_ <= 16) {
    float g = static_cast<float>(v) / static_cast<float>((1 << bits_pixel_) - 1);
    c.set(g, g, g);
    return 1;
  }
  bool masks = red_mask_ || grn_mask_ || blu_mask_;
  auto pix = static_cast<unsigned long>(static_cast<uint32_t>(v));
  c.set(channel(pix, masks ? red_mask_ : 0xFF0000UL), channel(pix, masks ? grn_mask_ : 0xFF00UL),
        channel(pix, masks ? blu_mask_ : 0xFFUL));
  return 1;
}

int Image::getRow(int j, uint8_t* bytes) const
{
  const uint8_t* row = getRow(j);
  if (!row || !bytes) return 0;
  std::memcpy(bytes, row, static_cast<std::size_t>(bytes_line_));
  return bytes_line_;
}

const uint8_t* Image::getRow(int j) const
{
  if (j < 0 || j >= height_ || !validData()) return nullptr;
  return data_.data() + static_cast<long>(j) * bytes_line_;
}

int Image::getCutoffClass(int pixel) const
{
  int c = 0;
  for (int k = 0; k < num_cutoff_; ++k)
    if (pixel >= cutoff_[k]) ++c;
  return c;
}

// No-data pixels never blend with their neighbours: they would drag valid values towards an
// arbitrary code.
bool Image::sameClass(const int p[4]) const
{
  int c = getCutoffClass(p[0]);
  for (int k = 0; k < 4; ++k)
    if (p[k] == no_data_ || getCutoffClass(p[k]) != c) return false;
  return true;
}

int Image::blend8(float x, float y) const
{
  int i = static_cast<int>(x), j = static_cast<int>(y);
  float fx = x - i, fy = y - j;
  const uint8_t* r0 = data_.data() + static_cast<long>(j) * bytes_line_ + i;
  const uint8_t* r1 = r0 + bytes_line_;
  int p[4] = {r0[0], r0[1], r1[0], r1[1]};
  if (p[0] == p[1] && p[0] == p[2] && p[0] == p[3]) return p[0];
  if (!pix_ave_ || !sameClass(p)) {
    fx = fx < 0.5f ? 0.0f : 1.0f;
    fy = fy < 0.5f ? 0.0f : 1.0f;
  }
  float top = p[0] + (p[1] - p[0]) * fx;
  float bot = p[2] + (p[3] - p[2]) * fx;
  return static_cast<int>(std::lround(top + (bot - top) * fy));
}

int Image::getPixel(float x, float y) const
{
  if (!(x >= 0.0f && y >= 0.0f && x < width_ - 1 && y < height_ - 1) || !validData()) return 0;
  if (bits_pixel_ == 8 && colors_.empty()) return blend8(x, y);
  return getPixel(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
}

int Image::getPixel(const Point& p) const
{
  GridPoint g;
  if (!domain_.tran(p, g)) return 0;
  return getPixel(g.x, g.y);
}

int Image::getPixel(const EarthPoint& e) const
{
  EarthPoint copy = e;
  GridPoint g;
  if (!domain_.tran(copy, g)) return 0;
  return getPixel(g.x, g.y);
}

int Image::setPixel(int value)
{
  if (!validData() || cursor_ < 0 || cursor_ + bytesPixel() > static_cast<long>(data_.size()))
    return 0;
  return writeAt(cursor_, value);
}

int Image::setPixel(int i, int j, int value)
{
  if (!inside(i, j) || !validData()) return 0;
  return writeAt(offsetOf(i, j), value);
}

int Image::setPixel(const GridPoint& g, int value)
{
  if (g.isMiss()) return 0;
  return setPixel(static_cast<int>(std::lround(g.x)), static_cast<int>(std::lround(g.y)), value);
}

bool Image::isPixelTrans(int i, int j) const
{
  return trans_color_ >= 0 && inside(i, j) && getVal(i, j) == trans_color_;
}

int Image::allocValues()
{
  values_.assign(MAX_VALUES, Const::FMISS);
  return 1;
}

int Image::setValue(int k, float v)
{
  if (k < 0 || k >= MAX_VALUES) return 0;
  if (values_.empty()) allocValues();
  values_[k] = v;
  return 1;
}

float Image::getValue(int k) const
{
  if (k < 0 || k >= getNumValues()) return Const::FMISS;
  return values_[k];
}

int Image::setValues(const std::vector<float>& v)
{
  allocValues();
  std::size_t n = std::min(v.size(), values_.size());
  std::copy(v.begin(), v.begin() + static_cast<long>(n), values_.begin());
  return 1;
}

int Image::getIndex(float v) const
{
  if (values_.empty()) {
    if (!(v > 0.0f)) return 0;
    return v >= 255.0f ? 255 : static_cast<int>(v);
  }
  int last = -1;
  for (int k = 0; k < getNumValues(); ++k) {
    if (Const::isMiss(values_[k])) continue;
    if (v < values_[k]) return last < 0 ? 0 : last;
    last = k;
  }
  return last < 0 ? 0 : last;
}

float Image::getValue(int i, int j) const
{
  if (!inside(i, j) || !validData()) return Const::FMISS;
  int v = getVal(i, j);
  if (values_.empty()) return static_cast<float>(v);
  return getValue(v);
}

float Image::getValue(float x, float y) const
{
  if (!(x >= 0.0f && y >= 0.0f && x < width_ - 1 && y < height_ - 1) || !validData())
    return Const::FMISS;
  int v = bits_pixel_ == 8 && colors_.empty()
              ? blend8(x, y)
              : getVal(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
  if (values_.empty()) return static_cast<float>(v);
  return getValue(v);
}

float Image::getValue(const Point& p) const
{
  GridPoint g;
  if (!domain_.tran(p, g)) return Const::FMISS;
  return getValue(g.x, g.y);
}

float Image::getValue(const EarthPoint& e) const
{
  EarthPoint copy = e;
  GridPoint g;
  if (!domain_.tran(copy, g)) return Const::FMISS;
  return getValue(g.x, g.y);
}

int Image::getVal(const EarthPoint& e) const
{
  EarthPoint copy = e;
  GridPoint g;
  if (!domain_.tran(copy, g) || g.isMiss()) return -1;
  int i = static_cast<int>(std::lround(g.x)), j = static_cast<int>(std::lround(g.y));
  if (!inside(i, j) || !validData()) return -1;
  return getVal(i, j);
}

int Image::getLimits(float& min, float& max) const
{
  min = max = Const::FMISS;
  if (values_.empty()) {
    if (!validBits(bits_pixel_)) return 0;
    min = 0.0f;
    max = static_cast<float>(std::pow(2.0, std::min(depth_ > 0 ? depth_ : bits_pixel_, 32)) - 1.0);
    return 1;
  }
  for (float v : values_) {
    if (Const::isMiss(v)) continue;
    if (Const::isMiss(min) || v < min) min = v;
    if (Const::isMiss(max) || v > max) max = v;
  }
  return Const::isMiss(min) ? 0 : 1;
}

int Image::setCutoff(const char* text)
{
  if (!text) return 0;
  int v[4];
  int n = std::sscanf(text, "%d:%d:%d:%d", &v[0], &v[1], &v[2], &v[3]);
  if (n < 1) return 0;
  no_data_ = v[0];
  num_cutoff_ = 0;
  for (int k = 1; k < n; ++k) setCutoff(k - 1, v[k]);
  return 1;
}

int Image::setCutoff(int k, int boundary)
{
  if (k < 0 || k >= MAX_CUTOFF) return 0;
  cutoff_[k] = boundary;
  num_cutoff_ = std::max(num_cutoff_, k + 1);
  return 1;
}

void Image::print() const
{
  std::printf("Image: %dx%d depth %d bpp %d stride %d order %d ctype %d source %d type %d\n",
              width_, height_, depth_, bits_pixel_, bytes_line_, byte_order_, color_type_, source_,
              type_);
  std::printf("Info: %s\nDate: %s\n", info_, datim_);
  std::printf("Colors: %d Values: %d Trans: %d Average: %d\n", getNumColors(), getNumValues(),
              trans_color_, pix_ave_ ? 1 : 0);
  domain_.print();
}

void Image::printInt() const
{
  for (int j = 0; j < height_; ++j) {
    for (int i = 0; i < width_; ++i) std::printf(i ? " %d" : "%d", getVal(i, j));
    std::printf("\n");
  }
}

void Image::printValues() const
{
  for (int k = 0; k < getNumValues(); ++k)
    if (!Const::isMiss(values_[k])) std::printf("%3d %g\n", k, static_cast<double>(values_[k]));
}

void Image::printColors() const
{
  for (int k = 0; k < getNumColors(); ++k) {
    const Color& c = colors_[k];
    std::printf("%3d - %8d (%4.2f,%4.2f,%4.2f)\n", k, c.value, static_cast<double>(c.red),
                static_cast<double>(c.green), static_cast<double>(c.blue));
  }
}

void Image::printHist() const
{
  if (bits_pixel_ != 8 || !validData()) return;
  long count[256] = {};
  for (int j = 0; j < height_; ++j) {
    const uint8_t* row = getRow(j);
    for (int i = 0; i < width_; ++i) ++count[row[i]];
  }
  for (int k = 0; k < 256; ++k)
    if (count[k]) std::printf("%3d %ld\n", k, count[k]);
}

void Image::printData(const EarthPoint& e) const
{
  EarthPoint copy = e;
  GridPoint g;
  domain_.tran(copy, g);
  std::printf("%.2f %.2f -> %.2f %.2f pixel %d value %g\n", static_cast<double>(e.lat),
              static_cast<double>(e.lon), static_cast<double>(g.x), static_cast<double>(g.y),
              getPixel(e), static_cast<double>(getValue(e)));
}

}  // namespace KOL
