#include "obs/text/WarnEvents.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "obs/text/TextTool.h"
#include "obs/text/WarnProduct.h"

namespace KOL {

namespace {

bool ends(const std::string& action)
{
  return action == "CAN" || action == "EXP" || action == "UPG";
}

void addZones(std::vector<std::string>& to, const std::vector<std::string>& codes)
{
  for (const auto& c : codes)
    if (std::find(to.begin(), to.end(), c) == to.end()) to.push_back(c);
}

}  // namespace

void WarnEvents::add(const WarnProduct& p)
{
  const bool correction = TextTool::startsWith(p.head.bbb, "CC");
  std::set<std::string> replaced;  // events whose zones this correction restates
  for (const auto& s : p.segments) {
    for (const auto& v : s.vtec) {
      if (v.product_class == 'T' || ends(v.action)) continue;
      std::string key = v.eventKey();
      Event& e = events_[key];
      e.office = v.office;
      e.phenomena = v.phenomena;
      e.significance = v.significance;
      e.etn = v.etn;
      e.action = v.action;
      if (std::time_t b = Vtec::seconds(v.begin); b >= 0) e.begin = b;
      if (std::time_t t = Vtec::seconds(v.end); t >= 0) e.end = t;
      if ((correction || v.action == "COR") && replaced.insert(key).second) e.zones.clear();
      addZones(e.zones, s.ugc.codes);
      if (s.has_polygon) e.polygon = s.polygon;
    }
  }
  for (const auto& s : p.segments) {
    for (const auto& v : s.vtec) {
      if (v.product_class == 'T' || !ends(v.action)) continue;
      auto it = events_.find(v.eventKey());
      if (it == events_.end()) continue;
      auto& zones = it->second.zones;
      for (const auto& c : s.ugc.codes)
        zones.erase(std::remove(zones.begin(), zones.end(), c), zones.end());
      if (zones.empty() || s.ugc.codes.empty()) events_.erase(it);
    }
  }
}

std::vector<const WarnEvents::Event*> WarnEvents::validAt(std::time_t t) const
{
  std::vector<const Event*> out;
  for (const auto& [key, e] : events_)
    if (e.validAt(t)) out.push_back(&e);
  return out;
}

const WarnEvents::Event* WarnEvents::find(const std::string& key) const
{
  auto it = events_.find(key);
  return it == events_.end() ? nullptr : &it->second;
}

void WarnEvents::print() const
{
  for (const auto& [key, e] : events_)
    std::printf("%s %s %ld-%ld zones %zu polygon %zu\n", key.c_str(), e.action.c_str(),
                static_cast<long>(e.begin), static_cast<long>(e.end), e.zones.size(),
                e.polygon.size());
}

}  // namespace KOL
