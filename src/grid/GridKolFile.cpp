#include "grid/GridKolFile.h"

#include "core/Kol.h"
#include "core/StrLib.h"
#include "grid/Grid.h"
#include "grid/kol/Header.h"
#include "grid/kol/Values.h"

namespace KOL {

GridKolFile::GridKolFile(const char* name)
{
  init();
  open(name);
}

GridKolFile::GridKolFile(const char* name, int mode, int format)
{
  init();
  open(name, mode, format);
}

void GridKolFile::init()
{
  version_ = VERSION;
  format_ = TEXT;
  mode_ = READ;
  valueFormat_[0] = '\0';
  name_.clear();
}

int GridKolFile::open(const char* name, int mode, int format)
{
  static const char* const modes[] = {"r", "w", "a"};
  close();
  if (format == 0) format = TEXT;
  if (mode < READ || mode > APPEND || format < TEXT || format > EXTERNAL) return 0;
  if (mode != READ && format == EXTERNAL) {
    Kol::outWarning("GridKolFile: external data can only be read\n");
    return 0;
  }
  if (!File::open(name, modes[mode])) return 0;
  mode_ = mode;
  format_ = format;
  name_ = name;
  return 1;
}

int GridKolFile::close()
{
  name_.clear();
  return isOpen() ? File::close() : 1;
}

void GridKolFile::setFormat(const char* text)
{
  StrLib::copy(valueFormat_, sizeof valueFormat_, text ? text : "");
}

int GridKolFile::readHdr(Grid& g)
{
  if (!isOpen() || mode_ != READ) return 0;
  kol::Header h;
  if (!kol::readIdent(*this, h) || !kol::readCodesAndProjection(*this, h) ||
      !kol::applyHeader(h, g))
    return 0;
  version_ = h.version;
  format_ = h.format;
  return 1;
}

int GridKolFile::readData(Grid& g)
{
  if (!isOpen() || mode_ != READ) return 0;
  if (format_ == BINARY) return kol::readBinary(*this, g);
  if (format_ == EXTERNAL) return kol::readExternal(*this, name_, g);
  return kol::readText(*this, g);
}

int GridKolFile::read(Grid& g) { return readHdr(g) && readData(g); }

int GridKolFile::read(const char* name, int format, Grid& g)
{
  return open(name, READ, format) && read(g);
}

int GridKolFile::write(const Grid& g)
{
  if (!isOpen() || mode_ == READ || !g.isData()) return 0;
  kol::Header h = kol::headerOf(g, version_, format_);
  if (!kol::writeHeader(*this, h)) return 0;
  return format_ == BINARY ? kol::writeBinary(*this, g) : kol::writeText(*this, g, valueFormat_);
}

int GridKolFile::write(const char* name, int format, Grid& g)
{
  int ok = open(name, WRITE, format) && write(g);
  return close() && ok;
}

}  // namespace KOL
