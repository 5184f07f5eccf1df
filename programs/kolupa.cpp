// kolupa: reads TEMP and PILOT parts from filed bulletins (files, or a date or selector of their
// convention "upa_wmo"), a text file of parts or standard input, and the upper-air subsets of
// the BUFR messages in the same files, merges the parts of each station and time (text and
// BUFR alike, the BUFR sounding's extra levels kept) into one sounding and prints each sounding as
// a table (pressure, height, temperature, dew point, wind and level kind) or, with -out=csv, as CSV
// with units in the header; soundings that follow the balloon add each level's time after launch
// and displacement from the launch site. -out=NAME.upa (any name with a dot or a slash) writes the
// decoded parts to that own upper-air file; -out=CONV (a naming convention such as upa_cvt) writes
// the file the convention names for the soundings' date. -indices prints the stability indices of
// each sounding instead: the parcel blocks of the surface, 100 hPa mixed-layer and
// maximum-temperature parcels (with the positive area ending at the first negative layer, then
// at the highest positive layer), the sounding indices and the wind indices; with -out=csv one
// row per sounding. -parcel=P:T:TD adds a given parcel.
//
//   kolupa bulletins.wmo            tables
//   kolupa -out=csv < parts.txt     CSV
//   kolupa -out=upa_cvt FILE        the own file by naming convention
//   kolupa -indices FILE            stability indices (-out=csv: one CSV row per sounding)
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/Date.h"
#include "core/Kol.h"
#include "core/KolResrc.h"
#include "core/NameConv.h"
#include "core/ProgInput.h"
#include "core/ResrcDB.h"
#include "core/ResrcDBList.h"
#include "core/String.h"
#include "obs/ParcelParams.h"
#include "obs/SoundParams.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaRawinData.h"
#include "obs/UpaReports.h"
#include "obs/UpaTool.h"
#include "obs/WindParams.h"

using namespace KOL;

namespace {

// Filed bulletins may be named by their date or a selector ("la", "#2011052212").
constexpr const char* FILED = "upa_wmo";
constexpr const char* DATE_HELP =
    "-da date     Date near the soundings, yyyymmddhhmm (default: by the file name, else now)";

void declareOptions(ResrcDBList& keyed, ResrcDBList& positional)
{
  KolResrc::add(keyed, KolResrc::HELP_GROUP);
  KolResrc::add(keyed, KolResrc::find("file_path"));
  KolResrc::add(keyed, KolResrc::find("city_file"));
  keyed.add("out", "kolupaout", "out",
            "-out=csv     CSV; -out=NAME.upa or -out=upa_cvt writes the own upper-air file");
  keyed.add("indices", "kolupaindices", "in",
            "-in          Stability indices of each sounding instead of its levels");
  keyed.add("parcel", "kolupaparcel", "pa",
            "-pa=P:T:TD   With -in, also lift this parcel (hPa, C, C)");
  ProgInput::addDateOption(keyed, DATE_HELP);
  KolResrc::add(positional, KolResrc::find("filename"));
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
      "wdir_deg,wspd_kt,kind,elapsed_s,dlat_deg,dlon_deg\n");
}

void printCsv(const UpaData& d)
{
  for (int i = 0; i < d.getNum(); ++i) {
    const UpaLevel& l = *d.getLevel(i);
    std::printf("%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s,%s\n", d.getId(), d.getWmo(),
                dateText(d.getDate()).c_str(), timeText(d.getDate()).c_str(),
                number(d.getLat(), "%.2f").c_str(), number(d.getLon(), "%.2f").c_str(),
                number(d.getElev(), "%.0f").c_str(), number(l.pres, "%.1f").c_str(),
                number(l.hght, "%.0f").c_str(), number(l.temp, "%.1f").c_str(),
                number(l.dewp, "%.1f").c_str(), number(l.dir, "%.0f").c_str(),
                number(l.spd, "%.0f").c_str(), kind(l.type).c_str(),
                number(l.elapsed, "%.0f").c_str(), number(l.dlat, "%.5f").c_str(),
                number(l.dlon, "%.5f").c_str());
  }
}

bool tracked(const UpaData& d)
{
  for (int i = 0; i < d.getNum(); ++i)
    if (d.getLevel(i)->validTrack()) return true;
  return false;
}

void printTable(const UpaData& d)
{
  std::printf("Station %s  WMO %s  %s %sZ  lat %s  lon %s  elev %s m\n", d.getId(), d.getWmo(),
              dateText(d.getDate()).c_str(), timeText(d.getDate()).c_str(),
              number(d.getLat(), "%.2f").c_str(), number(d.getLon(), "%.2f").c_str(),
              number(d.getElev(), "%.0f").c_str());
  // The balloon's track, where sent, goes in front of the kind, whose width varies.
  const bool track = tracked(d);
  std::printf("%7s %7s %6s %6s %5s %5s", "PRES", "HGHT", "TEMP", "DWPT", "DRCT", "SKNT");
  if (track) std::printf(" %6s %8s %8s", "TIME", "DLAT", "DLON");
  std::printf("  KIND\n%7s %7s %6s %6s %5s %5s", "hPa", "m", "C", "C", "deg", "knot");
  std::printf(track ? " %6s %8s %8s\n" : "\n", "s", "deg", "deg");
  for (int i = 0; i < d.getNum(); ++i) {
    const UpaLevel& l = *d.getLevel(i);
    std::printf("%7s %7s %6s %6s %5s %5s", number(l.pres, "%.1f").c_str(),
                number(l.hght, "%.0f").c_str(), number(l.temp, "%.1f").c_str(),
                number(l.dewp, "%.1f").c_str(), number(l.dir, "%.0f").c_str(),
                number(l.spd, "%.0f").c_str());
    if (track)
      std::printf(" %6s %8s %8s", number(l.elapsed, "%.0f").c_str(), number(l.dlat, "%.4f").c_str(),
                  number(l.dlon, "%.4f").c_str());
    std::printf("  %s\n", kind(l.type).c_str());
  }
  std::printf("\n");
}

// ---------------------------------------------------------------------------------------------
// Indices.

struct ParcelChoice {
  const char* type;
  const char* prefix;
};

std::vector<ParcelChoice> parcelChoices(const char* given)
{
  std::vector<ParcelChoice> out{{"sfc", "sfc_"}, {"layer", "ml_"}, {"maxt", "maxt_"}};
  if (given && *given) out.push_back({given, "given_"});
  return out;
}

// Every parcel under both rules for the end of the positive area, then the sounding and wind
// summaries, as (name, value) pairs or printed blocks.
void indices(const UpaData& d, const char* given, bool csv, ParcelParams::Values& values)
{
  ParcelParams sfc;
  sfc.calc(d);
  for (const ParcelChoice& c : parcelChoices(given)) {
    ParcelParams pp;
    if (!pp.setType(c.type)) {
      Kol::outWarning("kolupa: unreadable parcel %s\n", c.type);
      continue;
    }
    pp.calc(d);
    for (bool highest : {false, true}) {
      pp.setHighestEl(highest);
      if (csv) {
        pp.list(values, std::string(c.prefix) + (highest ? "top_" : ""));
        continue;
      }
      if (highest) std::printf("Positive area up to the highest positive layer:\n");
      pp.print();
    }
    if (!csv) std::printf("\n");
  }
  SoundParams sp;
  sp.calc(d, &sfc);
  WindParams wp;
  wp.calc(d, &sfc);
  if (csv) {
    sp.list(values);
    wp.list(values);
    return;
  }
  sp.print();
  std::printf("\n");
  wp.print();
  std::printf("\n");
}

void printIndices(const UpaData& d, const char* given)
{
  std::printf("Station %s  WMO %s  %s %sZ\n\n", d.getId(), d.getWmo(),
              dateText(d.getDate()).c_str(), timeText(d.getDate()).c_str());
  ParcelParams::Values none;
  indices(d, given, false, none);
}

void printIndicesCsv(const UpaData& d, const char* given, bool header)
{
  ParcelParams::Values values;
  indices(d, given, true, values);
  if (header) {
    std::printf("station,wmo,date,time_utc");
    for (const auto& v : values) std::printf(",%s", v.first.c_str());
    std::printf("\n");
  }
  std::printf("%s,%s,%s,%s", d.getId(), d.getWmo(), dateText(d.getDate()).c_str(),
              timeText(d.getDate()).c_str());
  for (const auto& v : values) std::printf(",%s", number(v.second, "%.2f").c_str());
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

int writeFile(const char* out, UpaReports& soundings)
{
  const auto& records = soundings.records();
  std::string name = outputName(out, records.empty() ? Date() : records.front().getDate());
  if (name.empty()) {
    Kol::outError("kolupa: no file name for %s\n", out);
    return 0;
  }
  if (soundings.write(name.c_str())) return 1;
  Kol::outError("kolupa: cannot write %s\n", name.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  ResrcDBList keyed, positional;
  declareOptions(keyed, positional);
  if (int status = ResrcDB::startProgram(argc, argv, keyed, positional); status >= 0) return status;
  Resrc& r = Kol::resrc;

  ProgInput inputs(FILED);
  if (!inputs.setup()) return Kol::USAGE;
  UpaReports soundings;
  int ok = inputs.forEach([&](const ProgInput::Item& in) {
    return soundings.read(in.name.c_str(), in.date, "kolupa");
  });
  if (ok && soundings.records().empty()) {
    Kol::outError("kolupa: no TEMP or PILOT part found in the input\n");
    return Kol::FAILURE;
  }
  soundings.locate(r.get("city_file"));

  const char* out = r.get("out", "table");
  const bool csv = !strncasecmp(out, "csv", 3);
  if (r.getBool("indices")) {
    bool header = true;
    for (const UpaRawinData& rec : soundings.records()) {
      UpaData d;
      UpaTool::merge(rec, d);
      csv ? printIndicesCsv(d, r.get("parcel"), header) : printIndices(d, r.get("parcel"));
      header = false;
    }
  } else if (csv || !strncasecmp(out, "table", 5)) {
    if (csv) csvHeader();
    for (const UpaRawinData& rec : soundings.records()) {
      UpaData d;
      UpaTool::merge(rec, d);
      csv ? printCsv(d) : printTable(d);
    }
  } else {
    ok = writeFile(out, soundings) && ok;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Kol::outError("kolupa: cannot write the output\n");
    return Kol::FAILURE;
  }
  return ok ? Kol::SUCCESS : Kol::FAILURE;
}
