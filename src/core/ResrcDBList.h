// An ordered list of declared options (keyed or positional) handed to ResrcDB::create; items
// are copied, their texts are not.
#pragma once

#include <cstddef>
#include <vector>

#include "core/ResrcDBItem.h"

namespace KOL {

class ResrcDBList {
 public:
  ResrcDBList() { init(); }
  void init();

  int add(const char* name, const char* env, const char* abbrev, const char* help);
  int add(const ResrcDBItem& item);

  // Iteration: first() restarts and returns the head; next() returns the current item and
  // advances, null at the end (and stays there). Pointers are valid until the next add.
  void rewind() { cursor = 0; }
  const ResrcDBItem* first();
  int first(ResrcDBItem& item);
  const ResrcDBItem* next();
  int next(ResrcDBItem& item);
  // Item i from 0 (the head for i below 1); null beyond the end.
  const ResrcDBItem* get(int i) const;
  int get(int i, ResrcDBItem& item) const;
  int getNum() const { return (int)items.size(); }

  void print() const;

 private:
  std::vector<ResrcDBItem> items;
  size_t cursor = 0;
};

}  // namespace KOL
