#include "obs/text/BestTrack.h"

#include <cstdio>

#include "core/Const.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

// "231N" or "751W" in tenths of a degree; false when it is not such a field.
bool tenths(std::string_view t, double& v)
{
  t = TextTool::trim(t);
  if (t.size() < 2) return false;
  char h = t.back();
  int n;
  if (!TextTool::toInt(t.substr(0, t.size() - 1), n)) return false;
  if (h == 'S' || h == 'W')
    v = -n / 10.0;
  else if (h == 'N' || h == 'E')
    v = n / 10.0;
  else
    return false;
  return true;
}

}  // namespace

void BestTrack::init()
{
  records.clear();
  unparsed.clear();
}

bool BestTrack::record(std::string_view line, Record& r)
{
  std::vector<std::string_view> f;
  size_t at = 0;
  for (;;) {
    size_t comma = line.find(',', at);
    f.push_back(line.substr(at, comma - at));
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  if (f.size() < 8) return false;
  auto field = [&](size_t i) { return i < f.size() ? TextTool::trim(f[i]) : std::string_view(); };
  auto number = [&](size_t i) { return TextTool::intOr(field(i)); };
  std::string_view time = field(2);
  if (time.size() != 10 || !TextTool::isDigits(time) || field(0).size() != 2) return false;
  if (!tenths(field(6), r.lat) || !tenths(field(7), r.lon)) return false;
  r.basin = field(0);
  r.cyclone = number(1);
  r.time = time;
  r.minutes = field(3);
  r.tech = field(4);
  r.tau = number(5);
  r.vmax_kt = number(8);
  r.mslp_mb = number(9);
  r.type = field(10);
  r.rad_kt = number(11);
  r.windcode = field(12);
  for (size_t q = 0; q < 4; ++q) r.radii[q] = number(13 + q);
  r.pouter_mb = number(17);
  r.router_nm = number(18);
  r.rmw_nm = number(19);
  r.gusts_kt = number(20);
  r.eye_nm = number(21);
  r.name = field(27);
  r.fields = static_cast<int>(f.size());
  return true;
}

int BestTrack::parse(std::string_view text)
{
  init();
  int n = 0;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++n;
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (TextTool::trim(line).empty()) continue;
    Record r{};
    r.line = n;
    if (record(line, r))
      records.push_back(r);
    else if (records.empty())
      return 0;  // not a deck
    else
      unparsed.push_back(n);
  }
  return records.empty() ? 0 : 1;
}

std::vector<size_t> BestTrack::track() const
{
  std::vector<size_t> out;
  std::vector<std::string> seen;
  for (size_t i = 0; i < records.size(); ++i) {
    std::string t = records[i].time + records[i].minutes;
    bool found = false;
    for (const auto& s : seen) found = found || s == t;
    if (found) continue;
    seen.push_back(t);
    out.push_back(i);
  }
  return out;
}

void BestTrack::jsonFields(JsonText& j) const
{
  auto points = track();
  j.key("format").value("ATCF-deck").key("n_records").value(static_cast<int>(records.size()));
  j.key("n_track_points").value(static_cast<int>(points.size())).key("track").beginArray();
  for (size_t i : points) {
    const Record& r = records[i];
    j.beginObject()
        .key("time")
        .value(r.time + r.minutes)
        .key("lat")
        .value(r.lat)
        .key("lon")
        .value(r.lon);
    j.key("vmax_kt").intOrNull(r.vmax_kt).key("mslp_mb").intOrNull(r.mslp_mb);
    j.key("type").textOrNull(r.type).endObject();
  }
  j.endArray().key("records").beginArray();
  for (const Record& r : records) {
    j.beginObject().key("line").value(r.line).key("basin").value(r.basin).key("cyclone").intOrNull(
        r.cyclone);
    j.key("time")
        .value(r.time)
        .key("technum_min")
        .textOrNull(r.minutes)
        .key("tech")
        .textOrNull(r.tech);
    j.key("tau").intOrNull(r.tau).key("lat").value(r.lat).key("lon").value(r.lon);
    j.key("vmax_kt")
        .intOrNull(r.vmax_kt)
        .key("mslp_mb")
        .intOrNull(r.mslp_mb)
        .key("type")
        .textOrNull(r.type);
    j.key("rad_kt")
        .intOrNull(r.rad_kt)
        .key("windcode")
        .textOrNull(r.windcode)
        .key("radii_nm")
        .beginArray();
    for (int q : r.radii) j.intOrNull(q);
    j.endArray().key("pouter_mb").intOrNull(r.pouter_mb).key("router_nm").intOrNull(r.router_nm);
    j.key("rmw_nm")
        .intOrNull(r.rmw_nm)
        .key("gusts_kt")
        .intOrNull(r.gusts_kt)
        .key("eye_nm")
        .intOrNull(r.eye_nm);
    j.key("name").textOrNull(r.name).key("fields").value(r.fields).endObject();
  }
  j.endArray();
  if (!unparsed.empty()) {
    j.key("unparsed_lines").beginArray();
    for (int n : unparsed) j.value(n);
    j.endArray();
  }
}

void BestTrack::print() const
{
  JsonText::printObject([this](JsonText& j) { jsonFields(j); });
}

}  // namespace KOL
