// The layers of products no sample exists of refuse every file in one line and draw nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/TestData.h"
#include "core/Kol.h"
#include "graphics/Plot.h"
#include "layers/MdrPlot.h"
#include "layers/RadPlot.h"
#include "layers/RcmPlot.h"
#include "layers/RedbookPlot.h"

namespace {

TEST(RefusedPlots, OneLineEachAndNothingDrawn)
{
  std::vector<std::pair<std::string, std::unique_ptr<KOL::Drawing>>> layers;
  layers.emplace_back("RedbookPlot", std::make_unique<KOL::RedbookPlot>());
  layers.emplace_back("RcmPlot", std::make_unique<KOL::RcmPlot>());
  layers.emplace_back("MdrPlot", std::make_unique<KOL::MdrPlot>());
  layers.emplace_back("RadPlot", std::make_unique<KOL::RadPlot>());
  KOL::Plot plot;
  for (auto& [name, layer] : layers) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(layer->setFilename("product.bin"), 0) << name;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind(name + ": product.bin: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(layer->draw(plot), 0) << name;
  }
}

}  // namespace
