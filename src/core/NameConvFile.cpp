#include "core/NameConvFile.h"

#include <cstdio>
#include <cstring>

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

void NameConvFile::init()
{
  type[0] = param[0] = 0;
  filename.clear();
  hdr_filename.clear();
  date.init();
  offset = Const::MISS;
}

void NameConvFile::setType(const char* t) { StrLib::copy(type, TYPE_SIZE, t ? t : ""); }

namespace {

// A cut name would silently name another file: one beyond the limit is refused.
int copyName(std::string& dst, const char* name)
{
  const bool fits = FileTool::checkLength("NameConvFile", name);
  dst = fits && name ? name : "";
  return fits ? 1 : 0;
}

}  // namespace

int NameConvFile::setFilename(const char* name) { return copyName(filename, name); }

int NameConvFile::setHdrFilename(const char* name) { return copyName(hdr_filename, name); }

void NameConvFile::setParam(const char* p) { StrLib::copy(param, PARAM_SIZE, p ? p : ""); }

void NameConvFile::print() const
{
  std::printf("Type: %s\nFile: %s\nHeader: %s\nParam: %s\nOffset: %d\nDate: ", type,
              filename.c_str(), hdr_filename.c_str(), param, offset);
  date.print();
}

}  // namespace KOL
