#include "obs/text/TropicalProduct.h"

#include <cstdio>
#include <cstdlib>

#include "core/Const.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

using std::string;
using std::string_view;

const char* const TYPES[] = {"POTENTIAL TROPICAL CYCLONE",
                             "POST-TROPICAL CYCLONE",
                             "SUBTROPICAL DEPRESSION",
                             "SUBTROPICAL STORM",
                             "TROPICAL DEPRESSION",
                             "TROPICAL STORM",
                             "HURRICANE",
                             "TYPHOON",
                             "REMNANTS OF"};

// The integer after the marker; MISS when none.
int intAfter(string_view l, string_view marker)
{
  size_t at = l.find(marker);
  if (at == string_view::npos) return Const::MISS;
  auto w = TextTool::words(l.substr(at + marker.size()));
  return w.empty() ? Const::MISS : TextTool::intOr(w[0]);
}

// "23.8N" or "75.3W" into degrees, east and north positive.
bool coordinate(string_view t, double& v)
{
  if (t.size() < 2) return false;
  char h = t.back();
  string num(t.substr(0, t.size() - 1));
  char* end = nullptr;
  double d = std::strtod(num.c_str(), &end);
  if (!end || *end || num.empty()) return false;
  if (h == 'S' || h == 'W')
    v = -d;
  else if (h == 'N' || h == 'E')
    v = d;
  else
    return false;
  return true;
}

// "64 KT....... 25NE  25SE   0SW   0NW." into its speed and four radii.
bool radiiLine(string_view l, string& kt, std::vector<int>& r)
{
  auto w = TextTool::words(l);
  if (w.size() < 2 || !TextTool::isDigits(w[0]) || !TextTool::startsWith(w[1], "KT.")) return false;
  string rest(l.substr(l.find("KT") + 2));
  for (char& c : rest)
    if (c == '.') c = ' ';
  r.clear();
  for (auto t : TextTool::words(rest)) {
    if (t.size() < 3) return false;
    r.push_back(TextTool::intOr(t.substr(0, t.size() - 2)));
  }
  kt = w[0];
  return r.size() == 4;
}

void radiiJson(JsonText& j, const TropicalProduct::Radii& radii)
{
  static const char* const QUADS[] = {"NE", "SE", "SW", "NW"};
  j.beginObject();
  for (const auto& [kt, r] : radii) {
    j.key(kt).beginObject();
    for (int q = 0; q < 4; ++q) j.key(QUADS[q]).intOrNull(r[static_cast<size_t>(q)]);
    j.endObject();
  }
  j.endObject();
}

void fixJson(JsonText& j, const TropicalProduct::Fix& f)
{
  j.beginObject().key("lat");
  f.located ? j.value(f.lat) : j.null();
  j.key("lon");
  f.located ? j.value(f.lon) : j.null();
  j.key("day").value(f.day).key("hhmm").value(f.hhmm).key("valid").textOrNull(f.valid).endObject();
}

}  // namespace

void TropicalProduct::init()
{
  head = TextProduct::Heading();
  advisory_number = accuracy_nm = toward_deg = speed_kt = Const::MISS;
  pressure_mb = eye_nm = max_wind_kt = gust_kt = seas_ft = Const::MISS;
  issued_month = issued_day = issued_year = 0;
  special = corrected = stationary = has_movement = false;
  storm_name.clear();
  storm_type.clear();
  atcf_id.clear();
  issued_hhmm.clear();
  center = previous = Fix();
  radii.clear();
  seas.clear();
  forecasts.clear();
}

bool TropicalProduct::isTropical(const TextProduct& p)
{
  if (p.type() == "TCM") return true;
  for (auto l : p.getLines())
    if (TextTool::findNoCase(l, "FORECAST/ADVISORY NUMBER") != string_view::npos) return true;
  return false;
}

void TropicalProduct::headline(string_view l)
{
  size_t at = l.find("FORECAST/ADVISORY NUMBER");
  string_view before = TextTool::trim(l.substr(0, at));
  string_view after = l.substr(at + 24);
  string_view number = TextTool::trim(after);
  size_t digits = 0;
  while (digits < number.size() && number[digits] >= '0' && number[digits] <= '9') ++digits;
  advisory_number = digits ? TextTool::intOr(number.substr(0, digits)) : Const::MISS;
  corrected = after.find("CORRECTED") != string_view::npos;
  if (before.size() >= 8 && before.substr(before.size() - 8) == " SPECIAL") {
    special = true;
    before = TextTool::trim(before.substr(0, before.size() - 8));
  }
  for (const char* t : TYPES) {
    if (TextTool::startsWith(before, t)) {
      storm_type = t;
      before = TextTool::trim(before.substr(storm_type.size()));
      break;
    }
  }
  storm_name = before;
}

// "2100 UTC THU OCT 29 2020" or "0600Z SUN AUG 28 2005".
bool TropicalProduct::issuance(string_view l)
{
  auto w = TextTool::words(l);
  size_t k = 0;
  if (w.size() == 6 && w[1] == "UTC" && w[0].size() == 4 && TextTool::isDigits(w[0]))
    k = 2;
  else if (w.size() == 5 && w[0].size() == 5 && w[0][4] == 'Z' &&
           TextTool::isDigits(w[0].substr(0, 4)))
    k = 1;
  else
    return false;
  int month = TextTool::month(w[k + 1]);
  if (!month || !TextTool::isDigits(w[k + 2]) || !TextTool::isDigits(w[k + 3])) return false;
  issued_hhmm = w[0].substr(0, 4);
  issued_month = month;
  issued_day = TextTool::intOr(w[k + 2]);
  issued_year = TextTool::intOr(w[k + 3]);
  return true;
}

// "38.8N  75.3W AT 29/2100Z", "30/0600Z 41.0N  66.1W..." or "30/1800Z...DISSIPATED".
bool TropicalProduct::fix(string_view text, Fix& f) const
{
  string s(text);
  for (size_t i = 0; i + 2 < s.size(); ++i)
    if (s.compare(i, 3, "...") == 0) s[i] = s[i + 1] = s[i + 2] = ' ';
  auto w = TextTool::words(s);
  f = Fix();
  for (size_t k = 0; k < w.size(); ++k) {
    string_view t = w[k];
    size_t slash = t.find('/');
    if (slash == 2 && t.size() == 8 && t.back() == 'Z') {
      f.day = TextTool::intOr(t.substr(0, 2));
      f.hhmm = t.substr(3, 4);
      f.set = true;
    } else if (k + 1 < w.size() && coordinate(t, f.lat) && coordinate(w[k + 1], f.lon)) {
      f.located = true;
      ++k;
    }
  }
  if (!f.set || issued_year == 0) return f.set;
  // The month and year are the issuance's; a day far from its day is in the month before or after.
  int month = issued_month, year = issued_year;
  if (f.day < issued_day - 15) month += 1;
  if (f.day > issued_day + 15) month -= 1;
  int hh = TextTool::intOr(f.hhmm.substr(0, 2)), mm = TextTool::intOr(f.hhmm.substr(2, 2));
  if (month > 12) month = 1, ++year;
  if (month < 1) month = 12, --year;
  f.valid = TextTool::iso(year, month, f.day, hh, mm);
  return true;
}

void TropicalProduct::line(string_view l)
{
  Forecast* fc = forecasts.empty() ? nullptr : &forecasts.back();
  string kt;
  std::vector<int> r;
  if (l.find("FORECAST/ADVISORY NUMBER") != string_view::npos && storm_type.empty() &&
      storm_name.empty()) {
    headline(l);
  } else if (atcf_id.empty() && !storm_name.empty() && !TextTool::words(l).empty() &&
             TextTool::words(l).back().size() == 8 &&
             TextTool::isDigits(TextTool::words(l).back().substr(2))) {
    atcf_id = TextTool::words(l).back();
  } else if (issued_year == 0 && issuance(l)) {
  } else if (TextTool::startsWith(l, "FORECAST VALID") ||
             TextTool::startsWith(l, "OUTLOOK VALID")) {
    Forecast f;
    f.kind = l[0] == 'F' ? "FORECAST" : "OUTLOOK";
    f.max_wind_kt = f.gust_kt = Const::MISS;
    string_view rest = l.substr(l.find("VALID") + 5);
    fix(rest, f.fix);
    size_t dots = rest.find("...");
    if (dots != string_view::npos) f.remark = TextTool::trim(rest.substr(dots + 3));
    forecasts.push_back(f);
  } else if (fc && TextTool::startsWith(l, "MAX WIND")) {
    fc->max_wind_kt = intAfter(l, "MAX WIND");
    fc->gust_kt = intAfter(l, "GUSTS");
  } else if (radiiLine(l, kt, r)) {
    (fc ? fc->radii : radii).emplace_back(kt, r);
  } else if (!fc && l.find("FT SEAS") != string_view::npos && seas.empty()) {
    seas_ft = TextTool::intOr(TextTool::words(l)[0]);
    string rest(l.substr(l.find("SEAS") + 4));
    for (char& c : rest)
      if (c == '.') c = ' ';
    for (auto t : TextTool::words(rest))
      if (t.size() > 2) seas.push_back(TextTool::intOr(t.substr(0, t.size() - 2)));
    if (seas.size() != 4) seas.clear();
  } else if (!center.set && l.find("CENTER LOCATED NEAR") != string_view::npos &&
             !TextTool::startsWith(l, "REPEAT")) {
    fix(l.substr(l.find("NEAR") + 4), center);
  } else if (!previous.set && TextTool::startsWith(l, "AT ") &&
             l.find("CENTER WAS LOCATED NEAR") != string_view::npos) {
    fix(l.substr(3), previous);
  } else if (TextTool::startsWith(l, "POSITION ACCURATE WITHIN")) {
    accuracy_nm = intAfter(l, "WITHIN");
  } else if (TextTool::startsWith(l, "PRESENT MOVEMENT")) {
    has_movement = true;
    stationary = l.find("STATIONARY") != string_view::npos;
    toward_deg = intAfter(l, " OR ");
    speed_kt = intAfter(l, "DEGREES AT");
  } else if (l.find("MINIMUM CENTRAL PRESSURE") != string_view::npos) {
    pressure_mb = intAfter(l, "PRESSURE");
  } else if (TextTool::startsWith(l, "EYE DIAMETER")) {
    eye_nm = intAfter(l, "DIAMETER");
  } else if (TextTool::startsWith(l, "MAX SUSTAINED WINDS")) {
    max_wind_kt = intAfter(l, "WINDS");
    gust_kt = intAfter(l, "GUSTS TO");
  }
}

int TropicalProduct::parse(const TextProduct& p)
{
  init();
  head = p.getHeading();
  for (auto raw : p.getLines()) {
    string l = TextTool::upper(TextTool::trim(raw));
    if (!l.empty()) line(l);
  }
  return storm_type.empty() && storm_name.empty() ? 0 : 1;
}

void TropicalProduct::jsonFields(JsonText& j) const
{
  head.json(j);
  j.key("format").value("TCM");
  if (!head.zczc.empty()) j.key("zczc_id").value(head.zczc);
  j.key("advisory_number").intOrNull(advisory_number).key("special").value(special);
  j.key("corrected").value(corrected).key("storm_name").value(storm_name);
  j.key("storm_type").textOrNull(storm_type).key("atcf_id").textOrNull(atcf_id);
  j.key("issued");
  if (issued_year)
    j.beginObject()
        .key("hhmm")
        .value(issued_hhmm)
        .key("month")
        .value(TextTool::upper(std::string("JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC")
                                   .substr(static_cast<size_t>(issued_month - 1) * 3, 3)))
        .key("day")
        .value(issued_day)
        .key("year")
        .value(issued_year)
        .endObject();
  else
    j.null();
  j.key("center");
  center.set ? fixJson(j, center) : (void)j.null();
  j.key("position_accuracy_nm").intOrNull(accuracy_nm).key("movement");
  if (stationary)
    j.value("STATIONARY");
  else if (has_movement && toward_deg != Const::MISS)
    j.beginObject()
        .key("toward_deg")
        .value(toward_deg)
        .key("speed_kt")
        .intOrNull(speed_kt)
        .endObject();
  else
    j.null();
  j.key("min_pressure_mb").intOrNull(pressure_mb).key("eye_diameter_nm").intOrNull(eye_nm);
  j.key("max_wind_kt").intOrNull(max_wind_kt).key("gust_kt").intOrNull(gust_kt).key("radii_nm");
  radiiJson(j, radii);
  j.key("seas");
  if (seas.size() == 4)
    j.beginObject()
        .key("height_ft")
        .value(seas_ft)
        .key("NE")
        .value(seas[0])
        .key("SE")
        .value(seas[1])
        .key("SW")
        .value(seas[2])
        .key("NW")
        .value(seas[3])
        .endObject();
  else
    j.null();
  if (previous.set) {
    j.key("previous_center");
    fixJson(j, previous);
  }
  j.key("forecasts").beginArray();
  for (const auto& f : forecasts) {
    j.beginObject().key("kind").value(f.kind).key("day").value(f.fix.day).key("hhmm").value(
        f.fix.hhmm);
    j.key("valid").textOrNull(f.fix.valid).key("lat");
    f.fix.located ? j.value(f.fix.lat) : j.null();
    j.key("lon");
    f.fix.located ? j.value(f.fix.lon) : j.null();
    j.key("remark").textOrNull(f.remark).key("max_wind_kt").intOrNull(f.max_wind_kt);
    j.key("gust_kt").intOrNull(f.gust_kt).key("radii_nm");
    radiiJson(j, f.radii);
    j.endObject();
  }
  j.endArray();
}

void TropicalProduct::print() const
{
  JsonText::printObject([this](JsonText& j) { jsonFields(j); });
}

}  // namespace KOL
