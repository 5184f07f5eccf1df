#include "core/ResrcDBItem.h"

#include <cstdio>

namespace KOL {

ResrcDBItem::ResrcDBItem(const char* n, const char* e, const char* a, const char* h)
{
  init();
  set(n, e, a, h);
}

void ResrcDBItem::init() { set(nullptr, nullptr, nullptr, nullptr); }

void ResrcDBItem::set(const char* n, const char* e, const char* a, const char* h)
{
  name = n;
  env = e;
  abbrev = a;
  help = h;
}

void ResrcDBItem::print() const
{
  auto shown = [](const char* s) { return s ? s : "(none)"; };
  std::printf("%s %s %s %s\n", shown(name), shown(env), shown(abbrev), shown(help));
}

}  // namespace KOL
