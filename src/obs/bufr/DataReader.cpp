#include "obs/bufr/DataReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace KOL::bufr {

namespace {

int classOf(int d) { return d / 1000 % 100; }

double scaled(double v, int scale)
{
  static const double pow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (scale == 0) return v;
  if (scale > 0) return scale < 16 ? v / pow10[scale] : v / std::pow(10.0, scale);
  return -scale < 16 ? v * pow10[-scale] : v * std::pow(10.0, -scale);
}

bool isFactor(int d) { return d == 31000 || d == 31001 || d == 31002 || d == 31011 || d == 31012; }

}  // namespace

DataReader::DataReader(const BufrTable& table, int version, const BufrTable::Local& local,
                       BitStream& bits, std::vector<Item>* lanes, int nlanes, std::string& texts)
    : table_(table),
      version_(version),
      local_(local),
      bits_(bits),
      lanes_(lanes),
      nlanes_(nlanes),
      texts_(texts),
      raw_(nlanes),
      missing_(nlanes),
      textAt_(nlanes),
      assoc_(nlanes),
      assocMissing_(nlanes)
{
  const uint64_t left = bits_.bitsLeft();
  maxSteps_ = std::min<uint64_t>(MAX_STEPS, 65536 + 16 * left);
  maxRows_ = static_cast<size_t>(std::min<uint64_t>(MAX_ROWS, (4096 + 2 * left) * nlanes));
}

const BufrTable::Element* DataReader::lookup(int d) const
{
  const BufrTable::Element* e = table_.element(d, version_);
  return e || local_.empty() ? e : local_.element(d);
}

int DataReader::run(const std::vector<int>& descriptors)
{
  bool ok = walk(descriptors.data(), descriptors.size(), 0);
  if (ok && bits_.overrun()) ok = fail("data end before descriptor %06d", descriptors.back());
  if (attached_) attachAttributes();
  return ok ? 1 : 0;
}

bool DataReader::fail(const char* fmt, int d)
{
  if (why_.empty()) {
    char line[128];
    std::snprintf(line, sizeof line, fmt, d);
    why_ = line;
  }
  return false;
}

bool DataReader::walk(const int* d, size_t n, int depth)
{
  if (depth > MAX_DEPTH) return fail("sequences nested deeper than %d", MAX_DEPTH);
  for (size_t i = 0; i < n; i++) {
    if (++steps_ > maxSteps_)
      return fail("expansion beyond %d descriptors", static_cast<int>(maxSteps_));
    if (rows() * nlanes_ > maxRows_)
      return fail("expansion beyond %d rows", static_cast<int>(maxRows_));
    if (bits_.overrun()) return fail("data end before descriptor %06d", d[i]);
    const int f = d[i] / 100000;
    bool ok;
    if (f == 0) {
      ok = element(d[i]);
    } else if (f == 1) {
      ok = replicate(d, n, i, depth);
    } else if (f == 2) {
      ok = operate(d[i]);
    } else {
      const std::vector<int>* seq = table_.sequence(d[i]);
      if (!seq) seq = local_.sequence(d[i]);
      if (!seq)
        return fail(BufrTable::isLocal(d[i]) ? "local sequence %06d without a local table"
                                             : "sequence %06d not in Table D",
                    d[i]);
      ok = walk(seq->data(), seq->size(), depth + 1);
    }
    if (!ok) return false;
  }
  return true;
}

// 1-XX-YYY at d[i]: the next XX descriptors YYY times, or as often as the factor descriptor
// after it says (delayed replication); 0-31-011/012 send the data once for all repetitions.
bool DataReader::replicate(const int* d, size_t n, size_t& i, int depth)
{
  const int x = d[i] / 1000 % 100;
  long count = d[i] % 1000;
  const int at = static_cast<int>(i);
  size_t body = i + 1;
  bool repeat = false;
  if (count == 0) {
    if (body >= n || !isFactor(d[body]))
      return fail("delayed replication %06d without a factor", d[at]);
    repeat = d[body] == 31011 || d[body] == 31012;
    if (!element(d[body])) return false;
    const Item& factor = lanes_[0].back();
    if (factor.missing) return fail("missing replication factor after %06d", d[at]);
    count = static_cast<long>(factor.value);
    body++;
  }
  if (body + x > n) return fail("replication %06d beyond its descriptors", d[at]);
  i = body + x - 1;
  if (!repeat) {
    // Each repetition counts as a step, so that empty bodies cannot spin either.
    for (long r = 0; r < count; r++)
      if ((steps_ += 1) > maxSteps_ || !walk(d + body, x, depth + 1))
        return why_.empty() ? fail("expansion beyond %d descriptors", static_cast<int>(maxSteps_))
                            : false;
    return true;
  }
  const size_t first = rows();
  if (count > 0 && !walk(d + body, x, depth + 1)) return false;
  const size_t last = rows();
  for (long r = 1; r < count; r++) {
    if ((rows() + last - first) * nlanes_ > maxRows_)
      return fail("expansion beyond %d rows", static_cast<int>(maxRows_));
    for (int l = 0; l < nlanes_; l++)
      for (size_t k = first; k < last; k++) lanes_[l].push_back(lanes_[l][k]);
  }
  return true;
}

bool DataReader::operate(int d)
{
  const int x = d / 1000 % 100, y = d % 1000;
  switch (x) {
    case 1:
      widthAdd_ = y ? y - 128 : 0;
      return true;
    case 2:
      scaleAdd_ = y ? y - 128 : 0;
      return true;
    case 3:
      if (y == 0) newRefs_.clear();
      if (y > 32 && y != 255) return fail("operator %06d: reference width out of range", d);
      refBits_ = y == 255 ? 0 : y;
      return true;
    case 4:
      assocWidth_ = y;
      return true;
    case 5:
      if (!chars(y * 8)) return false;
      pushText(d, BufrMessage::CHARS);
      return true;
    case 6:
      localWidth_ = y;
      return true;
    case 7:
      precision_ = y;
      return true;
    case 8:
      charWidth_ = y * 8;
      return true;
    case 21:
      notPresent_ = y;
      return true;
    case 22:
    case 23:
    case 24:
    case 25:
    case 32:
    case 35:
    case 36:
    case 37:
      return qualityOperator(d, x, y);
    default:
      return fail("operator %06d not supported", d);
  }
}

// 2-22 to 2-25 and 2-32 open a block whose bitmap points back at the elements before the
// operator, counted from the first; 2-35 cancels the back reference, 2-36 keeps the next bitmap,
// 2-37 uses it again.
bool DataReader::qualityOperator(int d, int x, int y)
{
  if (y == 255 && x != 22 && x <= 32) return attributeValue(d);
  if (x == 37 && y == 255) {
    savedTargets_.clear();
    return true;
  }
  if (y != 0) return fail("operator %06d not supported", d);
  pushMarker(d);
  if (x == 35) {
    backStart_ = elementRows_.size();
    qualityOp_ = 0;
  } else if (x == 36) {
    defineReuse_ = true;
    bitmapOpen_ = true;
  } else if (x == 37) {
    targets_ = savedTargets_;
    next_ = 0;
    bitmapOpen_ = false;
    bitmap_.clear();
  } else {
    qualityOp_ = x;
    opElements_ = elementRows_.size();
    bitmapOpen_ = true;
    bitmap_.clear();
    targets_.clear();
    next_ = 0;
  }
  return true;
}

bool DataReader::closeBitmap()
{
  bitmapOpen_ = false;
  if (bitmap_.empty()) return true;
  const size_t n = bitmap_.size();
  if (opElements_ < backStart_ + n)
    return fail("bitmap of %d entries longer than the data", static_cast<int>(n));
  // The bitmap counts from the first element, or from the first after a 2-35-000.
  const size_t start = backStart_;
  targets_.clear();
  for (size_t k = 0; k < n; k++)
    if (bitmap_[k] == 0) targets_.push_back(elementRows_[start + k]);
  if (defineReuse_) savedTargets_ = targets_;
  defineReuse_ = false;
  next_ = 0;
  bitmap_.clear();
  return true;
}

int DataReader::nextTarget()
{
  if (bitmapOpen_ && !bitmap_.empty() && !closeBitmap()) return -1;
  return next_ < targets_.size() ? targets_[next_++] : -1;
}

// 2-23-255, 2-24-255, 2-25-255, 2-32-255: a value of the element the bitmap points at next, in
// that element's width and scale (2-25 one bit wider, shifted to allow negative differences).
bool DataReader::attributeValue(int d)
{
  const int target = nextTarget();
  if (target < 0) return why_.empty() ? fail("%06d without a bitmap entry", d) : false;
  const int td = lanes_[0][target].descriptor;
  const BufrTable::Element* e = lookup(td);
  Params p{};
  if (!e || !params(td, *e, p)) return fail("%06d: no element to follow", d);
  if (e->kind == BufrTable::TEXT) {
    if (!chars(p.width)) return false;
    pushText(d, BufrMessage::ATTRIBUTE);
    for (int l = 0; l < nlanes_; l++) lanes_[l].back().parent = target;
    attached_ = true;
    return true;
  }
  if (d / 1000 % 100 == 25) {
    p.reference = -std::ldexp(1.0, p.width);
    p.width++;
  }
  if (!numbers(p.width, true)) return false;
  push(d, BufrMessage::ATTRIBUTE, p, target);
  return true;
}

bool DataReader::params(int d, const BufrTable::Element& e, Params& p) const
{
  p.width = e.width;
  p.scale = e.scale;
  p.reference = e.reference;
  for (const auto& r : newRefs_)
    if (r.first == d) p.reference = r.second;
  if (e.kind == BufrTable::TEXT) {
    if (charWidth_) p.width = charWidth_;
  } else if (e.kind == BufrTable::NUMERIC && classOf(d) != 31) {
    p.width += widthAdd_;
    p.scale += scaleAdd_;
    if (precision_) {
      p.scale += precision_;
      p.reference *= std::pow(10.0, precision_);
      p.width += (10 * precision_ + 2) / 3;
    }
  }
  if (e.kind == BufrTable::TEXT) return p.width > 0 && p.width % 8 == 0 && p.width <= 8 * 4096;
  return p.width > 0 && p.width <= 64;
}

// 2-03-YYY: the element's new reference value, YYY bits with the sign in the first.
bool DataReader::referenceValue(int d)
{
  if (!numbers(refBits_, false)) return false;
  const uint64_t v = raw_[0];
  const uint64_t sign = uint64_t(1) << (refBits_ - 1);
  const long ref = (v & sign) ? -static_cast<long>(v & (sign - 1)) : static_cast<long>(v);
  for (auto& r : newRefs_)
    if (r.first == d) {
      r.second = static_cast<int>(ref);
      return true;
    }
  newRefs_.emplace_back(d, static_cast<int>(ref));
  return true;
}

bool DataReader::element(int d)
{
  const BufrTable::Element* e = lookup(d);
  if (localWidth_) {
    const int w = localWidth_;
    localWidth_ = 0;
    if (!e || e->width != w) return numbers(w, false);  // skipped: its bits only
  }
  if (!e)
    return fail(BufrTable::isLocal(d) ? "local descriptor %06d without a local table"
                                      : "descriptor %06d not in Table B",
                d);
  if (refBits_) return referenceValue(d);
  if (bitmapOpen_ && d != 31031 && !bitmap_.empty() && !closeBitmap()) return false;
  Params p{};
  if (!params(d, *e, p)) return fail("descriptor %06d: data width out of range", d);
  if (notPresent_ > 0) {
    notPresent_--;
    const int c = classOf(d);
    if (c < 1 || (c > 9 && c != 31)) {
      for (int l = 0; l < nlanes_; l++) missing_[l] = 1;
      push(d, BufrMessage::VALUE, p, -1);
      return true;
    }
  }
  const bool assoc = assocWidth_ > 0 && classOf(d) != 31;
  if (assoc) {
    if (!numbers(assocWidth_, false)) return false;
    assoc_ = raw_;
    assocMissing_ = missing_;
  }
  int parent = -1;
  if (qualityOp_ == 22 && classOf(d) == 33 && !targets_.empty()) parent = nextTarget();
  const int role = parent >= 0 ? BufrMessage::ATTRIBUTE : BufrMessage::VALUE;
  if (e->kind == BufrTable::TEXT) {
    if (!chars(p.width)) return false;
    pushText(d, role);
    if (parent >= 0)
      for (int l = 0; l < nlanes_; l++) lanes_[l].back().parent = parent;
  } else {
    const bool flagBit = d == 31031 || d == 31000;
    if (!numbers(p.width, !flagBit)) return false;
    push(d, role, p, parent);
  }
  if (role == BufrMessage::VALUE) elementRows_.push_back(static_cast<int>(rows() - 1));
  if (bitmapOpen_ && d == 31031) bitmap_.push_back(static_cast<int>(raw_[0]));
  if (assoc) {
    const int owner = static_cast<int>(rows() - 1);
    raw_ = assoc_;
    missing_ = assocMissing_;
    push(BufrMessage::ASSOCIATED, BufrMessage::ASSOCIATED_FIELD, Params{assocWidth_, 0, 0}, owner);
  }
  return true;
}

// One field of width bits in every lane: plain, or in the compressed form (the lowest value,
// 6 bits of increment width, then one increment per subset).
bool DataReader::numbers(int width, bool missingAllowed)
{
  if (nlanes_ == 1) {
    raw_[0] = bits_.get(width);
    missing_[0] = missingAllowed && BitStream::allOnes(raw_[0], width);
    return !bits_.overrun() || fail("data end in descriptor width %d", width);
  }
  const uint64_t r0 = bits_.get(width);
  const int nb = static_cast<int>(bits_.get(6));
  const bool r0Missing = missingAllowed && BitStream::allOnes(r0, width);
  for (int l = 0; l < nlanes_; l++) {
    if (nb == 0) {
      raw_[l] = r0;
      missing_[l] = r0Missing;
    } else {
      const uint64_t inc = bits_.get(nb);
      missing_[l] = missingAllowed && BitStream::allOnes(inc, nb);
      raw_[l] = r0 + inc;
    }
  }
  return !bits_.overrun() || fail("data end in compressed field of width %d", width);
}

// Characters of width bits in every lane, kept in the message's text pool.
bool DataReader::chars(int width)
{
  const int n = width / 8;
  auto take = [this](int count) {
    const uint32_t at = static_cast<uint32_t>(texts_.size());
    for (int k = 0; k < count; k++) texts_.push_back(static_cast<char>(bits_.get(8)));
    return at;
  };
  textLen_ = static_cast<uint32_t>(n);
  if (nlanes_ == 1) {
    textAt_[0] = take(n);
  } else {
    const uint32_t r0 = take(n);
    const int nb = static_cast<int>(bits_.get(6));
    for (int l = 0; l < nlanes_; l++) textAt_[l] = nb == 0 ? r0 : take(nb);
    if (nb) textLen_ = static_cast<uint32_t>(nb);
  }
  if (bits_.overrun()) return fail("data end in %d characters", n);
  for (int l = 0; l < nlanes_; l++) {
    bool ones = textLen_ > 0;
    for (uint32_t k = 0; k < textLen_ && ones; k++)
      ones = static_cast<unsigned char>(texts_[textAt_[l] + k]) == 0xFF;
    missing_[l] = ones;
  }
  return true;
}

void DataReader::push(int d, int role, const Params& p, int parent)
{
  for (int l = 0; l < nlanes_; l++) {
    Item it;
    it.descriptor = d;
    it.role = role;
    it.parent = parent;
    it.missing = missing_[l];
    if (!it.missing) it.value = scaled(static_cast<double>(raw_[l]) + p.reference, p.scale);
    lanes_[l].push_back(it);
  }
  if (parent >= 0 && role == BufrMessage::ATTRIBUTE) attached_ = true;
}

void DataReader::pushText(int d, int role)
{
  for (int l = 0; l < nlanes_; l++) {
    Item it;
    it.descriptor = d;
    it.role = role;
    it.missing = missing_[l];
    it.text = true;
    it.textAt = textAt_[l];
    it.textLen = textLen_;
    lanes_[l].push_back(it);
  }
}

void DataReader::pushMarker(int d)
{
  for (int l = 0; l < nlanes_; l++) {
    Item it;
    it.descriptor = d;
    it.role = BufrMessage::MARKER;
    lanes_[l].push_back(it);
  }
}

// Moves quality, substituted and statistical values from their block to just after the
// element each belongs to (after its associated field).
void DataReader::attachAttributes()
{
  for (int l = 0; l < nlanes_; l++) {
    std::vector<Item>& rows = lanes_[l];
    const size_t n = rows.size();
    std::vector<std::vector<int>> children(n);
    for (size_t k = 0; k < n; k++)
      if (rows[k].parent >= 0 && static_cast<size_t>(rows[k].parent) < n)
        children[rows[k].parent].push_back(static_cast<int>(k));
    std::vector<Item> out;
    out.reserve(n);
    for (size_t k = 0; k < n; k++) {
      if (rows[k].parent >= 0) continue;
      const int at = static_cast<int>(out.size());
      out.push_back(rows[k]);
      for (int c : children[k]) {
        out.push_back(rows[c]);
        out.back().parent = at;
      }
    }
    rows.swap(out);
  }
}

}  // namespace KOL::bufr
