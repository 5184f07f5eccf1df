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
// The room place() needs between the panel and the page edge on the bar's side to put a bar of
// thickness h, with its labels and the gap, outside the panel.
float room(int locate, float h, float gap);
// The gap between a panel of height panelHeight and its bar: room for one line of labels.
float gapFor(float panelHeight);
// The number of boxes the fill gives between the range limits (0 when it cannot tell).
int countBoxes(const ColorFill& fill, const Range& r);
// Boxes across box (stacked upward when it is higher than wide); labels 0.35 of the thickness
// in labelColor: each entry's label at its box, or, when the fill has none, the band limits.
int draw(Graph& g, const ColorFill& fill, const Range& r, const Rect& box, int labelColor);
// The units of the bar's values just past its far end (above a bar standing upright).
int drawUnits(Graph& g, const Rect& box, const char* units, int labelColor);
int drawEnhance(Graph& g, const Enhance& e, const Rect& box, int labelColor);

}  // namespace ColorBar
}  // namespace KOL
