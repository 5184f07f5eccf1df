// Naming conventions fed with arbitrary bytes: the first line is a template (or a convention
// line), the second a file name to read back, the third a file request and the
// fourth a fixed date (and a file count). Nothing touches the file system beyond the current
// directory's listing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Date.h"
#include "core/Filename.h"
#include "core/Kol.h"
#include "core/NameConv.h"
#include "core/NameConvFile.h"
#include "core/String.h"

namespace {

std::string line(const std::string& text, size_t& pos)
{
  size_t end = text.find('\n', pos);
  if (end == std::string::npos) end = text.size();
  std::string out = text.substr(pos, end - pos);
  pos = end < text.size() ? end + 1 : end;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  using namespace KOL;
  Kol::setMessageLevel("none");
  Kol::init_time = 1705320000L;
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t pos = 0;
  std::string tmpl = line(text, pos), name = line(text, pos), spec = line(text, pos),
              fix = line(text, pos);

  NameConv nc;
  nc.set(("@" + tmpl).c_str());
  nc.setKey('a', "KMKC");
  nc.setPath(".");
  nc.setLateLimit(3);
  String out;
  Date d(2024, 2, 29, 23, 59, 30.0f);
  nc.encodeFile(d, out);
  nc.decode(name.c_str());
  nc.parsePath(name.c_str(), tmpl.c_str());
  nc.setFixDate(fix.c_str());
  NameConvFile file;
  nc.setLatest(spec.c_str(), file);
  nc.setOffset(tmpl.c_str());

  // "exit" is a request to end the program.
  if (spec == "exit") return 0;
  Filename fn;
  fn.setNameConv(("@" + tmpl).c_str());
  fn.setPath(".");
  fn.setLateLimit(3);
  fn.checkFile(spec.c_str());
  if (fn.setNumFiles(fix.c_str()) && fn.getNumFiles() <= 50)
    for (int i = 0; i < fn.getNumFiles(); i++) fn.getName(i);
  return 0;
}
