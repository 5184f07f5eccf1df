#include "obs/UpaReports.h"

#include <algorithm>
#include <map>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/StrLib.h"
#include "obs/BufrFile.h"
#include "obs/BufrMessage.h"
#include "obs/BufrTool.h"
#include "obs/CityHash.h"
#include "obs/CityHashData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace KOL {

UpaRawinData& UpaReports::record(const std::string& key)
{
  auto found = index_.find(key);
  if (found == index_.end()) {
    found = index_.emplace(key, records_.size()).first;
    records_.emplace_back();
  }
  return records_[found->second];
}

int UpaReports::add(const UpaWmoData& part)
{
  const std::string key = UpaTool::partKey(part.text);
  if (key.empty()) return 0;
  UpaTool::decode(part, record(key));
  return 1;
}

int UpaReports::add(const BufrMessage& m, int subset)
{
  std::string key = BufrTool::upaKey(m, subset);
  if (key.empty()) return 0;
  const std::string nominal = BufrTool::upaKey(m, subset, true);
  if (!index_.count(key) && index_.count(nominal)) key = nominal;
  return BufrTool::toUpa(m, subset, record(key));
}

int UpaReports::read(const char* name, const Date& reference, const char* who)
{
  UpaWmoFile file;
  file.setDate(reference);
  if (!file.open(name)) return 0;
  UpaWmoData part;
  while (file.read(part))
    if (!add(part) && who) Kol::outWarning("%s: unreadable part: %.30s\n", who, part.text.c_str());
  // Standard input cannot be read twice.
  if (!name || (name[0] == '-' && !name[1])) return 1;
  BufrFile bufr;
  BufrMessage m;
  if (bufr.open(name))
    while (bufr.read(m))
      if (BufrTool::isUpperAir(m))
        for (int k = 0; k < m.decodedSubsets(); k++) add(m, k);
  return 1;
}

int UpaReports::locate(const char* cityFile)
{
  CityHash stations;
  stations.setup(cityFile);
  int n = 0;
  for (UpaRawinData& r : records_) {
    CityHashData c;
    if (!r.getWmo()[0] || StrLib::equal(r.getWmo(), "99999") || !stations.get(r.getWmo(), c))
      continue;
    if (c.id[0]) r.setId(c.id);
    r.setLoc(c.lat, c.lon);
    r.setElev(c.elev);
    ++n;
  }
  return n;
}

int UpaReports::keepCommonDate()
{
  std::map<long, int> seen;
  for (const UpaRawinData& r : records_) ++seen[r.getDate().getSeconds()];
  if (seen.size() > 1) {
    const long common = std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                        })->first;
    records_.erase(std::remove_if(records_.begin(), records_.end(),
                                  [common](const UpaRawinData& r) {
                                    return r.getDate().getSeconds() != common;
                                  }),
                   records_.end());
    index_.clear();  // the records are read: no part joins them now
  }
  return static_cast<int>(records_.size());
}

int UpaReports::write(const char* name)
{
  UpaKolFile file;
  file.setDate(records_.empty() ? Date() : records_.front().getDate());
  if (!file.open(name, UpaKolFile::WRITE)) return 0;
  int ok = 1;
  for (UpaRawinData& r : records_) {
    r.sort();
    ok = file.write(r) && ok;
  }
  return file.close() && ok;
}

}  // namespace KOL
