#include "obs/text/MosBulletin.h"

#include <cctype>
#include <cstdio>

#include "core/Const.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

const char* const WEEKDAYS[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

bool weekday(std::string_view w)
{
  for (const char* d : WEEKDAYS)
    if (w == d) return true;
  return false;
}

MosBulletin::Value value(std::string_view field)
{
  MosBulletin::Value v;
  std::string clean;
  for (char c : field)
    if (c != '|') clean += c;
  std::string_view t = TextTool::trim(clean);
  if (t.empty()) return v;
  v.present = true;
  v.text = t;
  v.numeric = TextTool::toInt(t, v.number);
  return v;
}

}  // namespace

const MosBulletin::Value* MosBulletin::Station::find(std::string_view element, size_t column) const
{
  for (const auto& r : rows)
    if (r.element == element && column < r.values.size() && r.values[column].present)
      return &r.values[column];
  return nullptr;
}

std::string MosBulletin::Station::validIso(size_t column) const
{
  return TextTool::iso(year, month, day, hour + hours[column], minute);
}

void MosBulletin::init()
{
  head = TextProduct::Heading();
  stations.clear();
}

bool MosBulletin::isMos(const TextProduct& p)
{
  for (auto l : p.getLines()) {
    if (l.find("MOS GUIDANCE") != std::string_view::npos ||
        l.find("LAMP GUIDANCE") != std::string_view::npos)
      return true;
    if (!TextTool::trim(l).empty() && l.find("MOS") == std::string_view::npos) break;
  }
  return false;
}

// "KBAF   ECM MOS GUIDANCE    2/24/2020  1200 UTC"
bool MosBulletin::header(std::string_view line)
{
  auto w = TextTool::words(line);
  if (w.size() < 7 || (w[2] != "MOS" && w[2] != "LAMP") || w[3] != "GUIDANCE") return false;
  Station s;
  s.raw_id = w[0];
  std::string_view id = w[0];
  while (!id.empty() && !std::isalnum(static_cast<unsigned char>(id[0]))) id.remove_prefix(1);
  s.id = id;
  s.model = w[1];
  if (std::sscanf(std::string(w[4]).c_str(), "%d/%d/%d", &s.month, &s.day, &s.year) != 3)
    return false;
  int hhmm = TextTool::intOr(w[5]);
  if (hhmm == Const::MISS) return false;
  s.hour = hhmm / 100;
  s.minute = hhmm % 100;
  stations.push_back(s);
  return true;
}

// The HR line's valid hours (UTC) or the FHR line's forecast hours, and where each column ends.
void MosBulletin::columns(std::string_view line, bool forecast_hours)
{
  Station& s = stations.back();
  s.hours.clear();
  s.ends.clear();
  int previous = s.hour, elapsed = 0;
  for (size_t i = 3; i < line.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) continue;
    size_t j = i;
    while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j]))) ++j;
    int h = TextTool::intOr(line.substr(i, j - i));
    if (forecast_hours) {
      s.hours.push_back(h);
    } else {
      int step = ((h - previous) % 24 + 24) % 24;
      elapsed += step == 0 && !s.hours.empty() ? 24 : step;
      previous = h;
      s.hours.push_back(elapsed);
    }
    s.ends.push_back(j - 1);
    i = j;
  }
}

void MosBulletin::row(std::string_view line)
{
  Station& s = stations.back();
  auto w = TextTool::words(line);
  if (w.empty() || s.ends.empty()) return;
  Row r;
  r.element = w[0];
  r.values.resize(s.ends.size());
  bool slashes = line.find('/', 4) != std::string_view::npos;
  for (size_t c = 0; c < s.ends.size(); ++c) {
    size_t e = s.ends[c];
    if (e >= line.size() || e < 4) continue;
    if (slashes) {
      // "nn/ mm" thunderstorm and severe probabilities, ending under the column.
      auto digit = [&](size_t k) { return std::isdigit(static_cast<unsigned char>(line[k])) != 0; };
      if (!digit(e)) continue;
      size_t b = e;
      while (b > 4 && digit(b - 1)) --b;
      while (b > 4 && line[b - 1] == ' ') --b;
      if (b <= 5 || line[b - 1] != '/' || !digit(b - 2)) continue;
      b -= 2;
      while (b > 4 && digit(b - 1)) --b;
      r.values[c] = value(line.substr(b, e - b + 1));
      continue;
    }
    r.values[c] = value(line.substr(e - 2, 3));
  }
  // Past the last column: MEX climate normals in three-character fields.
  for (size_t b = s.ends.back() + 1; b < line.size(); b += 3) {
    Value v = value(line.substr(b, 3));
    if (v.present && v.numeric) r.after.push_back(v.number);
  }
  s.rows.push_back(r);
}

int MosBulletin::parse(const TextProduct& p)
{
  init();
  head = p.getHeading();
  bool inBlock = false;
  for (auto raw : p.getLines()) {
    std::string_view line = raw;
    while (!line.empty() && line[0] == '\x1e') line.remove_prefix(1);
    if (TextTool::trim(line).empty()) {
      inBlock = false;
      continue;
    }
    if (header(line)) {
      inBlock = true;
      continue;
    }
    if (!inBlock) continue;
    auto w = TextTool::words(line);
    if (w[0] == "HR" || w[0] == "FHR" || w[0] == "UTC")
      columns(line, w[0] == "FHR");
    else if (w[0] == "DT" || TextTool::startsWith(w[0], "DT/") || weekday(w[0]))
      continue;
    else
      row(line);
  }
  return stations.empty() ? 0 : 1;
}

void MosBulletin::jsonFields(JsonText& j) const
{
  head.json(j);
  j.key("n_stations").value(static_cast<int>(stations.size())).key("stations").beginArray();
  for (const auto& s : stations) {
    j.beginObject().key("station").value(s.id).key("station_raw").value(s.raw_id);
    j.key("model").value(s.model).key("run").value(
        TextTool::iso(s.year, s.month, s.day, s.hour, s.minute));
    j.key("forecast_hours").beginArray();
    for (int h : s.hours) j.value(h);
    j.endArray().key("valid").beginArray();
    for (size_t c = 0; c < s.hours.size(); ++c) j.value(s.validIso(c));
    j.endArray().key("rows").beginObject();
    for (const auto& r : s.rows) {
      j.key(r.element).beginArray();
      for (const auto& v : r.values)
        if (!v.present)
          j.null();
        else if (v.numeric)
          j.value(v.number);
        else
          j.value(v.text);
      j.endArray();
    }
    j.endObject();
    bool after = false;
    for (const auto& r : s.rows) after = after || !r.after.empty();
    if (after) {
      j.key("after_last_column").beginObject();
      for (const auto& r : s.rows) {
        if (r.after.empty()) continue;
        j.key(r.element).beginArray();
        for (int v : r.after) j.value(v);
        j.endArray();
      }
      j.endObject();
    }
    j.endObject();
  }
  j.endArray();
}

void MosBulletin::print() const
{
  JsonText::printObject([this](JsonText& j) { jsonFields(j); });
}

}  // namespace KOL
