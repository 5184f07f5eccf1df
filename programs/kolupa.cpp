// kolupa: reads TEMP and PILOT parts from filed bulletins, a text file of parts or standard input,
// merges the parts of each station and time into one sounding and prints each sounding as a
// table (pressure, height, temperature, dew point, wind and level kind) or, with -out=csv, as CSV
// with units in the header. -out=NAME.upa (any name with a dot or a slash) writes the decoded
// parts to that own upper-air file; -out=CONV (a naming convention such as upa_cvt) writes the
// file the convention names for the soundings' date.
//
//   kolupa bulletins.wmo            tables
//   kolupa -out=csv < parts.txt     CSV
//   kolupa -out=upa_cvt FILE        the own file by naming convention
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/NameConv.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "core/Strings.h"
#include "obs/CityHash.h"
#include "obs/CityHashData.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaTool.h"
#include "obs/UpaWmoData.h"
#include "obs/UpaWmoFile.h"

using namespace KOL;

namespace {

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  KolResrc::add(keyed, KolResrc::find("city_file"));
  keyed.add("out", "kolupaout", "out",
            "-out=csv     CSV; -out=NAME.upa or -out=upa_cvt writes the own upper-air file");
  keyed.add("date", "kolupadate", "date",
            "-date=yyyymmddhhmm Date near the soundings (default now)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

// The records of the input, one per station and time, in the order first seen.
class Soundings {
 public:
  void add(const UpaWmoData& part);
  std::vector<UpaRawinData>& records() { return records_; }

 private:
  std::map<std::string, size_t> index_;
  std::vector<UpaRawinData> records_;
};

void Soundings::add(const UpaWmoData& part)
{
  std::string key = UpaTool::partKey(part.text);
  if (key.empty()) {
    Kol::outWarning("kolupa: unreadable part: %.30s\n", part.text.c_str());
    return;
  }
  auto found = index_.find(key);
  if (found == index_.end()) {
    found = index_.emplace(key, records_.size()).first;
    records_.emplace_back();
  }
  UpaTool::decode(part, records_[found->second]);
}

int readInput(const char* name, const Date& reference, Soundings& out)
{
  UpaWmoFile file;
  file.setDate(reference);
  if (!file.open(name)) return 0;
  UpaWmoData part;
  while (file.read(part)) out.add(part);
  return 1;
}

// Location, elevation and identifier from the station table.
void locate(const CityHash& stations, UpaRawinData& r)
{
  CityHashData c;
  if (!r.getWmo()[0] || !std::strcmp(r.getWmo(), "99999") || !stations.get(r.getWmo(), c)) return;
  if (c.id[0]) r.setId(c.id);
  r.setLoc(c.lat, c.lon);
  r.setElev(c.elev);
}

// ---------------------------------------------------------------------------------------------
// Output.

std::string number(float v, const char* fmt)
{
  if (v == Const::FMISS) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

std::string kind(int type)
{
  static const std::pair<int, const char*> NAMES[] = {
      {UpaLevel::SURFACE, "SFC"},   {UpaLevel::TROPOPAUSE, "TROP"}, {UpaLevel::MAX_WIND, "MAXW"},
      {UpaLevel::MANDATORY, "MAN"}, {UpaLevel::SIGNIFICANT, "SIG"}, {UpaLevel::WIND, "WND"}};
  std::string out;
  for (const auto& [bit, name] : NAMES) {
    if (!(type & bit)) continue;
    if (!out.empty()) out += '+';
    out += name;
  }
  return out;
}

std::string dateText(const Date& d)
{
  if (!d.isSet()) return "";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.getYear(), d.getMonth(), d.getDay());
  return buf;
}

std::string timeText(const Date& d)
{
  if (!d.isSet()) return "";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d%02d", d.getHour(), d.getMinute() < 0 ? 0 : d.getMinute());
  return buf;
}

void csvHeader()
{
  std::printf(
      "station,wmo,date,time_utc,lat_deg,lon_deg,elev_m,pres_hPa,hght_m,temp_C,dewp_C,"
      "wdir_deg,wspd_kt,kind\n");
}

void printCsv(const UpaData& d)
{
  for (int i = 0; i < d.getNum(); ++i) {
    const UpaLevel& l = *d.getLevel(i);
    std::printf("%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s\n", d.getId(), d.getWmo(),
                dateText(d.getDate()).c_str(), timeText(d.getDate()).c_str(),
                number(d.getLat(), "%.2f").c_str(), number(d.getLon(), "%.2f").c_str(),
                number(d.getElev(), "%.0f").c_str(), number(l.pres, "%.1f").c_str(),
                number(l.hght, "%.0f").c_str(), number(l.temp, "%.1f").c_str(),
                number(l.dewp, "%.1f").c_str(), number(l.dir, "%.0f").c_str(),
                number(l.spd, "%.0f").c_str(), kind(l.type).c_str());
  }
}

void printTable(const UpaData& d)
{
  std::printf("Station %s  WMO %s  %s %sZ  lat %s  lon %s  elev %s m\n", d.getId(), d.getWmo(),
              dateText(d.getDate()).c_str(), timeText(d.getDate()).c_str(),
              number(d.getLat(), "%.2f").c_str(), number(d.getLon(), "%.2f").c_str(),
              number(d.getElev(), "%.0f").c_str());
  std::printf("%7s %7s %6s %6s %5s %5s  %s\n", "PRES", "HGHT", "TEMP", "DWPT", "DRCT", "SKNT",
              "KIND");
  std::printf("%7s %7s %6s %6s %5s %5s\n", "hPa", "m", "C", "C", "deg", "knot");
  for (int i = 0; i < d.getNum(); ++i) {
    const UpaLevel& l = *d.getLevel(i);
    std::printf("%7s %7s %6s %6s %5s %5s  %s\n", number(l.pres, "%.1f").c_str(),
                number(l.hght, "%.0f").c_str(), number(l.temp, "%.1f").c_str(),
                number(l.dewp, "%.1f").c_str(), number(l.dir, "%.0f").c_str(),
                number(l.spd, "%.0f").c_str(), kind(l.type).c_str());
  }
  std::printf("\n");
}

// The file name of -out: the name itself, or the one a naming convention gives for the date.
std::string outputName(const char* out, const Date& date)
{
  if (std::strchr(out, '.') || std::strchr(out, '/')) return out;
  NameConv conv;
  String name;
  if (!conv.set(out) || !conv.encodeFile(date, name)) return "";
  return name.get();
}

int writeFile(const char* out, std::vector<UpaRawinData>& records)
{
  Date date = records.empty() ? Date() : records.front().getDate();
  std::string name = outputName(out, date);
  if (name.empty()) {
    Kol::outError("kolupa: no file name for %s\n", out);
    return 0;
  }
  UpaKolFile file;
  file.setDate(date);
  if (!file.open(name.c_str(), UpaKolFile::WRITE)) return 0;
  int ok = 1;
  for (UpaRawinData& r : records) {
    r.sort();
    ok = file.write(r) && ok;
  }
  ok = file.close() && ok;
  if (!ok) Kol::outError("kolupa: cannot write %s\n", name.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;

  Date reference;
  const char* date = r.get("date");
  if (date && *date ? !reference.set(date) : !reference.set()) {
    Kol::outError("kolupa: unreadable date %s\n", date);
    return Kol::USAGE;
  }
  Soundings soundings;
  Strings files;
  files.set(r.get("filename", "-"), '\n');
  int ok = 1;
  for (int i = 0; i < files.getNum(); ++i) {
    const char* name = files.getString(i);
    if (name && *name) ok = readInput(name, reference, soundings) && ok;
  }
  CityHash stations;
  stations.setup(r.get("city_file"));
  for (UpaRawinData& rec : soundings.records()) locate(stations, rec);

  const char* out = r.get("out", "table");
  const bool csv = !strncasecmp(out, "csv", 3);
  if (csv || !strncasecmp(out, "table", 5)) {
    if (csv) csvHeader();
    for (const UpaRawinData& rec : soundings.records()) {
      UpaData d;
      UpaTool::merge(rec, d);
      csv ? printCsv(d) : printTable(d);
    }
  } else {
    ok = writeFile(out, soundings.records()) && ok;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("kolupa: cannot write the output\n");
    return Kol::FAILURE;
  }
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
