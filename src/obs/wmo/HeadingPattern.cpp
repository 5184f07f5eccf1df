#include "obs/wmo/HeadingPattern.h"

#include <charconv>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL::wmo {

namespace {

using Byte = unsigned char;

// The end of a bracketed set that begins at p ("[" or "[^"), at its ']'; null when unclosed.
const char* setEnd(const char* p) { return std::strchr(p + 1, ']'); }

// Whether heading character c fits the one-character item at p; p moves past the item.
bool fitsItem(const char*& p, Byte c)
{
  char item = *p++;
  if (!c) {
    if (item == '[' && setEnd(p - 1)) p = setEnd(p - 1) + 1;
    return false;
  }
  switch (item) {
    case '.':
    case '?':
      return true;
    case '_':
      return c == ' ';
    case '[': {
      const char* end = setEnd(p - 1);
      if (!end) return c == '[';
      bool negate = *p == '^';
      const char* first = negate ? p + 1 : p;
      bool in = std::memchr(first, c, end - first) != nullptr;
      p = end + 1;
      return in != negate;
    }
    default:
      return static_cast<Byte>(item) == c;
  }
}

// The alternatives of a group that begins at p, '(' ... ')'; p moves past the group. The
// heading moves past the first alternative that fits. -1 when none fits.
int matchGroup(const char*& p, const char*& h)
{
  const char* alt = p + 1;
  int fitted = -1;
  for (int i = 0;; i++) {
    const char* q = alt;
    const char* s = h;
    bool fits = true;
    while (*q && *q != '|' && *q != ')') {
      if (!fits) {
        q = (*q == '[' && setEnd(q)) ? setEnd(q) + 1 : q + 1;
        continue;
      }
      fits = fitsItem(q, static_cast<Byte>(*s));
      if (*s) s++;
    }
    if (fits && fitted < 0) {
      fitted = i;
      h = s;
    }
    if (*q != '|') {
      p = *q ? q + 1 : q;
      return fitted;
    }
    alt = q + 1;
  }
}

// Letter-number items ("M39 G211") against the numbers after the same letters in a GRIB
// product field "GRIB1 S7 M39 G211 ...".
bool matchGrib(const char* items, const char* field)
{
  const char* fields = std::strchr(field, ' ');
  for (const char* p = items; *p;) {
    while (*p == ' ') p++;
    if (!*p) break;
    char letter = *p++;
    int want = 0;
    auto [end, ec] = std::from_chars(p, p + std::strlen(p), want);
    if (ec != std::errc()) return false;
    p = end;
    bool found = false;
    for (const char* f = fields; f && *f; f = std::strchr(f + 1, ' ')) {
      const char* w = f + 1;
      int have = 0;
      if (*w != letter) continue;
      auto [wend, wec] = std::from_chars(w + 1, w + std::strlen(w), have);
      if (wec != std::errc() || (*wend && *wend != ' ')) continue;
      found = have == want;
      break;
    }
    Kol::outDebug(7, "compare GRIB %c%d: %d\n", letter, want, found);
    if (!found) return false;
  }
  return true;
}

}  // namespace

bool matchHeading(const char* heading, const char* awips, const char* pattern)
{
  if (!pattern || !*pattern) return true;
  const char* h = heading ? heading : "";
  if (h[0] == '*' && h[1] == '*') h += std::strlen(h) >= 3 ? 3 : std::strlen(h);
  const char* p = pattern;
  const bool trace = Kol::isDebug(7);
  while (*p) {
    if (trace) Kol::outDebug(7, "compare: %s : %s\n", p, h);
    if (*p == '/') {
      h = awips ? awips : "";
      while (*h == ' ') h++;
      p++;
      if (StrLib::equal(h, "GRIB", 4)) return matchGrib(p, h);
    } else if (*p == '*' || *p == '-') {
      char next = p[1];
      if (!next) return true;
      while (*h && *h != next && !(next == '_' && *h == ' ')) h++;
      if (!*h) return false;
      p++;
    } else if (*p == '(') {
      bool at_end = !*h;
      if (matchGroup(p, h) < 0 && !at_end) return false;
    } else {
      if (!*h) return false;
      if (!fitsItem(p, static_cast<Byte>(*h))) return false;
      h++;
    }
  }
  return true;
}

namespace {

// The characters the one-character item at p admits; p moves past it.
std::bitset<256> itemChars(const char*& p)
{
  std::bitset<256> set;
  for (int c = 1; c < 256; c++) {
    const char* q = p;
    if (fitsItem(q, static_cast<Byte>(c))) set.set(c);
  }
  const char* q = p;
  fitsItem(q, 'x');
  p = q;
  return set;
}

// The characters the alternatives of the group at p may begin with; all when one is empty.
std::bitset<256> groupChars(const char* p)
{
  std::bitset<256> set;
  for (const char* alt = p + 1;;) {
    if (*alt == '|' || *alt == ')' || !*alt) return set.set();
    const char* q = alt;
    set |= itemChars(q);
    while (*q && *q != '|' && *q != ')') q = (*q == '[' && setEnd(q)) ? setEnd(q) + 1 : q + 1;
    if (*q != '|') return set;
    alt = q + 1;
  }
}

}  // namespace

HeadingKey headingKey(const char* heading)
{
  HeadingKey k{heading ? heading : "", {0, 0}, {0, 0}};
  if (k.text[0] == '*' && k.text[1] == '*') k.text += k.text[2] ? 3 : 2;
  for (int i = 0; i < 16 && k.text[i]; i++) {
    k.word[i / 8] |= uint64_t{static_cast<Byte>(k.text[i])} << (i % 8 * 8);
    k.within[i / 8] |= uint64_t{0xff} << (i % 8 * 8);
  }
  return k;
}

LeadChars leadChars(const char* pattern)
{
  LeadChars lead;
  const char* p = pattern ? pattern : "";
  int pos = 0;
  while (pos < LeadChars::SIZE && *p && *p != '*' && *p != '-' && *p != '/' && *p != '(')
    lead.at[pos++] = itemChars(p);
  if (pos < LeadChars::SIZE && *p == '(') lead.at[pos++] = groupChars(p);
  for (; pos < LeadChars::SIZE; pos++) lead.at[pos].set();
  for (int i = 0; i < LeadChars::SIZE; i++) {
    const std::bitset<256>& at = lead.at[i];
    if (at.count() == 1) {
      int c = 1;
      while (!at.test(c)) c++;
      lead.fixed[i / 8] |= uint64_t(c) << (i % 8 * 8);
      lead.fixed_mask[i / 8] |= uint64_t{0xff} << (i % 8 * 8);
    } else if (!std::bitset<256>(at).set(0).all()) {  // a heading character is never 0
      lead.sets = true;
    }
  }
  return lead;
}

}  // namespace KOL::wmo
