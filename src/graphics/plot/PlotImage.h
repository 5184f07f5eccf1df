// Pictures of a plot as files: which image type an output text or file name asks for, the
// names of saved frames, writing a captured picture as PNG or GIF (with a transparent colour),
// and reading a PNG (a logo) back.
#pragma once

#include <string>
#include <vector>

namespace KOL {

class Image;
class RGB;

namespace PlotImage {

// "GIF" or "PNG" for an output text beginning or ending with "gif" or "png"; null otherwise.
const char* outputType(const char* output);
// The file an output text names: from its 5th character when it begins with the type
// ("gif:plot.gif"), else the text itself.
std::string outputName(const char* output);
// "GIF" or "PNG" from a file name's last three characters; null otherwise.
const char* typeOfName(const char* file);
// The names for n saved frames (one name when n < 2) after the window title.
std::vector<std::string> frameNames(const char* title, int n, bool gif);
// Writes img; with trans, that colour becomes transparent (the picture is first reduced to a
// colour table when it has few enough colours). 1 on success.
int write(const char* path, const Image& img, bool gif, const RGB* trans);
// A PNG file of any kind as a 24-bit image; 0 when unreadable.
int readPng(const char* path, Image& img);

}  // namespace PlotImage
}  // namespace KOL
