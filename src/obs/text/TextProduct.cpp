#include "obs/text/TextProduct.h"

#include <cctype>
#include <cstdio>

#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

bool upperAlpha(std::string_view s)
{
  for (char c : s)
    if (c < 'A' || c > 'Z') return false;
  return true;
}

bool upperAlnum(std::string_view s)
{
  for (char c : s)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

// TTAAii CCCC YYGGgg [BBB], or the filing separator "** heading ***" around one.
bool heading(std::string_view line, TextProduct::Heading& p)
{
  if (TextTool::startsWith(line, "** ") && line.size() > 7 &&
      line.substr(line.size() - 4) == " ***")
    line = line.substr(3, line.size() - 7);
  auto w = TextTool::words(line);
  if (w.size() < 3 || w.size() > 4) return false;
  if (w[0].size() != 6 || !upperAlpha(w[0].substr(0, 4)) || !upperAlnum(w[0])) return false;
  if (w[1].size() != 4 || !upperAlnum(w[1])) return false;
  if (w[2].size() != 6 || !TextTool::isDigits(w[2])) return false;
  if (w.size() == 4 && (w[3].size() != 3 || !upperAlpha(w[3]))) return false;
  p.ttaaii = w[0];
  p.cccc = w[1];
  p.ddhhmm = w[2];
  p.bbb = w.size() == 4 ? std::string(w[3]) : std::string();
  return true;
}

// An AWIPS identifier: NNN and a location of 1 to 3 characters, alone on its line. A UGC line
// or a sequence number is not one.
bool awipsId(std::string_view line)
{
  // Words some products open with, alone on their line, that look like identifiers.
  static constexpr std::string_view WORDS[] = {"URGENT", "TEST", "UPDATE", "AMEND", "NOTICE"};
  line = TextTool::trim(line);
  for (std::string_view w : WORDS)
    if (line == w) return false;
  return line.size() >= 4 && line.size() <= 6 && upperAlnum(line) && !TextTool::isDigits(line) &&
         upperAlpha(line.substr(0, 3));
}

}  // namespace

void TextProduct::init()
{
  head = Heading();
  offset = 0;
  text_.clear();
  lines_.clear();
}

int TextProduct::parse(std::string_view raw, long off)
{
  init();
  offset = off;
  text_.assign(raw);
  std::vector<std::string_view>& all = lines_;
  std::string_view rest(text_);
  while (!rest.empty()) {
    size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\x03')) line.remove_suffix(1);
    while (!line.empty() && (line.front() == '\x01' || line.front() == '\x03'))
      line.remove_prefix(1);
    all.push_back(line);
  }
  // The heading is among the first lines: after a start line, sequence number or ZCZC line.
  size_t body = 0;
  for (size_t i = 0; i < all.size() && i < 6; ++i) {
    std::string_view t = TextTool::trim(all[i]);
    if (TextTool::startsWith(t, "ZCZC ")) {
      auto w = TextTool::words(t);
      if (w.size() > 1) head.zczc = w[1];
      body = i + 1;
      continue;
    }
    if (heading(t, head)) {
      body = i + 1;
      if (body < all.size() && awipsId(all[body])) head.awips = TextTool::trim(all[body++]);
      break;
    }
  }
  const bool any = !all.empty();
  all.erase(all.begin(), all.begin() + static_cast<long>(body));
  return any ? 1 : 0;
}

std::string TextProduct::Heading::type() const
{
  if (awips.size() >= 3) return awips.substr(0, 3);
  if (zczc.size() >= 6) return zczc.substr(3, 3);
  return {};
}

void TextProduct::Heading::json(JsonText& j) const
{
  j.key("wmo");
  if (has())
    j.beginObject()
        .key("ttaaii")
        .value(ttaaii)
        .key("cccc")
        .value(cccc)
        .key("ddhhmm")
        .value(ddhhmm)
        .key("bbb")
        .textOrNull(bbb)
        .endObject();
  else
    j.null();
  j.key("awips_id").textOrNull(awips);
}

void TextProduct::print() const
{
  std::printf("%s %s %s %s / %s (%zu lines at %ld)\n", head.ttaaii.c_str(), head.cccc.c_str(),
              head.ddhhmm.c_str(), head.bbb.c_str(), head.awips.c_str(), lines_.size(), offset);
}

}  // namespace KOL
