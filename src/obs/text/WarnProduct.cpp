#include "obs/text/WarnProduct.h"

#include <cstdio>

#include "obs/text/JsonText.h"
#include "obs/text/TextTool.h"

namespace KOL {

namespace {

bool eastOffice(const TextProduct& p)
{
  if (p.getHeading().cccc == "PGUM") return true;
  for (auto line : p.getLines()) {
    line = TextTool::trim(line);
    if (TextTool::startsWith(line, "/") && line.find(".PGUM.") != std::string_view::npos)
      return true;
  }
  return false;
}

}  // namespace

void WarnProduct::init()
{
  head = TextProduct::Heading();
  segments.clear();
  east_ = false;
}

int WarnProduct::parse(const TextProduct& p)
{
  init();
  head = p.getHeading();
  east_ = eastOffice(p);
  const auto& lines = p.getLines();
  size_t from = 0;
  for (size_t i = 0; i <= lines.size(); ++i) {
    if (i < lines.size() && !TextTool::startsWith(TextTool::trim(lines[i]), "$$")) continue;
    WarnSegment s;
    if (s.parse(lines, from, i, east_)) segments.push_back(std::move(s));
    from = i + 1;
  }
  return segments.empty() ? 0 : 1;
}

void WarnProduct::jsonFields(JsonText& j) const
{
  head.json(j);
  j.key("segments").beginArray();
  for (const auto& s : segments) s.json(j);
  j.endArray();
  if (east_) j.key("longitude_note").value(EAST_NOTE);
}

void WarnProduct::print() const
{
  JsonText::printObject([this](JsonText& j) { jsonFields(j); });
}

}  // namespace KOL
