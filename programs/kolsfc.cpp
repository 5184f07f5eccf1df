// kolsfc: decodes the METAR, SPECI, SA and SYNOP reports of filed bulletins (files, or a date or
// selector of their convention "sfc_wmo") or a feed capture and files them into the surface file of
// each observation hour, named by the convention "sfc_cvt" (or into one file given with -cvt=NAME),
// in the own format or, with -type=cdf|xml|xmlc, a variant. "kolsfc -list FILE..." prints the
// records of surface files as a table (-out=csv for CSV with units in the column names).
//
// Reports repeated in the feed: a station's reports of one observation hour make one record. A
// correction ("CCx" bulletin or "COR" report) replaces the record of the same observation time;
// any other repeat of the same time only fills values the record lacks, and a later observation
// in the hour brings its values in over the earlier ones (the merge of surface records). A
// correction without an original is filed as it is.
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "core/Strings.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcReports.h"
#include "obs/SfcUniFile.h"

using namespace KOL;

namespace {

constexpr const char* CONVENTION = "sfc_cvt";
// Filed bulletins may be named by their date or a selector ("la", "#2020010600").
constexpr const char* FILED = "sfc_wmo";
constexpr const char* DATE_HELP =
    "-da date     Date near the reports, yyyymmddhhmm (default: by the file name, else now)";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::PATH_GROUP);
  keyed.add("list", "kolsfclist", "li", "-list       Print the records of surface files");
  keyed.add("out", "kolsfcout", "out", "-out=csv    List as CSV instead of a table");
  keyed.add("type", "kolsfctype", "ty", "-type=kol|cdf|xml|xmlc Surface file variant written");
  keyed.add("cvt", "kolsfccvt", "cvt", "-cvt=name   One surface file for every report");
  ProgInput::addDateOption(keyed, DATE_HELP);
  KolResrc::add(positional, KolResrc::find("filename"));
}

// ---------------------------------------------------------------------------------------------
// Listing.

int list(const char* name, bool csv)
{
  // The refusal below is the one line the user gets, so the reader's own is held back.
  const uint32_t mask = Kol::getMessageMask();
  Kol::setMessageLevel("none");
  SfcFile file(name);
  Kol::setMessageMask(mask);
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

int file(const SfcReports& hours, const char* cvt, const char* type)
{
  int ok = 1;
  if (cvt && *cvt) {
    // One file: dated by the hour that holds most records.
    std::vector<SfcData> all;
    for (const auto& [h, records] : hours.byHour())
      all.insert(all.end(), records.begin(), records.end());
    return writeFile(cvt, hours.busiestHour(), all, type);
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
  const bool listing = ProgInput::takeFlag("list");
  ProgInput inputs(listing ? CONVENTION : FILED);
  if (!inputs.setup()) return Kol::USAGE;
  if (listing) {
    bool csv = !strncasecmp(r.get("out", "table"), "csv", 3);
    if (csv) {
      std::string header;
      SfcUniFile::headerRow(header);
      std::fputs(header.c_str(), stdout);
    }
    const int ok =
        inputs.forEach([csv](const ProgInput::Item& in) { return list(in.name.c_str(), csv); });
    std::fflush(stdout);
    return ok ? Kol::SUCCESS : Kol::FAILURE;
  }

  const char* type = r.get("type", "kol");
  if (!SfcFile::getType(type)) {
    Kol::outError("kolsfc: unknown type %s (kol, cdf, xml or xmlc)\n", type);
    return Kol::USAGE;
  }
  SfcReports hours;
  int ok = inputs.forEach(
      [&hours](const ProgInput::Item& in) { return hours.read(in.name.c_str(), in.date); });
  if (!hours.count()) {
    if (ok) Kol::outWarning("kolsfc: no report found in the input\n");
    return Kol::FAILURE;
  }
  ok = file(hours, r.get("cvt"), type) && ok;
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
