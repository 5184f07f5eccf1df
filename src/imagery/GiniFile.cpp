#include "imagery/GiniFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/DateTool.h"
#include "core/DateVal.h"
#include "core/File.h"
#include "core/Kol.h"
#include "core/String.h"
#include "core/Zlib.h"
#include "geo/Domain.h"
#include "imagery/Image.h"
#include "imagery/PngFile.h"
#include "imagery/SatTool.h"

namespace KOL {

namespace {

constexpr std::size_t MAX_FILE = 512UL << 20;
constexpr int MAX_LINE = 100;
constexpr int HEADING_WINDOW = 32;
constexpr std::size_t HEADER_STREAM_MAX = 4096;
constexpr uint8_t SOH = 0x01;
constexpr uint8_t TRAILER[4] = {0x0D, 0x0D, 0x0A, 0x03};

int u16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
int u24(const uint8_t* p) { return (p[0] << 16) | (p[1] << 8) | p[2]; }

// Sign in the first bit, ten-thousandths of a degree in the other 23.
float angle(const uint8_t* p)
{
  float v = static_cast<float>(u24(p) & 0x7FFFFF) / 10000.0f;
  return (p[0] & 0x80) ? -v : v;
}

// Four octets, sign in the first bit, ten-thousandths in the other 31.
float scaled32(const uint8_t* p)
{
  const uint32_t magnitude =
      (static_cast<uint32_t>(p[0] & 0x7F) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
  const float v = static_cast<float>(magnitude) / 10000.0f;
  return (p[0] & 0x80) ? -v : v;
}

constexpr std::size_t UNITS_AT = 47, UNITS_SIZE = 8, RANGES_AT = 56, RANGE_SIZE = 16;
constexpr int MAX_RANGES = 16;
constexpr int MOSAIC_ENTITY = 99, MOSAIC_CHANNEL = 27;

// The pixel values of the calibration block's ranges (the rest missing).
void calibrate(const GiniFile::Pdb& pdb, std::vector<float>& values)
{
  values.assign(Image::MAX_VALUES, Const::FMISS);
  for (const GiniFile::Pdb::CalRange& r : pdb.ranges) {
    const int from = std::max(0, static_cast<int>(std::lround(r.pixel0)));
    const int to = std::min(Image::MAX_VALUES - 1, static_cast<int>(std::lround(r.pixel1)));
    const float span = r.pixel1 - r.pixel0;
    for (int k = from; k <= to; ++k) {
      const float v =
          span > 0 ? r.value0 + (k - r.pixel0) * (r.value1 - r.value0) / span : r.value0;
      values[k] = v > GiniFile::MISSING_VALUE ? v : Const::FMISS;
    }
  }
}

// A deflate stream header: method 8 with a 32 kB window and a valid check value.
bool zlibHeader(const uint8_t* p, std::size_t n)
{
  return n >= 2 && p[0] == 0x78 && ((p[0] << 8) | p[1]) % 31 == 0;
}

float east(float lon) { return lon > 180.0f ? lon - 360.0f : lon; }

bool readAll(const char* name, std::vector<uint8_t>& out)
{
  File f;
  if (!f.open(name, "rb")) return false;
  out.clear();
  std::vector<uint8_t> chunk(1 << 16);
  int n;
  while ((n = f.read(chunk.data(), static_cast<int>(chunk.size()))) > 0) {
    out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    if (out.size() > MAX_FILE) {
      Kol::outWarning("GiniFile: %s is too large\n", name);
      return false;
    }
  }
  return true;
}

// Position after the line that starts at pos (at most MAX_LINE - 1 characters, as a line
// reader with that buffer would take).
std::size_t nextLine(const std::vector<uint8_t>& b, std::size_t pos)
{
  std::size_t end = pos;
  while (end < b.size() && end - pos < MAX_LINE - 1)
    if (b[end++] == '\n') break;
  return end;
}

const char* satelliteName(int entity)
{
  static const char* const names[] = {"DMSP ",    "GMS ",     "METEOSAT ", "GOES 7 ",  "GOES 8 ",
                                      "GOES 9 ",  "GOES 10 ", "GOES 11 ",  "GOES 12 ", "GOES 13 ",
                                      "GOES 14 ", "GOES 15 ", "GOES 16 "};
  return entity >= 7 && entity <= 19 ? names[entity - 7] : "";
}

const char* channelName(int channel)
{
  struct Entry {
    int code;
    const char* name;
  };
  static const Entry table[] = {{1, "Visible"},
                                {2, "Infrared 3.9um"},
                                {3, "Water Vapor"},
                                {4, "Infrared 11um"},
                                {5, "Infrared 12um"},
                                {6, "Infrared 13um"},
                                {7, "Infrared 1.3um"},
                                {13, "Imager lifted index"},
                                {14, "Imager precipitable water"},
                                {15, "Imager surface skin temperature"},
                                {16, "Sounder lifted index"},
                                {17, "Sounder precipitable water"},
                                {18, "Sounder surface skin temperature"},
                                {27, "Gridded cloud top height"},
                                {28, "Gridded cloud amount"},
                                {40, "Low cloud base"},
                                {43, "Sounder 14.06um"},
                                {48, "Sounder 11.03um"},
                                {50, "Sounder 7.43um"},
                                {51, "Sounder 7.02um"},
                                {52, "Sounder 6.51um"},
                                {55, "Sounder 4.45um"},
                                {57, "Sounder 3.98um"},
                                {59, "Sounder visible"}};
  for (const Entry& e : table)
    if (e.code == channel) return e.name;
  return nullptr;
}

}  // namespace

void GiniFile::Pdb::decode(const uint8_t* b, std::size_t n)
{
  *this = Pdb();
  if (n < 48) return;
  source = b[0];
  entity = b[1];
  sector = b[2];
  channel = b[3];
  numRecords = u16(b + 4);
  recordSize = u16(b + 6);
  year = b[8], month = b[9], day = b[10], hour = b[11], minute = b[12], second = b[13];
  hundredths = b[14];
  projection = b[15];
  nx = u16(b + 16);
  ny = u16(b + 18);
  la1 = angle(b + 20);
  lo1 = angle(b + 23);
  if (projection == 1) {
    la2 = angle(b + 27);
    lo2 = angle(b + 30);
    di = u16(b + 33);
    dj = u16(b + 35);
  } else {
    lov = angle(b + 27);
    dx = static_cast<float>(u24(b + 30)) / 10000.0f;
    dy = static_cast<float>(u24(b + 33)) / 10000.0f;
    projCenter = b[36];
    hemisphere = b[37];
  }
  scanMode = b[37];
  latin = angle(b + 38);
  resolution = b[41];
  compression = b[42];
  version = b[43];
  pdbSize = u16(b + 44);
  navCal = b[46];
  if (navCal != CALIBRATED || n < RANGES_AT + 1) return;
  units.assign(reinterpret_cast<const char*>(b + UNITS_AT), UNITS_SIZE);
  units.erase(std::find(units.begin(), units.end(), '\0'), units.end());
  units.erase(units.find_last_not_of(' ') + 1);
  const int count = std::min<int>(b[RANGES_AT - 1] == 0 ? 0 : b[RANGES_AT - 1], MAX_RANGES);
  for (int k = 0; k < count && RANGES_AT + (k + 1) * RANGE_SIZE <= n; ++k) {
    const uint8_t* r = b + RANGES_AT + k * RANGE_SIZE;
    ranges.push_back({scaled32(r), scaled32(r + 4), scaled32(r + 8), scaled32(r + 12)});
  }
}

GiniFile::GiniFile(const char* name, int kind)
{
  init();
  open(name, kind);
}

void GiniFile::init()
{
  open_ = false;
  kind_ = RAW;
  bytes_.clear();
  data_pos_ = 0;
  carry_.clear();
  pdb_ = Pdb();
  heading_.clear();
  rows_read_ = 0;
}

int GiniFile::open(const char* name, int kind)
{
  init();
  if (!name || kind < AUTO || kind > PNG) return 0;
  if (!readAll(name, bytes_)) {
    Kol::outWarning("GiniFile: unable to open %s\n", name);
    bytes_.clear();
    return 0;
  }
  kind_ = kind == AUTO ? detectKind(bytes_.data(), bytes_.size()) : kind;
  open_ = true;
  return 1;
}

int GiniFile::openBytes(const uint8_t* bytes, std::size_t n, int kind)
{
  init();
  if (!bytes || kind < AUTO || kind > PNG || n > MAX_FILE) return 0;
  bytes_.assign(bytes, bytes + n);
  kind_ = kind == AUTO ? detectKind(bytes_.data(), bytes_.size()) : kind;
  open_ = true;
  return 1;
}

int GiniFile::open(const char* name, int mode, int kind)
{
  if (mode != 0) {
    Kol::outWarning("GiniFile: writing is not supported\n");
    return 0;
  }
  return open(name, kind);
}

void GiniFile::rewind()
{
  data_pos_ = 0;
  carry_.clear();
  rows_read_ = 0;
}

int GiniFile::close()
{
  int was = open_ ? 1 : 0;
  init();
  return was;
}

int GiniFile::detectKind(const uint8_t* b, std::size_t n)
{
  if (!b) return RAW;
  std::size_t pos = 0;
  while (pos < n && (b[pos] == '\n' || b[pos] == '\r')) ++pos;
  if (zlibHeader(b + pos, n - pos)) return ZLIB;
  int h = 0;
  const int pdb = findPdb(b, n, h);
  if (zlibHeader(b + pdb, n - static_cast<std::size_t>(pdb))) return ZLIB;
  std::size_t body = static_cast<std::size_t>(pdb) + PDB_SIZE;
  if (body < n && PngFile::isPng(b + body, n - body)) return PNG;
  return pdb > 0 ? RAW_HEADING : RAW;
}

int GiniFile::findPdb(const uint8_t* block, std::size_t n, int& headingLength)
{
  headingLength = 0;
  const std::size_t window = n < HEADING_WINDOW ? n : HEADING_WINDOW;
  std::size_t pos = 0;
  while (pos < window && block[pos] == '\n') ++pos;
  std::size_t start = pos;
  bool heading = false;
  if (pos < window && block[pos] == 'T') {
    heading = true;
  } else if (pos + 5 <= window && std::memcmp(block + pos, "** TI", 5) == 0) {
    heading = true;
  } else if (pos + 3 <= window && block[pos] == SOH && block[pos + 1] == '\r' &&
             block[pos + 2] == '\r') {
    while (pos < window && block[pos] != 'T') ++pos;
    heading = pos < window;
  }
  if (!heading) return 0;
  while (pos < window && block[pos] != '\n') ++pos;
  if (pos >= window) return 0;
  (void)start;
  headingLength = static_cast<int>(pos);
  return static_cast<int>(pos) + 1;
}

// The first zlib stream holds the heading and the PDB; the pixels follow in further streams.
int GiniFile::inflateHeader(std::vector<uint8_t>& block)
{
  std::size_t pos = nextLine(bytes_, 0);
  if (pos == 0) return 0;
  if (pos == 1 && bytes_[0] == '\n') pos = nextLine(bytes_, pos);
  if (bytes_[0] == SOH) pos = nextLine(bytes_, nextLine(bytes_, pos));
  if (pos >= bytes_.size()) return 0;

  Zlib z;
  std::vector<uint8_t> out(HEADER_STREAM_MAX);
  const std::size_t avail = bytes_.size() - pos;
  z.set(bytes_.data() + pos, static_cast<int>(avail), out.data(), static_cast<int>(out.size()));
  int status;
  do {
    status = z.decomp();
  } while (status == Z_OK && z.getAvailIn() > 0 && z.getAvailOut() > 0);
  if (Kol::isDebug()) z.print();
  const std::size_t produced = out.size() - static_cast<std::size_t>(z.getAvailOut());
  if (status != Z_STREAM_END || produced < static_cast<std::size_t>(PDB_SIZE)) return 0;
  data_pos_ = pos + avail - static_cast<std::size_t>(z.getAvailIn());
  out.resize(produced);
  block.swap(out);
  return 1;
}

int GiniFile::readHeaderBlock(std::vector<uint8_t>& block)
{
  if (kind_ == ZLIB) return inflateHeader(block);
  if (kind_ == PNG) Kol::outDebug(3, "PNG data compression\n");
  if (bytes_.size() < static_cast<std::size_t>(PDB_SIZE)) return 0;
  block.assign(bytes_.begin(), bytes_.begin() + PDB_SIZE);
  return 1;
}

int GiniFile::readHeader(Image& im)
{
  if (!open_) return 0;
  std::vector<uint8_t> block;
  if (!readHeaderBlock(block)) {
    Kol::outWarning("GiniFile::readHeader: short or unreadable header block\n");
    return 0;
  }
  int h = 0;
  const int pdbAt = findPdb(block.data(), block.size(), h);
  heading_.clear();
  for (int k = 0; k < h; ++k)
    if (block[k] != '\r' && block[k] != '\n') heading_ += static_cast<char>(block[k]);
  pdb_.decode(block.data() + pdbAt, block.size() - pdbAt);

  if (pdb_.nx < 1 || pdb_.ny < 1 || pdb_.nx > MAX_DIM || pdb_.ny > MAX_DIM) {
    Kol::outWarning("GiniFile::readHeader: Invalid image parameters\n");
    close();
    return 0;
  }
  // Another product with a WMO heading (a radar product, say) reads as a header of nonsense.
  if (!plausible(pdb_)) {
    Kol::outWarning(
        "GiniFile::readHeader: not a GINI image (projection %d, time %02d/%02d %02d:%02d)\n",
        pdb_.projection, pdb_.month, pdb_.day, pdb_.hour, pdb_.minute);
    close();
    return 0;
  }
  Kol::outDebug("Image size: %dx%d\n", pdb_.nx, pdb_.ny);
  setupImage(im);

  carry_.clear();
  rows_read_ = 0;
  if (kind_ == ZLIB) {
    const std::size_t end = static_cast<std::size_t>(pdbAt) + PDB_SIZE;
    if (block.size() > end) carry_.assign(block.begin() + static_cast<long>(end), block.end());
    return 1;
  }
  if (kind_ == RAW) {
    data_pos_ = PDB_SIZE;
    return 1;
  }
  data_pos_ = static_cast<std::size_t>(pdbAt) + PDB_SIZE;
  return bytes_.size() >= static_cast<std::size_t>(PDB_SIZE + h) ? 1 : 0;
}

bool GiniFile::plausible(const Pdb& p)
{
  bool projection = p.projection == 1 || p.projection == 3 || p.projection == 5;
  return projection && p.month >= 1 && p.month <= 12 && p.day >= 1 && p.day <= 31 && p.hour >= 0 &&
         p.hour < 24 && p.minute >= 0 && p.minute < 60;
}

void GiniFile::setupImage(Image& im) const
{
  im.init();
  im.setSource(1);
  im.setType(2);
  im.set(pdb_.nx, pdb_.ny, 8);

  DateVal dv(pdb_.year, pdb_.month, pdb_.day, pdb_.hour, pdb_.minute,
             static_cast<float>(pdb_.second));
  im.setDate(dv);
  String label;
  DateTool::createLabel(im.getDate(), label);
  im.setDatim(label.get());

  char info[Image::INFO_SIZE];
  std::vector<float> values;
  describe(pdb_, info, sizeof info, values);
  im.setInfo(info);
  if (!values.empty()) im.setValues(values);

  DomainVal d = makeDomain(pdb_);
  if (d.proj != Const::MISS) im.setDomain(d);
}

void GiniFile::describe(const Pdb& pdb, char* info, int size, std::vector<float>& values)
{
  values.clear();
  std::string text = satelliteName(pdb.entity);
  if (pdb.sector == 0)
    text = "GOES NH ";
  else if (pdb.sector == 9)
    text = "GOES NC ";
  else if (pdb.sector == 10)
    text = "Composite NH ";
  else if (pdb.sector == 1 && pdb.entity == 99)
    text = "CONUS ";

  const bool mosaic = pdb.entity == MOSAIC_ENTITY &&
                      (pdb.channel == MOSAIC_CHANNEL || (pdb.isCalibrated() && pdb.units == "dBZ"));
  if (mosaic) {
    text = "Reflectivity mosaic (dBZ)";
    for (int k = 0; k < Image::MAX_VALUES; ++k) values.push_back(k - 30.0f);
  } else if (const char* name = channelName(pdb.channel)) {
    text += name;
  } else {
    text += std::to_string(pdb.channel);
  }
  if (!mosaic && (pdb.channel == 3 || pdb.channel == 4))
    for (int k = 0; k < Image::MAX_VALUES; ++k) values.push_back(SatTool::toIRG7Temp(k));
  if (pdb.isCalibrated()) calibrate(pdb, values);
  std::snprintf(info, static_cast<std::size_t>(size), "%s", text.c_str());
}

// La1/Lo1 is the south-west pixel, the first of the last image row: the PDB counts rows from
// the south while the body stores the northern row first (checked against the corners the
// independent reader gives for the polar stereographic, Lambert and Mercator samples).
DomainVal GiniFile::makeDomain(const Pdb& pdb)
{
  DomainVal v;
  const float lo1 = east(pdb.lo1);
  Domain d;
  double x1, y1, lat, lon;
  float clat, clon, dx, dy;
  switch (pdb.projection) {
    case 1: {
      const float lo2 = east(pdb.lo2);
      float plon = lo1 > lo2 ? (lo1 - 360.0f + lo2) / 2.0f : (lo1 + lo2) / 2.0f;
      if (plon < -180.0f) plon += 360.0f;
      v.proj = 3;
      v.param[0] = 0.0f;
      v.param[1] = plon;
      v.clat = pdb.la1, v.clon = plon, v.nx = pdb.nx, v.ny = pdb.ny, v.dx = v.dy = 1.0f;
      d.set(v);
      double x2, y2;
      d.project(pdb.la1, lo1, x1, y1);
      d.project(pdb.la2, lo2, x2, y2);
      dx = static_cast<float>((x2 - x1) / (pdb.nx - 1 > 0 ? pdb.nx - 1 : 1));
      dy = static_cast<float>((y2 - y1) / (pdb.ny - 1 > 0 ? pdb.ny - 1 : 1));
      d.unproject((x1 + x2) / 2.0, (y1 + y2) / 2.0, lat, lon);
      Kol::outDebug("Mercator Grid\n");
      break;
    }
    case 3:
    case 5: {
      const bool lambert = pdb.projection == 3;
      v.proj = lambert ? 4 : 1;
      const bool south = lambert ? (pdb.hemisphere & 1) : (pdb.projCenter & 1);
      v.param[0] = south ? -90.0f : 90.0f;
      v.param[1] = east(pdb.lov);
      if (lambert) v.param[2] = v.param[3] = pdb.latin;
      v.clat = pdb.la1, v.clon = v.param[1], v.nx = pdb.nx, v.ny = pdb.ny, v.dx = v.dy = 1.0f;
      d.set(v);
      d.project(pdb.la1, lo1, x1, y1);
      dx = pdb.dx / 100.0f;
      dy = pdb.dy / 100.0f;
      // Lambert centres move by whole pixels, polar stereographic ones by exact halves.
      const double mx = lambert ? ((pdb.nx - 1) / 2) * dx : (pdb.nx - 1) * dx / 2.0;
      const double my = lambert ? ((pdb.ny - 1) / 2) * dy : (pdb.ny - 1) * dy / 2.0;
      d.unproject(x1 + mx, y1 + my, lat, lon);
      Kol::outDebug(lambert ? "Lambert Conformal Grid\n" : "Polar Stereographic Grid\n");
      break;
    }
    default:
      return DomainVal();
  }
  clat = static_cast<float>(lat);
  clon = static_cast<float>(lon);
  if (const char* fudge = std::getenv("SAT_FUDGE")) {
    float flat = 0.0f, flon = 0.0f;
    if (std::sscanf(fudge, "%f,%f", &flat, &flon) == 2) {
      clat += flat;
      clon += flon;
    }
  }
  Kol::outDebug("Grid size: %3.4fx%3.4f\n", static_cast<double>(dx), static_cast<double>(dy));
  Kol::outDebug("Grid locate: %3.2f N, %3.2f E\n", static_cast<double>(clat),
                static_cast<double>(clon));
  v.clat = clat;
  v.clon = clon;
  v.dx = dx;
  v.dy = dy;
  v.nx = pdb.nx;
  v.ny = pdb.ny;
  return v;
}

int GiniFile::readData(Image& im)
{
  if (!open_ || im.getWidth() != pdb_.nx || im.getHeight() != pdb_.ny) return 0;
  if (!im.validData() && !im.allocData()) return 0;
  int ok = kind_ == ZLIB  ? readPixelsZlib(im)
           : kind_ == PNG ? readPixelsPng(im)
                          : readPixelsRaw(im);
  if (!ok) Kol::outWarning("GiniFile::readData: %d of %d rows read\n", rows_read_, pdb_.ny);
  return ok;
}

int GiniFile::read(Image& im) { return readHeader(im) && readData(im) ? 1 : 0; }

int GiniFile::readPixelsRaw(Image& im)
{
  const std::size_t total = static_cast<std::size_t>(pdb_.nx) * pdb_.ny;
  const std::size_t have = data_pos_ < bytes_.size() ? bytes_.size() - data_pos_ : 0;
  const std::size_t n = have < total ? have : total;
  if (n) std::memcpy(im.getData(), bytes_.data() + data_pos_, n);
  rows_read_ = static_cast<int>(n / pdb_.nx);
  return n == total ? 1 : 0;
}

int GiniFile::readPixelsPng(Image& im)
{
  if (data_pos_ >= bytes_.size()) return 0;
  int ok = PngFile::readGrey8(bytes_.data() + data_pos_, bytes_.size() - data_pos_, im);
  rows_read_ = ok ? pdb_.ny : 0;
  return ok;
}

// The streams follow one another; each is inflated straight into the pixels where the previous
// one stopped, so a row may span two streams. A transmission trailer ends the input.
int GiniFile::readPixelsZlib(Image& im)
{
  uint8_t* out = im.getData();
  const std::size_t total = static_cast<std::size_t>(pdb_.nx) * pdb_.ny;
  std::size_t filled = carry_.size() < total ? carry_.size() : total;
  if (filled) std::memcpy(out, carry_.data(), filled);
  std::size_t end = bytes_.size();
  if (end >= data_pos_ + 4 && std::memcmp(bytes_.data() + end - 4, TRAILER, 4) == 0) end -= 4;
  std::size_t pos = data_pos_;
  Zlib z;
  while (filled < total && pos < end) {
    z.set(bytes_.data() + pos, static_cast<int>(end - pos), out + filled,
          static_cast<int>(total - filled));
    const int status = z.decomp();
    if (Kol::isDebug(3)) z.print();
    pos = end - static_cast<std::size_t>(z.getAvailIn());
    filled = total - static_cast<std::size_t>(z.getAvailOut());
    if (status != Z_OK && status != Z_STREAM_END) break;
    if (status == Z_OK && z.getAvailIn() == 0) break;
  }
  rows_read_ = static_cast<int>(filled / pdb_.nx);
  return filled == total ? 1 : 0;
}

}  // namespace KOL
