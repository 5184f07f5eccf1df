#include "obs/CityHash.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"
#include "geo/Domain.h"
#include "obs/CityFile.h"
#include "obs/CityTool.h"

namespace KOL {

namespace {

// Grid lengths around a domain within which stations are kept.
constexpr int DOMAIN_MARGIN = 3;

uint32_t hashOf(const char* s)
{
  uint32_t h = 2166136261u;  // FNV-1a
  for (; *s; s++) h = (h ^ static_cast<unsigned char>(*s)) * 16777619u;
  return h;
}

bool isCodedWmo(const char* k)
{
  return StrLib::isAlpha(k[0]) && StrLib::isAlnum(k[1]) && StrLib::isDigit(k[2]) &&
         StrLib::isDigit(k[3]) && StrLib::isDigit(k[4]);
}

}  // namespace

CityHash::CityHash(const char* file)
{
  init();
  setup(file);
}

void CityHash::init()
{
  entries_.clear();
  for (auto& s : slots_) s.clear();
  mask_ = 0;
  cursor_ = 0;
}

CityHash::CityHash(const char* file, const Domain& dom, int priority)
{
  init();
  setup(file, dom, priority);
}

int CityHash::setup(const char* file)
{
  return load(file, [](const CityData&) { return true; });
}

int CityHash::setup(const char* file, const Domain& dom, int priority)
{
  Strings patterns(Kol::resrc.get("identifier", ""), ',');
  return load(file, [&](const CityData& d) {
    return d.priority <= priority && dom.withinExt(EarthPoint(d.lat, d.lon), DOMAIN_MARGIN) &&
           CityTool::compareData(patterns, d);
  });
}

template <class Accept>
int CityHash::load(const char* file, Accept accept)
{
  init();
  String path;
  if (!CityTool::getFilename(file, path)) {
    Kol::outWarning("CityHash: no station table %s\n", StrLib::valid(file) ? file : "");
    return 0;
  }
  CityFile table(path.get(), 0);
  if (!table.isOpen()) return 0;
  Kol::outMessage(Kol::OUT1 + 6, "Reading the city database file...\n");
  entries_.reserve(table.getNum() + 1);
  CityData d;
  while (table.read(d))
    if (accept(d)) entries_.emplace_back(d);
  build();
  return 1;
}

void CityHash::build()
{
  uint32_t size = 16;
  while (size < entries_.size() * 2) size *= 2;
  mask_ = size - 1;
  for (auto& s : slots_) s.assign(size, Slot{0, -1});
  for (int i = 0; i < getNum(); i++)
    for (int k = 0; k < NUM_KEYS; k++) insert(k, i);
}

const char* CityHash::keyOf(int key, const CityHashData& d) const
{
  return key == ID ? d.id : key == WMO ? d.wmo : d.loc;
}

void CityHash::insert(int key, int entry)
{
  const char* text = keyOf(key, entries_[entry]);
  if (!text[0] || lookup(key, text) >= 0) return;  // the first station with a key wins
  uint32_t h = hashOf(text);
  auto& slots = slots_[key];
  uint32_t i = h & mask_;
  while (slots[i].entry >= 0) i = (i + 1) & mask_;
  slots[i] = Slot{h, entry};
}

int CityHash::lookup(int key, const char* text) const
{
  if (key < 0 || key >= NUM_KEYS || slots_[key].empty()) return -1;
  uint32_t h = hashOf(text);
  const auto& slots = slots_[key];
  for (uint32_t i = h & mask_; slots[i].entry >= 0; i = (i + 1) & mask_)
    if (slots[i].hash == h && std::strcmp(keyOf(key, entries_[slots[i].entry]), text) == 0)
      return slots[i].entry;
  return -1;
}

const CityHashData* CityHash::find(int keyIndex, const char* key) const
{
  if (!key) return nullptr;
  char norm[CityData::ID_SIZE];
  if (keyIndex == ID) {
    if (!CityTool::toId(key, norm)) return nullptr;
    char after = key[StrLib::length(norm)];
    if (after && !StrLib::isSpace(after)) return nullptr;  // longer than any identifier
    key = norm;
  }
  int e = lookup(keyIndex, key);
  return e < 0 ? nullptr : &entries_[e];
}

const CityHashData* CityHash::find(const char* key) const
{
  if (!key) return nullptr;
  int len = static_cast<int>(strnlen(key, CityData::ID_SIZE + 1));
  if (len == 5 && StrLib::isNum(key, 5)) return find(WMO, key);
  if (len == 6 && key[0] == 'b') return find(ID, key + 1);
  if (len == 5 && isCodedWmo(key)) {
    char wmo[CityData::WMO_SIZE];
    return CityTool::toWmo(key, wmo) ? find(WMO, wmo) : nullptr;
  }
  return find(ID, key);
}

int CityHash::get(const char* key, CityHashData& out) const
{
  const CityHashData* d = find(key);
  if (!d) return 0;
  out = *d;
  return 1;
}

int CityHash::get(int keyIndex, const char* key, CityHashData& out) const
{
  const CityHashData* d = find(keyIndex, key);
  if (!d) return 0;
  out = *d;
  return 1;
}

const char* CityHash::first()
{
  cursor_ = 0;
  return nextKey();
}

const char* CityHash::nextKey() { return cursor_ < getNum() ? entries_[cursor_++].id : nullptr; }

void CityHash::print() const
{
  std::printf("CityHash: %d stations\n", getNum());
  for (const auto& e : entries_) e.print();
}

}  // namespace KOL
