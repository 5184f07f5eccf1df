#include "grid/ModelSpec.h"

#include <cctype>
#include <cstdio>

#include "core/Const.h"
#include "core/StrLib.h"
#include "grid/ModelName.h"

namespace KOL {

void ModelSpec::init()
{
  name[0] = conv[0] = '\0';
  centre = process = Const::MISS;
}

int ModelSpec::set(const char* text)
{
  init();
  if (!StrLib::valid(text)) return 0;
  StrLib::copy(name, NAME_SIZE, text);
  if (!ModelName::find(name, centre, process)) return 0;
  char lower[NAME_SIZE];
  int k = 0;
  for (; name[k]; ++k) lower[k] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[k])));
  lower[k] = '\0';
  std::snprintf(conv, CONV_SIZE, "grid_%s", lower);
  return 1;
}

void ModelSpec::print() const
{
  std::printf("ModelSpec: %s - %s - %d:%d\n", name, conv, centre, process);
}

}  // namespace KOL
