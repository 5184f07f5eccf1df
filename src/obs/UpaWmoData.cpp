#include "obs/UpaWmoData.h"

#include <cstdio>

#include "core/StrLib.h"
#include "obs/upa/PartHead.h"

namespace KOL {

namespace {

constexpr const char* NAMES[] = {"",     "TTAA", "TTBB", "TTCC", "TTDD", "PPAA",
                                 "PPBB", "PPCC", "PPDD", "UUAA", "UUBB", "UUCC",
                                 "UUDD", "IIAA", "IIBB", "IICC", "IIDD"};

}  // namespace

void UpaWmoData::init()
{
  id[0] = wmo[0] = '\0';
  text.clear();
  date.init();
  type = NONE;
}

int UpaWmoData::setId(const char* s) { return StrLib::copy(id, ID_SIZE, s ? s : ""); }

int UpaWmoData::setWmo(const char* s) { return StrLib::copy(wmo, WMO_SIZE, s ? s : ""); }

int UpaWmoData::setText(std::string_view part)
{
  text.assign(part);
  upa::PartHead head;
  head.read(text);
  type = head.type;
  setId(head.station.c_str());
  return type != NONE;
}

int UpaWmoData::typeOf(std::string_view word)
{
  for (int t = TTAA; t <= IIDD; ++t)
    if (word == NAMES[t]) return t;
  return NONE;
}

bool UpaWmoData::isPartWord(std::string_view word)
{
  return typeOf(word) != NONE || word == "EEBB" || word == "EEDD";
}

const char* UpaWmoData::typeName(int type) { return type > 0 && type <= IIDD ? NAMES[type] : ""; }

void UpaWmoData::print() const
{
  std::printf("Id: %s Heading: %s\n", id, wmo);
  if (type > 0 && type <= IIDD)
    std::printf("Type: %s\n", NAMES[type]);
  else
    std::printf("Type: %d\n", type);
  date.print();
  std::printf("%s\n", text.c_str());
}

}  // namespace KOL
