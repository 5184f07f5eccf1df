#include "layers/sound/SoundReader.h"

#include <map>

#include "core/StrLib.h"
#include "obs/CityData.h"
#include "obs/CityTool.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

namespace KOL::sound {

namespace {

// Which records belong to the wanted station: by identifier or WMO number, the station table
// turning an identifier into its number (parts carry only the number).
class Wanted {
 public:
  explicit Wanted(const char* id) : id_(id ? id : "")
  {
    if (id_.empty()) return;
    CityData c;
    // upper-air stations go by three letters, the station table by four ("OUN", "KOUN")
    if ((CityTool::search(nullptr, id_.c_str(), c) ||
         (id_.size() == 3 && CityTool::search(nullptr, ("K" + id_).c_str(), c))) &&
        c.wmo[0])
      wmo_ = c.wmo;
  }
  bool matches(const UpaRawinData& r) const
  {
    if (id_.empty()) return true;
    return StrLib::iequal(r.getId(), id_.c_str()) || StrLib::iequal(r.getWmo(), id_.c_str()) ||
           (!wmo_.empty() && StrLib::equal(r.getWmo(), wmo_.c_str()));
  }

 private:
  std::string id_, wmo_;
};

// Keeps the latest matching record.
void consider(const Wanted& wanted, const UpaRawinData& r, UpaRawinData& best, bool& found)
{
  if (!wanted.matches(r)) return;
  if (found && best.getDate().isSet() && r.getDate().isSet() && r.getDate() < best.getDate())
    return;
  best = r;
  found = true;
}

int readOwn(const std::string& name, const Wanted& wanted, UpaRawinData& best, bool& found)
{
  UpaKolFile file;
  if (!file.open(name.c_str(), UpaKolFile::READ)) return 0;
  UpaRawinData r;
  while (file.read(r)) {
    consider(wanted, r, best, found);
    r.init();
  }
  return 1;
}

// Parts of every file, one record per station and time.
class PartRecords {
 public:
  int read(const std::string& name, const Date& reference)
  {
    UpaWmoFile file;
    file.setDate(reference);
    if (!file.open(name.c_str())) return 0;
    UpaWmoData part;
    while (file.read(part)) add(part);
    return 1;
  }
  void choose(const Wanted& wanted, UpaRawinData& best, bool& found) const
  {
    for (const UpaRawinData& r : records_) consider(wanted, r, best, found);
  }

 private:
  void add(const UpaWmoData& part)
  {
    const std::string key = UpaTool::partKey(part.text);
    if (key.empty()) return;
    auto at = index_.find(key);
    if (at == index_.end()) {
      at = index_.emplace(key, records_.size()).first;
      records_.emplace_back();
    }
    UpaTool::decode(part, records_[at->second]);
  }

  std::map<std::string, size_t> index_;
  std::vector<UpaRawinData> records_;
};

}  // namespace

int readSounding(const std::vector<std::string>& files, const char* id, const Date& reference,
                 UpaData& out, std::string& problem)
{
  const Wanted wanted(id);
  UpaRawinData best;
  bool found = false;
  PartRecords parts;
  int readable = 0;
  for (const std::string& name : files) {
    if (UpaKolFile::checkType(name.c_str()))
      readable += readOwn(name, wanted, best, found);
    else
      readable += parts.read(name, reference);
  }
  parts.choose(wanted, best, found);
  out.init();
  if (!readable) {
    problem = files.empty() ? "no upper-air file" : "unable to open file: " + files.front();
    return 0;
  }
  if (!found || !UpaTool::merge(best, out)) {
    problem = id && *id ? std::string("no sounding for ") + id : "no sounding in the input";
    return 0;
  }
  if (out.getWmo()[0] && !StrLib::equal(out.getWmo(), "99999"))
    UpaTool::getStation(nullptr, "", out);
  return 1;
}

}  // namespace KOL::sound
