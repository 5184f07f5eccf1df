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

std::string yearKey(const std::string& key, int year) { return key + "/" + std::to_string(year); }

}  // namespace

WarnEvents::Events::iterator WarnEvents::locate(const Vtec& v)
{
  const int year = v.year();
  auto it = events_.find(yearKey(v.eventKey(), year));
  if (it == events_.end() && year > 0 && Vtec::seconds(v.begin) < 0)
    it = events_.find(yearKey(v.eventKey(), year - 1));
  return it;
}

void WarnEvents::add(const WarnProduct& p)
{
  const bool correction = TextTool::startsWith(p.head.bbb, "CC");
  std::set<std::string> replaced;  // events whose zones this correction restates
  for (const auto& s : p.segments) {
    for (const auto& v : s.vtec) {
      if (v.product_class == 'T' || ends(v.action)) continue;
      auto found = locate(v);
      const std::string key =
          found != events_.end() ? found->first : yearKey(v.eventKey(), v.year());
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
      auto it = locate(v);
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
  // Keys of one event sort by year, so the latest is the last of those starting with key/.
  auto it = events_.lower_bound(key + "/~");
  if (it == events_.begin()) return nullptr;
  --it;
  return it->first.compare(0, key.size() + 1, key + "/") == 0 ? &it->second : nullptr;
}

void WarnEvents::print() const
{
  for (const auto& [key, e] : events_)
    std::printf("%s %s %ld-%ld zones %zu polygon %zu\n", key.c_str(), e.action.c_str(),
                static_cast<long>(e.begin), static_cast<long>(e.end), e.zones.size(),
                e.polygon.size());
}

}  // namespace KOL
