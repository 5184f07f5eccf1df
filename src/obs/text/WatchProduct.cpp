#include "obs/text/WatchProduct.h"

#include <cstdio>
#include <cstdlib>

#include "core/Const.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"
#include "obs/text/WarnProduct.h"

namespace KOL {

namespace {

using std::string;
using std::string_view;

// The period that ends the sentence from 'from' on: not the one of an abbreviated place name
// ("ST. LOUIS", "FT. WORTH", "MT. VERNON").
size_t sentenceEnd(const string& text, size_t from)
{
  static constexpr string_view SHORT[] = {"ST", "STE", "FT", "MT", "PT"};
  for (size_t dot = text.find('.', from); dot != string::npos; dot = text.find('.', dot + 1)) {
    size_t word = text.find_last_of(" \n", dot);
    word = word == string::npos || word < from ? from : word + 1;
    const string_view before = string_view(text).substr(word, dot - word);
    bool abbreviation = false;
    for (string_view a : SHORT) abbreviation = abbreviation || TextTool::upper(before) == a;
    if (!abbreviation) return dot;
  }
  return string::npos;
}

// The integer that starts s after blanks; MISS when none. s moves past it.
int leadingInt(string_view& s)
{
  while (!s.empty() && s[0] == ' ') s.remove_prefix(1);
  size_t n = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
  int v = n ? TextTool::intOr(s.substr(0, n)) : Const::MISS;
  s.remove_prefix(n);
  return v;
}

// The integer after the marker in the line; MISS when the marker or the number is missing.
int intAfter(string_view line, string_view marker)
{
  size_t at = line.find(marker);
  if (at == string_view::npos) return Const::MISS;
  string_view rest = line.substr(at + marker.size());
  return leadingInt(rest);
}

// Text between two markers (the end marker searched after the start); "" when absent.
string between(string_view text, string_view from, string_view to, size_t* after = nullptr)
{
  size_t a = text.find(from);
  if (a == string_view::npos) return {};
  a += from.size();
  size_t b = text.find(to, a);
  if (b == string_view::npos) return {};
  if (after) *after = b + to.size();
  return string(TextTool::trim(text.substr(a, b - a)));
}

// The lines in upper case, and all of them joined by single blanks.
string joined(const std::vector<string>& lines)
{
  string out;
  for (const auto& l : lines) {
    for (auto w : TextTool::words(l)) {
      if (!out.empty()) out += ' ';
      out += w;
    }
  }
  return out;
}

}  // namespace

void WatchProduct::init()
{
  head = TextProduct::Heading();
  product.clear();
  watch_number = cancels_watch_number = Const::MISS;
  watch_type.clear();
  cancelled = pds = test = corrected = false;
  areas.clear();
  valid_begin.clear();
  valid_end.clear();
  half_width_sm = wind_gust_kt = max_tops_hft = motion_dir = motion_kt = Const::MISS;
  hail_in = Const::MISS;
  orientation.clear();
  axis_from.clear();
  axis_to.clear();
  replaces.clear();
  box.clear();
  ugc.init();
  local_from.clear();
  local_until.clear();
  local_zone.clear();
  probabilities.clear();
  attributes.clear();
  segments.clear();
}

std::string WatchProduct::kindOf(const TextProduct& p)
{
  string t = p.type();
  if (t == "SAW" || t == "SEL" || t == "WWP" || t == "WCN") return t;
  // without an AWIPS line, the product's own first lines tell
  int seen = 0;
  for (auto line : p.getLines()) {
    if (++seen > 12) break;
    const string l = TextTool::upper(TextTool::trim(line));
    if (TextTool::startsWith(l, "SPC AWW")) return "SAW";
    if (TextTool::startsWith(l, "SPC WW")) return "SEL";
    if (l.find("WATCH PROBABILITIES FOR") != string::npos) return "WWP";
    if (TextTool::startsWith(l, "WATCH COUNTY NOTIFICATION")) return "WCN";
  }
  return {};
}

bool WatchProduct::isWatch(const TextProduct& p) { return !kindOf(p).empty(); }

int WatchProduct::parse(const TextProduct& p)
{
  init();
  head = p.getHeading();
  product = kindOf(p);
  std::vector<string> lines;
  for (auto l : p.getLines()) lines.push_back(TextTool::upper(l));
  if (product == "SAW")
    parseSaw(lines);
  else if (product == "SEL")
    parseSel(p, lines);
  else if (product == "WWP")
    parseWwp(lines);
  else if (product == "WCN") {
    WarnProduct w;
    w.parse(p);
    segments = w.segments;
    // "... NOTIFICATION FOR WATCH nnn"; one for several watches ("FOR WATCHES") names none.
    for (const auto& l : lines)
      if (l.find("NOTIFICATION FOR WATCH ") != string::npos) {
        watch_number = intAfter(l, "NOTIFICATION FOR WATCH ");
        break;
      }
    return segments.empty() ? 0 : 1;
  } else {
    return 0;
  }
  return watch_number != Const::MISS;
}

void WatchProduct::parseSaw(const std::vector<string>& lines)
{
  for (size_t i = 0; i < lines.size(); ++i) {
    string_view l = TextTool::trim(lines[i]);
    auto w = TextTool::words(l);
    if (w.size() >= 3 && w[0] == "WW" && TextTool::isDigits(w[1]) && watch_number == Const::MISS) {
      watch_number = TextTool::intOr(w[1]);
      size_t k = 2;
      watch_type = w[k++];
      if (watch_type == "SEVERE" && k < w.size()) watch_type += " " + string(w[k++]);
      for (; k < w.size(); ++k) {
        if (w[k] == "CANCELLED") cancelled = true;
        if (w[k].size() == 7 && w[k].back() == 'Z' && TextTool::isDigits(w[k].substr(0, 6)))
          (valid_begin.empty() ? valid_begin : valid_end) = w[k].substr(0, 6);
        else if (w[k].size() == 2 && valid_begin.empty())
          areas.emplace_back(w[k]);
      }
    } else if (TextTool::startsWith(l, "AXIS..")) {
      string_view rest = l.substr(6);
      half_width_sm = leadingInt(rest);
      orientation = between(l, "STATUTE MILES ", " OF LINE");
      if (i + 1 < lines.size()) {
        string_view ends = TextTool::trim(lines[i + 1]);
        size_t dash = ends.find(" - ");
        if (dash != string_view::npos) {
          axis_from = TextTool::trim(ends.substr(0, dash));
          axis_to = TextTool::trim(ends.substr(dash + 3));
        }
      }
    } else if (TextTool::startsWith(l, "LAT...LON")) {
      for (auto g : TextTool::words(l.substr(9))) {
        if (g.size() != 8 || !TextTool::isDigits(g)) continue;
        double lat = TextTool::intOr(g.substr(0, 4)) / 100.0;
        double lon = TextTool::intOr(g.substr(4, 4)) / 100.0;
        if (lon < 50.0) lon += 100.0;
        box.emplace_back(lat, -lon);
      }
    } else if (TextTool::startsWith(l, "REPLACES WW")) {
      string_view rest = l.substr(11);
      for (int n = leadingInt(rest); n != Const::MISS; n = leadingInt(rest)) {
        replaces.push_back(n);
        while (!rest.empty() && (rest[0] == '.' || rest[0] == ',' || rest[0] == ' ') &&
               !(rest.size() > 2 && rest[0] == '.' && rest[1] == '.' && rest[2] >= 'A'))
          rest.remove_prefix(1);
      }
    }
    if (size_t at = l.find("ALOFT.."); at != string_view::npos)
      hail_in = std::atof(string(l.substr(at + 7)).c_str());
    if (int v = intAfter(l, "WIND GUSTS.."); v != Const::MISS) wind_gust_kt = v;
    if (int v = intAfter(l, "MAX TOPS TO"); v != Const::MISS) max_tops_hft = v;
    if (int v = intAfter(l, "MOTION VECTOR"); v != Const::MISS) {
      motion_dir = v / 100;  // dddss
      motion_kt = v % 100;
    }
  }
}

void WatchProduct::parseSel(const TextProduct& p, const std::vector<string>& lines)
{
  for (size_t i = 0; i < lines.size(); ++i) {
    if (Ugc::isStart(lines[i])) {
      ugc.parse(p.getLines(), i);
      break;
    }
  }
  string text = joined(lines);
  for (const auto& l : lines) {
    size_t at = l.find("WATCH");
    if (at == string::npos || l.find("NUMBER", at) == string::npos) continue;
    string_view type = TextTool::trim(string_view(l).substr(0, at));
    if (TextTool::startsWith(type, "TEST")) test = true, type = TextTool::trim(type.substr(4));
    while (!type.empty() && type[0] == '.') type.remove_prefix(1);
    watch_type = type;
    watch_number = intAfter(l, "NUMBER");
    break;
  }
  pds = text.find("PARTICULARLY DANGEROUS SITUATION") != string::npos;
  if (size_t at = text.find("HAS CANCELLED"); at != string::npos) {
    cancelled = true;
    cancels_watch_number = intAfter(string_view(text).substr(at), "WATCH NUMBER");
    return;
  }
  // "EFFECTIVE THIS ... FROM 205 PM UNTIL 800 PM EDT."
  const size_t effective = text.find("EFFECTIVE");
  for (size_t at = text.find(" FROM ", effective == string::npos ? 0 : effective);
       at != string::npos && local_from.empty(); at = text.find(" FROM ", at + 1)) {
    size_t until = text.find(" UNTIL ", at);
    if (until != string::npos && until - at < 20) {
      local_from = text.substr(at + 6, until - at - 6);
      auto w = TextTool::words(string_view(text).substr(until + 7, 20));
      if (w.size() >= 3) {
        local_until = string(w[0]) + " " + string(w[1]);
        local_zone = string(w[2].substr(0, 3));
      }
    }
  }
  size_t miles = text.find(" STATUTE MILES ");
  size_t line = text.find(" OF A LINE FROM ", miles == string::npos ? 0 : miles);
  if (miles != string::npos && line != string::npos) {
    size_t start = text.rfind(' ', miles - 1);
    half_width_sm = TextTool::intOr(text.substr(start + 1, miles - start - 1));
    orientation = text.substr(miles + 15, line - miles - 15);
    size_t to = text.find(" TO ", line + 16);
    size_t stop = to == string::npos ? string::npos : sentenceEnd(text, to);
    if (to != string::npos && stop != string::npos) {
      axis_from = text.substr(line + 16, to - line - 16);
      axis_to = text.substr(to + 4, stop - to - 4);
    }
  }
}

void WatchProduct::parseWwp(const std::vector<string>& lines)
{
  corrected = TextTool::startsWith(head.bbb, "CC");
  bool attributesNext = false;
  for (const auto& l : lines) {
    size_t at = l.find(" WATCH PROBABILITIES FOR ");
    if (at != string::npos && watch_number == Const::MISS) {
      string_view type = TextTool::trim(string_view(l).substr(0, at));
      if (TextTool::startsWith(type, "TEST")) test = true, type = type.substr(4);
      while (!type.empty() && type[0] == '.') type.remove_prefix(1);
      watch_type = type;
      string_view rest = string_view(l).substr(at + 25);
      while (!rest.empty() && rest[0] >= 'A' && rest[0] <= 'Z') rest.remove_prefix(1);
      watch_number = leadingInt(rest);
      if (l.find("CORRECTED") != string::npos) corrected = true;
      continue;
    }
    if (TextTool::startsWith(TextTool::trim(l), "ATTRIBUTE TABLE")) attributesNext = true;
    if (TextTool::startsWith(TextTool::trim(l), "&&")) attributesNext = false;
    size_t colon = l.find(':');
    if (colon == string::npos || colon + 1 >= l.size()) continue;
    string label(TextTool::trim(string_view(l).substr(0, colon)));
    string value(TextTool::trim(string_view(l).substr(colon + 1)));
    if (TextTool::startsWith(label, "PROB OF")) {
      if (!value.empty() && value.back() == '%') value.pop_back();
      probabilities.emplace_back(label, value);
    } else if (attributesNext) {
      attributes.emplace_back(label, value);
    }
  }
}

void WatchProduct::jsonSaw(JsonText& j) const
{
  j.key("watch_number").intOrNull(watch_number).key("watch_type").value(watch_type);
  j.key("status").value(cancelled ? "CANCELLED" : "ISSUED");
  if (cancelled) return;
  j.key("areas").beginArray();
  for (const auto& a : areas) j.value(a);
  j.endArray().key("valid_begin_ddhhmm").textOrNull(valid_begin);
  j.key("valid_end_ddhhmm").textOrNull(valid_end);
  if (half_width_sm != Const::MISS) {
    j.key("axis").beginObject().key("half_width_sm").value(half_width_sm);
    j.key("orientation").value(orientation).key("endpoints").beginArray();
    j.value(axis_from).value(axis_to).endArray().endObject();
  }
  if (hail_in != Const::MISS) j.key("hail_in").value(hail_in);
  if (wind_gust_kt != Const::MISS) j.key("wind_gust_kt").value(wind_gust_kt);
  if (max_tops_hft != Const::MISS) j.key("max_tops_hft").value(max_tops_hft);
  if (motion_dir != Const::MISS)
    j.key("storm_motion")
        .beginObject()
        .key("direction_deg")
        .value(motion_dir)
        .key("speed_kt")
        .value(motion_kt)
        .endObject();
  if (!replaces.empty()) {
    j.key("replaces").beginArray();
    for (int r : replaces) j.value(r);
    j.endArray();
  }
  if (!box.empty())
    j.key("polygon")
        .beginObject()
        .key("points")
        .points(box)
        .key("count")
        .value(static_cast<int>(box.size()))
        .endObject();
}

void WatchProduct::jsonSel(JsonText& j) const
{
  j.key("ugc").beginObject().key("codes").beginArray();
  for (const auto& c : ugc.codes) j.value(c);
  j.endArray().key("expires_ddhhmm").textOrNull(ugc.expires).endObject();
  j.key("watch_type").value(watch_type).key("watch_number").intOrNull(watch_number);
  j.key("cancelled").value(cancelled);
  if (cancels_watch_number != Const::MISS)
    j.key("cancels_watch_number").value(cancels_watch_number);
  j.key("pds").value(pds).key("test").value(test);
  if (!local_from.empty())
    j.key("effective_local")
        .beginObject()
        .key("from")
        .value(local_from)
        .key("until")
        .value(local_until)
        .key("zone")
        .value(local_zone)
        .endObject();
  if (half_width_sm != Const::MISS && !axis_from.empty())
    j.key("axis")
        .beginObject()
        .key("half_width_sm")
        .value(half_width_sm)
        .key("orientation")
        .value(orientation)
        .key("from")
        .value(axis_from)
        .key("to")
        .value(axis_to)
        .endObject();
}

void WatchProduct::jsonWwp(JsonText& j) const
{
  j.key("watch_type").value(watch_type).key("watch_number").intOrNull(watch_number);
  j.key("test").value(test).key("corrected").value(corrected);
  j.key("probabilities_percent").beginObject();
  for (const auto& [label, value] : probabilities) {
    j.key(label);
    int v;
    if (TextTool::toInt(value, v))
      j.value(v);
    else
      j.value(value);
  }
  j.endObject().key("attributes").beginObject();
  for (const auto& [label, value] : attributes) j.key(label).value(value);
  j.endObject();
}

void WatchProduct::jsonFields(JsonText& j) const
{
  head.json(j);
  j.key("product").value(product);
  if (product == "SAW")
    jsonSaw(j);
  else if (product == "SEL")
    jsonSel(j);
  else if (product == "WWP")
    jsonWwp(j);
  else {
    if (watch_number != Const::MISS) j.key("watch_number").value(watch_number);
    j.key("segments").beginArray();
    for (const auto& s : segments) s.json(j);
    j.endArray();
  }
}

void WatchProduct::print() const
{
  JsonText::printObject([this](JsonText& j) { jsonFields(j); });
}

}  // namespace KOL
