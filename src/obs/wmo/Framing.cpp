#include "obs/wmo/Framing.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace KOL::wmo {

namespace {

constexpr unsigned char SOH = 0x01;
constexpr unsigned char ETX = 0x03;
constexpr std::string_view EOL = "\r\r\n";
constexpr std::string_view START = "\x01\r\r\n";

bool blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0; }
bool upper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool digit(unsigned char c) { return c >= '0' && c <= '9'; }

template <typename Test>
bool all(std::string_view s, Test test)
{
  for (char c : s)
    if (!test(static_cast<unsigned char>(c))) return false;
  return true;
}

// A line without its line end and the white space around it.
std::string_view textOf(std::string_view raw)
{
  size_t from = 0, to = raw.size();
  while (to > 0 && blank(static_cast<unsigned char>(raw[to - 1]))) to--;
  while (from < to && blank(static_cast<unsigned char>(raw[from]))) from++;
  return raw.substr(from, to - from);
}

std::string_view textOf(const unsigned char* p, size_t n)
{
  return textOf(std::string_view(reinterpret_cast<const char*>(p), n));
}

bool isSequence(std::string_view text)
{
  return text.size() >= 3 && text.size() <= 5 && all(text, digit);
}

bool isZczc(std::string_view text)
{
  if (text.size() < 4) return false;
  for (int i = 0; i < 4; i++)
    if ((text[i] & ~0x20) != "ZCZC"[i]) return false;
  return text.size() == 4 || !upper(static_cast<unsigned char>(text[4] & ~0x20));
}

bool isNnnn(std::string_view text)
{
  if (text.size() != 4) return false;
  for (char c : text)
    if ((c & ~0x20) != 'N') return false;
  return true;
}

// The channel sequence number of a ZCZC line: the digits that end its first word ("ZCZC 123",
// "ZCZC ABC0123"), five at most.
std::string sequenceOf(std::string_view zczc)
{
  std::string_view rest = textOf(zczc.substr(4));
  rest = rest.substr(0, std::min(rest.find_first_of(" \t"), rest.size()));
  size_t from = rest.size();
  while (from > 0 && digit(static_cast<unsigned char>(rest[from - 1]))) from--;
  if (rest.size() - from > 5) from = rest.size() - 5;
  return std::string(rest.substr(from));
}

// The line ends of the start line whose LF (or end, when it has none) is at p[stop].
LineEnds::Kind lineEndsAt(const unsigned char* p, size_t n, size_t stop, bool whole)
{
  const LineEnds::Kind unknown = LineEnds::UNKNOWN;
  if (stop >= n) return whole ? LineEnds::LF : unknown;
  if (stop >= 2 && p[stop - 1] == '\r' && p[stop - 2] == '\r') return LineEnds::FEED;
  if (stop >= 1 && p[stop - 1] == '\r') return LineEnds::CR_LF;
  // A blank line after the start line and after the line that follows it: lines are kept
  // apart by blank lines.
  if (stop + 1 >= n) return whole ? LineEnds::LF : unknown;
  if (p[stop + 1] != '\n') return LineEnds::LF;
  const void* next = std::memchr(p + stop + 2, '\n', n - stop - 2);
  if (!next) return whole ? LineEnds::LF_LF : unknown;
  size_t at = static_cast<size_t>(static_cast<const unsigned char*>(next) - p) + 1;
  if (at >= n) return whole ? LineEnds::LF_LF : unknown;
  return p[at] == '\n' ? LineEnds::LF_LF : LineEnds::LF;
}

void put(std::vector<unsigned char>& out, std::string_view bytes)
{
  // The framing's own control characters would cut the feed elsewhere than its lines say.
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    const char* q = std::find_if(p, end, [](char c) { return c == SOH || c == ETX; });
    out.insert(out.end(), p, q);
    p = q + 1;
  }
}

void put(std::vector<unsigned char>& out, const unsigned char* p, size_t n)
{
  put(out, std::string_view(reinterpret_cast<const char*>(p), n));
}

}  // namespace

Framing::Head Framing::sniff(const unsigned char* p, size_t n, bool whole)
{
  Head head;
  const unsigned char* end = p + n;
  for (const unsigned char* s = p; s < end; s++) {
    s = static_cast<const unsigned char*>(std::memchr(s, SOH, static_cast<size_t>(end - s)));
    if (!s) break;
    if (s + 1 == end && !whole) return head;
    if (s + 1 < end && (s[1] == '\r' || s[1] == '\n')) {
      head.ends = LineEnds::sniff(s, static_cast<size_t>(end - s));
      return head;
    }
  }
  bool boundary = true;
  for (size_t at = 0; at < n;) {
    const void* lf = std::memchr(p + at, '\n', n - at);
    if (!lf && !whole) return head;
    size_t stop = lf ? static_cast<size_t>(static_cast<const unsigned char*>(lf) - p) : n;
    std::string_view text = textOf(p + at, stop - at);
    bool zczc = isZczc(text);
    if (zczc || (boundary && isHeading(text))) {
      head.framing = zczc ? ZCZC : BARE;
      head.ends = lineEndsAt(p, n, stop, whole);
      return head;
    }
    boundary = text.empty() || text.back() == '=' || isSequence(text);
    at = stop + 1;
  }
  if (whole) head.ends = LineEnds::sniff(p, n);
  return head;
}

const char* Framing::name(Kind k)
{
  static const char* const names[] = {"SOH/ETX", "ZCZC/NNNN", "heading lines"};
  return names[k];
}

bool Framing::isHeading(std::string_view text)
{
  std::string_view words[4];
  int count = 0;
  for (size_t i = 0; i < text.size();) {
    if (blank(static_cast<unsigned char>(text[i]))) {
      i++;
      continue;
    }
    size_t j = i;
    while (j < text.size() && !blank(static_cast<unsigned char>(text[j]))) j++;
    if (count == 4) return false;
    words[count++] = text.substr(i, j - i);
    i = j;
  }
  if (count < 3) return false;
  std::string_view tt = words[0], cccc = words[1], time = words[2];
  if ((tt.size() != 4 && tt.size() != 6) || !all(tt.substr(0, 4), upper) ||
      !all(tt.substr(4), digit))
    return false;
  if (cccc.size() != 4 || !all(cccc, upper)) return false;
  if (time.size() != 6 || !all(time, digit)) return false;
  auto two = [&time](int at) { return (time[at] - '0') * 10 + time[at + 1] - '0'; };
  if (two(0) < 1 || two(0) > 31 || two(2) > 23 || two(4) > 59) return false;
  return count == 3 || (words[3].size() == 3 && all(words[3], upper));
}

void Framing::setKind(Kind k)
{
  kind_ = k;
  line_.clear();
  tail_[0] = tail_[1] = 0;
  streaming_ = passing_ = in_ = wants_heading_ = false;
  last_seen_ = 0;
  boundary_ = true;
  blanks_ = 0;
  held_sequence_.clear();
  sequence_.clear();
}

void Framing::convert(const unsigned char* in, size_t n, std::vector<unsigned char>& out)
{
  while (n > 0) {
    const void* lf = std::memchr(in, '\n', n);
    size_t k = lf ? static_cast<size_t>(static_cast<const unsigned char*>(lf) - in) + 1 : n;
    bool ends = lf && endsLine(in, k);
    add(in, k, out);
    // Longer than held lines, line end and all, whether it ends here or later.
    if (!streaming_ && line_.size() > HOLD) overflow(out);
    if (ends) endLine(out);
    in += k;
    n -= k;
  }
}

// The LF at p[k - 1] ends the line when the two bytes before it, here or earlier, are CRs.
bool Framing::endsLine(const unsigned char* p, size_t k) const
{
  unsigned char b1 = k >= 2 ? p[k - 2] : tail_[1];
  unsigned char b0 = k >= 3 ? p[k - 3] : k == 2 ? tail_[1] : tail_[0];
  return b0 == '\r' && b1 == '\r';
}

void Framing::add(const unsigned char* p, size_t n, std::vector<unsigned char>& out)
{
  if (n >= 2) {
    tail_[0] = p[n - 2];
    tail_[1] = p[n - 1];
  } else {
    tail_[0] = tail_[1];
    tail_[1] = p[0];
  }
  if (!streaming_) {
    line_.append(reinterpret_cast<const char*>(p), n);
    return;
  }
  if (passing_) put(out, p, n);
  std::string_view seen = textOf(p, n);
  if (!seen.empty()) last_seen_ = static_cast<unsigned char>(seen.back());
}

void Framing::endLine(std::vector<unsigned char>& out)
{
  if (streaming_) {
    streaming_ = false;
    boundary_ = last_seen_ == '=';
  } else {
    handle(line_, true, out);
  }
  line_.clear();
  tail_[0] = tail_[1] = 0;
}

// A line too long to be anything but body text (or, after a ZCZC line, the heading that
// framing says comes there) is passed on as it comes.
void Framing::overflow(std::vector<unsigned char>& out)
{
  streaming_ = true;
  std::string_view seen = textOf(line_);
  last_seen_ = seen.empty() ? 0 : static_cast<unsigned char>(seen.back());
  if (kind_ == ZCZC && wants_heading_) {
    start(line_, out);
  } else {
    release(out);
    body(line_, out);
  }
  passing_ = in_;
  line_.clear();
}

void Framing::handle(std::string_view raw, bool whole, std::vector<unsigned char>& out)
{
  std::string_view text = textOf(whole ? raw.substr(0, raw.size() - EOL.size()) : raw);
  if (kind_ == ZCZC)
    aftnLine(text, raw, out);
  else
    bareLine(text, raw, out);
}

// Only NNNN ends a bulletin framed by ZCZC; what comes between NNNN and the next ZCZC line is
// not part of one. A ZCZC line that comes first ends its bulletin as a start line does one
// that lacks its ETX.
void Framing::aftnLine(std::string_view text, std::string_view raw, std::vector<unsigned char>& out)
{
  if (isZczc(text)) {
    blanks_ = 0;
    in_ = false;
    wants_heading_ = true;
    sequence_ = sequenceOf(text);
  } else if (isNnnn(text)) {
    if (in_) end(true, out);
    wants_heading_ = false;
  } else if (wants_heading_) {
    if (text.empty()) return;
    if (sequence_.empty() && isSequence(text))
      sequence_ = text;
    else
      start(raw, out);
  } else if (in_) {
    if (text.empty()) {
      blanks_++;
      return;
    }
    release(out);
    body(raw, out);
  }
}

// A bare bulletin starts at a heading line at the start of the file, after a blank line, after
// a line that ends a report ("=") or after a sequence line; it ends where the next one starts.
// Blank lines before a heading part bulletins; a sequence line waits for the next line to show
// whether it begins one.
void Framing::bareLine(std::string_view text, std::string_view raw, std::vector<unsigned char>& out)
{
  if (text.empty()) {
    if (!held_sequence_.empty()) release(out);
    blanks_++;
    boundary_ = true;
    return;
  }
  if ((boundary_ || !held_sequence_.empty()) && isHeading(text)) {
    start(raw, out);
    return;
  }
  bool sequence = isSequence(text);
  if (sequence && held_sequence_.empty()) {
    held_sequence_ = raw;
    return;
  }
  release(out);
  boundary_ = text.back() == '=';
  if (sequence)
    held_sequence_ = raw;
  else
    body(raw, out);
}

// Bulletins without a sequence number are numbered on from the last one, so that none seems
// missing.
void Framing::start(std::string_view raw_heading, std::vector<unsigned char>& out)
{
  if (in_) end(kind_ == BARE, out);
  std::string sequence = held_sequence_;
  if (!sequence.empty()) {
    takeSequence(textOf(sequence));
  } else if (!sequence_.empty()) {
    takeSequence(sequence_);
    sequence = sequence_ + std::string(EOL);
  } else {
    last_sequence_ = last_sequence_ % 999 + 1;
    char number[8];
    std::snprintf(number, sizeof number, "%03d", last_sequence_);
    sequence = number + std::string(EOL);
  }
  out.insert(out.end(), START.begin(), START.end());
  put(out, sequence);
  put(out, raw_heading);
  in_ = true;
  wants_heading_ = boundary_ = false;
  blanks_ = 0;
  held_sequence_.clear();
  sequence_.clear();
}

void Framing::takeSequence(std::string_view digits)
{
  int n = 0;
  auto [stop, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec == std::errc() && stop != digits.data()) last_sequence_ = n;
}

void Framing::end(bool etx, std::vector<unsigned char>& out)
{
  if (etx) out.push_back(ETX);
  in_ = false;
  blanks_ = 0;
}

// Lines held back turn out to be body lines (or are dropped between bulletins).
void Framing::release(std::vector<unsigned char>& out)
{
  if (in_) {
    for (; blanks_ > 0; blanks_--) put(out, EOL);
    put(out, held_sequence_);
  }
  blanks_ = 0;
  held_sequence_.clear();
}

void Framing::body(std::string_view raw, std::vector<unsigned char>& out)
{
  if (in_) put(out, raw);
}

void Framing::finish(std::vector<unsigned char>& out)
{
  if (!streaming_ && !line_.empty()) {
    // The end of the file ends the line of a bare bulletin; one framed by ZCZC is cut short.
    if (kind_ == BARE) {
      line_.append(EOL);
      handle(line_, true, out);
    } else {
      handle(line_, false, out);
    }
  }
  if (kind_ == BARE && in_) {
    if (!held_sequence_.empty()) {
      blanks_ = 0;
      release(out);
    }
    end(true, out);
  }
  setKind(kind_);
}

}  // namespace KOL::wmo
