// Drives the list splitters, the template and pattern tests and the cursor scan with arbitrary
// text. Input: a separator byte, an item-limit byte, then text, pattern and group set separated
// by 0x01 bytes.
#include <cstdint>
#include <string>

#include "core/StrLib.h"
#include "core/String.h"
#include "core/Strings.h"

using namespace KOL;

namespace {

// Touches every item through the accessors so that out-of-bounds items show up.
void visit(const Strings& list)
{
  for (int i = -1; i <= list.getNum(); i++) {
    list.getLength(i);
    list.getInt(i);
    list.getFloatAfter(i, '=');
    list.getChar(i, 1);
    list.equal(i, "ab", -2);
    list.iequal(i, 1, "B");
    list.check(i, "ud[,.]");
  }
}

std::string part(const std::string& in, size_t& pos)
{
  size_t end = in.find('\x01', pos);
  if (end == std::string::npos) end = in.size();
  std::string s = in.substr(pos, end - pos);
  pos = end < in.size() ? end + 1 : end;
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2) return 0;
  char sep = static_cast<char>(data[0]);
  int max = static_cast<int8_t>(data[1]) % 8;
  if (max == 0) max = -1;
  std::string in(reinterpret_cast<const char*>(data + 2), size - 2);
  size_t pos = 0;
  std::string text = part(in, pos), pattern = part(in, pos), groups = part(in, pos);
  // Splitters see C strings: everything after an embedded NUL is ignored.
  const char* t = text.c_str();

  Strings list(t);
  visit(list);
  list.set(t, sep);
  visit(list);
  list.set(t, sep, max);
  visit(list);
  list.set(t, sep, max, groups.c_str());
  visit(list);
  list.set(t, pattern.c_str());
  visit(list);
  Strings copy(list);
  copy.add(t);
  copy.set(copy.getNum() + 3, t);
  copy.expand(1);
  visit(copy);

  StrLib::match(t, pattern.c_str());
  StrLib::check(t, pattern.c_str());
  StrLib::hasToken(t, sep, pattern.c_str());
  StrLib::getField(t, sep, max);
  StrLib::toInt(t, max, 5);

  String s(t);
  char word[16];
  float a = 0, b = 0;
  while (s.scanp("%f%15s", &a, word) == 2) {
  }
  s.rewind();
  s.scanp("%3f,%f %d", &a, &b);
  char buf[12];
  StrLib::copy(buf, sizeof buf, t, max);
  StrLib::append(buf, sizeof buf, pattern.c_str());
  StrLib::splice(buf, sizeof buf, 1, max, groups.c_str());
  StrLib::clean(buf);
  return 0;
}
