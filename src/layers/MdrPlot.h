// The layer of manually digitised radar: refused. Every file given is answered with one line saying
// why, and nothing is drawn.
#pragma once

#include "graphics/Drawing.h"

namespace KOL {

class MdrPlot : public Drawing {
 public:
  // 0, after one line.
  int setFilename(const char* name) override;
  int draw(Plot&) override { return 0; }
};

}  // namespace KOL
