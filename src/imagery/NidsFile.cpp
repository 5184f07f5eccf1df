#include "imagery/NidsFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/BZlib.h"
#include "core/File.h"
#include "core/Kol.h"
#include "core/Zlib.h"
#include "imagery/nids/Levels.h"
#include "imagery/nids/Products.h"
#include "imagery/nids/Reader.h"

namespace KOL {

namespace {

constexpr double MM_PER_INCH = 25.4;

constexpr std::size_t MAX_PRODUCT = 32UL << 20;
constexpr std::size_t EMBEDDED_WMO_HEADER = 54;
constexpr int MAX_BINS = 4096;
constexpr int MAX_ROWS = 4096;
constexpr uint8_t TRAILER[4] = {0x0D, 0x0D, 0x0A, 0x03};
constexpr int SECONDS_PER_DAY = 86400;

bool zlibHeader(const uint8_t* p, std::size_t n)
{
  return n >= 2 && p[0] == 0x78 && ((p[0] << 8) | p[1]) % 31 == 0;
}

// A WMO heading line starts with four letters and two digits: "SDUS54 KOUN 202016".
bool wmoHeading(const uint8_t* b, std::size_t n)
{
  if (n < 7) return false;
  for (int k = 0; k < 4; ++k)
    if (!(b[k] >= 'A' && b[k] <= 'Z')) return false;
  return b[4] >= '0' && b[4] <= '9' && b[5] >= '0' && b[5] <= '9' && b[6] == ' ';
}

long toSeconds(long days, long secs) { return (days - 1) * SECONDS_PER_DAY + secs; }

bool readAll(const char* name, std::vector<uint8_t>& out)
{
  File f;
  if (!f.open(name, "rb")) return false;
  std::vector<uint8_t> chunk(1 << 16);
  int n;
  while ((n = f.read(chunk.data(), static_cast<int>(chunk.size()))) > 0) {
    out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    if (out.size() > MAX_PRODUCT) return false;
  }
  return true;
}

bool isDataPacket(int code)
{
  return code == NidsFile::PACKET_RADIAL || code == NidsFile::PACKET_DIGITAL_RADIAL ||
         code == NidsFile::PACKET_RASTER_A || code == NidsFile::PACKET_RASTER_B ||
         code == NidsFile::PACKET_DPA;
}

// Raster spacing in km: the one-kilometre composite, four kilometres for the others.
float rasterKm(int code) { return code == 37 ? 1.0f : 4.0f; }

}  // namespace

NidsFile::NidsFile()
    : reader_(std::make_unique<nids::Reader>()),
      in_(*reader_),
      legacy_ptr_(std::make_unique<nids::LevelTable>()),
      digital_ptr_(std::make_unique<nids::LevelTable>()),
      legacy_(*legacy_ptr_),
      digital_(*digital_ptr_)
{
  init();
}

NidsFile::NidsFile(const char* name) : NidsFile() { open(name); }

NidsFile::~NidsFile() = default;

int NidsFile::readShort() { return in_.s16(); }
unsigned NidsFile::readUshort() { return in_.u16(); }
long NidsFile::readLong() { return in_.s32(); }
unsigned long NidsFile::readUlong() { return in_.u32(); }
float NidsFile::getThreshold(int k) const
{
  return k >= 0 && k < 16 ? legacy_.value[k] : Const::FMISS;
}

void NidsFile::init()
{
  open_ = false;
  msg_.clear();
  heading_.clear();
  awips_.clear();
  in_ = nids::Reader();
  compression_ = NONE;
  header_read_ = false;
  msg_code_ = source_id_ = dest_id_ = num_blocks_ = 0;
  msg_secs_ = msg_length_ = 0;
  lat_ = lon_ = height_ = Const::FMISS;
  product_ = mode_ = vcp_ = seq_ = vol_num_ = elev_num_ = 0;
  vol_secs_ = gen_secs_ = 0;
  std::fill(param_, param_ + 10, 0);
  std::fill(thresh_, thresh_ + 16, 0);
  num_maps_ = 0;
  off_symb_ = off_graph_ = off_tab_ = 0;
  nids::legacyTable(thresh_, legacy_);
  nids::digitalTable(0, thresh_, digital_);
  has_digital_ = false;
  layers_left_ = 0;
  layer_end_ = 0;
  packet_ = 0;
  packet_end_ = 0;
  stop_packet_ = 0;
  packet_value_ = point_x_ = point_y_ = 0;
  have_point_ = false;
  first_bin_ = num_bins_ = num_rows_ = rows_read_ = run_left_ = packet_scale_ = 0;
  domain_.init();
  resolution_ = range_ = Const::FMISS;
  half_degree_ = false;
}

int NidsFile::open(const char* name)
{
  init();
  std::vector<uint8_t> bytes;
  if (!name || !readAll(name, bytes)) {
    Kol::outWarning("NidsFile: unable to open %s\n", name ? name : "(null)");
    return 0;
  }
  return openBytes(bytes.data(), bytes.size());
}

int NidsFile::openBytes(const uint8_t* bytes, std::size_t n)
{
  init();
  if (!bytes || n < 2 || !unframe(bytes, n)) {
    msg_.clear();
    return 0;
  }
  in_ = nids::Reader(msg_.data(), msg_.size());
  open_ = true;
  return 1;
}

int NidsFile::close()
{
  const int was = open_ ? 1 : 0;
  init();
  return was;
}

// Heading lines in front of the product: SOH with a sequence line, the WMO heading and the
// AWIPS identifier; or just the last two.
int NidsFile::unframe(const uint8_t* b, std::size_t n)
{
  std::size_t pos = 0;
  auto skipLines = [&](int k) {
    while (k-- > 0) {
      const std::size_t start = pos;
      while (pos < n && b[pos] != '\n') ++pos;
      std::string line(reinterpret_cast<const char*>(b + start), pos - start);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (k == 1) heading_ = line;
      if (k == 0) awips_ = line;
      if (pos < n) ++pos;
    }
  };
  if (b[0] == 0x01 && b[1] == 0x0D)
    skipLines(4);
  else if ((b[0] == '*' && b[1] == '*') || (b[0] == 'S' && b[1] == 'D') ||
           (b[0] == '@' && b[1] == 0x0C) || wmoHeading(b, n))
    skipLines(2);
  if (pos >= n) return 0;

  if (zlibHeader(b + pos, n - pos)) {
    Kol::outDebug(3, "Zlib Compressed segment\n");
    compression_ = ZLIB;
    if (!inflateSegments(b + pos, n - pos)) return 0;
    Kol::outDebug(3, "Reading in embedded WMO header\n");
    if (msg_.size() <= EMBEDDED_WMO_HEADER) return 0;
    msg_.erase(msg_.begin(), msg_.begin() + EMBEDDED_WMO_HEADER);
  } else {
    Kol::outDebug(3, "Uncompressed segment\n");
    std::size_t end = n;
    if (end >= pos + 4 && std::memcmp(b + end - 4, TRAILER, 4) == 0) end -= 4;
    msg_.assign(b + pos, b + end);
  }
  if (msg_.size() >= 2 && msg_[0] == 'R' && msg_[1] == '3') {
    Kol::outWarning("NidsFile: Encrypted data\n");
    return 0;
  }
  return 1;
}

// The segments are zlib streams back to back. Output beyond the length the message header
// states is refused, so a stream cannot make the product grow without bound.
int NidsFile::inflateSegments(const uint8_t* b, std::size_t n)
{
  Zlib z;
  std::size_t pos = 0, cap = MAX_PRODUCT;
  msg_.clear();
  std::size_t filled = 0;
  while (pos < n && zlibHeader(b + pos, n - pos)) {
    int status;
    do {
      if (filled == msg_.size()) {
        if (msg_.size() >= cap) {
          Kol::outWarning("NidsFile: compressed data exceed the product's stated size\n");
          msg_.resize(filled);
          return filled > EMBEDDED_WMO_HEADER ? 1 : 0;
        }
        msg_.resize(std::min(cap, msg_.size() + (1 << 16)));
      }
      z.set(b + pos, static_cast<int>(n - pos), msg_.data() + filled,
            static_cast<int>(msg_.size() - filled));
      status = z.decomp();
      pos = n - static_cast<std::size_t>(z.getAvailIn());
      filled = msg_.size() - static_cast<std::size_t>(z.getAvailOut());
    } while (status == Z_OK && pos < n);
    if (status != Z_STREAM_END) break;
    if (cap == MAX_PRODUCT && filled >= EMBEDDED_WMO_HEADER + 12) {
      const uint8_t* len = msg_.data() + EMBEDDED_WMO_HEADER + 8;
      const std::size_t stated =
          (static_cast<std::size_t>(len[0]) << 24) | (len[1] << 16) | (len[2] << 8) | len[3];
      cap = std::min(MAX_PRODUCT, std::max(filled, EMBEDDED_WMO_HEADER + stated));
    }
  }
  msg_.resize(filled);
  return filled > 0 ? 1 : 0;
}

int NidsFile::messHeader()
{
  in_ = nids::Reader(msg_.data(), msg_.size());
  msg_code_ = static_cast<int>(in_.u16());
  const long days = in_.u16();
  const long secs = in_.u32();
  msg_length_ = in_.u32();
  source_id_ = static_cast<int>(in_.u16());
  dest_id_ = static_cast<int>(in_.u16());
  num_blocks_ = static_cast<int>(in_.u16());
  if (in_.failed() || msg_code_ < 1 || msg_code_ > 300) {
    Kol::outWarning("NidsFile: no NIDS message header\n");
    return 0;
  }
  msg_secs_ = toSeconds(days, secs);
  return 1;
}

int NidsFile::prodDesc()
{
  if (in_.s16() != -1) return 0;
  lat_ = in_.s32() / 1000.0f;
  lon_ = in_.s32() / 1000.0f;
  height_ = in_.s16() * 0.3048f;
  product_ = in_.s16();
  mode_ = in_.s16();
  vcp_ = in_.s16();
  seq_ = in_.s16();
  vol_num_ = in_.s16();
  const long volDate = in_.u16();
  const long volTime = in_.u32();
  const long genDate = in_.u16();
  const long genTime = in_.u32();
  param_[0] = in_.s16();
  param_[1] = in_.s16();
  elev_num_ = in_.s16();
  param_[2] = in_.s16();
  for (uint16_t& t : thresh_) t = static_cast<uint16_t>(in_.u16());
  for (int k = 3; k < 10; ++k) param_[k] = in_.s16();
  num_maps_ = in_.s16();
  off_symb_ = in_.u32();
  off_graph_ = in_.u32();
  off_tab_ = in_.u32();
  if (in_.failed()) return 0;
  vol_secs_ = toSeconds(volDate, volTime);
  gen_secs_ = toSeconds(genDate, genTime);
  nids::legacyTable(thresh_, legacy_);
  has_digital_ = nids::digitalTable(product_, thresh_, digital_) != 0;
  const nids::BinSize bs = nids::binSize(product_);
  resolution_ = bs.resolution;
  range_ = bs.range;
  half_degree_ = bs.halfDegree;
  return 1;
}

// A symbology block beginning "BZ" holds the rest of the product as a bzip2 stream; its
// decompressed size is stated in parameters 9 and 10.
int NidsFile::expandSymbology()
{
  const std::size_t at = static_cast<std::size_t>(off_symb_) * 2;
  if (at + 2 > msg_.size() || msg_[at] != 'B' || msg_[at + 1] != 'Z') return 1;
  compression_ = BZIP2;
  const std::size_t stated = (static_cast<std::size_t>(static_cast<uint16_t>(param_[8])) << 16) |
                             static_cast<uint16_t>(param_[9]);
  const std::size_t cap = stated > 0 && stated < MAX_PRODUCT ? stated : MAX_PRODUCT;
  std::vector<uint8_t> out(cap + 1);
  BZlib bz;
  bz.setIn(msg_.data() + at, static_cast<int>(msg_.size() - at));
  bz.setOut(out.data(), static_cast<int>(out.size()));
  int status;
  do {
    status = bz.decomp();
  } while (status == BZ_OK && bz.getAvailIn() > 0 && bz.getAvailOut() > 0);
  std::size_t got = out.size() - static_cast<std::size_t>(bz.getAvailOut());
  if (got > cap) {
    Kol::outWarning("NidsFile: bzip2 data exceed the product's stated size\n");
    got = cap;
  } else if (status != BZ_STREAM_END && status != BZ_OK) {
    Kol::outWarning("NidsFile: damaged bzip2 symbology block\n");
  }
  msg_.resize(at);
  msg_.insert(msg_.end(), out.begin(), out.begin() + static_cast<long>(got));
  const std::size_t pos = in_.pos();
  in_ = nids::Reader(msg_.data(), msg_.size());
  in_.seek(pos);
  return got > 0 ? 1 : 0;
}

int NidsFile::prodSymb()
{
  if (off_symb_ <= 0 || !in_.seek(static_cast<std::size_t>(off_symb_) * 2)) return 0;
  if (in_.s16() != -1) {
    Kol::outWarning("NidsFile: No divider in symbology block\n");
    return 0;
  }
  in_.u16();  // block id
  in_.u32();  // block length
  layers_left_ = static_cast<int>(in_.u16());
  layer_end_ = in_.pos();
  return in_.failed() ? 0 : 1;
}

int NidsFile::rewindPackets()
{
  packet_ = stop_packet_ = 0;
  return header_read_ && prodSymb() ? 1 : 0;
}

int NidsFile::nextLayer()
{
  if (layers_left_ <= 0) return 0;
  --layers_left_;
  if (!in_.seek(layer_end_) || in_.s16() != -1) return 0;
  const std::size_t len = in_.u32();
  if (in_.failed()) return 0;
  layer_end_ = len < in_.left() ? in_.pos() + len : in_.size();
  return 1;
}

int NidsFile::readHeader(NidsInfo& info)
{
  if (!open_) return 0;
  header_read_ = false;
  packet_ = stop_packet_ = 0;
  if (!messHeader()) return 0;
  info.init();
  header_read_ = true;
  if (msg_code_ < 16 || !prodDesc()) {
    product_ = msg_code_;
    info.setProduct(msg_code_);
    info.setSource(source_id_);
    info.setDate(Date(msg_secs_));
    info.setLabel(label(msg_code_, source_id_).c_str());
    return 1;
  }
  expandSymbology();
  if (prodSymb()) {
    int code;
    while ((code = readPacket()) > 0 && !isDataPacket(code)) skipPacket();
  }
  fillDomain();
  fillInfo(info);
  setMisc(info);
  return 1;
}

void NidsFile::fillInfo(NidsInfo& info) const
{
  info.setProduct(product_);
  info.setSource(source_id_);
  info.setMode(mode_);
  info.setPosition(lat_, lon_, height_);
  info.setElev(nids::hasElevation(product_) ? param_[2] / 10.0f : Const::FMISS);
  info.setPacket(packet_);
  info.setDate(Date(vol_secs_));
  info.setGenDate(Date(gen_secs_));
  info.setVcp(vcp_);
  info.setRange(resolution_, range_);
  info.setNumLevels(usesDigital() ? digital_.count : 16);
  info.setFoldedLevel(getFoldedLevel());
  setInfo(info);
}

int NidsFile::getFoldedLevel() const
{
  if (usesDigital()) return nids::isVel(product_) || nids::isBSW(product_) ? 1 : -1;
  if (!isPacketRadial() && !isPacketRastor()) return -1;
  for (int k = 0; k < 16; ++k)
    if ((thresh_[k] & 0x8000) && (thresh_[k] & 0xFF) == nids::FOLDED_CODE) return k;
  return -1;
}

bool NidsFile::usesDigital() const
{
  return packet_ == PACKET_DIGITAL_RADIAL || packet_ == PACKET_DPA;
}

float NidsFile::getLevelValue(int code) const
{
  if (code < 0 || code > 255) return Const::FMISS;
  if (usesDigital())
    return code == 255 && packet_ == PACKET_DPA ? Const::FMISS : digital_.value[code];
  return code < 16 ? legacy_.value[code] : Const::FMISS;
}

int NidsFile::readPacket()
{
  for (;;) {
    if (in_.failed()) return packet_ = 0;
    if (in_.pos() + 2 > layer_end_) {
      if (!nextLayer()) return packet_ = 0;
      continue;
    }
    const int code = static_cast<int>(in_.u16());
    packet_ = code;
    packet_end_ = layer_end_;
    if (isDataPacket(code) || code == PACKET_RATE) return readDataPacketHeader();
    packet_value_ = 0;
    have_point_ = false;
    if ((code >= 1 && code <= 15) || (code >= 19 && code <= 26) || code == 0x3501) {
      const std::size_t len = in_.u16();
      packet_end_ = std::min(layer_end_, in_.pos() + len);
      if (code == 9 || code == 10) packet_value_ = in_.s16();
    } else if (code == 0x0802) {
      packet_end_ = std::min(layer_end_, in_.pos() + 4);
    } else if (code == 0x0E03) {
      in_.skip(6);
      const std::size_t len = in_.u16();
      packet_end_ = std::min(layer_end_, in_.pos() + len);
    } else {
      // Generic (28, 29) and unknown packets are not decoded: reading ends here.
      stop_packet_ = code;
      Kol::outDebug("NidsFile: packet %d (0x%04X) not decoded\n", code, code);
      return packet_ = 0;
    }
    return code;
  }
}

int NidsFile::readDataPacketHeader()
{
  rows_read_ = run_left_ = 0;
  if (packet_ == PACKET_RADIAL || packet_ == PACKET_DIGITAL_RADIAL) {
    first_bin_ = static_cast<int>(in_.u16());
    num_bins_ = static_cast<int>(in_.u16());
    in_.skip(4);  // centre of sweep
    packet_scale_ = static_cast<int>(in_.u16());
    num_rows_ = static_cast<int>(in_.u16());
  } else if (packet_ == PACKET_RASTER_A || packet_ == PACKET_RASTER_B) {
    in_.skip(8);  // op flags, start position
    packet_scale_ = static_cast<int>(in_.u16());
    in_.skip(6);
    num_rows_ = static_cast<int>(in_.u16());
    in_.u16();  // packing descriptor
    first_bin_ = 0;
    num_bins_ = num_rows_;
  } else {
    in_.skip(4);
    num_bins_ = static_cast<int>(in_.u16());
    num_rows_ = static_cast<int>(in_.u16());
    first_bin_ = 0;
  }
  if (in_.failed() || first_bin_ > MAX_BINS || num_bins_ > MAX_BINS || num_rows_ > MAX_ROWS) {
    Kol::outWarning("NidsFile: damaged packet header (packet %d)\n", packet_);
    stop_packet_ = packet_;
    return packet_ = 0;
  }
  return packet_;
}

int NidsFile::skipPacket()
{
  if (packet_ == PACKET_RADIAL || packet_ == PACKET_DIGITAL_RADIAL) {
    while (skipRadial()) {
    }
  } else if (isDataPacket(packet_) || packet_ == PACKET_RATE) {
    while (readRastor()) in_.skip(static_cast<std::size_t>(run_left_));
    run_left_ = 0;
  } else {
    in_.seek(packet_end_);
  }
  return in_.failed() ? 0 : 1;
}

int NidsFile::readRadial(NidsRadial& r)
{
  r.init();
  if (rows_read_ >= num_rows_ || in_.failed()) return 0;
  const int n = static_cast<int>(in_.u16());
  r.start = in_.s16() / 10.0f;
  r.delta = in_.s16() / 10.0f;
  ++rows_read_;
  run_left_ = packet_ == PACKET_RADIAL ? 2 * n : n + (n & 1);
  r.bins = packet_ == PACKET_RADIAL ? 2 * n : n;
  if (in_.failed()) return 0;
  if (!(r.delta > 0.0f && r.delta <= 5.0f)) {
    Kol::outWarning("NidsFile: Bad angle %.1f\n", static_cast<double>(r.delta));
    rows_read_ = num_rows_;
    return 0;
  }
  return 1;
}

int NidsFile::skipRadial()
{
  NidsRadial r;
  if (!readRadial(r)) return 0;
  in_.skip(static_cast<std::size_t>(run_left_));
  run_left_ = 0;
  return in_.failed() ? 0 : 1;
}

int NidsFile::readRastor()
{
  if (rows_read_ >= num_rows_ || in_.failed()) return 0;
  run_left_ = static_cast<int>(in_.u16());
  ++rows_read_;
  return in_.failed() ? 0 : 1;
}

int NidsFile::readRun(NidsRun& run)
{
  run.init();
  const bool pairs = packet_ == PACKET_DPA || packet_ == PACKET_RATE;
  if (run_left_ < (pairs ? 2 : 1) || in_.failed()) {
    if (run_left_ > 0) in_.skip(static_cast<std::size_t>(run_left_));
    run_left_ = 0;
    return 0;
  }
  if (pairs) {
    run.length = static_cast<int>(in_.u8());
    run.level = static_cast<int>(in_.u8());
    run_left_ -= 2;
  } else if (packet_ == PACKET_DIGITAL_RADIAL) {
    run.length = 1;
    run.level = static_cast<int>(in_.u8());
    --run_left_;
  } else {
    const unsigned b = in_.u8();
    run.length = static_cast<int>(b >> 4);
    run.level = static_cast<int>(b & 0x0F);
    --run_left_;
  }
  run.value = getLevelValue(run.level);
  return in_.failed() ? 0 : 1;
}

// Unlinked vectors (7, 10) come as pairs of end points, linked ones (6, 9) as a chain of points
// each joined to the one before.
int NidsFile::readVector(NidsVector& v)
{
  v.init();
  if (packet_ != 6 && packet_ != 7 && packet_ != 9 && packet_ != 10) return 0;
  const bool linked = packet_ == 6 || packet_ == 9;
  if (linked && !have_point_) {
    if (in_.pos() + 4 > packet_end_) return 0;
    point_x_ = in_.s16();
    point_y_ = in_.s16();
    have_point_ = true;
  }
  if (linked) {
    if (in_.pos() + 4 > packet_end_) return 0;
    v.x1 = point_x_;
    v.y1 = point_y_;
    v.x2 = point_x_ = in_.s16();
    v.y2 = point_y_ = in_.s16();
  } else {
    if (in_.pos() + 8 > packet_end_) return 0;
    v.x1 = in_.s16();
    v.y1 = in_.s16();
    v.x2 = in_.s16();
    v.y2 = in_.s16();
  }
  v.value = packet_value_;
  return in_.failed() ? 0 : 1;
}

int NidsFile::readWind(NidsWind& w)
{
  w.init();
  if (packet_ != 4 || in_.pos() + 10 > packet_end_) return 0;
  w.value = in_.s16();
  w.x = in_.s16();
  w.y = in_.s16();
  w.dir = in_.s16();
  w.speed = in_.s16();
  return in_.failed() ? 0 : 1;
}

int NidsFile::readText(NidsText& t)
{
  t.init();
  if (!isPacketText() || in_.pos() >= packet_end_) return 0;
  if (packet_ == 8) t.color = in_.s16();
  t.x = in_.s16();
  t.y = in_.s16();
  if (in_.failed() || in_.pos() > packet_end_) return 0;
  const std::size_t n = packet_end_ - in_.pos();
  t.text.assign(reinterpret_cast<const char*>(in_.here()), n);
  in_.seek(packet_end_);
  return 1;
}

int NidsFile::readData(NidsData& d)
{
  d.init();
  if (!header_read_) return 0;
  if (!isDataPacket(packet_)) {
    if (stop_packet_)
      Kol::outWarning("NidsFile: product %d stopped at packet %d, which is not decoded\n", product_,
                      stop_packet_);
    else
      Kol::outWarning("NidsFile: product %d has no data packet\n", product_);
    return 0;
  }
  NidsInfo& info = d;
  fillInfo(info);
  const int ok = isPacketRadial() ? fillRadials(d) : fillRows(d);
  d.setDomain(domain_);
  setMisc(info);
  return ok;
}

// Radial j of the array starts at j times the spacing; a one-radial gap takes the previous
// radial, as the products skip one now and then. The array is not pre-filled: the first time a
// radial is written its bins outside the runs are padded, and radials never written are filled
// at the end.
int NidsFile::fillRadials(NidsData& d)
{
  const int nr = half_degree_ || num_rows_ >= 701 ? 720 : 360;
  const int bins = first_bin_ + num_bins_;
  if (!d.allocUnfilled(nr, bins)) return 0;
  d.setRadial(true);
  const float spacing = 360.0f / nr;
  std::vector<uint8_t> written(static_cast<std::size_t>(nr), 0);
  int prev = -1, count = 0;
  NidsRadial r;
  while (readRadial(r)) {
    if (!(r.start >= 0.0f && r.start <= 360.0f)) {
      Kol::outWarning("NidsFile::readData bad radial angle: %.2f\n", static_cast<double>(r.start));
      break;
    }
    const int j = static_cast<int>(std::lround(r.start / spacing)) % nr;
    if (prev >= 0 && (j - prev + nr) % nr == 2) {
      const int gap = (prev + 1) % nr;
      std::memcpy(d.getRow(gap), d.getRow(prev), sizeof(float) * bins);
      std::memcpy(d.getLevelRow(gap), d.getLevelRow(prev), static_cast<std::size_t>(bins));
      written[gap] = 1;
    }
    float* row = d.getRow(j);
    uint8_t* levels = d.getLevelRow(j);
    int end = first_bin_;
    if (packet_ == PACKET_DIGITAL_RADIAL) {
      const int n =
          std::min<int>(static_cast<int>(std::min<std::size_t>(run_left_, in_.left())), r.bins);
      const uint8_t* p = in_.here();
      const int m = std::min(n, num_bins_);
      for (int k = 0; k < m; ++k) {
        row[first_bin_ + k] = digital_.value[p[k]];
        levels[first_bin_ + k] = p[k];
      }
      end = first_bin_ + std::max(m, 0);
      in_.skip(static_cast<std::size_t>(run_left_));
      run_left_ = 0;
    } else {
      end = takeRuns(legacy_.value, row, levels, first_bin_, bins);
    }
    if (!written[j]) {  // a radial read again keeps what its runs do not reach
      padRow(row, levels, 0, first_bin_, NidsData::NO_COVERAGE);
      padRow(row, levels, end, bins, NidsData::NO_COVERAGE);
      written[j] = 1;
    }
    prev = j;
    ++count;
  }
  for (int k = 0; k < nr; ++k)
    if (!written[k]) padRow(d.getRow(k), d.getLevelRow(k), 0, bins, NidsData::NO_COVERAGE);
  return count > 0 && !in_.failed() ? 1 : 0;
}

int NidsFile::fillRows(NidsData& d)
{
  const int rows = num_rows_, cols = packet_ == PACKET_DPA ? num_bins_ : num_rows_;
  if (!d.allocUnfilled(rows, cols)) return 0;
  const float* table = packet_ == PACKET_DPA ? digital_.value : legacy_.value;
  int j = 0;
  while (readRastor()) {
    const int end = takeRuns(table, d.getRow(j), d.getLevelRow(j), 0, cols);
    padRow(d.getRow(j), d.getLevelRow(j), end, cols, NidsData::NO_DATA);
    ++j;
  }
  for (int k = j; k < rows; ++k) padRow(d.getRow(k), d.getLevelRow(k), 0, cols, NidsData::NO_DATA);
  return j > 0 && !in_.failed() ? 1 : 0;
}

// Cells from to to of a row that no run reached: the fill value and level 0.
void NidsFile::padRow(float* row, uint8_t* levels, int from, int to, float fill)
{
  if (!row || from >= to) return;
  std::fill(row + from, row + to, fill);
  std::memset(levels + from, 0, static_cast<std::size_t>(to - from));
}

// The run bytes of the current radial or row into the array: a level in the low four bits and
// a length (at most 15) in the high four, or, in precipitation arrays, a length byte then a
// level byte. Four-bit runs are written sixteen cells at a time into a scratch row with room to
// spare, each run overwriting what the previous one wrote too far, and the row copied once
// (measured faster than exact runs, and than wide writes straight into the array). Returns
// the cell after the last one written.
int NidsFile::takeRuns(const float* table, float* row, uint8_t* levels, int at, int limit)
{
  const int n =
      static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(run_left_), in_.left()));
  const uint8_t* p = in_.here();
  const int start = at;
  if (row && packet_ == PACKET_DPA) {
    for (int k = 0; k + 2 <= n && at < limit; k += 2) {
      const int end = std::min(at + p[k], limit);
      std::fill(row + at, row + end, table[p[k + 1]]);
      std::memset(levels + at, p[k + 1], static_cast<std::size_t>(end - at));
      at = end;
    }
  } else if (row) {
    constexpr int WIDE = 16;
    if (row_buf_.size() < static_cast<std::size_t>(limit + WIDE)) {
      row_buf_.resize(static_cast<std::size_t>(limit + WIDE));
      level_buf_.resize(static_cast<std::size_t>(limit + WIDE));
    }
    float* r = row_buf_.data();
    uint8_t* l = level_buf_.data();
    for (int k = 0; k < n && at < limit; ++k) {
      // One load of the run byte: the level stores could alias it and force a reload.
      const unsigned b = p[k];
      const uint8_t level = static_cast<uint8_t>(b & 0x0F);
      const float v = table[level];
      for (int c = 0; c < WIDE; ++c) r[at + c] = v;
      std::memset(l + at, level, WIDE);
      at += static_cast<int>(b >> 4);
    }
    at = std::min(at, limit);
    std::memcpy(row + start, r + start, sizeof(float) * static_cast<std::size_t>(at - start));
    std::memcpy(levels + start, l + start, static_cast<std::size_t>(at - start));
  }
  in_.skip(static_cast<std::size_t>(run_left_));
  run_left_ = 0;
  return at;
}

void NidsFile::fillDomain()
{
  domain_.init();
  if (Const::isMiss(lat_) || Const::isMiss(lon_)) return;
  DomainVal v;
  v.param[0] = 90.0f;
  v.param[1] = lon_;
  v.clat = lat_;
  v.clon = lon_;
  if (source_id_ > 9999) {
    // National mosaics: a Lambert conformal grid true at 25 N about the product's centre.
    v.proj = 4;
    v.param[1] = -95.0f;
    v.param[2] = v.param[3] = 25.0f;
    v.nx = v.ny = std::max(num_rows_, 1);
    v.dx = v.dy = 0.01f * std::max(packet_scale_, 1);
  } else if (isPacketRadial()) {
    const int nr = half_degree_ || num_rows_ >= 701 ? 720 : 360;
    v.proj = 11;
    v.nx = nr;
    v.ny = first_bin_ + num_bins_;
    v.dx = 360.0f / nr;
    v.dy = resolution_ / 100.0f;
  } else if (packet_ == PACKET_DPA) {
    v.proj = 1;
    v.nx = num_bins_;
    v.ny = num_rows_;
    v.dx = v.dy = 0.047596f;
  } else if (isPacketRastor()) {
    v.proj = 1;
    v.nx = v.ny = num_rows_;
    v.dx = v.dy = rasterKm(product_) / 100.0f;
  } else {
    return;
  }
  domain_ = v;
}

std::string NidsFile::label(int code, int source)
{
  const char* text = source > 9999 ? nids::mosaicLabel(code) : nids::siteLabel(code);
  if (text) return text;
  char buf[40];
  std::snprintf(buf, sizeof buf, "Not supported - %d", code);
  return buf;
}

void NidsFile::setInfo(NidsInfo& info) const { info.setLabel(label(product_, source_id_).c_str()); }

// Day of month and minute of day at which the accumulation of a storm-total product began: the
// storm-total products keep that date (days from 1970-01-01 counted from 1) and minute in
// parameters 5 and 6 (80) or 1 and 2 (138 and the dual-polarisation totals 171, 172, 175); the
// fixed-period products have none.
bool NidsFile::accumulationBegin(int& day, int& minute) const
{
  int at;
  switch (product_) {
    case 80:
      at = 4;
      break;
    case 138:
    case 171:
    case 172:
    case 175:
      at = 0;
      break;
    default:
      return false;
  }
  const int days = param_[at], minutes = param_[at + 1];
  if (days < 1 || minutes < 0 || minutes >= 1440) return false;
  const std::time_t t = static_cast<std::time_t>(days - 1) * 86400;
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return false;
  day = tm.tm_mday;
  minute = minutes;
  return true;
}

// Which parameter feeds each item follows the product description layout of each class:
// parameter 3 the elevation, 4 and 5 the data range, 7 and 8 the storm motion or the layer.
void NidsFile::setMisc(NidsInfo& info) const
{
  static const char* const modes[] = {"mt", "cl", "pr"};
  std::string s;
  char buf[64];
  std::snprintf(buf, sizeof buf, "Md=%s", mode_ >= 0 && mode_ <= 2 ? modes[mode_] : "??");
  s += buf;
  if (!Const::isMiss(resolution_)) {
    std::snprintf(buf, sizeof buf, " Res=%3.1f Rng=%.0f(%.1f)", static_cast<double>(resolution_),
                  static_cast<double>(range_),
                  static_cast<double>((first_bin_ + num_bins_) * resolution_));
    s += buf;
  }
  const int c = product_;
  const bool base = isBRef(c) || isVel(c) || isBSW(c) || isSRVel(c) || isDRef(c) || isCorrel(c) ||
                    c == 163 || c == 165;
  if (base) {
    std::snprintf(buf, sizeof buf, " El=%.1f", param_[2] / 10.0);
    s += buf;
  }
  int beginDay = 0, beginMinute = 0;
  if (accumulationBegin(beginDay, beginMinute)) {
    std::snprintf(buf, sizeof buf, " B=%d/%.2d:%.2d", beginDay, beginMinute / 60, beginMinute % 60);
    s += buf;
  }
  if (isSRVel(c)) {
    // storm motion: direction (degrees) and speed (knots), parameters 9 and 8
    std::snprintf(buf, sizeof buf, " Stm=%.0f-%.0f", param_[8] / 10.0, param_[7] / 10.0);
    s += buf;
  }
  if (isLRef(c)) {
    // the layer's bottom and top, thousands of feet (parameters 5 and 6)
    std::snprintf(buf, sizeof buf, " Lyr=%d-%d", param_[4], param_[5]);
    s += buf;
  }
  if (isBRef(c) || isCRef(c) || isLRef(c) || isDHR(c) || isTops(c) || isVIL(c) || c == 67)
    std::snprintf(buf, sizeof buf, " Mx=%.0f", static_cast<double>(param_[3]));
  else if (isVel(c) || isSRVel(c))
    std::snprintf(buf, sizeof buf, " Mn,Mx=%.0f,%.0f", static_cast<double>(param_[3]),
                  static_cast<double>(param_[4]));
  else if (isDRef(c))
    std::snprintf(buf, sizeof buf, " Mn,Mx=%.1f,%.1f", param_[3] / 10.0, param_[4] / 10.0);
  else if (c == 174 || c == 175)  // differences: tenths of an inch
    std::snprintf(buf, sizeof buf, " Mn,Mx=%.2f,%.2f", param_[6] / 10.0, param_[3] / 10.0);
  else if (isDSP(c))  // hundredths of an inch
    std::snprintf(buf, sizeof buf, " Mx=%.2f", param_[3] / 100.0);
  else if (isDPA(c))  // tenths of a dBA (10 log10 of mm), shown in inches
    std::snprintf(buf, sizeof buf, " Mx=%.2f", std::pow(10.0, param_[3] / 100.0) / MM_PER_INCH);
  else if (isPrec(c) || isDPrec(c) || c == 169)  // tenths of an inch
    std::snprintf(buf, sizeof buf, " Mx=%.2f", param_[3] / 10.0);
  else if (isDigVIL(c) || isEnhTops(c))
    std::snprintf(buf, sizeof buf, " Mx=%.1f", static_cast<double>(param_[3]));
  else
    buf[0] = '\0';
  s += buf;
  info.setMisc(s.c_str());
}

bool NidsFile::isBRef(int c) { return nids::isBRef(c); }
bool NidsFile::isVel(int c) { return nids::isVel(c); }
bool NidsFile::isBSW(int c) { return nids::isBSW(c); }
bool NidsFile::isCRef(int c) { return nids::isCRef(c); }
bool NidsFile::isTops(int c) { return nids::isTops(c); }
bool NidsFile::isEnhTops(int c) { return nids::isEnhTops(c); }
bool NidsFile::isVAD(int c) { return nids::isVAD(c); }
bool NidsFile::isSRVel(int c) { return nids::isSRVel(c); }
bool NidsFile::isVIL(int c) { return nids::isVIL(c); }
bool NidsFile::isDigVIL(int c) { return nids::isDigVIL(c); }
bool NidsFile::isLRef(int c) { return nids::isLRef(c); }
bool NidsFile::isPrec(int c) { return nids::isPrec(c); }
bool NidsFile::isDPA(int c) { return nids::isDPA(c); }
bool NidsFile::isDSP(int c) { return nids::isDSP(c); }
bool NidsFile::isDHR(int c) { return nids::isDHR(c); }
bool NidsFile::isDRef(int c) { return nids::isDRef(c); }
bool NidsFile::isCorrel(int c) { return nids::isCorrel(c); }
bool NidsFile::isHydroClass(int c) { return nids::isHydroClass(c); }
bool NidsFile::isDPrec(int c) { return nids::isDPrec(c); }
bool NidsFile::isDPrecDiff(int c) { return nids::isDPrecDiff(c); }
bool NidsFile::isDPrRate(int c) { return nids::isDPrRate(c); }
bool NidsFile::isDual(int c) { return nids::isDual(c); }
float NidsFile::float16(unsigned hw) { return nids::float16(hw); }
float NidsFile::float32(unsigned hi, unsigned lo) { return nids::float32(hi, lo); }

}  // namespace KOL
