#include "core/NameConvFile.h"

#include <cstdio>
#include <cstring>

#include "core/Kol.h"
#include "core/StrLib.h"

namespace KOL {

void NameConvFile::init()
{
  type[0] = filename[0] = hdr_filename[0] = param[0] = 0;
  date.init();
  offset = Const::MISS;
}

void NameConvFile::setType(const char* t) { StrLib::copy(type, TYPE_SIZE, t ? t : ""); }

namespace {

// Names are bounded; a cut name would silently name another file, so say so.
void copyName(char* dst, const char* name)
{
  if (!name) name = "";
  if (std::strlen(name) >= (size_t)NameConvFile::NAME_SIZE)
    Kol::outWarning("NameConvFile: name longer than %d characters cut: %s\n",
                    NameConvFile::NAME_SIZE - 1, name);
  StrLib::copy(dst, NameConvFile::NAME_SIZE, name);
}

}  // namespace

void NameConvFile::setFilename(const char* name) { copyName(filename, name); }

void NameConvFile::setHdrFilename(const char* name) { copyName(hdr_filename, name); }

void NameConvFile::setParam(const char* p) { StrLib::copy(param, PARAM_SIZE, p ? p : ""); }

void NameConvFile::print() const
{
  std::printf("Type: %s\nFile: %s\nHeader: %s\nParam: %s\nOffset: %d\nDate: ", type, filename,
              hdr_filename, param, offset);
  date.print();
}

}  // namespace KOL
