// The VTEC events a run of products leaves in force (NWS Instruction 10-1703): each event is
// known by office, phenomenon, significance and number; a new product's segments extend, change
// or continue it, a correction replaces what the corrected product said, and cancellations,
// expirations and upgrades take its zones away until none is left. Test products are passed
// over.
#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "obs/text/WarnSegment.h"

namespace KOL {

class WarnProduct;

class WarnEvents {
 public:
  struct Event {
    std::string office, phenomena;
    char significance = ' ';
    int etn = 0;
    std::time_t begin = -1;  // -1: in effect from its first product
    std::time_t end = -1;    // -1: until further notice
    std::vector<std::string> zones;
    WarnSegment::Points polygon;
    std::string action;  // of the last product
    bool validAt(std::time_t t) const { return (begin < 0 || begin <= t) && (end < 0 || t < end); }
  };

  WarnEvents() { init(); }
  void init() { events_.clear(); }
  // Products must come in the order they were issued.
  void add(const WarnProduct& p);
  // The events in force at t, in the order of their keys.
  std::vector<const Event*> validAt(std::time_t t) const;
  size_t size() const { return events_.size(); }
  // The latest year's event of a key of Vtec::eventKey().
  const Event* find(const std::string& key) const;
  void print() const;

 private:
  using Events = std::map<std::string, Event>;
  // The event v speaks of: of its year, or of the year before when v gives no begin time
  // (an event that began in December goes on in January under its number).
  Events::iterator locate(const Vtec& v);

  Events events_;  // by event key and year
};

}  // namespace KOL
