#include "obs/CityFile.h"

#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/String.h"

namespace KOL {

CityFile::CityFile(const char* name, int mode)
{
  init();
  open(name, mode);
}

void CityFile::init() { num_ = 0; }

int CityFile::open(const char* name, int mode)
{
  init();
  if (!name || (mode != 0 && mode != 1)) return 0;
  if (!File::open(name, mode)) {
    Kol::outWarning("CityFile: unable to open %s\n", name);
    return 0;
  }
  long size = mode == 0 ? FileTool::getSize(name) : 0;
  num_ = size > 0 ? static_cast<int>(size / LINE_LENGTH) : 0;
  return 1;
}

int CityFile::read(CityData& data)
{
  char line[256];
  int n;
  while ((n = getLine(line, sizeof line)) > 0) {
    // The rest of an overlong line is dropped rather than read as a line of its own.
    if (line[n - 1] != '\n' && n == sizeof line - 1) skipLine();
    if (data.decode(line)) return 1;
  }
  return 0;
}

int CityFile::write(const CityData& data)
{
  String line;
  data.encode(line);
  return printf("%s\n", line.get()) > 0 ? 1 : 0;
}

}  // namespace KOL
