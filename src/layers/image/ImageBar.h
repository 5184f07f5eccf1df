// Colour bars of image layers: the classes of a radar product, or the grey (or coloured) scale
// of a satellite channel over its physical values, with the units at the bar's end.
#pragma once

#include <string>
#include <vector>

#include "layers/image/ImageCanvas.h"

namespace KOL {

class Enhance;
class Plot;

namespace imageplot {

// Class k (1..n) holds the values from limits[k-1] up to limits[k]; colors.rgb[k] is its
// colour. The colours are taken into the plot's colour map and written back into colors as the
// plot has them, so that the picture and its bar agree to the last bit. Each box is labelled
// with its lower limit; a first limit far below the next (a floor under everything) reads
// "<next". Named classes (names given for every class) are labelled by their names.
int setClassBar(Plot& plot, const std::vector<float>& limits, CodeColors& colors, const char* units,
                const std::vector<std::string>& names = {});
// A bar shaded across the enhancement's value range.
int setScaleBar(Plot& plot, const Enhance& e, const char* units);
// The label of class k's box (see setClassBar).
std::vector<std::string> classLabels(const std::vector<float>& limits);

}  // namespace imageplot
}  // namespace KOL
