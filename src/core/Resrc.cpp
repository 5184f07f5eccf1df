#include "core/Resrc.h"

#include <strings.h>
#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>

#include "core/String.h"

namespace KOL {

namespace {

// The digits that begin a value, or an empty view when it does not begin with a digit.
std::string_view leadingNumber(const char* value)
{
  if (!value || !std::isdigit((unsigned char)value[0])) return {};
  return value;
}

}  // namespace

Resrc::Resrc() { init(); }

void Resrc::init() { clear(); }

void Resrc::clear()
{
  entries.clear();
  index.clear();
  cursor = 0;
}

const Resrc::Entry* Resrc::find(std::string_view name) const
{
  auto it = index.find(name);
  return it == index.end() ? nullptr : &entries[it->second];
}

Resrc::Entry* Resrc::find(std::string_view name)
{
  auto it = index.find(name);
  return it == index.end() ? nullptr : &entries[it->second];
}

int Resrc::add(const char* name, const char* value, int type, const char* origin)
{
  if (!name) return 0;
  Entry* e = find(name);
  if (!e) {
    index.emplace(name, entries.size());
    e = &entries.emplace_back();
    e->name = name;
  }
  e->has_value = value != nullptr;
  e->value = value ? value : "";
  e->type = type;
  e->origin = origin ? origin : "";
  return 1;
}

int Resrc::set(const char* name, const String& value) { return add(name, value.get(), PROGRAM); }

int Resrc::join(const char* name, const char* value, char sep, bool before)
{
  if (!name) return 0;
  Entry* e = find(name);
  if (!e) return add(name, value, UNRECORDED);
  if (!value) return 1;
  if (!e->has_value) {
    e->value = value;
    e->has_value = true;
    return 1;
  }
  char s = sep ? sep : '\n';
  e->value = before ? std::string(value) + s + e->value : e->value + s + value;
  return 1;
}

int Resrc::prepend(const char* name, const char* value, char sep)
{
  return join(name, value, sep, true);
}

int Resrc::append(const char* name, const char* value, char sep)
{
  return join(name, value, sep, false);
}

const char* Resrc::get(const char* name) const
{
  const Entry* e = name ? find(name) : nullptr;
  return e ? e->value.c_str() : nullptr;
}

const char* Resrc::get(const char* name, const char* def) const
{
  const char* v = get(name);
  return v ? v : def;
}

float Resrc::get(const char* name, float def) const
{
  std::string_view num = leadingNumber(get(name));
  float v = def;
  if (num.empty() || std::from_chars(num.data(), num.data() + num.size(), v).ec != std::errc())
    return def;
  return v;
}

int Resrc::get(const char* name, int def) const
{
  std::string_view num = leadingNumber(get(name));
  int v = def;
  if (num.empty() || std::from_chars(num.data(), num.data() + num.size(), v).ec != std::errc())
    return def;
  return v;
}

bool Resrc::getBool(const char* name) const
{
  const char* v = get(name);
  if (!v) return false;
  return strcasecmp(v, "no") != 0 && strcasecmp(v, "off") != 0 && strcasecmp(v, "false") != 0;
}

int Resrc::getType(const char* name) const
{
  const Entry* e = name ? find(name) : nullptr;
  return e ? e->type : 0;
}

const char* Resrc::getOrigin(const char* name) const
{
  const Entry* e = name ? find(name) : nullptr;
  return e ? e->origin.c_str() : nullptr;
}

int Resrc::scanf(const char* name, const char* fmt, ...) const
{
  const char* v = get(name);
  if (!v || !fmt) return 0;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsscanf(v, fmt, ap);
  va_end(ap);
  return n;
}

const char* Resrc::getNext()
{
  if (cursor >= entries.size()) return nullptr;
  return entries[cursor++].name.c_str();
}

int Resrc::getValues(String& name, String& value, int next)
{
  if (!next) cursor = 0;
  if (cursor >= entries.size()) return 0;
  const Entry& e = entries[cursor++];
  name.copy(e.name.c_str());
  if (e.has_value)
    value.copy(e.value.c_str());
  else
    value.clear();
  return 1;
}

void Resrc::print(const char* name) const
{
  const char* v = get(name);
  if (v)
    std::printf("%s: %s\n", name, v);
  else
    std::printf("%s: not set\n", name ? name : "");
}

const char* Resrc::typeMarker(int type)
{
  switch (type) {
    case RESFILE:
      return " (file): ";
    case ENVIRON:
      return " (env): ";
    case CMDLINE:
      return " (cmd): ";
    default:
      return ": ";
  }
}

void Resrc::printAll() const
{
  for (const Entry& e : entries)
    std::printf("%s%s%s\n", e.name.c_str(), typeMarker(e.type), e.value.c_str());
}

}  // namespace KOL
