// A true-colour picture with few colours (a plot) turned into an 8-bit image with a colour
// table, so that it can be written as a palette PNG or a GIF with a transparent entry.
#pragma once

namespace KOL {

class Image;
class RGB;

namespace ReducePalette {

// 24 or 32-bit in, 8-bit with a colour table out. 0 (out untouched) with more than 256 colours
// or another depth.
int reduce(const Image& in, Image& out);
// 24 or 32-bit in, 8-bit out with the 256 most frequent colours as the table and every other
// colour drawn as its nearest entry: a plot's background and pure colours stay exact, only
// the blended edges of lines and letters move. 0 for another depth.
int quantize(const Image& in, Image& out);
// The colour table entry equal to c (within 1/255 per component); -1 when none.
int findColor(const Image& im, const RGB& c);

}  // namespace ReducePalette
}  // namespace KOL
