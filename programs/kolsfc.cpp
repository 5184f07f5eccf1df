// kolsfc: decodes the METAR, SPECI, SA and SYNOP reports of filed bulletins or a feed capture and
// files them into the surface file of each observation hour, named by the convention "sfc_cvt"
// (or into one file given with -cvt=NAME), in the own format or, with -type=cdf|xml|xmlc, a
// variant. "kolsfc -list FILE..." prints the records of surface files as a table (-out=csv for
// CSV with units in the column names).
//
// Reports repeated in the feed: a station's reports of one observation hour make one record. A
// correction ("CCx" bulletin or "COR" report) replaces the record of the same observation time;
// any other repeat of the same time only fills values the record lacks, and a later observation
// in the hour brings its values in over the earlier ones (the merge of surface records). A
// correction without an original is filed as it is.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "core/Strings.h"
#include "obs/MetarTool.h"
#include "obs/SaoTool.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcUniFile.h"
#include "obs/SfcWmoData.h"
#include "obs/SfcWmoFile.h"
#include "obs/SynopTool.h"

using namespace KOL;

namespace {

constexpr long HOUR = 3600;
constexpr long ROUND_UP = 600;  // minutes 50 and above belong to the next hour
constexpr const char* CONVENTION = "sfc_cvt";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("list", "kolsfclist", "li", "-list       Print the records of surface files");
  keyed.add("out", "kolsfcout", "out", "-out=csv    List as CSV instead of a table");
  keyed.add("type", "kolsfctype", "ty", "-type=kol|cdf|xml|xmlc Surface file variant written");
  keyed.add("cvt", "kolsfccvt", "cvt", "-cvt=name   One surface file for every report");
  keyed.add("date", "kolsfcdate", "date", "-date=yyyymmddhhmm Date near the reports (default now)");
  KolResrc::add(positional, KolResrc::find("filename"));
}

// ---------------------------------------------------------------------------------------------
// Listing.

int list(const char* name, bool csv)
{
  SfcFile file(name);
  if (!file.isOpen()) {
    Kol::outError("kolsfc: cannot read %s\n", name);
    return 0;
  }
  SfcData s;
  std::string row;
  String line;
  while (file.read(s)) {
    if (csv) {
      row.clear();
      SfcUniFile::recordRow(s, row);
      std::fputs(row.c_str(), stdout);
    } else {
      s.outString(line);
      std::printf("%s\n", line.get());
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Filing.

// The records of each observation hour, one per station.
class Hours {
 public:
  void add(const SfcData& s, bool correction);
  const std::map<long, std::vector<SfcData>>& byHour() const { return hours_; }
  int count() const { return count_; }

 private:
  std::map<long, std::vector<SfcData>> hours_;
  std::map<std::pair<long, std::string>, size_t> index_;
  int count_ = 0;
};

void Hours::add(const SfcData& s, bool correction)
{
  long hour = (s.getSeconds() + ROUND_UP) / HOUR * HOUR;
  std::vector<SfcData>& records = hours_[hour];
  auto [it, fresh] = index_.try_emplace({hour, s.id}, records.size());
  if (fresh) {
    records.push_back(s);
    ++count_;
    return;
  }
  SfcData& kept = records[it->second];
  if (s.getSeconds() == kept.getSeconds()) {
    if (correction) {
      kept = s;
    } else {
      SfcData merged = s;
      merged.update(kept, SfcData::ALL);  // the kept values win, the repeat fills gaps
      kept = merged;
    }
  } else if (s.getSeconds() > kept.getSeconds()) {
    kept.update(s, SfcData::ALL);
    kept.date = s.date;
  }
}

// Decodes one report by its format; false for NIL reports and reports without a station.
bool decode(const SfcWmoData& w, SfcData& s)
{
  switch (w.format) {
    case SfcWmoData::METAR:
    case SfcWmoData::SPECI:
      return MetarTool::decode(w, s) && s.type != 0;
    case SfcWmoData::SA:
    case SfcWmoData::SP:
      return SaoTool::decode(w, s) != 0;
    default:
      return SynopTool::decode(w, s) != 0;
  }
}

int gather(const char* name, const Date& reference, Hours& hours)
{
  SfcWmoFile file;
  if (!file.open(name)) {
    Kol::outError("kolsfc: cannot open %s\n", name);
    return 0;
  }
  file.setDate(reference);
  SfcWmoData w;
  while (file.read(w)) {
    SfcData s;
    if (decode(w, s) && s.date.isSet()) hours.add(s, file.isCorrection());
  }
  return 1;
}

int writeFile(const char* name, long hour, const std::vector<SfcData>& records, const char* type)
{
  SfcFile file;
  file.setDate(Date(hour));
  if (!file.open(name, SfcFile::WRITE, type)) {
    Kol::outError("kolsfc: cannot write %s\n", name);
    return 0;
  }
  for (const SfcData& s : records) file.write(s);
  if (!file.close()) {
    Kol::outError("kolsfc: cannot write %s\n", name);
    return 0;
  }
  Kol::outMessage("kolsfc: %zu records in %s\n", records.size(), name);
  return 1;
}

int file(const Hours& hours, const char* cvt, const char* type)
{
  int ok = 1;
  if (cvt && *cvt) {
    // One file: dated by the hour that holds most records.
    std::vector<SfcData> all;
    long hour = 0;
    size_t most = 0;
    for (const auto& [h, records] : hours.byHour()) {
      all.insert(all.end(), records.begin(), records.end());
      if (records.size() > most) most = records.size(), hour = h;
    }
    return writeFile(cvt, hour, all, type);
  }
  for (const auto& [hour, records] : hours.byHour()) {
    Filename name(CONVENTION, Date(hour));
    const char* path = name.getName();
    if (!path || !*path || !strcmp(path, CONVENTION)) {
      Kol::outError("kolsfc: no file name convention %s (see file_path)\n", CONVENTION);
      return 0;
    }
    ok = writeFile(path, hour, records, type) && ok;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;

  // "-list FILE" takes the first file as the option's value.
  const char* listed = r.get("list");
  bool listing = listed != nullptr;
  Strings files;
  if (listing && *listed && strcasecmp(listed, "true") != 0 && strcmp(listed, "1") != 0)
    files.add(listed);
  if (const char* named = r.get("filename"); named && *named) {
    Strings more;
    more.set(named, '\n');
    for (int i = 0; i < more.getNum(); ++i) files.add(more.getString(i));
  }
  if (!files.getNum()) files.add("-");
  int ok = 1;
  if (listing) {
    bool csv = !strncasecmp(r.get("out", "table"), "csv", 3);
    if (csv) {
      std::string header;
      SfcUniFile::headerRow(header);
      std::fputs(header.c_str(), stdout);
    }
    for (int i = 0; i < files.getNum(); ++i)
      if (const char* name = files.getString(i); name && *name) ok = list(name, csv) && ok;
    std::fflush(stdout);
    return ok ? Kol::SUCCESS : Kol::FAILURE;
  }

  const char* type = r.get("type", "kol");
  if (!SfcFile::getType(type)) {
    Kol::outError("kolsfc: unknown type %s (kol, cdf, xml or xmlc)\n", type);
    return Kol::USAGE;
  }
  Date reference;
  const char* date = r.get("date");
  if (date && *date ? !reference.set(date) : !reference.set()) {
    Kol::outError("kolsfc: unreadable date %s\n", date);
    return Kol::USAGE;
  }
  Hours hours;
  for (int i = 0; i < files.getNum(); ++i)
    if (const char* name = files.getString(i); name && *name)
      ok = gather(name, reference, hours) && ok;
  if (!hours.count()) {
    Kol::outWarning("kolsfc: no report found in the input\n");
    return Kol::FAILURE;
  }
  ok = file(hours, r.get("cvt"), type) && ok;
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
