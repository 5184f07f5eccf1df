// A raster image: 8, 16, 24 or 32-bit pixels in rows (row 0 first), an optional colour table,
// an optional table turning 8-bit pixel values into physical values (brightness temperature,
// reflectivity), the map domain that places every pixel on the earth, and date and text
// metadata. Satellite pictures, radar products and saved plots all travel as Images.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Date.h"
#include "geo/Domain.h"
#include "imagery/RGB.h"

namespace KOL {

class Image {
 public:
  static constexpr int DATIM_SIZE = 50;
  static constexpr int INFO_SIZE = 80;
  static constexpr int MAX_VALUES = 256;
  static constexpr int MAX_CUTOFF = 5;
  static constexpr int MAX_SIZE = 65535;

  // One colour table entry: intensities 0..1 and the device or colour value it stands for.
  struct Color {
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    int value = 0;
  };

  Image() { init(); }
  Image(int width, int height, int depth);

  void init();
  int copy(const Image& im);
  // Everything except the pixels.
  int copyInfo(const Image& im);
  // The pixels and the layout they need (size, depth, stride, byte order).
  int copyData(const Image& im);

  // Size and depth; bits per pixel becomes the depth, the stride width*depth/8. Pixels are
  // dropped and must be allocated again.
  int set(int width, int height, int depth);
  // Size from the domain's lattice, which becomes the image's domain.
  int set(const Domain& d, int depth);
  int set(const DomainVal& d, int depth);
  // Zero-filled pixels for the current size; 0 when the size or depth is unusable.
  int allocData();
  // True when pixels of the current size are present.
  bool validData() const;
  void clearData();
  // A colour table of n black entries (n = 0 removes it); 0 when n is out of range.
  int allocColors(int n);

  void setSource(int s) { source_ = s; }
  int getSource() const { return source_; }
  void setType(int t) { type_ = t; }
  int getType() const { return type_; }
  void setDatim(const char* text);
  const char* getDatim() const { return datim_; }
  void setDate(long secs) { date_.set(secs); }
  void setDate(const DateVal& v) { date_.set(v); }
  void setDate(const Date& d) { date_ = d; }
  const Date& getDate() const { return date_; }
  void setInfo(const char* text);
  const char* getInfo() const { return info_; }

  void setWidth(int w) { width_ = w; }
  int getWidth() const { return width_; }
  void setHeight(int h) { height_ = h; }
  int getHeight() const { return height_; }
  void setDepth(int d) { depth_ = d; }
  int getDepth() const { return depth_; }
  void setBitsPixel(int b) { bits_pixel_ = b; }
  int getBitsPixel() const { return bits_pixel_; }
  // Stride from width and depth, or as given.
  void setBytesLine();
  void setBytesLine(int n) { bytes_line_ = n; }
  int getBytesLine() const { return bytes_line_; }
  void setByteOrder(int order) { byte_order_ = order; }
  int getByteOrder() const { return byte_order_; }
  void setColorType(int t) { color_type_ = t; }
  int getColorType() const { return color_type_; }
  void setRedMask(unsigned long m) { red_mask_ = m; }
  void setGrnMask(unsigned long m) { grn_mask_ = m; }
  void setBluMask(unsigned long m) { blu_mask_ = m; }
  unsigned long getRedMask() const { return red_mask_; }
  unsigned long getGrnMask() const { return grn_mask_; }
  unsigned long getBluMask() const { return blu_mask_; }

  // Colour table; setters refuse an index outside the table (0), getters clamp an index
  // beyond the table to the last entry and give -1 without a table.
  int getNumColors() const { return static_cast<int>(colors_.size()); }
  bool isColors() const { return !colors_.empty(); }
  int setRed(int i, float v);
  int setGrn(int i, float v);
  int setBlu(int i, float v);
  int setColor(int i, float r, float g, float b);
  int setColor(int i, const RGB& c) { return setColor(i, c.red, c.green, c.blue); }
  int setRGB(int i, const RGB& c) { return setColor(i, c); }
  int setColorVal(int i, int value);
  int getColorVal(int i) const;
  float getRed(int i) const;
  float getGrn(int i) const;
  float getBlu(int i) const;
  int getRGB(int i, RGB& c) const;
  void setTransColor(int i) { trans_color_ = i; }
  int getTransColor() const { return trans_color_; }
  void setPixAve(bool on) { pix_ave_ = on; }
  bool getPixAve() const { return pix_ave_; }

  int setDomain(const Domain& d);
  int setDomain(const DomainVal& d);
  const Domain& getDomain() const { return domain_; }
  const DomainVal& getDomainVal() const { return domain_.get(); }
  int getDomainProj() const { return domain_.proj; }
  float getDx() const { return domain_.dx; }
  float getDy() const { return domain_.dy; }

  // Pixels. getPixel(i, j): 0 outside; an 8-bit pixel through the colour table's values when
  // there is one; 16-bit most significant byte first; 24 and 32-bit in the byte order.
  int getPixel(int i, int j) const;
  // The stored pixel without the colour table.
  int getVal(int i, int j) const;
  int getRGB(int i, int j, RGB& c) const;
  // Copies row j (bytes-per-line bytes) into bytes; the count copied, 0 outside.
  int getRow(int j, uint8_t* bytes) const;
  const uint8_t* getRow(int j) const;
  uint8_t* getData() { return data_.empty() ? nullptr : data_.data(); }
  const uint8_t* getData() const { return data_.empty() ? nullptr : data_.data(); }
  // Fractional column x and row y: blended for 8-bit images without a colour table (within
  // one cutoff class and with averaging on), the nearest pixel otherwise; 0 outside.
  int getPixel(float x, float y) const;
  int getPixel(const GridPoint& g) const { return getPixel(g.x, g.y); }
  int getPixel(const Point& p) const;
  int getPixel(const EarthPoint& e) const;
  // Writes at the pixel last read or written.
  int setPixel(int value);
  int setPixel(int i, int j, int value);
  int setPixel(const GridPoint& g, int value);
  bool isPixelTrans(int i, int j) const;

  // Value table of 8-bit pixels; entries start missing.
  int allocValues();
  bool isValues() const { return !values_.empty(); }
  int getNumValues() const { return static_cast<int>(values_.size()); }
  int setValue(int k, float v);
  float getValue(int k) const;
  int setValues(const std::vector<float>& v);
  // The pixel value for a physical value (see the value table); truncated 0..255 without one.
  int getIndex(float v) const;
  // Physical value of a pixel (the pixel itself without a value table); missing outside.
  float getValue(int i, int j) const;
  float getValue(float x, float y) const;
  float getValue(const GridPoint& g) const { return getValue(g.x, g.y); }
  float getValue(const Point& p) const;
  float getValue(const EarthPoint& e) const;
  // The stored pixel nearest an earth position; -1 outside.
  int getVal(const EarthPoint& e) const;
  // Smallest and largest value of the table (of the pixel range without one).
  int getLimits(float& min, float& max) const;

  int tran(EarthPoint& e, Point& p) const { return domain_.tran(e, p); }
  int tran(const Point& p, EarthPoint& e) const { return domain_.tran(p, e); }
  int tran(EarthPoint& e, GridPoint& g) const { return domain_.tran(e, g); }
  int tran(const GridPoint& g, EarthPoint& e) const { return domain_.tran(g, e); }
  int tran(const Point& p, GridPoint& g) const { return domain_.tran(p, g); }
  int tran(const GridPoint& g, Point& p) const { return domain_.tran(g, p); }

  // "%d:%d:%d:%d": the no-data pixel value, then up to three class boundaries.
  int setCutoff(const char* text);
  // Boundary k (0..4); 0 when k is out of range.
  int setCutoff(int k, int boundary);
  void setNoData(int pixel) { no_data_ = pixel; }
  int getNoData() const { return no_data_; }
  // The cutoff class of a pixel value: how many boundaries it reaches.
  int getCutoffClass(int pixel) const;

  void print() const;
  void printInt() const;
  void printValues() const;
  void printColors() const;
  void printHist() const;
  void printData(const EarthPoint& e) const;

 private:
  int bytesPixel() const { return (bits_pixel_ + 7) / 8; }
  bool inside(int i, int j) const { return i >= 0 && j >= 0 && i < width_ && j < height_; }
  long offsetOf(int i, int j) const
  {
    return static_cast<long>(j) * bytes_line_ + static_cast<long>(i) * bytesPixel();
  }
  int readAt(long off) const;
  int writeAt(long off, int value);
  int colorIndex(int i) const;
  int blend8(float x, float y) const;
  bool sameClass(const int p[4]) const;

  int source_, type_;
  char datim_[DATIM_SIZE];
  Date date_;
  char info_[INFO_SIZE];
  int width_, height_, depth_, bits_pixel_, bytes_line_, byte_order_, color_type_;
  unsigned long red_mask_, grn_mask_, blu_mask_;
  std::vector<Color> colors_;
  int trans_color_;
  Domain domain_;
  mutable long cursor_;
  bool pix_ave_;
  int cutoff_[MAX_CUTOFF];
  int num_cutoff_;
  int no_data_;
  std::vector<float> values_;
  std::vector<uint8_t> data_;
};

}  // namespace KOL
