#include "core/ResrcDBList.h"

namespace KOL {

namespace {

int copyOut(const ResrcDBItem* found, ResrcDBItem& item)
{
  if (!found) return 0;
  item = *found;
  return 1;
}

}  // namespace

void ResrcDBList::init()
{
  items.clear();
  cursor = 0;
}

int ResrcDBList::add(const char* name, const char* env, const char* abbrev, const char* help)
{
  return add(ResrcDBItem(name, env, abbrev, help));
}

int ResrcDBList::add(const ResrcDBItem& item)
{
  if (!item.name) return 0;
  items.push_back(item);
  return 1;
}

const ResrcDBItem* ResrcDBList::first()
{
  rewind();
  return next();
}

int ResrcDBList::first(ResrcDBItem& item) { return copyOut(first(), item); }

const ResrcDBItem* ResrcDBList::next()
{
  if (cursor >= items.size()) return nullptr;
  return &items[cursor++];
}

int ResrcDBList::next(ResrcDBItem& item) { return copyOut(next(), item); }

const ResrcDBItem* ResrcDBList::get(int i) const
{
  if (i < 1) i = 0;
  return (size_t)i < items.size() ? &items[i] : nullptr;
}

int ResrcDBList::get(int i, ResrcDBItem& item) const { return copyOut(get(i), item); }

void ResrcDBList::print() const
{
  for (const ResrcDBItem& item : items) item.print();
}

}  // namespace KOL
