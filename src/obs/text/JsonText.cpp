#include "obs/text/JsonText.h"

#include <cmath>
#include <cstdio>

#include "core/Const.h"

namespace KOL {

void JsonText::printObject(const std::function<void(JsonText&)>& fill)
{
  JsonText j;
  j.beginObject();
  fill(j);
  j.endObject();
  std::printf("%s\n", j.text().c_str());
}

void JsonText::init()
{
  text_.clear();
  first_.clear();
  after_key_ = false;
}

void JsonText::separate()
{
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) text_ += ", ";
    first_.back() = false;
  }
}

JsonText& JsonText::beginObject()
{
  separate();
  text_ += '{';
  first_.push_back(true);
  return *this;
}

JsonText& JsonText::endObject()
{
  text_ += '}';
  if (!first_.empty()) first_.pop_back();
  return *this;
}

JsonText& JsonText::beginArray()
{
  separate();
  text_ += '[';
  first_.push_back(true);
  return *this;
}

JsonText& JsonText::endArray()
{
  text_ += ']';
  if (!first_.empty()) first_.pop_back();
  return *this;
}

JsonText& JsonText::key(std::string_view k)
{
  value(k);
  text_ += ": ";
  after_key_ = true;
  return *this;
}

JsonText& JsonText::value(std::string_view s)
{
  separate();
  text_ += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7f) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      text_ += esc;
    } else {
      text_ += static_cast<char>(c);
    }
  }
  text_ += '"';
  return *this;
}

JsonText& JsonText::value(int v)
{
  separate();
  text_ += std::to_string(v);
  return *this;
}

JsonText& JsonText::value(double v)
{
  if (!std::isfinite(v)) return null();
  separate();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  text_ += buf;
  return *this;
}

JsonText& JsonText::value(bool v)
{
  separate();
  text_ += v ? "true" : "false";
  return *this;
}

JsonText& JsonText::null()
{
  separate();
  text_ += "null";
  return *this;
}

JsonText& JsonText::intOrNull(int v) { return v == Const::MISS ? null() : value(v); }

JsonText& JsonText::textOrNull(std::string_view s) { return s.empty() ? null() : value(s); }

JsonText& JsonText::points(const std::vector<std::pair<double, double>>& pts)
{
  beginArray();
  for (const auto& p : pts) beginArray().value(p.first).value(p.second).endArray();
  return endArray();
}

}  // namespace KOL
