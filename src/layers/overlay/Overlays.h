// The forecast office's products a plotting program draws over its own picture, each named by
// an option: -fronts=FILE (a coded surface bulletin), -warn=FILE (warnings in force at the
// picture's time), -light=FILE (lightning strikes). They draw no map of their own: the
// program's layer has drawn it.
#pragma once

#include <ctime>
#include <memory>
#include <vector>

#include "graphics/Drawing.h"

namespace KOL {

class ResrcDBList;

namespace overlay {

class Overlays {
 public:
  // The options, resources "front_file", "warn_file" and "light_file".
  static void declare(ResrcDBList& keyed);
  // The layers of the files named, warnings and strikes valid at valid (-1: their latest); 0
  // (after the layer's message) when one cannot be read.
  int read(std::time_t valid = -1);
  // The layers read, in drawing order (fronts, warnings, lightning).
  std::vector<Drawing*> get() const;
  bool empty() const { return layers.empty(); }

 private:
  std::vector<std::unique_ptr<Drawing>> layers;
};

}  // namespace overlay
}  // namespace KOL
