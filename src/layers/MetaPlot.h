// A stored metafile replayed as a layer: its drawing records drawn again on the plot (the
// metafile's own coordinates scaled to the device), as one picture over or under the others.
// The file is named (key fi) or found by the naming convention "metafile".
#pragma once

#include "layers/FileLayer.h"

namespace KOL {

class MetaPlot : public FileLayer {
 public:
  static constexpr const char* CONVENTION = "metafile";

  MetaPlot() : FileLayer(CONVENTION) { init(); }
  explicit MetaPlot(const char* params) : MetaPlot() { setParam(params); }

  // Defaults, the resource "in_file" (the convention), then "parameter".
  void init() override;
  // fi=FILE.
  int setParam(const char* params) override;
  // 1 when the metafile was replayed; 0 (one level-3 message) when it cannot be read.
  int draw(Plot& plot) override;
  void print() override;
};

}  // namespace KOL
