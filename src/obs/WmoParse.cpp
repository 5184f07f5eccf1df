#include "obs/WmoParse.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"
#include "obs/WmoProduct.h"
#include "obs/wmo/HeadingPattern.h"

namespace KOL {

namespace {

constexpr char SOH = 0x01;
constexpr char ETX = 0x03;
enum Expect : int { NONE = 0, EXPECT_SEQUENCE = 2, EXPECT_HEADING = 3, EXPECT_AWIPS = 4 };
constexpr const char* ZONE_PREFIX = "zn:";
constexpr const char* SEPARATOR_END = " ***";

void chopLineEnd(char* s)
{
  int n = StrLib::length(s);
  while (n > 0 && (s[n - 1] == '\n' || s[n - 1] == '\r')) s[--n] = 0;
}

bool isSeparator(const char* s) { return StrLib::equal(s, "** ", 3); }

}  // namespace

WmoParse::WmoParse(const char* params)
{
  init();
  setParam(params);
}

void WmoParse::init()
{
  Filename::init();
  data_.close();
  index_.close();
  file_ind_ = 0;
  open_ = false;
  use_index_ = expect_awips_ = true;
  dollar_ = index_active_ = false;
  pattern_[0] = id_[0] = heading_[0] = awips_[0] = 0;
  line_class_ = prev_class_ = NO_LINE;
  need_header_ = new_prod_ = pending_new_ = false;
  loc_ = header_loc_ = start_loc_ = 0;
  resetProduct();
  line_.assign(LINE_SIZE, 0);
}

void WmoParse::resetProduct()
{
  expect_ = NONE;
  in_product_ = id_matched_ = selected_ = positioned_ = by_index_ = skip_ = false;
}

int WmoParse::setParam(const char* text)
{
  if (!text) return 0;
  Strings items(text, ',');
  for (int i = 0; i < items.getNum(); i++) {
    const char* item = items.getString(i);
    if (!StrLib::valid(item)) continue;
    if (StrLib::iequal(item, "nohdr"))
      use_index_ = false;
    else if (StrLib::iequal(item, "dollar"))
      dollar_ = true;
    else if (StrLib::iequal(item, "noawips"))
      expect_awips_ = false;
    else
      Kol::outWarning("WmoParse: unknown parameter: %s\n", item);
  }
  return 1;
}

void WmoParse::setHeader(const char* pattern)
{
  StrLib::copy(pattern_, PATTERN_SIZE, pattern ? pattern : "");
}

void WmoParse::setId(const char* id) { StrLib::copy(id_, ID_SIZE, id ? id : ""); }

// ---- Files

int WmoParse::open(Filename& files)
{
  close();
  static_cast<Filename&>(*this) = files;
  file_ind_ = 0;
  if (getNumFiles() > 1) setFile(0);
  return openCurrent();
}

int WmoParse::open(const char* name)
{
  close();
  Filename::set(name);
  file_ind_ = 0;
  bool keep = use_index_;
  use_index_ = false;
  int ok = openCurrent();
  use_index_ = keep;
  return ok;
}

int WmoParse::openCurrent()
{
  data_.close();
  index_.close();
  open_ = data_.open(getName(), "r");
  index_active_ = open_ && use_index_ && validHeader() && index_.open(Filename::getHeader(), "r");
  loc_ = header_loc_ = start_loc_ = 0;
  resetProduct();
  need_header_ = index_active_;
  return open_;
}

bool WmoParse::nextFile()
{
  data_.close();
  index_.close();
  open_ = index_active_ = false;
  while (file_ind_ + 1 < getNumFiles()) {
    setFile(++file_ind_);
    Kol::outDebug(3, "Parsing file: %s\n", getName());
    if (openCurrent()) return true;
  }
  return false;
}

int WmoParse::close()
{
  data_.close();
  index_.close();
  open_ = index_active_ = false;
  return 1;
}

int WmoParse::seek(long offset)
{
  if (!data_.seek(offset, SEEK_SET)) return 0;
  resetProduct();
  return 1;
}

void WmoParse::rewind()
{
  data_.rewind();
  index_.rewind();
  resetProduct();
  need_header_ = index_active_;
}

// Through an index, the product that holds the offset gives heading and identifier, and the
// index goes on after it.
int WmoParse::setLoc(long offset)
{
  if (!open_ || !data_.seek(offset, SEEK_SET)) return 0;
  resetProduct();
  need_header_ = false;
  if (!index_active_) return 1;
  index_.rewind();
  IndexLine entry, holder;
  bool found = false;
  for (;;) {
    long before = index_.tell();
    if (!readIndex(entry)) break;
    if (entry.offset > offset) {
      index_.seek(before, SEEK_SET);
      break;
    }
    holder = entry;
    found = true;
  }
  if (!found) return 1;
  positionAt(holder);
  if (holder.offset != offset) {
    data_.seek(offset, SEEK_SET);
    positioned_ = false;
    by_index_ = selected_ = in_product_ = true;
  }
  return 1;
}

int WmoParse::setLoc(int file_index, long offset)
{
  if (file_index < 0 || file_index >= getNumFiles()) return 0;
  if (file_index != file_ind_ || !open_) {
    close();
    file_ind_ = file_index;
    if (getNumFiles() > 1) setFile(file_ind_);
    if (!openCurrent()) return 0;
  }
  return setLoc(offset);
}

// ---- Header index

bool WmoParse::readIndex(IndexLine& entry)
{
  char line[2 * HEADING_SIZE + 40];
  while (index_.getLine(line, sizeof line) > 0) {
    entry.awips[0] = 0;
    int n =
        std::sscanf(line, "%ld %120[^/] / %120[^\n]", &entry.offset, entry.heading, entry.awips);
    if (n < 2) continue;
    StrLib::trimWS(entry.heading);
    Kol::outDebug(6, "HDR %ld %s / %s\n", entry.offset, entry.heading, entry.awips);
    return true;
  }
  return false;
}

void WmoParse::positionAt(const IndexLine& entry)
{
  data_.seek(entry.offset, SEEK_SET);
  StrLib::copy(heading_, HEADING_SIZE + 1, entry.heading);
  StrLib::copy(awips_, HEADING_SIZE + 1, entry.awips);
  header_loc_ = entry.offset;
  resetProduct();
  positioned_ = true;
  need_header_ = false;
}

bool WmoParse::nextFromIndex()
{
  IndexLine entry;
  for (;;) {
    if (!index_active_) {
      need_header_ = false;
      return open_;
    }
    if (readIndex(entry)) {
      if (!compare(entry.heading, entry.awips, pattern_)) continue;
      positionAt(entry);
      return true;
    }
    if (!nextFile()) return false;
  }
}

int WmoParse::peek(WmoProduct& product)
{
  IndexLine entry;
  while (open_ && index_active_) {
    if (readIndex(entry)) {
      if (!compare(entry.heading, entry.awips, pattern_)) continue;
      product.set(file_ind_, entry.heading, entry.awips, entry.offset);
      return 1;
    }
    if (!nextFile()) break;
  }
  return 0;
}

// ---- Lines

int WmoParse::getLine(char* text, int max)
{
  for (;;) {
    if (need_header_ && !nextFromIndex()) break;
    if (!open_ || !readData()) {
      if (index_active_) {
        need_header_ = true;
        continue;
      }
      if (!nextFile()) break;
      continue;
    }
    prev_class_ = line_class_;
    line_class_ = classify();
    if (line_class_ < TEXT) continue;
    new_prod_ = pending_new_;
    pending_new_ = false;
    if (text && max > 0) StrLib::copy(text, max, line_.data());
    return line_class_;
  }
  line_class_ = NO_LINE;
  return NO_LINE;
}

int WmoParse::getLine(String& text)
{
  int cls = getLine(nullptr, 0);
  text.copy(cls ? line_.data() : "");
  return cls;
}

bool WmoParse::readData()
{
  loc_ = data_.tell();
  return data_.getLine(line_.data(), LINE_SIZE) > 0;
}

bool WmoParse::isStart(const char* line)
{
  if (!line) return false;
  if (line[0] == ETX) line++;
  return (line[0] == SOH && line[1] == '\r' && line[2] == '\r') || isSeparator(line);
}

int WmoParse::classify()
{
  char* s = line_.data();
  bool separator = isSeparator(s);
  if (separator || isStart(s)) {
    // Through an index, the next product is found there, not by reading on.
    if (index_active_ && !positioned_) {
      need_header_ = true;
      return separator ? HEADING : START;
    }
    start_loc_ = loc_;
    if (!separator) {
      expect_ = EXPECT_SEQUENCE;
      in_product_ = false;
      return START;
    }
    chopLineEnd(s);
    int n = StrLib::length(s);
    if (StrLib::equal(s, SEPARATOR_END, -4)) n -= 4;
    takeHeading(s + 3, n - 3);
    return HEADING;
  }
  if (expect_ == EXPECT_SEQUENCE) {
    expect_ = EXPECT_HEADING;
    return SEQUENCE;
  }
  chopLineEnd(s);
  if (expect_ == EXPECT_HEADING) {
    takeHeading(s, StrLib::length(s));
    return HEADING;
  }
  if (expect_ == EXPECT_AWIPS) {
    StrLib::copy(awips_, HEADING_SIZE + 1, s);
    StrLib::trimWS(awips_);
    expect_ = NONE;
    selected_ = by_index_ || compare(pattern_);
    return AWIPS;
  }
  return bodyLine();
}

void WmoParse::takeHeading(const char* text, int n)
{
  StrLib::copy(heading_, HEADING_SIZE + 1, text, std::max(std::min(n, HEADING_SIZE), 0));
  StrLib::trimWS(heading_);
  awips_[0] = 0;
  header_loc_ = start_loc_;
  pending_new_ = in_product_ = true;
  id_matched_ = skip_ = false;
  by_index_ = positioned_;
  positioned_ = false;
  expect_ = expect_awips_ ? EXPECT_AWIPS : NONE;
  selected_ = by_index_ || (!expect_awips_ && compare(pattern_));
}

int WmoParse::bodyLine()
{
  const char* s = line_.data();
  // Blank lines (the one ingest leaves after each bulletin among them) carry nothing.
  bool blank = !StrLib::validData(s) || (s[0] == ETX && !s[1]);
  if (!selected_ || skip_ || !in_product_ || blank) {
    Kol::outDebug(6, "line:%x:%d-%d:%s\n", static_cast<unsigned char>(s[0]), selected_, skip_, s);
    return SKIPPED;
  }
  int cls = lineClass(s);
  if (id_[0] && !id_matched_) {
    if (!idMatches(cls)) return SKIPPED;
    id_matched_ = true;
  }
  if (cls == DOLLAR) {
    if (dollar_) skip_ = true;
    // Each segment of a zone product is judged by its own zone line.
    if (StrLib::equal(id_, ZONE_PREFIX, 3)) id_matched_ = false;
  }
  return cls;
}

bool WmoParse::idMatches(int cls) const
{
  if (!StrLib::equal(id_, ZONE_PREFIX, 3)) return StrLib::contains(line_.data(), id_);
  return cls == ZONE && checkZone(line_.data(), id_ + 3);
}

int WmoParse::lineClass(const char* line)
{
  int cls = StrLib::isAlphaNum(line) ? TEXT : SYMBOLS;
  if (StrLib::check(line, "/u.uuu")) cls = EVENT;
  if (StrLib::check(line, "uu[CZ]ddd")) cls = ZONE;
  if (StrLib::check(line, "...uu")) cls = HEADLINE;
  if (StrLib::equal(line, "$$", 2)) cls = DOLLAR;
  return cls;
}

// ---- Matching

bool WmoParse::compare(const char* pattern) const { return compare(heading_, awips_, pattern); }

bool WmoParse::compare(const char* heading, const char* awips, const char* pattern)
{
  return wmo::matchHeading(heading, awips, pattern);
}

bool WmoParse::checkZone(const char* line, const char* zone)
{
  if (!line || !zone || StrLib::length(zone) < 6 || StrLib::length(line) < 6) return false;
  if (line[2] != zone[2]) return false;
  char prefix[4];
  StrLib::copy(prefix, sizeof prefix, zone, 3);
  const char* p = std::strstr(line, prefix);
  if (!p) return false;
  p += 3;
  if (StrLib::equal(p, "ALL", 3)) return true;
  int want = StrLib::toInt(zone, 3, 3);
  while (StrLib::length(p) >= 8) {
    if (StrLib::isAlpha(static_cast<unsigned char>(*p))) {
      p = std::strstr(p, prefix);
      if (!p) return false;
      p += 3;
      continue;
    }
    int lo = StrLib::isNum(p, 3) ? StrLib::toInt(p, 0, 3) : Const::MISS;
    int hi = lo;
    if (lo != Const::MISS && p[3] == '>' && StrLib::isNum(p + 4, 3)) {
      hi = StrLib::toInt(p, 4, 3);
      p += 4;
    }
    if (lo != Const::MISS && want >= lo && want <= hi) return true;
    p += 4;
  }
  return false;
}

}  // namespace KOL
