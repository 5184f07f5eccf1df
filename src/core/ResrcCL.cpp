#include "core/ResrcCL.h"

#include <cctype>
#include <cstring>

#include "core/String.h"

namespace KOL {

ResrcCL::ResrcCL(const Strings& args) : Strings(args) { init(); }

void ResrcCL::init() { rewind(); }

void ResrcCL::rewind()
{
  next_arg = 1;
  positional = 0;
  last_kind = NO_KEY;
}

const char* ResrcCL::arg(int i) const
{
  const char* s = getString(i);
  return s ? s : "";
}

bool ResrcCL::isKeyed(const char* a)
{
  if (!a || a[0] != '-') return false;
  if (a[1] == '-') a++;
  return std::isalpha((unsigned char)a[1]) != 0;
}

int ResrcCL::getKeyed(String& key, String& value)
{
  if (next_arg >= getNum()) return -1;
  const char* a = arg(next_arg);
  if (std::strcmp(a, "--") == 0) {
    key.clear();
    value.clear();
    next_arg++;
    last_kind = SEPARATOR;
    return 1;
  }
  if (!isKeyed(a)) return 0;
  a += a[1] == '-' ? 2 : 1;
  next_arg++;
  if (const char* eq = std::strchr(a, '=')) {
    key.copy(a, (int)(eq - a));
    value.copy(eq + 1);
    last_kind = KEY_EQUALS;
    return 1;
  }
  key.copy(a);
  // "--" marks the end of an option's words, so it is never taken as a value.
  if (next_arg < getNum() && !isKeyed(arg(next_arg)) && std::strcmp(arg(next_arg), "--") != 0) {
    value.copy(arg(next_arg++));
    last_kind = KEY_VALUE;
  } else {
    value.clear();
    last_kind = KEY_ALONE;
  }
  return 1;
}

int ResrcCL::getPosition(String& value)
{
  if (next_arg >= getNum()) return -1;
  value.copy(arg(next_arg++));
  return positional++;
}

int ResrcCL::compare(const char* a, const char* name, const char* abbrev)
{
  if (!a || !*a) return 0;
  if (abbrev && std::strcmp(a, abbrev) == 0) return 2;
  if (name && std::strncmp(a, name, std::strlen(a)) == 0) return 1;
  return 0;
}

}  // namespace KOL
