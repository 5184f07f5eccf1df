// Observations as columns: surface records of the surface files, filed bulletins and raw
// captures, and the METAR and SYNOP decoders; soundings of the upper-air files and bulletins with
// their stability indices. Missing values stay -9999 here; the Python side turns them to NaN.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "Bindings.h"
#include "Messages.h"
#include "core/Kol.h"
#include "core/Resrc.h"
#include "obs/MetarTool.h"
#include "obs/SfcData.h"
#include "obs/SfcFile.h"
#include "obs/SfcReports.h"
#include "obs/SoundParams.h"
#include "obs/SynopTool.h"
#include "obs/UpaData.h"
#include "obs/UpaKolFile.h"
#include "obs/UpaReports.h"
#include "obs/UpaTool.h"

namespace py = pybind11;

namespace kolpy {

namespace {

// The numeric fields of a surface record, in the order of the columns.
struct SfcColumn {
  const char* name;
  float (*get)(const KOL::SfcData&);
};

const SfcColumn kSfcColumns[] = {
    {"lat", [](const KOL::SfcData& s) { return s.lat; }},
    {"lon", [](const KOL::SfcData& s) { return s.lon; }},
    {"elev", [](const KOL::SfcData& s) { return s.elev; }},
    {"temp", [](const KOL::SfcData& s) { return s.temp; }},
    {"dewp", [](const KOL::SfcData& s) { return s.dewp; }},
    {"wdir", [](const KOL::SfcData& s) { return s.wdir; }},
    {"wspd", [](const KOL::SfcData& s) { return s.wspd; }},
    {"gust", [](const KOL::SfcData& s) { return s.gust; }},
    {"slp", [](const KOL::SfcData& s) { return s.slp; }},
    {"alt", [](const KOL::SfcData& s) { return s.alt; }},
    {"vis", [](const KOL::SfcData& s) { return s.vis; }},
    {"ceiling", [](const KOL::SfcData& s) { return s.getCldHeight(); }},
    {"ptend", [](const KOL::SfcData& s) { return s.ptend; }},
    {"prec1", [](const KOL::SfcData& s) { return s.prec[KOL::SfcData::PREC1]; }},
    {"prec3", [](const KOL::SfcData& s) { return s.prec[KOL::SfcData::PREC3]; }},
    {"prec6", [](const KOL::SfcData& s) { return s.prec[KOL::SfcData::PREC6]; }},
    {"prec12", [](const KOL::SfcData& s) { return s.prec[KOL::SfcData::PREC12]; }},
    {"prec24", [](const KOL::SfcData& s) { return s.prec[KOL::SfcData::PREC24]; }},
    {"maxt", [](const KOL::SfcData& s) { return s.maxt; }},
    {"mint", [](const KOL::SfcData& s) { return s.mint; }},
    {"snow", [](const KOL::SfcData& s) { return s.snow; }},
    {"sun", [](const KOL::SfcData& s) { return s.sun; }},
    {"sst", [](const KOL::SfcData& s) { return s.sst; }},
};

// Surface records as a dict of columns.
py::dict sfcColumns(const std::vector<KOL::SfcData>& rows)
{
  py::dict out;
  py::list id, name, wx, cover;
  py::array_t<long> wmo(rows.size()), seconds(rows.size());
  py::array_t<int> type(rows.size());
  for (size_t k = 0; k < rows.size(); k++) {
    const KOL::SfcData& s = rows[k];
    id.append(s.id);
    name.append(s.name);
    wx.append(s.wx);
    cover.append(std::string(1, s.getCldCover()));
    wmo.mutable_at(k) = s.wmo;
    seconds.mutable_at(k) = s.getSeconds();
    type.mutable_at(k) = s.type;
  }
  out["station"] = id;
  out["name"] = name;
  out["wmo"] = wmo;
  out["type"] = type;
  out["seconds"] = seconds;
  for (const SfcColumn& c : kSfcColumns) {
    py::array_t<float> col(rows.size());
    for (size_t k = 0; k < rows.size(); k++) col.mutable_at(k) = c.get(rows[k]);
    out[c.name] = col;
  }
  out["cover"] = cover;
  out["wx"] = wx;
  return out;
}

KOL::Date reference(long seconds)
{
  return seconds == KOL::Const::MISS ? KOL::Date(KOL::Date::getCurrentSeconds())
                                     : KOL::Date(seconds);
}

py::dict readSurface(const std::string& path)
{
  MessageCapture messages;
  KOL::SfcFile f;
  if (!f.open(path.c_str())) raise(messages, "cannot open surface file " + path);
  std::vector<KOL::SfcData> rows;
  for (KOL::SfcData s; f.read(s); s.init()) rows.push_back(s);
  messages.warnAndClear();
  return sfcColumns(rows);
}

py::dict readBulletins(const std::string& path, long refSeconds)
{
  MessageCapture messages;
  KOL::SfcReports reports;
  if (!reports.read(path.c_str(), reference(refSeconds)))
    raise(messages, "cannot open bulletin file " + path);
  std::vector<KOL::SfcData> rows;
  for (const auto& hour : reports.byHour())
    rows.insert(rows.end(), hour.second.begin(), hour.second.end());
  messages.warnAndClear();
  return sfcColumns(rows);
}

// One report through a decoder; an undecodable report raises.
template <typename Decode>
py::dict decodeOne(const std::string& text, Decode decode, const char* what)
{
  MessageCapture messages;
  KOL::SfcData s;
  if (!decode(text.c_str(), s) || !s.id[0])
    raise(messages, std::string("not a ") + what + " report");
  messages.warnAndClear();
  return sfcColumns({s});
}

py::dict soundingColumns(const KOL::UpaData& u)
{
  const int n = u.getNum();
  py::array_t<float> pres(n), hght(n), temp(n), dewp(n), dir(n), spd(n);
  py::array_t<int> type(n);
  for (int i = 0; i < n; i++) {
    const KOL::UpaLevel* l = u.getLevel(i);
    pres.mutable_at(i) = l->pres, hght.mutable_at(i) = l->hght, temp.mutable_at(i) = l->temp;
    dewp.mutable_at(i) = l->dewp, dir.mutable_at(i) = l->dir, spd.mutable_at(i) = l->spd;
    type.mutable_at(i) = l->type;
  }
  py::dict out;
  out["pres"] = pres, out["hght"] = hght, out["temp"] = temp, out["dewp"] = dewp;
  out["wdir"] = dir, out["wspd"] = spd, out["level_type"] = type;
  return out;
}

py::dict indices(const KOL::UpaData& u)
{
  KOL::SoundParams p;
  py::dict out;
  if (!p.calc(u)) return out;
  KOL::SoundParams::Values values;
  p.list(values);
  for (const auto& [name, v] : values) out[py::str(name)] = v;
  return out;
}

// Soundings of an own upper-air file, or of TEMP and PILOT bulletins: station, time, place,
// levels and indices of each.
py::list readSoundings(const std::string& path, long refSeconds)
{
  MessageCapture messages;
  std::vector<KOL::UpaRawinData> records;
  KOL::UpaKolFile own;
  if (own.open(path.c_str(), 0)) {
    for (KOL::UpaRawinData r; own.read(r); r = KOL::UpaRawinData()) records.push_back(r);
  } else {
    messages.text();
    KOL::UpaReports reports;
    if (!reports.read(path.c_str(), reference(refSeconds)))
      raise(messages, "cannot open upper-air file " + path);
    // Placed by the station table as the programs place them: identifier, position, elevation.
    reports.locate(KOL::Kol::resrc.get("city_file"));
    records = reports.records();
  }
  py::list out;
  for (const KOL::UpaRawinData& r : records) {
    KOL::UpaData u;
    if (!KOL::UpaTool::merge(r, u) || u.getNum() == 0) continue;
    py::dict s;
    s["station"] = u.getId();
    s["wmo"] = u.getWmo();
    s["lat"] = u.getLat();
    s["lon"] = u.getLon();
    s["elev"] = u.getElev();
    s["seconds"] = u.getDate().getSeconds();
    s["levels"] = soundingColumns(u);
    s["indices"] = indices(u);
    out.append(s);
  }
  messages.warnAndClear();
  return out;
}

}  // namespace

void bindObs(py::module_& m)
{
  const long miss = KOL::Const::MISS;
  m.def("read_surface", &readSurface, py::arg("path"),
        "Columns of every record of a surface file (own, netCDF, XML or text variant).");
  m.def("read_bulletins", &readBulletins, py::arg("path"), py::arg("reference") = miss,
        "Columns of the decoded surface reports of filed bulletins or a feed capture; "
        "reference (seconds since 1970) dates the reports' days.");
  m.def(
      "decode_metar",
      [](const std::string& t) {
        return decodeOne(
            t, [](const char* x, KOL::SfcData& s) { return KOL::MetarTool::decode(x, s); },
            "METAR");
      },
      py::arg("text"), "Columns of one decoded METAR or SPECI report.");
  m.def(
      "decode_synop",
      [](const std::string& t) {
        return decodeOne(
            t, [](const char* x, KOL::SfcData& s) { return KOL::SynopTool::decode(x, s); },
            "SYNOP");
      },
      py::arg("text"), "Columns of one decoded SYNOP report.");
  m.def("read_soundings", &readSoundings, py::arg("path"), py::arg("reference") = miss,
        "Soundings of an own upper-air file or of TEMP and PILOT bulletins, with indices.");
  m.def(
      "decode_temp",
      [](const std::string& text) {
        MessageCapture messages;
        KOL::UpaRawinData r;
        KOL::UpaData u;
        if (!KOL::UpaTool::decode(text, r) || !KOL::UpaTool::merge(r, u) || u.getNum() == 0)
          raise(messages, "not a TEMP or PILOT part");
        messages.warnAndClear();
        py::dict s;
        s["station"] = u.getId();
        s["seconds"] = u.getDate().getSeconds();
        s["levels"] = soundingColumns(u);
        s["indices"] = indices(u);
        return s;
      },
      py::arg("text"), "One decoded TEMP or PILOT part as levels and indices.");
}

}  // namespace kolpy
