#include "obs/upa/Track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace KOL {
namespace upa {

namespace {

constexpr float NONE = Const::FMISS;
constexpr int PER_LINE = 7;
constexpr float SAME_PRES = 0.05f;

std::string field(float v, const char* fmt)
{
  if (v == NONE) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// Every list's levels with a pressure and a track, one per pressure, highest pressure first.
std::vector<UpaLevel> trackedLevels(const UpaRawinData& r)
{
  std::vector<UpaLevel> out;
  auto take = [&out](const UpaLevel* l) {
    if (!l->validPres() || !l->validTrack()) return;
    for (UpaLevel& k : out)
      if (std::fabs(k.pres - l->pres) < SAME_PRES) return k.update(*l);
    out.push_back(*l);
  };
  for (int i = 0; i < r.getNumMan(); ++i) take(r.getMan(i));
  for (int i = 0; i < r.getNumSig(); ++i) take(r.getSig(i));
  for (int i = 0; i < r.getNumWnd(); ++i) take(r.getWnd(i));
  std::stable_sort(out.begin(), out.end(),
                   [](const UpaLevel& a, const UpaLevel& b) { return a.pres > b.pres; });
  return out;
}

// The value of one field of a word; missing when empty or not a number.
float value(const std::string& text)
{
  if (text.empty()) return NONE;
  char* end = nullptr;
  const float v = std::strtof(text.c_str(), &end);
  return *end == '\0' && std::isfinite(v) ? v : NONE;
}

bool parse(std::string_view word, UpaLevel& l)
{
  float v[4];
  for (float& x : v) {
    const size_t colon = std::min(word.find(':'), word.size());
    x = value(std::string(word.substr(0, colon)));
    word.remove_prefix(std::min(colon + 1, word.size()));
  }
  l.pres = v[0];
  l.elapsed = v[1];
  l.dlat = v[2];
  l.dlon = v[3];
  return l.pres > 0 && l.pres < 2000 && l.validTrack();
}

template <typename Get, typename Set>
void fillAt(int n, Get get, Set set, const UpaLevel& t)
{
  for (int i = 0; i < n; ++i) {
    UpaLevel l = *get(i);
    if (!l.validPres() || std::fabs(l.pres - t.pres) >= SAME_PRES) continue;
    l.update(t);
    set(i, l);
  }
}

}  // namespace

void appendTrack(std::string& out, const UpaRawinData& r)
{
  const std::vector<UpaLevel> levels = trackedLevels(r);
  if (levels.empty()) return;
  out += out.empty() || out.back() == '\n' ? "" : " ";
  out += TRACK_WORD;
  int written = 1;
  for (const UpaLevel& l : levels) {
    out += written++ % PER_LINE == 0 ? '\n' : ' ';
    out += field(l.pres, "%.1f") + ':' + field(l.elapsed, "%.0f") + ':' + field(l.dlat, "%.5f") +
           ':' + field(l.dlon, "%.5f");
  }
}

void readTrack(Groups& groups, UpaRawinData& r)
{
  for (std::string_view w = groups.next(); !w.empty() && w != "$"; w = groups.next()) {
    UpaLevel t;
    if (!parse(w, t)) continue;
    fillAt(
        r.getNumMan(), [&r](int i) { return r.getMan(i); },
        [&r](int i, const UpaLevel& l) { r.setMan(i, l); }, t);
    fillAt(
        r.getNumSig(), [&r](int i) { return r.getSig(i); },
        [&r](int i, const UpaLevel& l) { r.setSig(i, l); }, t);
    fillAt(
        r.getNumWnd(), [&r](int i) { return r.getWnd(i); },
        [&r](int i, const UpaLevel& l) { r.setWnd(i, l); }, t);
  }
}

}  // namespace upa
}  // namespace KOL
