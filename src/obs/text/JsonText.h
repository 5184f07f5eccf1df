// A JSON text built piece by piece: the listings of the text-product readers are one object per
// product, in the field names that scripts and tests use. Commas are placed by the writer.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace KOL {

class JsonText {
 public:
  JsonText() { init(); }
  void init();
  // Prints, in one line, the object whose fields fill writes.
  static void printObject(const std::function<void(JsonText&)>& fill);

  JsonText& beginObject();
  JsonText& endObject();
  JsonText& beginArray();
  JsonText& endArray();
  // The key of the next value in the current object.
  JsonText& key(std::string_view k);

  JsonText& value(std::string_view s);
  JsonText& value(const char* s) { return value(std::string_view(s)); }
  JsonText& value(int v);
  JsonText& value(double v);
  JsonText& value(bool v);
  JsonText& null();
  // An int, or null for Const::MISS.
  JsonText& intOrNull(int v);
  // A text, or null when it is empty.
  JsonText& textOrNull(std::string_view s);
  // [lat, lon] pairs.
  JsonText& points(const std::vector<std::pair<double, double>>& pts);

  const std::string& text() const { return text_; }

 private:
  void separate();
  std::string text_;
  std::vector<bool> first_;  // per open container: nothing in it yet
  bool after_key_ = false;
};

}  // namespace KOL
