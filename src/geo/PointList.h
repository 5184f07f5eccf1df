// A growable list of points (Point, EarthPoint or GridPoint): the polylines, station lists and
// lattices that are projected in one call.
#pragma once

#include <vector>

namespace KOL {

template <class P>
class PointList {
 public:
  PointList() { init(); }

  void init() { items.clear(); }
  void clear() { items.clear(); }
  int getNum() const { return static_cast<int>(items.size()); }
  void reserve(int n) { items.reserve(n > 0 ? n : 0); }

  // Copies item i into p; 0 when i is out of range.
  int get(int i, P& p) const
  {
    if (!valid(i)) return 0;
    p = items[i];
    return 1;
  }
  // Replaces item i; the list grows with missing points so that i fits. 0 for a negative i.
  int set(int i, const P& p)
  {
    if (i < 0) return 0;
    if (i >= getNum()) items.resize(i + 1);
    items[i] = p;
    return 1;
  }
  void add(const P& p) { items.push_back(p); }
  // Moves item i by (dx, dy); 0 when i is out of range.
  int offset(int i, float dx, float dy)
  {
    if (!valid(i)) return 0;
    items[i].offset(dx, dy);
    return 1;
  }

  P& operator[](int i) { return items[i]; }
  const P& operator[](int i) const { return items[i]; }
  typename std::vector<P>::iterator begin() { return items.begin(); }
  typename std::vector<P>::iterator end() { return items.end(); }
  typename std::vector<P>::const_iterator begin() const { return items.begin(); }
  typename std::vector<P>::const_iterator end() const { return items.end(); }

 private:
  bool valid(int i) const { return i >= 0 && i < getNum(); }

  std::vector<P> items;
};

}  // namespace KOL
