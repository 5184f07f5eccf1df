#include "obs/text/FrontBulletin.h"

#include <cctype>
#include <cstdio>

#include "core/Const.h"
#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

const char* const KEYWORDS[] = {"HIGHS", "LOWS", "COLD",  "WARM", "OCFNT",
                                "STNRY", "TROF", "DRYLN", "SQLN"};

bool keyword(std::string_view w)
{
  for (const char* k : KEYWORDS)
    if (w == k) return true;
  return false;
}

// A token that can be a central pressure, in whole hectopascals.
bool pressure(std::string_view t)
{
  int v;
  return (t.size() == 3 || t.size() == 4) && TextTool::toInt(t, v) && v >= 850 && v <= 1090;
}

}  // namespace

void FrontBulletin::init()
{
  head = TextProduct::Heading();
  valid.clear();
  resolution_deg = 1.0;
  features.clear();
}

bool FrontBulletin::isFronts(const TextProduct& p)
{
  std::string t = p.type();
  return t == "COD" || TextTool::startsWith(p.getHeading().ttaaii, "ASUS0");
}

bool FrontBulletin::position(std::string_view t, std::pair<double, double>& p) const
{
  bool south = !t.empty() && t[0] == '-';
  if (south) t.remove_prefix(1);
  if (!TextTool::isDigits(t)) return false;
  double lat, lon;
  if (resolution_deg < 0.5) {
    if (t.size() < 6 || t.size() > 7) return false;
    lat = TextTool::intOr(t.substr(0, 3)) / 10.0;
    lon = TextTool::intOr(t.substr(3)) / 10.0;
  } else {
    if (t.size() < 4 || t.size() > 5) return false;
    lat = TextTool::intOr(t.substr(0, 2));
    lon = TextTool::intOr(t.substr(2));
  }
  p = {south ? -lat : lat, -lon};
  return true;
}

void FrontBulletin::record(const std::vector<std::string_view>& w)
{
  std::string kind(w[0]);
  std::pair<double, double> p;
  if (kind == "HIGHS" || kind == "LOWS") {
    std::string type = kind == "HIGHS" ? "HIGH" : "LOW";
    int mb = Const::MISS;
    for (size_t k = 1; k < w.size(); ++k) {
      if (mb == Const::MISS && pressure(w[k])) {
        mb = TextTool::intOr(w[k]);
      } else if (position(w[k], p)) {
        features.push_back({type, mb, "", {p}});
        mb = Const::MISS;
      }
    }
    return;
  }
  Feature f{kind, Const::MISS, "", {}};
  size_t k = 1;
  if (k < w.size() && (w[k] == "WK" || w[k] == "MDT" || w[k] == "STG")) f.strength = w[k++];
  for (; k < w.size(); ++k)
    if (position(w[k], p)) f.points.push_back(p);
  features.push_back(f);
}

int FrontBulletin::parse(const TextProduct& p)
{
  init();
  head = p.getHeading();
  resolution_deg = head.ttaaii == "ASUS02" ? 0.1 : 1.0;
  std::vector<std::string_view> words;
  bool resolved = head.ttaaii == "ASUS01" || head.ttaaii == "ASUS02";
  for (auto line : p.getLines()) {
    auto w = TextTool::words(line);
    if (w.empty()) continue;
    if (w[0] == "VALID" && w.size() > 1 && valid.empty()) {
      valid = w[1];
    } else if (w.size() > 2 && w[0] == "SURFACE" && w[1] == "PROG" && w[2] == "VALID" &&
               w.size() > 3) {
      valid = w[3];
    } else if (keyword(w[0])) {
      if (!words.empty()) record(words);
      words.assign(w.begin(), w.end());
      if (!resolved) {
        // Without the heading, the length of the first position tells the form.
        for (size_t k = 1; k < w.size() && !resolved; ++k)
          if (w[k].size() >= 6 && TextTool::isDigits(w[k]))
            resolution_deg = 0.1, resolved = true;
          else if (w[k].size() == 5 && w[0] != "HIGHS" && w[0] != "LOWS")
            resolved = true;
      }
    } else if (!words.empty() &&
               (std::isdigit(static_cast<unsigned char>(w[0][0])) || w[0][0] == '-')) {
      words.insert(words.end(), w.begin(), w.end());
    } else if (!words.empty()) {
      record(words);
      words.clear();
    }
  }
  if (!words.empty()) record(words);
  return valid.empty() && features.empty() ? 0 : 1;
}

void FrontBulletin::jsonFields(JsonText& j) const
{
  head.json(j);
  j.key("valid").textOrNull(valid).key("resolution_deg").value(resolution_deg);
  j.key("n_features").value(static_cast<int>(features.size())).key("counts").beginObject();
  std::vector<std::pair<std::string, int>> counts;
  for (const auto& f : features) {
    bool found = false;
    for (auto& c : counts)
      if (c.first == f.type) ++c.second, found = true;
    if (!found) counts.emplace_back(f.type, 1);
  }
  for (const auto& [type, n] : counts) j.key(type).value(n);
  j.endObject().key("features").beginArray();
  for (const auto& f : features) {
    j.beginObject().key("type").value(f.type);
    if (f.isCentre()) {
      j.key("pressure_mb").intOrNull(f.pressure_mb).key("points").points(f.points);
      if (f.pressure_mb == Const::MISS) j.key("note").value("position without pressure");
    } else {
      j.key("strength").textOrNull(f.strength).key("points").points(f.points);
    }
    j.endObject();
  }
  j.endArray();
}

void FrontBulletin::print() const
{
  JsonText::printObject([this](JsonText& j) { jsonFields(j); });
}

}  // namespace KOL
