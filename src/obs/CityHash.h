// All stations of a station table in memory, found by identifier, by WMO number or by position
// (each an open-addressing hash over the same entries). Built once, then only read; this is the
// lookup the decoders use for every report.
#pragma once

#include <cstdint>
#include <vector>

#include "obs/CityHashData.h"

namespace KOL {

class Domain;

class CityHash {
 public:
  enum Key : int { ID = 0, WMO = 1, LOC = 2, NUM_KEYS = 3 };

  CityHash() { init(); }
  explicit CityHash(const char* file);
  CityHash(const char* file, const Domain& dom, int priority);

  void init();
  // Loads the table named file (see CityTool::getFilename); 0 when it cannot be read.
  int setup(const char* file);
  // Only stations of priority at or below the given one, within three grid lengths of the
  // domain, and accepted by the patterns of the resource "identifier" when it is set.
  int setup(const char* file, const Domain& dom, int priority);

  // Five digits look up the WMO number; "b" and five characters the identifier after the "b";
  // a letter, a letter or digit and three digits the WMO key of CityTool::toWmo; anything else
  // the identifier. 1 and the station when found.
  int get(const char* key, CityHashData& out) const;
  int get(int keyIndex, const char* key, CityHashData& out) const;
  // The same without copying: the stored station, or null.
  const CityHashData* find(const char* key) const;
  const CityHashData* find(int keyIndex, const char* key) const;

  int getNum() const { return static_cast<int>(entries_.size()); }
  // Identifiers of the stations in table order; null after the last.
  const char* first();
  const char* nextKey();
  void print() const;

 private:
  struct Slot {
    uint32_t hash;
    int32_t entry;  // -1 when free
  };

  // Reads the table, keeping the stations accept approves.
  template <class Accept>
  int load(const char* file, Accept accept);
  void build();
  void insert(int key, int entry);
  const char* keyOf(int key, const CityHashData& d) const;
  int lookup(int key, const char* text) const;

  std::vector<CityHashData> entries_;
  std::vector<Slot> slots_[NUM_KEYS];
  uint32_t mask_ = 0;
  int cursor_ = 0;
};

}  // namespace KOL
