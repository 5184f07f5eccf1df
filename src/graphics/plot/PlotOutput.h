// Where a drawing program's picture goes: an image file written without a display (the
// off-screen image device), a PostScript file, or the X window and its event loop; and the
// white page the plot programs draw on.
#pragma once

#include <string>

namespace KOL {

class Domain;
class Drawing;
class Figure;
class Resrc;

namespace PlotOutput {

// Inverse video (a white page, dark lines and labels) unless a background or inverse is named.
void whitePage(Resrc& r);
// The figure's opening parameters: the image device when imageFile names a PNG or GIF file and
// no device is named; empty otherwise (the resource "device" chooses).
std::string deviceParams(const char* device, const char* imageFile);
// The picture file an output kind names: "png" or "gif" with the file given apart, or a file
// name ending in ".png" or ".gif" itself; empty when it names none.
std::string imageFile(const std::string& kind, const char* named);
// One layer drawn on the domain into a figure on the device, then finish(). A program status.
int drawLayer(Drawing& layer, const Domain& d, const char* prog, const char* device,
              const char* imageFile);
// After Figure::endPlot: writes imageFile when it names one, closes a file device (PostScript,
// metafile) or enters the window's event loop; reports "prog: wrote NAME". A program status.
int finish(Figure& fig, const char* prog, const char* device, const char* imageFile);

}  // namespace PlotOutput
}  // namespace KOL
