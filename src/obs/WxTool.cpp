#include "obs/WxTool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Const.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "obs/CloudLayer.h"
#include "obs/SfcData.h"
#include "obs/wx/WxTable.h"

namespace KOL {

namespace {

constexpr float FMISS = Const::FMISS;
constexpr int PREFIX_CHARS = 10;

bool allDigits(const char* s)
{
  if (!*s) return false;
  for (; *s; ++s)
    if (!StrLib::isDigit(*s)) return false;
  return true;
}

// The METAR groups of an SA weather text, joined by "_": the longest known token is taken at
// each place, characters that start no token are passed over.
std::string saGroups(const char* sa)
{
  const WxTable::Entries& table = WxTable::get().sa_metar;
  std::string groups;
  while (*sa) {
    const std::pair<std::string, std::string>* best = nullptr;
    for (const auto& kv : table)
      if ((!best || kv.first.size() > best->first.size()) &&
          !std::strncmp(sa, kv.first.c_str(), kv.first.size()))
        best = &kv;
    if (!best) {
      ++sa;
      continue;
    }
    if (!groups.empty()) groups += '_';
    groups += best->second;
    sa += best->first.size();
  }
  return groups;
}

// The METAR groups (joined by "_") of any stored weather form.
std::string metarGroups(const char* wx)
{
  if (!wx) return "";
  if (wx[0] == '!') return wx + 1;
  if (allDigits(wx)) {
    const char* g = WxTool::getWmoWeather(std::atoi(wx));
    return g[0] == ' ' ? "" : g;
  }
  return saGroups(wx);
}

// Descriptors that come before the phenomena they qualify.
bool isDescriptor(const char* g)
{
  static const char* const CODES[] = {"MI", "PR", "BC", "DR", "BL", "FZ"};
  for (const char* c : CODES)
    if (c[0] == g[0] && c[1] == g[1]) return true;
  return false;
}

const std::string* word(const char* code, int len)
{
  return WxTable::find(WxTable::get().words, code, len);
}

// Plain words of one group: intensity, descriptors, phenomena, then showers or the
// thunderstorm they come with, and the vicinity.
std::string groupWords(const char* g, int len)
{
  if (const std::string* whole = word(g, len)) return *whole;
  const char* end = g + len;
  std::string intensity, desc, vicinity;
  std::vector<std::string> phenomena;
  bool showers = false, storm = false;
  if (g < end && (*g == '-' || *g == '+')) {
    if (const std::string* w = word(g, 1)) intensity = *w + " ";
    ++g;
  }
  if (end - g >= 2 && g[0] == 'V' && g[1] == 'C') {
    vicinity = " in the vicinity";
    g += 2;
  }
  for (; end - g >= 2; g += 2) {
    const std::string* w = word(g, 2);
    std::string text = w ? *w : std::string(g, 2);
    if (!std::strncmp(g, "SH", 2))
      showers = true;
    else if (!std::strncmp(g, "TS", 2))
      storm = true;
    else if (isDescriptor(g))
      desc += text + " ";
    else
      phenomena.push_back(text);
  }
  std::string what;
  for (size_t i = 0; i < phenomena.size(); ++i) what += (i ? " and " : "") + phenomena[i];
  std::string text;
  if (storm)
    text = "thunderstorm" + (what.empty() ? "" : " with " + desc + what);
  else if (showers)
    text = desc + what + (what.empty() ? "showers" : " showers");
  else
    text = desc + what;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return intensity + text + vicinity;
}

int textOf(const std::string& groups, String& out)
{
  std::string text;
  size_t start = 0;
  while (start < groups.size()) {
    size_t bar = groups.find('_', start);
    if (bar == std::string::npos) bar = groups.size();
    if (bar > start) {
      if (!text.empty()) text += ", ";
      text += groupWords(groups.c_str() + start, static_cast<int>(bar - start));
    }
    start = bar + 1;
  }
  out.copy(text.c_str());
  return text.empty() ? 0 : 1;
}

int wmoOf(const std::string& groups)
{
  std::string head = groups.substr(0, PREFIX_CHARS);
  for (const auto& kv : WxTable::get().metar_wmo)
    if (!head.compare(0, kv.first.size(), kv.first)) return std::atoi(kv.second.c_str());
  return 0;
}

const char* codeLookup(const WxTable::Entries& table, int code)
{
  char key[16];
  std::snprintf(key, sizeof key, "%d", code);
  const std::string* v = WxTable::find(table, key);
  return v ? v->c_str() : " ";
}

}  // namespace

int WxTool::getWeather(const char* sa, String& out)
{
  if (!sa) return 0;
  const std::string* v = WxTable::find(WxTable::get().sa_metar, sa);
  if (!v) return 0;
  out.copy(v->c_str());
  return 1;
}

int WxTool::getSAWeather(const char* wx, String& out)
{
  out.copy("");
  if (!wx || !*wx) return 0;
  if (wx[0] != '!' && !allDigits(wx)) return out.copy(wx);
  std::string groups = metarGroups(wx), sa;
  size_t start = 0;
  while (start < groups.size()) {
    size_t bar = groups.find('_', start);
    if (bar == std::string::npos) bar = groups.size();
    std::string g = groups.substr(start, bar - start);
    for (const auto& kv : WxTable::get().sa_metar)
      if (kv.second == g) {
        sa += kv.first;
        break;
      }
    start = bar + 1;
  }
  out.copy(sa.c_str());
  return sa.empty() ? 0 : 1;
}

int WxTool::getTextFromWeather(const char* wx, String& out) { return textOf(metarGroups(wx), out); }

int WxTool::getTextFromSAWeather(const char* wx, String& out)
{
  return textOf(wx ? saGroups(wx) : "", out);
}

int WxTool::getWmoFromWeather(const char* wx)
{
  if (!wx || !*wx) return 0;
  if (allDigits(wx)) return std::atoi(wx);
  return wmoOf(metarGroups(wx));
}

int WxTool::getWmoFromSAWeather(const char* wx) { return wx ? wmoOf(saGroups(wx)) : 0; }

const char* WxTool::getWmoWeather(int code) { return codeLookup(WxTable::get().wmo_manned, code); }

const char* WxTool::getWmoAutoWeather(int code)
{
  return codeLookup(WxTable::get().wmo_auto, code);
}

float WxTool::getWmoVis(int code)
{
  static const float TOP[] = {0.03125f, 0.125f, 0.3125f, 0.625f, 1.25f, 2.5f, 6.25f, 12.5f, 31.25f};
  if (code < 0) return FMISS;
  if (code < 51) return code * 0.0625f;
  if (code <= 80) return (code - 50) / 1.6f;
  if (code <= 89) return ((code - 80) * 5 + 30) / 1.6f;
  if (code >= 91 && code <= 99) return TOP[code - 91];
  return FMISS;
}

float WxTool::getWmoCldBase(int h)
{
  static const float FEET[] = {100, 200, 400, 700, 1500, 3000, 4500, 6000, 7500, 12000};
  return h >= 0 && h <= 9 ? FEET[h] : FMISS;
}

int WxTool::getWmoCeilingToCode(float feet)
{
  static const float BELOW[] = {164, 328, 656, 984, 1968, 3281, 4921, 6562, 8202};
  int code = 0;
  while (code < 9 && feet >= BELOW[code]) ++code;
  return code;
}

float WxTool::decodeDir(const char* text)
{
  static const char* const POINTS[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                       "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  if (!text) return FMISS;
  for (int i = 0; i < 16; ++i)
    if (!std::strcmp(text, POINTS[i])) return i * 22.5f;
  return FMISS;
}

const char* WxTool::getCloudStr(char cover)
{
  switch (cover) {
    case 'B':
      return "broken";
    case 'C':
      return "clear";
    case 'F':
      return "few";
    case 'O':
      return "overcast";
    case 'S':
      return "scattered";
    case 'X':
      return "obscured";
    default:
      return "";
  }
}

int WxTool::setCloud(int count, const CloudLayer* layers, CloudLayer& out)
{
  out.init();
  if (!layers || count <= 0) return 0;
  SfcData s;
  s.ncld = count < SfcData::MAX_CLD ? count : SfcData::MAX_CLD;
  for (int i = 0; i < s.ncld; ++i) s.cld[i] = layers[i];
  out.set(s.getCldCover(), s.getCldHeight());
  return 1;
}

}  // namespace KOL
