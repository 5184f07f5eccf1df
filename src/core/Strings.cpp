#include "core/Strings.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/Tools.h"

namespace KOL {

namespace {

using Items = std::vector<std::string_view>;
constexpr size_t NPOS = std::string_view::npos;

bool isSpace(char c) { return StrLib::isSpace(static_cast<unsigned char>(c)); }
bool isDigit(char c) { return StrLib::isDigit(static_cast<unsigned char>(c)); }

Items splitWhite(std::string_view t)
{
  Items items;
  size_t i = 0;
  while (i < t.size()) {
    while (i < t.size() && isSpace(t[i])) i++;
    size_t start = i;
    while (i < t.size() && !isSpace(t[i])) i++;
    if (i > start) items.push_back(t.substr(start, i - start));
  }
  return items;
}

char closerOf(char c)
{
  switch (c) {
    case '(':
      return ')';
    case '[':
      return ']';
    case '{':
      return '}';
    default:
      return c;
  }
}

// Where a field ends (at a separator or the end of the text), whether its groups were all
// closed, and whether it is enclosed in double quotes that are to be removed.
struct FieldEnd {
  size_t end;
  bool closed;
  bool enclosed;
};

// A field starting with a double quote that closes only before a separator or the end.
FieldEnd quotedField(std::string_view t, size_t pos, char sep)
{
  for (size_t j = pos + 1; j < t.size(); j++)
    if (t[j] == '"' && (j + 1 == t.size() || t[j + 1] == sep)) return {j + 1, true, true};
  return {t.size(), false, false};
}

FieldEnd scanField(std::string_view t, size_t pos, char sep, std::string_view groups)
{
  bool quoteGroups = groups.find('"') != NPOS;
  if (!quoteGroups && pos < t.size() && t[pos] == '"') return quotedField(t, pos, sep);
  size_t j = pos, firstClose = NPOS;
  while (j < t.size() && t[j] != sep) {
    if (groups.find(t[j]) == NPOS) {
      j++;
      continue;
    }
    size_t close = t.find(closerOf(t[j]), j + 1);
    if (close == NPOS) return {t.size(), false, false};
    if (j == pos) firstClose = close;
    j = close + 1;
  }
  bool enclosed = firstClose != NPOS && t[pos] == '"' && firstClose + 1 == j;
  return {j, true, enclosed};
}

std::string_view unquoted(std::string_view s)
{
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

Items splitSep(std::string_view t, char sep, int max, std::string_view groups)
{
  Items items;
  size_t pos = 0;
  for (;;) {
    if (max >= 1 && static_cast<int>(items.size()) == max - 1) {
      items.push_back(unquoted(t.substr(pos)));
      break;
    }
    FieldEnd f = scanField(t, pos, sep, groups);
    std::string_view field = t.substr(pos, f.end - pos);
    items.push_back(f.enclosed ? field.substr(1, field.size() - 2) : field);
    if (!f.closed || f.end >= t.size()) break;
    pos = f.end + 1;
  }
  return items;
}

// Reads an optionally signed number at pos (after white space) for the field format splitter;
// returns the end of the number or NPOS when no digit follows the sign.
size_t numberEnd(std::string_view t, size_t pos, bool fraction)
{
  if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) pos++;
  if (pos >= t.size() || !isDigit(t[pos])) return NPOS;
  while (pos < t.size() && isDigit(t[pos])) pos++;
  if (fraction && pos + 1 < t.size() && t[pos] == '.' && isDigit(t[pos + 1])) {
    pos++;
    while (pos < t.size() && isDigit(t[pos])) pos++;
  }
  return pos;
}

// Walks fmt over t, calling store(k, field) for the k-th conversion until the walk stops.
template <typename Store>
void walkFormat(std::string_view t, const char* fmt, Store store)
{
  size_t pos = 0, k = 0;
  for (const char* f = fmt; *f && pos < t.size();) {
    if (*f != '%') {
      if (t[pos] != *f) return;
      pos++, f++;
      continue;
    }
    f++;
    while (isDigit(*f)) f++;  // widths are not used
    char conv = *f;
    if (conv == 'c') {
      store(k++, t.substr(pos, 1));
      pos++, f++;
      continue;
    }
    if (conv != 'd' && conv != 'D' && conv != 'f') return;
    size_t start = pos;
    while (pos < t.size() && isSpace(t[pos])) pos++;
    size_t end = numberEnd(t, pos, conv == 'f');
    if (end == NPOS) return;
    store(k++, conv == 'D' ? t.substr(start, end - start) : t.substr(pos, end - pos));
    pos = end;
    f++;
  }
}

}  // namespace

Strings::Strings(int n)
{
  init();
  set(n);
}

Strings::Strings(int n, const char* const* a)
{
  init();
  set(n, a);
}

Strings::Strings(const char* text)
{
  init();
  set(text);
}

Strings::Strings(const char* text, char sep)
{
  init();
  set(text, sep);
}

Strings::Strings(const char* text, char sep, int max)
{
  init();
  set(text, sep, max);
}

Strings::Strings(const char* text, char sep, int max, const char* groups)
{
  init();
  set(text, sep, max, groups);
}

Strings::Strings(const Strings& s)
{
  init();
  set(s);
}

Strings::Strings(Strings&& s) noexcept : slots_(std::move(s.slots_)), number_(s.number_)
{
  s.init();
}

Strings& Strings::operator=(Strings&& s) noexcept
{
  if (this != &s) {
    replace(std::move(s.slots_), s.number_);
    s.init();
  }
  return *this;
}

Strings& Strings::operator=(const Strings& s)
{
  if (this != &s) set(s);
  return *this;
}

void Strings::init()
{
  slots_.clear();
  number_ = 0;
}

Strings::Item Strings::makeItem(std::string_view s)
{
  Item item = std::make_unique<char[]>(s.size() + 1);
  std::memcpy(item.get(), s.data(), s.size());
  return item;
}

// The new list is built completely before the old one is freed: the text being split may be
// one of our own items.
int Strings::assign(const std::vector<std::string_view>& items)
{
  std::vector<Item> slots(items.size());
  for (size_t i = 0; i < items.size(); i++) slots[i] = makeItem(items[i]);
  return replace(std::move(slots), static_cast<int>(items.size()));
}

int Strings::replace(std::vector<Item> slots, int number)
{
  slots_ = std::move(slots);
  number_ = number;
  return number;
}

int Strings::set(int n)
{
  init();
  slots_.resize(n > 0 ? n : 0);
  return 1;
}

int Strings::set(int n, const char* const* a)
{
  if (n <= 0 || !a) {
    init();
    return 0;
  }
  std::vector<Item> slots(n);
  for (int i = 0; i < n; i++)
    if (a[i]) slots[i] = makeItem(a[i]);
  replace(std::move(slots), n);
  return 1;
}

int Strings::set(const char* text)
{
  if (!StrLib::valid(text)) {
    init();
    return 0;
  }
  return assign(splitWhite(text));
}

int Strings::set(const char* text, char sep, int max, const char* groups)
{
  if (!StrLib::valid(text) || max == 0) {
    init();
    if (max == 0) Kol::outWarning("Strings: an item limit of 0 splits nothing\n");
    return 0;
  }
  return assign(splitSep(text, sep, max, groups ? groups : ""));
}

int Strings::set(const char* text, const char* fmt)
{
  if (!text || !fmt) {
    init();
    return 0;
  }
  std::vector<Item> slots(StrLib::occurs(fmt, '%') + 1);
  walkFormat(text, fmt, [&slots](size_t k, std::string_view item) {
    if (k < slots.size()) slots[k] = makeItem(item);
  });
  return replace(std::move(slots), StrLib::occurs(fmt, '%') + 1);
}

int Strings::set(const Strings& s)
{
  if (this == &s) return 1;
  std::vector<Item> slots(s.number_);
  for (int i = 0; i < s.number_; i++)
    if (s.slots_[i]) slots[i] = makeItem(s.slots_[i].get());
  replace(std::move(slots), s.number_);
  return 1;
}

int Strings::set(int i, const char* s)
{
  if (i < 0) return 0;
  Item item = StrLib::valid(s) ? makeItem(s) : nullptr;
  if (i >= getCapacity()) slots_.resize(i + 1);
  slots_[i] = std::move(item);
  return slots_[i] ? 1 : 0;
}

int Strings::add(const char* s)
{
  if (!StrLib::valid(s)) return 0;
  if (number_ >= getCapacity()) slots_.resize(number_ + GROWTH);
  slots_[number_++] = makeItem(s);
  return 1;
}

int Strings::expand(int n)
{
  if (n < number_) n = number_;
  slots_.resize(n);
  slots_.shrink_to_fit();
  return 1;
}

void Strings::clear()
{
  for (Item& item : slots_) item.reset();
  number_ = 0;
}

const char* Strings::getString(int i) const
{
  if (i < 0 || i >= number_) return nullptr;
  return slots_[i].get();
}

const char* Strings::getString(int i, char c) const
{
  const char* s = getString(i);
  return s ? std::strchr(s, c) : nullptr;
}

const char* Strings::getString(int i, int pos) const
{
  const char* s = getString(i);
  if (!s || pos < 0 || pos >= static_cast<int>(std::strlen(s))) return nullptr;
  return s + pos;
}

const char* Strings::getStringAfter(int i, char c) const
{
  const char* s = getString(i, c);
  return s ? s + 1 : nullptr;
}

char Strings::getChar(int i, int pos) const
{
  const char* s = getString(i, pos);
  return s ? *s : 0;
}

bool Strings::valid(int i) const { return StrLib::valid(getString(i)); }

bool Strings::equal(int i, const char* s) const { return StrLib::equal(getString(i), s); }

bool Strings::iequal(int i, const char* s) const { return StrLib::iequal(getString(i), s); }

bool Strings::equal(int i, int pos, const char* s) const
{
  return StrLib::equal(getString(i, pos), s);
}

bool Strings::iequal(int i, int pos, const char* s) const
{
  return StrLib::iequal(getString(i, pos), s);
}

bool Strings::equal(int i, const char* s, int n) const { return StrLib::equal(getString(i), s, n); }

bool Strings::iequal(int i, const char* s, int n) const
{
  return StrLib::iequal(getString(i), s, n);
}

int Strings::find(const char* s) const
{
  for (int i = 0; i < number_; i++)
    if (StrLib::equal(getString(i), s)) return i;
  return -1;
}

int Strings::index(int i, char c) const { return StrLib::index(getString(i), c); }

int Strings::occurs(int i, char c) const { return StrLib::occurs(getString(i), c); }

bool Strings::contains(int i, const char* s) const { return StrLib::contains(getString(i), s); }

int Strings::getLength(int i) const { return StrLib::length(getString(i)); }

bool Strings::check(int i, const char* tmpl) const { return StrLib::check(getString(i), tmpl); }

int Strings::scanf(int i, const char* fmt, ...) const
{
  const char* s = getString(i);
  if (!s || !fmt) return 0;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsscanf(s, fmt, ap);
  va_end(ap);
  return n;
}

int Strings::scanf(int i, int pos, const char* fmt, ...) const
{
  const char* s = getString(i, pos);
  if (!s || !fmt) return 0;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsscanf(s, fmt, ap);
  va_end(ap);
  return n;
}

long Strings::readLong(const char* s)
{
  return Tools::isInt(s) ? std::strtol(s, nullptr, 10) : Const::MISS;
}

float Strings::readFloat(const char* s)
{
  return Tools::isFloat(s) ? std::strtof(s, nullptr) : Const::FMISS;
}

int Strings::getInt(int i) const { return static_cast<int>(readLong(getString(i))); }

long Strings::getLong(int i) const { return readLong(getString(i)); }

int Strings::getInt(int i, int pos) const { return static_cast<int>(readLong(getString(i, pos))); }

long Strings::getLong(int i, int pos) const { return readLong(getString(i, pos)); }

int Strings::getIntAfter(int i, char c) const
{
  return static_cast<int>(readLong(getStringAfter(i, c)));
}

long Strings::getLongAfter(int i, char c) const { return readLong(getStringAfter(i, c)); }

float Strings::getFloat(int i) const { return readFloat(getString(i)); }

float Strings::getFloat(int i, int pos) const { return readFloat(getString(i, pos)); }

float Strings::getFloatAfter(int i, char c) const { return readFloat(getStringAfter(i, c)); }

void Strings::print() const
{
  for (int i = 0; i < number_; i++) {
    const char* s = getString(i);
    std::printf("%d=%s\n", i, s ? s : "");
  }
}

}  // namespace KOL
