// What the rules of an ingest make of one heading and product identifier: the rules that select
// it, the names their templates give its files, and where those files were last found among the
// files kept open. A feed repeats its headings all the time (an hour of METAR collectives has
// a few thousand, each sent many times over), and matching a heading against the rules and
// expanding templates cost more than filing the bulletin itself. The selection holds while the
// rules do; the names hold for one stamp (the second of the reference time they were made for).
// Thousands of headings are met in turn, so the one at hand is rarely in the processor's caches:
// a route is found through a table of hashes that stays in them, and keeps its heading and
// names in one piece of memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "obs/wmo/OpenFiles.h"

namespace KOL::wmo {

struct RouteOutput {
  int rule = -1;
  int sel = 0;
  // Where the expanded templates are in the route's text.
  int file = 0;
  int header = 0;
  OpenFiles::Hint file_hint;
  OpenFiles::Hint header_hint;
};

class Route {
 public:
  std::vector<RouteOutput> outputs;  // the selected rules, in rule order
  bool selected = false;
  long named = -1;  // the stamp the names were made for; -1 before any

  // Names are added after the key; forgetNames drops those made before.
  void forgetNames() { text_.resize(key_size_); }
  int addName(const char* name);
  const char* name(int at) const { return text_.c_str() + at; }

 private:
  friend class RouteCache;
  uint64_t hash_ = 0;
  size_t key_size_ = 0;
  std::string text_;  // the key (heading, NUL, identifier, NUL), then the names, each ending in NUL
  long used_ = 0;
};

class RouteCache {
 public:
  // Headings kept at most: a feed running for days meets new headings every hour (the day and
  // time are part of them); once there are more, the half used longest ago go.
  static constexpr size_t MAX_ROUTES = 8192;

  RouteCache() = default;
  RouteCache(const RouteCache&) = delete;
  RouteCache& operator=(const RouteCache&) = delete;

  // The route of a heading and identifier, and whether it was known; an unknown one is empty.
  // Valid until the next call of find, sweep or clear.
  Route& find(const char* heading, const char* awips, bool& known);
  // Forgets every route (the rules changed).
  void clear();
  // Forgets the routes not used since the last sweep.
  void sweep();
  int size() const { return static_cast<int>(routes_.size()); }

 private:
  struct Slot {
    uint64_t hash = 0;
    Route* route = nullptr;
  };
  void place(Route* r);
  void rebuild();
  void keepRecent(size_t n);

  std::vector<Slot> slots_;  // open addressing, a power of two, at most half full
  std::vector<std::unique_ptr<Route>> routes_;
  std::string key_;  // the key looked up, kept to spare an allocation per bulletin
  long clock_ = 0;
  long swept_ = 0;
};

}  // namespace KOL::wmo
