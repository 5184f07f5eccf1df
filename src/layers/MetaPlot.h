// A stored metafile replayed as a layer: its drawing records drawn again on the plot (the
// metafile's own coordinates scaled to the device), as one picture over or under the others.
// The file is named (key fi) or found by the naming convention "metafile".
#pragma once

#include "core/Filename.h"
#include "graphics/Drawing.h"

namespace KOL {

class MetaPlot : public Drawing {
 public:
  static constexpr const char* CONVENTION = "metafile";

  MetaPlot() { init(); }
  explicit MetaPlot(const char* params) : MetaPlot() { setParam(params); }

  // Defaults, the resource "in_file" (the convention), then "parameter".
  void init() override;
  int setNameConv(const char* conv) override { return file.setNameConv(conv); }
  int setFilename() override { return file.setFile(); }
  int setFilename(const char* name) override { return file.checkFile(name) && file.exist(); }
  int setFilename(Date& d) override;
  int getDate(Date& d) override { return file.getDate(d) && d.isSet(); }
  // fi=FILE.
  int setParam(const char* params) override;
  // 1 when the metafile was replayed; 0 (one level-3 message) when it cannot be read.
  int draw(Plot& plot) override;
  void print() override;
  const char* getFilename() const { return file.getName(); }

 private:
  Filename file;
};

}  // namespace KOL
