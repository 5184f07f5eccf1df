// Where a drawing program's picture goes: an image file written without a display (the
// off-screen image device), a PostScript file, or the X window and its event loop; and the
// white page the plot programs draw on.
#pragma once

#include <string>
#include <vector>

namespace KOL {

class Domain;
class Drawing;
class Figure;
class Rect;
class Resrc;

namespace PlotOutput {

// Inverse video (a white page, dark lines and labels) unless a background or inverse is named.
void whitePage(Resrc& r);
// The figure's opening parameters: the image device when imageFile names a PNG or GIF file and
// no device is named; empty otherwise (the resource "device" chooses).
std::string deviceParams(const char* device, const char* imageFile);
// The device text an output name ending in ".ps", ".eps", ".meta" or ".hpgl" (any case) selects:
// that device writing that file ("eps" added for ".eps"), followed by the options of the device
// text given when it is of the same kind (a metafile is 640 x 512 units unless they size it);
// empty for any other name.
std::string fileDevice(const char* device, const char* output);
// Sets the resource "device" to the device output selects (fileDevice); true when it did.
bool selectDevice(Resrc& r, const char* output);
// The file a device text names (its second field); empty when it names none.
std::string deviceFile(const char* device);
// The output file a kind names: "png" or "gif" with the file given apart, or a file name that
// selects image output (".png", ".gif") or a file device (".ps", ".eps", ".meta", ".hpgl");
// empty when it names none.
std::string outputFile(const std::string& kind, const char* named);
// One layer drawn on the domain into a figure on the device (or the one output selects), then
// finish(). A program status.
int drawLayer(Drawing& layer, const Domain& d, const char* prog, const char* device,
              const char* output);
// One layer (and the layers over it) drawn on the domain (in panel when one is given) into the
// figure deviceParams opens, then finish(); "prog: cannot open the output device" when it does
// not open. A program status.
int drawFigure(Drawing& layer, const Domain& d, const char* prog, const char* device,
               const char* output, const Rect* panel = nullptr,
               const std::vector<Drawing*>& over = {});
// Each layer drawn on the domain into a picture of its own without a display, the pictures
// written as one animated GIF that loops (delay in hundredths of a second between them);
// reports "prog: wrote NAME (N frames)". A program status.
int drawLoop(const std::vector<Drawing*>& layers, const Domain& d, const char* prog,
             const char* gif, int delay = 50);
// Whether a loop can go where the program is told: an animated GIF named by output, else the X
// window the device names.
bool canLoop(const char* device, const std::string& output);
// Each layer drawn on the domain into a frame of its own in the X window, once; the frames then
// cycle (a longer stay on the last) until q or Escape is pressed or the window is closed. The
// space bar stops and restarts the loop, the arrow keys step while it stands. A program status.
int showLoop(const std::vector<Drawing*>& layers, const Domain& d, const char* prog,
             const char* device);
// Several layers drawn in order, the figure dated by the first that has a date.
int drawLayers(const std::vector<Drawing*>& layers, const Domain& d, const char* prog,
               const char* device, const char* output);
// After Figure::endPlot: writes output when it names a picture, closes a file device
// (PostScript, metafile, plotter) or enters the window's event loop; reports "prog: wrote NAME".
// A program status.
int finish(Figure& fig, const char* prog, const char* device, const char* output);

}  // namespace PlotOutput
}  // namespace KOL
