#include "grid/GribFile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/Filename.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "geo/EarthPoint.h"
#include "geo/GridPoint.h"
#include "grid/Grid.h"
#include "grid/GridMath.h"
#include "grid/GridSpec.h"
#include "grid/Grids.h"
#include "grid/grib/GridFill.h"
#include "grid/grib/Message.h"
#include "grid/grib/Product.h"
#include "grid/grib/Writer.h"

namespace KOL {

namespace {

// Bytes of the file from offset, at most n.
size_t readAt(File& f, long offset, uint8_t* buf, size_t n)
{
  if (!f.seek(offset, SEEK_SET)) return 0;
  int got = f.read(buf, 1, static_cast<int>(n));
  return got > 0 ? static_cast<size_t>(got) : 0;
}

// Case-insensitive comparison of the first n characters.
bool startsWith(const char* text, const char* word)
{
  for (; *word; text++, word++)
    if (std::tolower(static_cast<unsigned char>(*text)) != *word) return false;
  return true;
}

}  // namespace

GribFile::GribFile() { init(); }
GribFile::GribFile(const char* name)
{
  init();
  open(name);
}
GribFile::GribFile(Filename& name)
{
  init();
  open(name);
}
GribFile::~GribFile() { hdr_.close(); }

void GribFile::init()
{
  kind_ = 0;
  edition_ = 0;
  useHdr_ = false;
  wrap_ = false;
  missing_ = Const::FMISS;
  maxBad_ = 0;
  firstLevelType_ = Const::MISS;
  fileDate_.init();
  pdb_.init();
  wmoHeader_[0] = '\0';
  msgStart_ = nextPos_ = 0;
  fieldInMsg_ = 0;
  message_.clear();
  decoder_.reset();
  params_.clear();
  modelName_.init();
}

int GribFile::open(const char* name)
{
  close();
  useHdr_ = false;
  if (!File::open(name, "rb")) {
    Kol::outWarning("GribFile: Unable to open file: %s\n", name ? name : "");
    return 0;
  }
  kind_ = checkType();
  return 1;
}

int GribFile::open(const char* name, int mode)
{
  if (mode == 0) return open(name);
  close();
  if (!File::open(name, "wb")) {
    Kol::outWarning("GribFile: Unable to open file: %s\n", name ? name : "");
    return 0;
  }
  return 1;
}

int GribFile::open(Filename& name)
{
  const bool wantHdr = useHdr_;
  if (!open(name.getName())) return 0;
  name.getDate(fileDate_);
  useHdr_ = wantHdr && name.validHeader() && hdr_.open(name.getHeader(), "r");
  return 1;
}

int GribFile::close()
{
  hdr_.close();
  message_.clear();
  decoder_.reset();
  msgStart_ = nextPos_ = 0;
  fieldInMsg_ = 0;
  return isOpen() ? File::close() : 1;
}

void GribFile::rewind()
{
  File::rewind();
  hdr_.rewind();
  decoder_.reset();
  // The message buffer stays as it is: the file's messages are often read again, and a buffer of
  // the right size is not cleared again.
  msgStart_ = nextPos_ = 0;
  fieldInMsg_ = 0;
}

int GribFile::setParam(const char* text)
{
  if (!text) return 0;
  std::string list(text);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    std::string w = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const char* s = w.c_str();
    if (startsWith(s, "nohdr"))
      useHdr_ = false;
    else if (startsWith(s, "usehdr"))
      useHdr_ = true;
    else if (startsWith(s, "nowrap"))
      wrap_ = false;
    else if (startsWith(s, "wrap"))
      wrap_ = true;
    else if (startsWith(s, "miss_val") && w.size() > 9)
      missing_ = std::strtof(s + 9, nullptr);
    else if (startsWith(s, "max_bad") && w.size() > 8)
      setMaxBad(std::atoi(s + 8));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return 1;
}

int GribFile::checkType()
{
  uint8_t head[20] = {};
  long here = tell();
  size_t n = readAt(*this, 0, head, sizeof head);
  seek(here < 0 ? 0 : here, SEEK_SET);
  auto at = [&](const char* s) {
    return n >= std::strlen(s) && std::memcmp(head, s, std::strlen(s)) == 0;
  };
  if (at("** ")) return STARS_LINES;
  if (at("****")) return STARS4;
  if (n >= 4 && head[0] == 0x01 && head[1] == 0x0D && head[2] == 0x0D && head[3] == 0x0A)
    return WMO;
  if (at("GRIB")) return RAW;
  return WMO;
}

// The transmission header before a message: "** " lines, WMO framing or "****" lines. The text
// is kept for reference; finding the message is left to the search that follows.
int GribFile::readHeader()
{
  uint8_t buf[400];
  size_t n = readAt(*this, nextPos_, buf, sizeof buf);
  std::string text(reinterpret_cast<char*>(buf), n);
  size_t lineStart = 0;
  const int lines = kind_ == STARS_LINES ? 4 : 6;
  for (int line = 0; line < lines && lineStart < text.size(); line++) {
    size_t end = text.find('\n', lineStart);
    if (end == std::string::npos) break;
    std::string l = text.substr(lineStart, end - lineStart);
    while (!l.empty() && (l.back() == '\r' || l.back() == '\003')) l.pop_back();
    if (l.find("GRIB") != std::string::npos) break;
    bool isHeading = l.size() >= 11 && std::isalpha(static_cast<unsigned char>(l[0])) &&
                     std::isalpha(static_cast<unsigned char>(l[1]));
    if (kind_ == STARS_LINES && l.rfind("** ", 0) == 0) {
      takeStarsLine(l);
      return 1;
    }
    if (kind_ != STARS_LINES && isHeading) StrLib::copy(wmoHeader_, sizeof wmoHeader_, l.c_str());
    lineStart = end + 1;
  }
  if (kind_ != STARS_LINES) return 1;
  // Only trailing bytes left: the stream has simply ended.
  if (n < sizeof buf && text.find("GRIB") == std::string::npos) return 0;
  Kol::outWarning("GribFile: Bad product, searching forward...\n");
  return findStarsLine();
}

// The text after "** " less its last 5 characters names the bulletin.
void GribFile::takeStarsLine(const std::string& line)
{
  std::string h = line.substr(3);
  if (h.size() > 5) h.resize(h.size() - 5);
  StrLib::copy(wmoHeader_, sizeof wmoHeader_, h.c_str());
}

// Moves nextPos_ to the next line starting "** " (to the end of the file when there is none), so
// that whatever lies before it is skipped.
int GribFile::findStarsLine()
{
  constexpr size_t CHUNK = 4096;
  uint8_t buf[CHUNK];
  long from = nextPos_;
  while (true) {
    const size_t n = readAt(*this, from, buf, CHUNK);
    const std::string text(reinterpret_cast<char*>(buf), n);
    const size_t at = text.find("\n** ");
    if (at != std::string::npos) {
      nextPos_ = from + static_cast<long>(at) + 1;
      const size_t end = text.find('\n', at + 1);
      std::string line = text.substr(at + 1, end == std::string::npos ? 80 : end - at - 1);
      while (!line.empty() && line.back() == '\r') line.pop_back();
      takeStarsLine(line);
      return 1;
    }
    if (n < CHUNK) {
      nextPos_ = from + static_cast<long>(n);
      return 0;
    }
    from += static_cast<long>(CHUNK - 4);  // a marker split between chunks is seen next time
  }
}

// Start of the next "GRIB" from nextPos_, -1 at the end of the file. A message further than the
// search window is still found, after a warning.
long GribFile::searchGrib()
{
  constexpr size_t WINDOW = 1000;
  uint8_t buf[WINDOW + 3];
  bool warned = false;
  while (true) {
    size_t n = readAt(*this, nextPos_, buf, sizeof buf);
    if (n < 4) return -1;
    for (size_t k = 0; k + 4 <= n; k++)
      if (std::memcmp(buf + k, "GRIB", 4) == 0) return nextPos_ + static_cast<long>(k);
    if (!warned) Kol::outWarning("GribFile: searchGRIB failed to find GRIB: %ld\n", nextPos_);
    warned = true;
    if (n < sizeof buf) return -1;
    nextPos_ += static_cast<long>(WINDOW);
  }
}

// The next line of the header file: byte offset and label.
int GribFile::headerLine(long& offset)
{
  char line[200], label[80];
  while (hdr_.getLine(line, sizeof line) > 0) {
    int off;
    if (std::sscanf(line, "%d %79[^/]", &off, label) >= 1 && off >= 0) {
      offset = off;
      return 1;
    }
  }
  return 0;
}

long GribFile::fileSize()
{
  long here = tell();
  if (!seek(0, SEEK_END)) return -1;
  long size = tell();
  seek(here < 0 ? 0 : here, SEEK_SET);
  return size;
}

int GribFile::loadMessageAt(long offset)
{
  decoder_.reset();
  uint8_t head[16];
  if (readAt(*this, offset, head, sizeof head) < sizeof head) {
    Kol::outWarning("GribFile: truncated message at byte %ld\n", offset);
    nextPos_ = offset + 4;
    return 0;
  }
  grib::Octets o(head, sizeof head);
  uint64_t len = o.u1(8) == 2 ? o.u(9, 8) : o.u3(5);
  if (len < 16 || len > 0x7FFFFFFF) {
    Kol::outWarning("GribFile: bad message length %llu at byte %ld\n",
                    static_cast<unsigned long long>(len), offset);
    nextPos_ = offset + 4;
    return 0;
  }
  // A length beyond the end of the file is refused before anything is allocated for it.
  const long size = fileSize();
  if (size >= 0 && len > static_cast<uint64_t>(size - offset)) {
    Kol::outWarning("GribFile: truncated message at byte %ld\n", offset);
    nextPos_ = offset + 4;
    return 0;
  }
  message_.resize(static_cast<size_t>(len));
  if (readAt(*this, offset, message_.data(), message_.size()) < message_.size()) {
    Kol::outWarning("GribFile: truncated message at byte %ld\n", offset);
    nextPos_ = offset + 4;
    return 0;
  }
  auto dec = std::make_unique<grib::MessageDecoder>(message_.data(), message_.size());
  if (dec->length() == 0) {
    nextPos_ = offset + 4;
    return 0;
  }
  decoder_ = std::move(dec);
  edition_ = decoder_->edition();
  msgStart_ = offset;
  nextPos_ = offset + static_cast<long>(len);
  fieldInMsg_ = 0;
  return 1;
}

int GribFile::loadNextMessage()
{
  while (true) {
    long offset = -1;
    if (useHdr_) {
      if (!headerLine(offset)) return 0;
      nextPos_ = offset;
      offset = searchGrib();
    } else {
      if (kind_ != RAW) readHeader();
      offset = searchGrib();
    }
    if (offset < 0) return 0;
    if (loadMessageAt(offset)) return 1;
  }
}

int GribFile::nextField(grib::Field& f, bool values, bool northFirst)
{
  if (!isOpen()) return 0;
  while (true) {
    if (decoder_) {
      if (decoder_->next(f, values, northFirst)) {
        fieldInMsg_++;
        f.offset = static_cast<size_t>(msgStart_);
        return 1;
      }
      if (fieldInMsg_ == 0 && edition_ == 2) Kol::outWarning("GribFile:: GRIB data not found\n");
      decoder_.reset();
    }
    if (!loadNextMessage()) return 0;
  }
}

GribParam& GribFile::paramFor(const grib::Field& f)
{
  const int a = f.edition == 1 ? f.tableVersion : f.discipline;
  const int b = f.edition == 1 ? f.subCentre : f.category;
  for (GribParam& p : params_)
    if (p.matches(f.edition, f.centre, a, b, f.parameter)) return p;
  if (params_.size() < MAX_PARAMS) {
    params_.emplace_back();
    return params_.back();
  }
  // A full cache gives up its oldest entry.
  params_.erase(params_.begin());
  params_.emplace_back();
  return params_.back();
}

int GribFile::toGrid(grib::Field& f, Grid& g, bool values)
{
  grib::fillPDB(f, pdb_, paramFor(f));
  grib::FillOptions opt;
  opt.wrap = wrap_;
  opt.missing = missing_;
  opt.maxBad = maxBad_;
  if (firstLevelType_ == Const::MISS && values) firstLevelType_ = f.levelType1;
  opt.wideLimit = firstLevelType_ == 6 || firstLevelType_ == 7 || firstLevelType_ >= 90;
  opt.modelName = modelName_.get(pdb_.source, pdb_.model);
  const bool decoded = !f.values.empty();
  return grib::fillGrid(f, pdb_, opt, values && decoded, g) && (decoded || !values);
}

int GribFile::read(Grid& g)
{
  // The Grid's values are decoded over again in place, saving the page faults of a new block; at
  // the end of the file they go back untouched.
  grib::Field f;
  f.values.recycle(grib::takeValues(g));
  if (!nextField(f, true, true)) {
    grib::restoreValues(g, f.values.moveOut());
    return 0;
  }
  int ok = toGrid(f, g, true);
  return ok;
}

int GribFile::peek(Grid& g)
{
  const bool hadMessage = decoder_ != nullptr;
  const long start = msgStart_, next = nextPos_, hdrPos = useHdr_ ? hdr_.tell() : -1;
  const int taken = fieldInMsg_;
  grib::Field f;
  int ok = nextField(f, false) && toGrid(f, g, false);
  // Back to where the peek started; the field is read again by the next read.
  if (useHdr_ && hdrPos >= 0) hdr_.seek(hdrPos, SEEK_SET);
  if (hadMessage && (msgStart_ != start || !decoder_)) {
    uint32_t mask = Kol::getMessageMask();
    Kol::setMessageMask(0);
    loadMessageAt(start);
    grib::Field skip;
    for (int k = 0; k < taken && decoder_ && decoder_->next(skip, false); k++) fieldInMsg_++;
    Kol::setMessageMask(mask);
  } else if (hadMessage) {
    // Same message: replay its fields up to where the peek started.
    decoder_ = std::make_unique<grib::MessageDecoder>(message_.data(), message_.size());
    fieldInMsg_ = 0;
    uint32_t mask = Kol::getMessageMask();
    Kol::setMessageMask(0);
    grib::Field skip;
    for (int k = 0; k < taken && decoder_->next(skip, false); k++) fieldInMsg_++;
    Kol::setMessageMask(mask);
  } else {
    decoder_.reset();
  }
  nextPos_ = next;
  return ok;
}

int GribFile::read(const char* text, Grid& g)
{
  GridSpec spec;
  if (text && *text) spec.decode(text);
  int ok;
  if (spec.getIndex() != Const::MISS) {
    // Fields are counted from the start of the file.
    rewind();
    grib::Field skip;
    for (int k = 0; k < spec.getIndex(); k++)
      if (!nextField(skip, false)) return 0;
    ok = read(g);
  } else {
    ok = spec.isSet() ? read(spec, g) : read(g);
  }
  if (ok && spec.getUnits()[0]) GridMath::units(g, spec.getUnits());
  return ok;
}

int GribFile::read(const GridSpec& spec, Grid& g)
{
  grib::Field f;
  while (peek(g)) {
    if (GridSpec::equal(spec, g.getSpec())) return read(g);
    if (!nextField(f, false)) return 0;
  }
  return 0;
}

int GribFile::read(Grids& grids)
{
  Grid g;
  grib::Field f;
  int filled = 0;
  while (grids.getNumSet() < grids.getNum() && peek(g)) {
    bool wanted = false;
    for (int k = 0; k < grids.getNum() && !wanted; k++)
      wanted = !grids.isSet(k) && GridSpec::equal(grids.getSpec(k), g.getSpec());
    if (!wanted) {
      if (!nextField(f, false)) break;
      continue;
    }
    if (!read(g)) continue;
    for (int k = 0; k < grids.getNum(); k++) {
      if (grids.isSet(k) || !GridSpec::equal(grids.getSpec(k), g.getSpec())) continue;
      Grid copy(g);
      if (grids.getSpecUnits(k)[0]) GridMath::units(copy, grids.getSpecUnits(k));
      grids.setGrid(k, copy);
      filled++;
    }
  }
  return filled;
}

int GribFile::write(const Grid& g)
{
  const DomainVal& dv = g.getDomainVal();
  if (dv.proj != 4) {
    Kol::outWarning("GribFile: Invalid GRIB projection\n");
    return 0;
  }
  if (!g.isData()) {
    Kol::outWarning("GribFile: grid has no values to write\n");
    return 0;
  }
  grib::Ed1Lambert d;
  d.nx = g.getNx();
  d.ny = g.getNy();
  EarthPoint corner;
  if (!g.tran(GridPoint(0, 0), corner)) return 0;
  d.la1 = corner.lat;
  d.lo1 = corner.lon;
  d.lov = dv.param[1];
  d.latin1 = dv.param[2];
  d.latin2 = dv.param[3];
  d.dx = dv.dx * 1e5;
  d.dy = dv.dy * 1e5;
  d.scan = 0;  // rows from north to south, as the grid holds them
  d.process = g.getModel() == Const::MISS ? 0 : g.getModel();
  int ind = g.getVar().getInd();
  d.parameter = ind > 0 && ind < 256 ? ind : 255;
  if (!grib::ed1LevelOctets(g.getLevel(), d.levelType, d.levelValue)) {
    String text;
    g.getLevel().toString(text);
    Kol::outWarning("GribFile: level %s does not fit GRIB edition 1\n", text.get());
    return 0;
  }
  const Date init = g.getInitDate();
  const DateVal& r = init.getDateVal();
  d.year = r.getYear();
  d.month = r.getMonth();
  d.day = r.getDay();
  d.hour = r.getHour();
  d.minute = r.getMinute() == Const::MISS ? 0 : r.getMinute();
  float hours = g.getForeHours();
  d.p1 = hours == Const::FMISS || hours < 0 ? 0
         : hours > 255                      ? 255
                                            : static_cast<int>(hours + 0.5f);
  d.bits = 8;
  d.values = g.getData();
  std::vector<uint8_t> msg = grib::encodeEd1Lambert(d);
  if (msg.empty()) return 0;
  return File::write(msg.data(), 1, static_cast<int>(msg.size())) == static_cast<int>(msg.size());
}

}  // namespace KOL
