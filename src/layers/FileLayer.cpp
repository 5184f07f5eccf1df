#include "layers/FileLayer.h"

#include <strings.h>

#include "core/Kol.h"
#include "core/Resrc.h"
#include "core/StrLib.h"

namespace KOL {

void FileLayer::initFile()
{
  file.init();
  file.setNameConv(StrLib::valid(Kol::resrc.get("in_file"), convention));
}

int FileLayer::setFilename(Date& d)
{
  return file.isSet() && file.isFixed() ? file.exist() : file.setFile(d, "la");
}

bool FileLayer::takeFile(const std::string& field)
{
  if (strncasecmp(field.c_str(), "fi=", 3)) return false;
  setFilename(field.c_str() + 3);
  return true;
}

const char* FileLayer::chosenFile()
{
  if (!file.isSet()) setFilename("la");
  return file.getName();
}

}  // namespace KOL
