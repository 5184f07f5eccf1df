#include "obs/text/WarnSegment.h"

#include <cstdio>

#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

constexpr std::string_view LATLON = "LAT...LON";
constexpr std::string_view MOTION = "TIME...MOT...LOC";

std::pair<double, double> point(int lat, int lon, bool east)
{
  double y = lat / 100.0, x = lon / 100.0;
  if (!east) x = x > 180.0 ? 360.0 - x : -x;
  return {y, x};
}

// Pairs of numbers into pts; odd is set when one is left over.
void pairs(const std::vector<int>& nums, bool east, WarnSegment::Points& pts, bool* odd)
{
  for (size_t k = 0; k + 1 < nums.size(); k += 2) pts.push_back(point(nums[k], nums[k + 1], east));
  if (odd) *odd = nums.size() % 2 == 1;
}

// Indented lines of numbers only, which continue a coordinate list.
bool continuation(std::string_view line)
{
  if (line.empty() || line[0] != ' ') return false;
  auto w = TextTool::words(line);
  if (w.empty()) return false;
  for (auto t : w)
    if (!TextTool::isDigits(t)) return false;
  return true;
}

void numbers(std::string_view line, std::vector<int>& out)
{
  for (auto t : TextTool::words(line)) out.push_back(TextTool::intOr(t));
}

}  // namespace

void WarnSegment::init()
{
  has_ugc = has_polygon = odd_count = has_motion = time_without_z = values_on_next_line = false;
  ugc.init();
  vtec.clear();
  hvtec.clear();
  polygon.clear();
  motion_time.clear();
  direction = speed = 0;
  motion_points.clear();
}

size_t WarnSegment::polygonAt(const std::vector<std::string_view>& lines, size_t i, size_t to,
                              bool east)
{
  std::string_view rest = lines[i].substr(TextTool::findNoCase(lines[i], LATLON) + LATLON.size());
  std::vector<int> nums;
  auto w = TextTool::words(rest);
  size_t k = 0;
  for (; k < w.size() && TextTool::isDigits(w[k]); ++k) nums.push_back(TextTool::intOr(w[k]));
  if (k < w.size()) {
    // Something after the numbers on the same line: TIME...MOT...LOC written there.
    size_t at = TextTool::findNoCase(rest, MOTION);
    has_polygon = true;
    pairs(nums, east, polygon, &odd_count);
    if (at != std::string_view::npos && !has_motion)
      return motionAt(lines, i, to, rest.substr(at + MOTION.size()), east);
    return i;
  }
  while (i + 1 < to && continuation(lines[i + 1])) numbers(lines[++i], nums);
  has_polygon = true;
  pairs(nums, east, polygon, &odd_count);
  return i;
}

size_t WarnSegment::motionAt(const std::vector<std::string_view>& lines, size_t i, size_t to,
                             std::string_view rest, bool east)
{
  auto w = TextTool::words(rest);
  if (w.empty() && i + 1 < to) {
    values_on_next_line = true;
    w = TextTool::words(lines[++i]);
  }
  if (w.size() < 3) return i;
  std::string_view t = w[0];
  time_without_z = t.empty() || (t.back() != 'Z' && t.back() != 'z');
  if (!time_without_z) t.remove_suffix(1);
  std::string_view dir = w[1], spd = w[2];
  if (TextTool::findNoCase(dir, "DEG") != std::string_view::npos)
    dir = dir.substr(0, dir.size() - 3);
  if (TextTool::findNoCase(spd, "KT") != std::string_view::npos)
    spd = spd.substr(0, spd.size() - 2);
  has_motion = true;
  motion_time = t;
  direction = TextTool::intOr(dir);
  speed = TextTool::intOr(spd);
  std::vector<int> nums;
  for (size_t k = 3; k < w.size() && TextTool::isDigits(w[k]); ++k)
    nums.push_back(TextTool::intOr(w[k]));
  while (i + 1 < to && continuation(lines[i + 1])) numbers(lines[++i], nums);
  pairs(nums, east, motion_points, nullptr);
  return i;
}

int WarnSegment::parse(const std::vector<std::string_view>& lines, size_t from, size_t to,
                       bool east)
{
  init();
  for (size_t i = from; i < to; ++i) {
    std::string_view line = lines[i];
    std::string_view t = TextTool::trim(line);
    if (t.empty()) continue;
    if (t[0] == '/') {
      Vtec v;
      HydroVtec h;
      if (v.parse(t))
        vtec.push_back(v);
      else if (h.parse(t))
        hvtec.push_back(h);
      continue;
    }
    if (!has_ugc && Ugc::isStart(t)) {
      has_ugc = true;
      ugc.parse(lines, i);
      continue;
    }
    if (!has_polygon && TextTool::startsWithNoCase(t, LATLON)) {
      i = polygonAt(lines, i, to, east);
      continue;
    }
    if (!has_motion && TextTool::startsWithNoCase(t, MOTION))
      i = motionAt(lines, i, to, t.substr(MOTION.size()), east);
  }
  return has_ugc || !vtec.empty() || has_polygon;
}

void WarnSegment::json(JsonText& j) const
{
  j.beginObject().key("ugc");
  if (has_ugc) {
    j.beginObject().key("codes").beginArray();
    for (const auto& c : ugc.codes) j.value(c);
    j.endArray().key("expires_ddhhmm").textOrNull(ugc.expires);
    if (!ugc.unparsed.empty()) {
      j.key("unparsed_tokens").beginArray();
      for (const auto& u : ugc.unparsed) j.value(u);
      j.endArray();
    }
    j.endObject();
  } else {
    j.null();
  }
  j.key("vtec").beginArray();
  for (const auto& v : vtec) {
    j.beginObject()
        .key("raw")
        .value(v.raw)
        .key("product_class")
        .value(std::string(1, v.product_class));
    j.key("action")
        .value(v.action)
        .key("office")
        .value(v.office)
        .key("phenomena")
        .value(v.phenomena);
    j.key("significance").value(std::string(1, v.significance)).key("etn").value(v.etn);
    j.key("begin").textOrNull(Vtec::isoTime(v.begin)).key("end").textOrNull(Vtec::isoTime(v.end));
    j.endObject();
  }
  j.endArray();
  if (!hvtec.empty()) {
    j.key("hvtec").beginArray();
    for (const auto& h : hvtec) {
      j.beginObject().key("raw").value(h.raw).key("nwsli").value(h.nwsli);
      j.key("severity").value(h.severity).key("cause").value(h.cause);
      j.key("begin")
          .textOrNull(Vtec::isoTime(h.begin))
          .key("crest")
          .textOrNull(Vtec::isoTime(h.crest));
      j.key("end").textOrNull(Vtec::isoTime(h.end)).key("record").value(h.record).endObject();
    }
    j.endArray();
  }
  j.key("polygon");
  if (has_polygon) {
    j.beginObject().key("points").points(polygon).key("count").value(
        static_cast<int>(polygon.size()));
    if (odd_count) j.key("odd_number_count").value(true);
    j.endObject();
  } else {
    j.null();
  }
  j.key("time_mot_loc");
  if (has_motion) {
    j.beginObject().key("time_hhmm").value(motion_time).key("direction_deg").intOrNull(direction);
    j.key("speed_kt").intOrNull(speed).key("points").points(motion_points);
    if (time_without_z) j.key("time_without_z").value(true);
    if (values_on_next_line) j.key("values_on_next_line").value(true);
    j.endObject();
  } else {
    j.null();
  }
  j.endObject();
}

void WarnSegment::print() const
{
  JsonText j;
  json(j);
  std::printf("%s\n", j.text().c_str());
}

}  // namespace KOL
