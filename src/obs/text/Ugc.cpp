#include "obs/text/Ugc.h"

#include <cstdio>

#include "obs/text/TextTool.h"

namespace KOL {

namespace {

bool isPrefix(std::string_view t)
{
  return t.size() >= 3 && t[0] >= 'A' && t[0] <= 'Z' && t[1] >= 'A' && t[1] <= 'Z' &&
         (t[2] == 'C' || t[2] == 'Z');
}

bool groupChars(std::string_view line)
{
  for (char c : line)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '>')) return false;
  return true;
}

}  // namespace

void Ugc::init()
{
  codes.clear();
  expires.clear();
  unparsed.clear();
}

bool Ugc::isStart(std::string_view line)
{
  line = TextTool::trim(line);
  if (line.size() < 5 || !isPrefix(line) || !groupChars(line)) return false;
  char c = line[3];
  return (c >= '0' && c <= '9') || c == '-' || line.compare(3, 3, "ALL") == 0;
}

void Ugc::token(std::string_view t, std::string& prefix)
{
  if (isPrefix(t)) {
    prefix = t.substr(0, 3);
    t.remove_prefix(3);
    if (t.empty()) {
      unparsed.emplace_back(prefix);
      return;
    }
  }
  if (t == "ALL" && !prefix.empty()) {
    codes.push_back(prefix + "ALL");
    return;
  }
  size_t gt = t.find('>');
  std::string_view a = t.substr(0, gt);
  std::string_view b = gt == std::string_view::npos ? a : t.substr(gt + 1);
  if (prefix.empty() || a.size() != 3 || b.size() != 3 || !TextTool::isDigits(a) ||
      !TextTool::isDigits(b)) {
    unparsed.emplace_back(t);
    return;
  }
  int from = TextTool::intOr(a), to = TextTool::intOr(b);
  for (int n = from; n <= to && n - from < 1000; ++n) {
    const char num[4] = {static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
                         static_cast<char>('0' + n % 10), 0};
    codes.push_back(prefix + num);
  }
}

int Ugc::parse(const std::vector<std::string_view>& lines, size_t& i)
{
  init();
  std::string prefix;
  for (size_t first = i; i < lines.size() && i < first + 40; ++i) {
    std::string_view line = TextTool::trim(lines[i]);
    if (i > first && !groupChars(line)) break;
    size_t at = 0;
    while (at < line.size()) {
      size_t dash = line.find('-', at);
      std::string_view t = line.substr(at, dash - at);
      at = dash == std::string_view::npos ? line.size() : dash + 1;
      if (t.empty()) continue;
      if (t.size() == 6 && TextTool::isDigits(t)) {
        expires = t;
        return 1;
      }
      token(t, prefix);
    }
  }
  if (i > 0) --i;
  return 0;
}

bool Ugc::covers(std::string_view code) const
{
  for (const auto& c : codes)
    if (c == code ||
        (c.size() == 6 && c.compare(3, 3, "ALL") == 0 && code.substr(0, 3) == c.substr(0, 3)))
      return true;
  return false;
}

}  // namespace KOL
