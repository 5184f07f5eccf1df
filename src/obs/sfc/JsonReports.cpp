#include "obs/sfc/JsonReports.h"

#include <map>

namespace KOL {
namespace sfc {

namespace {

// The string values of one JSON object, by key.
using Object = std::map<std::string, std::string>;

// Reads the string starting at s[i] == '"' and leaves i on its closing quote.
std::string readString(std::string_view s, size_t& i)
{
  std::string out;
  for (++i; i < s.size() && s[i] != '"'; ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      ++i;
      out += s[i] == 't' || s[i] == 'n' || s[i] == 'r' ? ' ' : s[i];
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string first(const Object& o, const char* a, const char* b)
{
  auto it = o.find(a);
  if (it == o.end()) it = o.find(b);
  return it == o.end() ? "" : it->second;
}

bool startsWith(const std::string& s, const std::string& word)
{
  return s.compare(0, word.size(), word) == 0 && (s.size() == word.size() || s[word.size()] == ' ');
}

void report(const Object& o, std::vector<std::string>& out)
{
  std::string text = first(o, "rawOb", "raw_text");
  if (text.empty()) return;
  std::string kind = first(o, "metarType", "metar_type");
  if (!kind.empty() && !startsWith(text, kind)) text = kind + " " + text;
  out.push_back(text + "=");
}

}  // namespace

std::vector<std::string> jsonReports(std::string_view line)
{
  std::vector<std::string> out;
  // Every report line of a feed comes here: most hold no string at all.
  if (line.find('"') == std::string_view::npos) return out;
  // JSON written one member a line puts the report text on a line of its own.
  bool member = line.find("\"rawOb\"") != std::string_view::npos ||
                line.find("\"raw_text\"") != std::string_view::npos;
  if (line.find('{') == std::string_view::npos && !member) return out;
  std::vector<Object> open(1);
  std::string key;
  bool value = false;  // the next string is a value of key
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      std::string s = readString(line, i);
      if (value) open.back()[key] = s;
      if (!value) key = s;
      value = false;
    } else if (c == ':') {
      value = true;
    } else if (c == '{') {
      open.emplace_back();
      value = false;
    } else if (c == '}' && open.size() > 1) {
      report(open.back(), out);
      open.pop_back();
    } else if (c == ',' || c == '[') {
      value = false;
    }
  }
  // What is left open: the member line, or an object cut by the line's end.
  for (auto o = open.rbegin(); o != open.rend(); ++o) report(*o, out);
  return out;
}

}  // namespace sfc
}  // namespace KOL
