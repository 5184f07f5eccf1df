#include "layers/sound/SoundReader.h"

#include "core/StrLib.h"
#include "obs/CityData.h"
#include "obs/CityTool.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaReports.h"
#include "obs/UpaTool.h"

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

}  // namespace

int readSounding(const std::vector<std::string>& files, const char* id, const Date& reference,
                 UpaData& out, std::string& problem)
{
  const Wanted wanted(id);
  UpaRawinData best;
  bool found = false;
  UpaReports parts;
  int readable = 0;
  for (const std::string& name : files) {
    if (UpaKolFile::checkType(name.c_str()))
      readable += readOwn(name, wanted, best, found);
    else
      readable += parts.read(name.c_str(), reference);
  }
  for (const UpaRawinData& r : parts.records()) consider(wanted, r, best, found);
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
