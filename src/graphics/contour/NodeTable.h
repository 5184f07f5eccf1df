// A value per node for the few nodes one level or band uses out of the grid's millions of sides
// and points: open addressing, so a lookup costs about one cache line.
#pragma once

#include <cstdint>
#include <vector>

namespace KOL::contour {

class NodeTable {
 public:
  // Empties the table, with room for n nodes.
  void reset(int n)
  {
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(n)) size *= 2;
    keys.assign(size, -1);
    values.resize(size);
    mask = size - 1;
  }
  // The value of node (>= 0), made -1 when it was not there.
  int& at(int node)
  {
    std::size_t s = slot(node);
    while (keys[s] != node && keys[s] >= 0) s = (s + 1) & mask;
    if (keys[s] < 0) {
      keys[s] = node;
      values[s] = -1;
    }
    return values[s];
  }
  // The value of node, null when it is not there.
  int* get(int node)
  {
    for (std::size_t s = slot(node); keys[s] >= 0; s = (s + 1) & mask)
      if (keys[s] == node) return &values[s];
    return nullptr;
  }

 private:
  std::size_t slot(int node) const
  {
    return (static_cast<uint32_t>(node) * 2654435761u >> 7) & mask;
  }
  std::vector<int> keys, values;
  std::size_t mask = 0;
};

}  // namespace KOL::contour
