#include "graphics/device/ImageSamples.h"

namespace KOL::ImageSamples {

// Filled in with the image type.
bool drawable(Image&) { return false; }
void writeRows(TextOut&, Image&, int, int, int, int, bool) {}

}  // namespace KOL::ImageSamples
