// The texts a plot is configured with: comma-separated parameters, window geometry
// ("800x600+10-20") and panel placement ("2x2+1+0").
#pragma once

#include <string>
#include <vector>

#include "geo/Rect.h"

namespace KOL::PlotParams {

std::vector<std::string> split(const char* text);
// The text after key in the first field that starts with it; empty when none does.
std::string value(const char* params, const char* key);
// The rest of the text after key at the start of a field, commas and all (a device text
// carries its own parameters after commas); empty when no field starts with key.
std::string rest(const char* params, const char* key);
// The text before the field that starts with key (all of it when none does).
std::string before(const char* params, const char* key);
// The text after the field's '=' or, without one, from position from.
std::string valueOf(const std::string& field, size_t from);
// True when field is word, in any case.
bool isWord(const std::string& field, const char* word);
// True when field is key=VALUE, the key in any case.
bool isKey(const std::string& field, const char* key);
// Colour-bar parameters: a letter for the side ('b'ottom, 't'op, 'r'ight, 'l'eft) and an
// optional thickness in page units (as in "r0.03"), separated by ':'.
void barParams(const char* text, int& locate, float& height);
// Width, height and signed offsets; the kind of text (see Plot::decodeGeometryStr).
int decodeGeometry(const char* text, float& w, float& h, float& x, float& y);
int decodePanel(const Rect& r, const char* text, float& x, float& y, float& w, float& h);
// The keys every overlay layer takes alike: "map"/"nomap" (its own map lines) and "sc=" (a
// positive size factor). True when key was one of them.
bool mapOrScale(const char* key, bool& map, float& scale);

}  // namespace KOL::PlotParams
