// Colour bars of a plot, drawn in page coordinates: one box per band of a colour fill, or an
// enhancement table shaded across its value range, with their labels.
#pragma once

#include "geo/Rect.h"

namespace KOL {

class ColorFill;
class Enhance;
class Graph;
class Range;

namespace ColorBar {

// The bar's rectangle beside the panel viewport vp on the page ndc: locate 0 below, 1 above,
// 2 right, 3 left, thickness h, leaving gap (label room) between the panel and the bar. A bar
// that would leave the page is laid over the panel's edge instead.
Rect place(const Rect& vp, const Rect& ndc, int locate, float h, float gap);
// The number of boxes the fill gives between the range limits (0 when it cannot tell).
int countBoxes(const ColorFill& fill, const Range& r);
// Boxes across box (stacked upward when it is higher than wide); labels 0.35 of the thickness
// in labelColor: each entry's label at its box, or, when the fill has none, the band limits.
int draw(Graph& g, const ColorFill& fill, const Range& r, const Rect& box, int labelColor);
int drawEnhance(Graph& g, const Enhance& e, const Rect& box, int labelColor);

}  // namespace ColorBar
}  // namespace KOL
